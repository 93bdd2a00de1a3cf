#include "tests/qr/encoder/SymbolCorpus.h"

#include <sstream>

#include "tests/qr/encoder/EncoderTestSupport.h"

std::u16string Utf8ToUtf16(const std::string& utf8) {
  std::u16string text;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    std::uint32_t c = length == 1 ? lead : lead & (0x7F >> length);
    for (int k = 1; k < length; ++k) {
      c = c << 6 | (static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(k)]) & 0x3F);
    }
    if (c >= 0x10000) {
      text += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      text += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      text += static_cast<char16_t>(c);
    }
    i += static_cast<std::size_t>(length);
  }
  return text;
}

std::string TContent::Bytes() const {
  if (Charset == "utf-8-sig") return "\xEF\xBB\xBF" + Utf8;
  if (Charset == "utf-8") return Utf8;
  std::string bytes;  // ASCII or Latin-1: one byte per character
  for (const char16_t c : Text()) bytes += static_cast<char>(c);
  return bytes;
}

TContent Utf8Bom(std::string text) { return {std::move(text), teAuto, "byte", "utf-8-sig"}; }
TContent Utf8(std::string text) { return {std::move(text), teUTF8, "byte", "utf-8"}; }

int CapacityBits(int versionNo, int level) {
  const auto version = TVersion::VersionByNumber(versionNo);
  return 8 * (version->CodewordCount() - version->BlocksFor(LevelOf(level)).ECTotal());
}

namespace {

TContent Numeric(std::string text) { return {std::move(text), teAuto, "numeric", "-"}; }
TContent Alphanumeric(std::string text) { return {std::move(text), teAuto, "alphanumeric", "-"}; }
TContent Latin1(std::string text) { return {std::move(text), teAuto, "byte", "latin-1"}; }

TQRMode ModeOf(const TContent& content) {
  return content.Mode == "numeric"        ? TQRMode::Numeric
         : content.Mode == "alphanumeric" ? TQRMode::Alphanumeric
                                          : TQRMode::Byte;
}

// Bits of mode indicator, count and content in a symbol of versionNo.
int StreamBits(const TContent& content, int versionNo) {
  const TQRMode mode = ModeOf(content);
  const int n =
      static_cast<int>(mode == TQRMode::Byte ? content.Bytes().size() : content.Utf8.size());
  const int contentBits = mode == TQRMode::Numeric        ? 10 * (n / 3) + (n % 3 == 2   ? 7
                                                                            : n % 3 == 1 ? 4
                                                                                         : 0)
                          : mode == TQRMode::Alphanumeric ? 11 * (n / 2) + 6 * (n % 2)
                                                          : 8 * n;
  return 4 + CountFieldWidth(mode, versionNo) + contentBits;
}

}  // namespace

bool SegnoPadsWithAnExtraZeroByte(const TContent& content, int versionNo, int level) {
  const int terminated = StreamBits(content, versionNo) + 4;
  return terminated < CapacityBits(versionNo, level) && terminated % 8 == 0;
}

namespace {

std::vector<TContent> FixedTexts() {
  return {
      Numeric("0"),
      Numeric("01234567"),
      Numeric("3141592653589793238462643383279502884197169399375105820974944592"),
      Alphanumeric("HELLO WORLD"),
      Alphanumeric("AC-42"),
      Alphanumeric("$%*+-./: 0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"),
      Latin1("Hello, world!"),
      Latin1("caf\xC3\xA9 cr\xC3\xA8me \xC2\xA9 \xC3\xBF"),
      Latin1("a\r\nb\tc"),
      Utf8Bom(""),
      Utf8Bom("\xD0\xA1\xD1\x83\xD0\xBC\xD0\xBA\xD0\xB0 \xE2\x84\x96"
              "123"),
      Utf8Bom("\xD0\x9D\xD0\xBE\xD0\xBC\xD0\xB5\xD1\x80 \xD1\x81\xD1\x83\xD0\xBC\xD0\xBA\xD0\xB8: "
              "0012345\r\n"
              "\xD0\x9F\xD0\xBE\xD0\xBB\xD1\x83\xD1\x87\xD0\xB0\xD1\x82\xD0\xB5\xD0\xBB\xD1\x8C: "
              "\xD0\x9E\xD0\x9E\xD0\x9E "
              "\xC2\xAB\xD0\xA0\xD0\xBE\xD0\xBC\xD0\xB0\xD1\x88\xD0\xBA\xD0\xB0\xC2\xBB\r\n"
              "\xD0\xA1\xD1\x87\xD0\xB5\xD1\x82: 40702810900000012345\r\n"
              "\xD0\x98\xD0\x9D\xD0\x9D: 7701234567\r\n"
              "\xD0\xA1\xD1\x83\xD0\xBC\xD0\xBC\xD0\xB0: 125400.50\r\n"
              "\xD0\xA4\xD0\x98\xD0\x9E: \xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD\xD0\xBE\xD0\xB2 "
              "\xD0\x98. \xD0\x98.\r\n"),
      Utf8("\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82, \xD0\xBC\xD0\xB8\xD1\x80"),
      Utf8("\xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80"),
  };
}

// Content for the version at the level, in a mode that changes with both: byte
// mode fills the capacity exactly (its terminator always ends on a byte boundary,
// see SegnoPadsWithAnExtraZeroByte); numeric and alphanumeric take about 90 % and
// leave room for pad codewords.
TContent FillFor(int versionNo, int level) {
  std::uint32_t seed = static_cast<std::uint32_t>(versionNo * 7919 + level);
  const auto next = [&seed](std::uint32_t n) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) % n;
  };
  const int capacity = CapacityBits(versionNo, level);
  const int kind = (versionNo + level) % 5;
  if (kind <= 1) {
    static const std::string chars = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:";
    TContent content = kind == 0 ? Numeric("") : Alphanumeric("");
    const int room = capacity - 4 - CountFieldWidth(ModeOf(content), versionNo);
    for (int n = kind == 0 ? room * 3 / 10 * 9 / 10 : room * 2 / 11 * 9 / 10; n > 0; --n) {
      content.Utf8 += chars[next(kind == 0 ? 10 : 45)];
    }
    while (SegnoPadsWithAnExtraZeroByte(content, versionNo, level)) content.Utf8.pop_back();
    return content;
  }
  TContent content = kind == 2 ? Latin1("") : kind == 3 ? Utf8Bom("") : Utf8("");
  const int byteCount = (capacity - 8 - CountFieldWidth(TQRMode::Byte, versionNo)) / 8;
  int bytes = kind == 3 ? 3 : 0;
  while (bytes < byteCount) {
    // Two-byte characters (accented Latin-1 letters, Cyrillic) where they fit.
    if (bytes + 2 <= byteCount && next(3) == 0) {
      const std::uint32_t c = (kind == 2 ? 0xC0 : 0x410) + next(64);
      content.Utf8 += static_cast<char>(0xC0 | c >> 6);
      content.Utf8 += static_cast<char>(0x80 | (c & 0x3F));
      bytes += kind == 2 ? 1 : 2;
    } else {
      content.Utf8 += static_cast<char>('a' + next(26));
      bytes += 1;
    }
  }
  return content;
}

}  // namespace

std::vector<TCase> ForcedCases() {
  std::vector<TCase> cases;
  for (int v = 1; v <= 40; ++v) {
    for (int level = 0; level < 4; ++level) {
      cases.push_back({FillFor(v, level), level, v, (3 * v + level) % 8});
    }
  }
  return cases;
}

std::vector<TCase> AutomaticCases() {
  std::vector<TCase> cases;
  for (int level = 0; level < 4; ++level) {
    for (const TContent& content : FixedTexts()) cases.push_back({content, level, 0, -1});
  }
  for (int v = 1; v <= 40; v += 3) {
    for (int level = 0; level < 4; ++level) cases.push_back({FillFor(v, level), level, 0, -1});
  }
  return cases;
}

std::string Describe(const TCase& c) {
  std::ostringstream text;
  text << c.Content.Mode << "/" << c.Content.Charset << " level " << LevelNames[c.Level]
       << " version " << c.Version << " mask " << c.Mask << " text "
       << c.Content.Utf8.substr(0, 40);
  return text.str();
}
