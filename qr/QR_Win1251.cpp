#include "qr/QR_Win1251.h"

#include <iconv.h>

#include <cerrno>
#include <memory>
#include <stdexcept>

namespace {

constexpr char DefaultChar = '?';

struct TIconvCloser {
  void operator()(void* descriptor) const { iconv_close(static_cast<iconv_t>(descriptor)); }
};
using TIconvHandle = std::unique_ptr<void, TIconvCloser>;

TIconvHandle OpenUtf16ToWin1251() {
  const iconv_t descriptor = iconv_open("CP1251", "UTF-16LE");
  if (descriptor == reinterpret_cast<iconv_t>(-1))
    throw std::runtime_error("iconv has no converter from UTF-16 to CP1251");
  return TIconvHandle(descriptor);
}

}  // namespace

bool TWin1251Encoder::IsWin1251Char(char16_t c) {
  if ((c >= 0x0401 && c <= 0x040C) || (c >= 0x040E && c <= 0x044F) ||
      (c >= 0x0451 && c <= 0x045C))
    return true;
  switch (c) {
    case 0x045E: case 0x045F: case 0x0490: case 0x0491: case 0x2013: case 0x2014:
    case 0x2018: case 0x2019: case 0x201A: case 0x201C: case 0x201D: case 0x201E:
    case 0x2020: case 0x2021: case 0x2022: case 0x2026: case 0x2030: case 0x2039:
    case 0x203A: case 0x20AC: case 0x2116: case 0x2122:
      return true;
    default:
      return false;
  }
}

std::vector<std::uint8_t> TWin1251Encoder::ToWin1251(const std::u16string& text) {
  const TIconvHandle converter = OpenUtf16ToWin1251();
  const auto descriptor = static_cast<iconv_t>(converter.get());

  // iconv reads bytes; the UTF-16LE converter expects them in little-endian order.
  std::vector<char> inputBytes;
  inputBytes.reserve(text.size() * 2);
  for (char16_t unit : text) {
    inputBytes.push_back(static_cast<char>(unit & 0xFF));
    inputBytes.push_back(static_cast<char>(unit >> 8));
  }

  std::vector<std::uint8_t> result(text.size());
  char* in = inputBytes.data();
  std::size_t inLeft = inputBytes.size();
  std::size_t written = 0;
  while (inLeft > 0) {
    // Windows-1251 has at most one byte per UTF-16 unit, so the output never runs short.
    char* out = reinterpret_cast<char*>(result.data()) + written;
    std::size_t outLeft = result.size() - written;
    const std::size_t converted = iconv(descriptor, &in, &inLeft, &out, &outLeft);
    written = result.size() - outLeft;
    if (converted != static_cast<std::size_t>(-1))
      break;
    if (errno != EILSEQ && errno != EINVAL)
      throw std::runtime_error("iconv failed to convert to CP1251");
    // The unit at `in` has no byte (or is half a surrogate pair): write the default character
    // and go on after it.
    result[written++] = static_cast<std::uint8_t>(DefaultChar);
    in += 2;
    inLeft -= 2;
    iconv(descriptor, nullptr, nullptr, nullptr, nullptr);
  }
  result.resize(written);
  return result;
}

void TWin1251Encoder::KeepEncodable(const std::u16string& text, TQRMode mode, int encoding,
                                    std::u16string& filtered) {
  if (encoding != teWin1251) {
    TEncoder::KeepEncodable(text, mode, encoding, filtered);
    return;
  }
  filtered.clear();
  for (char16_t c : text)
    if (c < 0x0100 || IsWin1251Char(c))
      filtered.push_back(c);
}

void TWin1251Encoder::AppendContentBits(const std::u16string& filtered, TQRMode mode,
                                        TBitArray& bits, int encoding) {
  if (encoding != teWin1251) {
    TEncoder::AppendContentBits(filtered, mode, bits, encoding);
    return;
  }
  for (std::uint8_t byte : ToWin1251(filtered))
    bits.PushBits(byte, 8);
}
