#include "tests/support/jet/JetText.h"

#include <algorithm>
#include <stdexcept>

namespace jet::detail {

std::u16string Utf16FromUtf8(const std::string& text) {
  std::u16string out;
  out.reserve(text.size());
  const auto bad = [&] { return std::invalid_argument("not UTF-8: " + text); };
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const int extra = lead < 0x80 ? 0 : (lead >> 5) == 0x06 ? 1 : (lead >> 4) == 0x0E ? 2 : (lead >> 3) == 0x1E ? 3 : -1;
    if (extra < 0 || i + extra >= text.size())
      throw bad();
    char32_t code = extra == 0 ? lead : lead & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80)
        throw bad();
      code = (code << 6) | (next & 0x3F);
    }
    static constexpr char32_t smallest[] = {0, 0x80, 0x800, 0x10000};
    if (code < smallest[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
      throw bad();
    if (code >= 0x10000) {
      code -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (code >> 10));
      out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
    } else {
      out += static_cast<char16_t>(code);
    }
    i += extra + 1;
  }
  return out;
}

namespace {

bool OneByte(char16_t c) { return c >= 0x01 && c <= 0xFF; }

std::vector<std::uint8_t> Plain(const std::u16string& text) {
  std::vector<std::uint8_t> out;
  out.reserve(text.size() * 2);
  for (const char16_t c : text) {
    out.push_back(static_cast<std::uint8_t>(c & 0xFF));
    out.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  return out;
}

}  // namespace

std::vector<std::uint8_t> EncodeText(const std::u16string& text, bool compress) {
  std::vector<std::uint8_t> plain = Plain(text);
  const bool compressible =
      std::none_of(text.begin(), text.end(), [](char16_t c) { return (c & 0xFF) == 0; });
  if (!compress || !compressible)
    return plain;
  std::vector<std::uint8_t> packed{0xFF, 0xFE};
  bool oneByteMode = true;
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    // Back to one byte a character only for a run of two or more: a single one costs as much
    // as the two switches around it.
    const bool wantOneByte =
        OneByte(c) && (oneByteMode || (i + 1 < text.size() && OneByte(text[i + 1])));
    if (wantOneByte != oneByteMode) {
      packed.push_back(0x00);
      oneByteMode = wantOneByte;
    }
    packed.push_back(static_cast<std::uint8_t>(c & 0xFF));
    if (!oneByteMode)
      packed.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  return packed.size() < plain.size() ? packed : plain;
}

}  // namespace jet::detail
