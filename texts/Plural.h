#pragma once

#include <cstdint>

// The form a Russian noun takes after the number n >= 0: `one` for 1, 21, 101 … (but not 11),
// `few` for 2–4, 22–24 … (but not 12–14), `many` for the rest: 0, 5–20, 25–30, 111 …
// PluralForm(3, "символ", "символа", "символов") is "символа".
const char* PluralForm(std::int64_t n, const char* one, const char* few, const char* many);
