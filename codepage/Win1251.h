#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

// Windows-1251, the 8-bit code page of the operator's texts, converted by glibc's iconv, one
// byte per character both ways, the same in every locale. Plain C++: the QR encoders and the
// settings file both use it.

// The byte to write for a character Windows-1251 lacks (`c`: a code point, or a lone
// surrogate), or nothing to give up the conversion.
using TWin1251Fallback = std::function<std::optional<char>(char32_t c)>;

// The Windows-1251 bytes of `text`. Each character the code page lacks is handed to
// `fallback`: the result has the byte it returns in that place, or is nothing when it returns
// nothing. Throws std::runtime_error when iconv has no Windows-1251 converter.
std::optional<std::string> EncodeWin1251(std::u16string_view text,
                                         const TWin1251Fallback& fallback);

// The text of the Windows-1251 `bytes`. The one byte the code page leaves unassigned, 0x98,
// reads as U+0098, as Windows reads it. Throws std::runtime_error when iconv has no
// Windows-1251 converter.
std::u16string DecodeWin1251(std::string_view bytes);
