#include "codepage/Win1251.h"

#include <iconv.h>

#include <cerrno>
#include <memory>
#include <stdexcept>

namespace {

constexpr unsigned char UnassignedByte = 0x98;

// One open iconv converter, closed with the object.
class TIconv {
public:
  TIconv(const char* to, const char* from) : FHandle(iconv_open(to, from)) {
    if (FHandle == reinterpret_cast<iconv_t>(-1))
      throw std::runtime_error(std::string("iconv has no converter from ") + from + " to " + to);
  }
  ~TIconv() { iconv_close(FHandle); }
  TIconv(const TIconv&) = delete;
  TIconv& operator=(const TIconv&) = delete;

  // Converts from `in` into `out` as far as it can; false when it stopped at input it cannot
  // convert (left at `in`), true when all of it is converted. The output must be large
  // enough. The converter's state is reset for the next call.
  bool Convert(const char*& in, std::size_t& inLeft, char*& out, std::size_t& outLeft) {
    char* input = const_cast<char*>(in);  // iconv does not write through it
    const std::size_t result = iconv(FHandle, &input, &inLeft, &out, &outLeft);
    in = input;
    iconv(FHandle, nullptr, nullptr, nullptr, nullptr);
    if (result != static_cast<std::size_t>(-1)) return true;
    if (errno == EILSEQ || errno == EINVAL) return false;
    throw std::runtime_error("iconv failed to convert Windows-1251 text");
  }

private:
  iconv_t FHandle;
};

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

std::optional<std::string> EncodeWin1251(std::u16string_view text,
                                         const TWin1251Fallback& fallback) {
  TIconv converter("CP1251", "UTF-16LE");
  // iconv reads bytes; the UTF-16LE converter expects them in little-endian order.
  std::string input;
  input.reserve(text.size() * 2);
  for (const char16_t unit : text) {
    input.push_back(static_cast<char>(unit & 0xFF));
    input.push_back(static_cast<char>(unit >> 8));
  }
  // Windows-1251 has at most one byte per UTF-16 unit, so the output never runs short.
  std::string result(text.size(), '\0');
  const char* in = input.data();
  std::size_t inLeft = input.size();
  char* out = result.data();
  std::size_t outLeft = result.size();
  while (!converter.Convert(in, inLeft, out, outLeft)) {
    // The character at `in` has no byte (or is half a surrogate pair).
    const std::size_t unit = static_cast<std::size_t>(in - input.data()) / 2;
    char32_t c = text[unit];
    std::size_t units = 1;
    if (IsHighSurrogate(text[unit]) && unit + 1 < text.size() && IsLowSurrogate(text[unit + 1])) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[unit + 1] - 0xDC00);
      units = 2;
    }
    const std::optional<char> byte = fallback(c);
    if (!byte) return std::nullopt;
    *out++ = *byte;
    --outLeft;
    in += units * 2;
    inLeft -= units * 2;
  }
  result.resize(result.size() - outLeft);
  return result;
}

std::u16string DecodeWin1251(std::string_view bytes) {
  TIconv converter("UTF-16LE", "CP1251");
  // Every byte gives one UTF-16 unit.
  std::string output(bytes.size() * 2, '\0');
  const char* in = bytes.data();
  std::size_t inLeft = bytes.size();
  char* out = output.data();
  std::size_t outLeft = output.size();
  while (!converter.Convert(in, inLeft, out, outLeft)) {
    // Only the unassigned byte has no character.
    *out++ = static_cast<char>(UnassignedByte);
    *out++ = 0;
    outLeft -= 2;
    ++in;
    --inLeft;
  }
  std::u16string result;
  result.reserve(bytes.size());
  for (std::size_t i = 0; i + 1 < output.size() - outLeft; i += 2)
    result.push_back(static_cast<char16_t>(static_cast<unsigned char>(output[i]) |
                                           static_cast<unsigned char>(output[i + 1]) << 8));
  return result;
}
