#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Text as a Jet 4 file stores it. Internal to the writer.
namespace jet::detail {

// UTF-8 to UTF-16 (characters beyond the BMP as surrogate pairs, as Windows keeps them).
// Throws std::invalid_argument for bytes that are not UTF-8.
std::u16string Utf16FromUtf8(const std::string& text);

// UTF-16LE bytes of `text`, or, when `compress` allows it and it is shorter, the "Unicode
// compression" form: FF FE, then runs of one byte per character (characters U+0001..U+00FF)
// and of two bytes per character (the rest), a 00 byte switching between them. A text with a
// character whose low byte is 00 (U+0100, U+0400, ...) is never compressed: 00 would read as a
// switch.
std::vector<std::uint8_t> EncodeText(const std::u16string& text, bool compress);

}  // namespace jet::detail
