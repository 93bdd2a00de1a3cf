#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "qr/encoder/Encoder.h"

// Encoding index 7 (teWin1251): byte mode carrying the text in the Windows-1251 code page.
// Every other index behaves as in TEncoder.
class TWin1251Encoder : public TEncoder {
public:
  // With teWin1251 keeps every character below U+0100 and, above it, those IsWin1251Char
  // accepts; the mode is not looked at. Other encodings: inherited.
  void KeepEncodable(const std::u16string& text, TQRMode mode, int encoding,
                     std::u16string& filtered) override;
  // With teWin1251 appends the Windows-1251 bytes of the filtered text, 8 bits each,
  // whatever the mode. Other encodings: inherited.
  void AppendContentBits(const std::u16string& filtered, TQRMode mode, TBitArray& bits,
                         int encoding) override;

  // True for the characters above U+00FF that Windows-1251 has: the Cyrillic block
  // U+0401..U+045F except U+040D and U+0450/U+045D, U+0490/U+0491, the dashes, quotes,
  // daggers, bullet, ellipsis, per mille, angle quotes, euro, numero and trade mark signs.
  static bool IsWin1251Char(char16_t c);

  // The Windows-1251 bytes of text, one byte per character (codepage/Win1251.h). A character
  // the code page lacks (e.g. U+00E9 or a lone surrogate) becomes '?', the code page's default
  // character. Throws std::runtime_error when iconv has no Windows-1251 converter.
  static std::vector<std::uint8_t> ToWin1251(const std::u16string& text);
};
