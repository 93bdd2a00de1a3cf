#include "qr/QR_Win1251.h"

#include "codepage/Win1251.h"

bool TWin1251Encoder::IsWin1251Char(char16_t c) {
  if ((c >= 0x0401 && c <= 0x040C) || (c >= 0x040E && c <= 0x044F) || (c >= 0x0451 && c <= 0x045C))
    return true;
  switch (c) {
    case 0x045E:
    case 0x045F:
    case 0x0490:
    case 0x0491:
    case 0x2013:
    case 0x2014:
    case 0x2018:
    case 0x2019:
    case 0x201A:
    case 0x201C:
    case 0x201D:
    case 0x201E:
    case 0x2020:
    case 0x2021:
    case 0x2022:
    case 0x2026:
    case 0x2030:
    case 0x2039:
    case 0x203A:
    case 0x20AC:
    case 0x2116:
    case 0x2122:
      return true;
    default:
      return false;
  }
}

std::vector<std::uint8_t> TWin1251Encoder::ToWin1251(const std::u16string& text) {
  // '?' is the code page's default character.
  const std::string bytes = *EncodeWin1251(text, [](char32_t) { return '?'; });
  return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

void TWin1251Encoder::KeepEncodable(const std::u16string& text, TQRMode mode, int encoding,
                                    std::u16string& filtered) {
  if (encoding != teWin1251) {
    TEncoder::KeepEncodable(text, mode, encoding, filtered);
    return;
  }
  filtered.clear();
  for (char16_t c : text)
    if (c < 0x0100 || IsWin1251Char(c)) filtered.push_back(c);
}

void TWin1251Encoder::AppendContentBits(const std::u16string& filtered, TQRMode mode,
                                        TBitArray& bits, int encoding) {
  if (encoding != teWin1251) {
    TEncoder::AppendContentBits(filtered, mode, bits, encoding);
    return;
  }
  for (std::uint8_t byte : ToWin1251(filtered)) bits.PushBits(byte, 8);
}
