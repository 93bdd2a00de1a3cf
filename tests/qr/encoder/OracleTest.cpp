// Our symbols against two independent black boxes: segno must lay out the same
// modules (and, left to itself, choose the same version and mask), and zbar must
// read back exactly the bytes that went in.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include <qrencode.h>

#include "tests/qr/encoder/EncoderTestSupport.h"
#include "tests/qr/encoder/OracleSupport.h"

namespace {

// One content of the corpus, written as UTF-8.
struct TContent {
  std::string Utf8;
  int Encoding;         // teAuto, teNumeric, teAlphanumeric or teUTF8
  std::string Mode;     // segno's name of the mode our encoder picks
  std::string Charset;  // the Python codec of the byte-mode bytes, "-" otherwise

  std::u16string Text() const { return Utf8ToUtf16(Utf8); }
  // The bytes the symbol must carry.
  std::string Bytes() const {
    if (Charset == "utf-8-sig") return "\xEF\xBB\xBF" + Utf8;
    if (Charset == "utf-8") return Utf8;
    std::string bytes;  // ASCII or Latin-1: one byte per character
    for (const char16_t c : Text()) bytes += static_cast<char>(c);
    return bytes;
  }
};

TContent Numeric(std::string text) { return {std::move(text), teAuto, "numeric", "-"}; }
TContent Alphanumeric(std::string text) { return {std::move(text), teAuto, "alphanumeric", "-"}; }
TContent Latin1(std::string text) { return {std::move(text), teAuto, "byte", "latin-1"}; }
TContent Utf8Bom(std::string text) { return {std::move(text), teAuto, "byte", "utf-8-sig"}; }
TContent Utf8(std::string text) { return {std::move(text), teUTF8, "byte", "utf-8"}; }

const char* const LevelNames = "LMQH";

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

int CapacityBits(int versionNo, int level) {
  const auto version = TVersion::VersionByNumber(versionNo);
  return 8 * (version->CodewordCount() - version->BlocksFor(LevelOf(level)).ECTotal());
}

// segno appends a zero byte after the terminator when the terminator ends on a
// byte boundary with room left, where the standard (and libqrencode) goes on with
// the pad codewords at once: its modules differ from the standard's then.
bool SegnoPadsWithAnExtraZeroByte(const TContent& content, int versionNo, int level) {
  const int terminated = StreamBits(content, versionNo) + 4;
  return terminated < CapacityBits(versionNo, level) && terminated % 8 == 0;
}

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

struct TCase {
  TContent Content;
  int Level;
  int Version;  // 0: chosen by the encoder
  int Mask;     // -1: chosen by the encoder
};

// Every version at every level with a forced mask, then the fixed texts and the
// fills left to the encoder's own choice.
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

std::string Utf16BeHex(const std::u16string& text) {
  std::string bytes;
  for (const char16_t c : text) {
    bytes += static_cast<char>(c >> 8);
    bytes += static_cast<char>(c & 0xFF);
  }
  return HexOrDash(bytes);
}

struct TSegnoSymbol {
  int Version = 0;
  int Mask = -1;
  std::string BytesHex;
  std::vector<std::string> Rows;
};

std::vector<TSegnoSymbol> AskSegno(const std::vector<TCase>& cases) {
  const TTempDir dir;
  {
    std::ofstream requests(dir.Path() / "requests.txt");
    for (const TCase& c : cases) {
      requests << c.Content.Mode << ' ' << c.Content.Charset << ' ' << LevelNames[c.Level] << ' '
               << c.Version << ' ' << c.Mask << ' ' << Utf16BeHex(c.Content.Text()) << '\n';
    }
  }
  int status = 0;
  RunCapture(std::string(ORACLE_PYTHON) + " " + SEGNO_ORACLE_SCRIPT + " " +
                 (dir.Path() / "requests.txt").string() + " " +
                 (dir.Path() / "symbols.txt").string(),
             &status);
  EXPECT_EQ(status, 0) << "segno failed";
  std::vector<TSegnoSymbol> symbols;
  std::ifstream answers(dir.Path() / "symbols.txt");
  for (std::string line; std::getline(answers, line);) {
    std::istringstream fields(line);
    TSegnoSymbol symbol;
    fields >> symbol.Version >> symbol.Mask >> symbol.BytesHex;
    for (std::string row; fields >> row;) symbol.Rows.push_back(row);
    symbols.push_back(symbol);
  }
  EXPECT_EQ(symbols.size(), cases.size());
  return symbols;
}

std::string Describe(const TCase& c) {
  std::ostringstream text;
  text << c.Content.Mode << "/" << c.Content.Charset << " level " << LevelNames[c.Level]
       << " version " << c.Version << " mask " << c.Mask << " text "
       << c.Content.Utf8.substr(0, 40);
  return text.str();
}

}  // namespace

TEST(EncoderOracle, LaysOutTheModulesSegnoDoesAtEveryVersionLevelAndMask) {
  const std::vector<TCase> cases = ForcedCases();
  const std::vector<TSegnoSymbol> segno = AskSegno(cases);
  ASSERT_EQ(segno.size(), cases.size());
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const TCase& c = cases[i];
    EXPECT_EQ(segno[i].BytesHex, HexOrDash(c.Content.Bytes())) << Describe(c);
    EXPECT_EQ(RowsOf(*SymbolAt(c.Content.Text(), c.Content.Encoding, c.Level, c.Version, c.Mask)),
              segno[i].Rows)
        << Describe(c);
  }
}

namespace {

// segno scores each mask on the symbol before its format and version information
// are in place (those cells, dark module included, still light), and counts the
// light quiet zone as part of the symbol for the finder-like patterns of rule 3.
// Our encoder scores the finished symbol and only modules inside it.
int PenaltyAsSegnoScoresIt(const TByteMatrix& symbol) {
  const int side = symbol.ColCount();
  TByteMatrix bare(symbol.ColCount(), symbol.RowCount());
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      const bool formatCell =
          (x == 8 && (y <= 8 || y >= side - 8)) || (y == 8 && (x <= 8 || x >= side - 8));
      const bool timing = x == 6 || y == 6;
      const bool versionCell = side >= 45 && ((x < 6 && y >= side - 11 && y < side - 8) ||
                                              (y < 6 && x >= side - 11 && x < side - 8));
      const int cell = (formatCell && !timing) || versionCell ? 0 : symbol.Cell(x, y);
      bare.SetCell(x, y, cell);
    }
  }
  return TPlainPenalty::Rule1(bare) + TPlainPenalty::Rule2(bare) +
         TPlainPenalty::Rule3(bare, true) + TPlainPenalty::Rule4(bare);
}

int MaskScoredLikeSegno(const TContent& content, int level, int versionNo) {
  const TUnmaskedLayout layout(CodewordsAt(content.Text(), content.Encoding, level, versionNo),
                               level, versionNo);
  int best = -1;
  int bestPenalty = 0;
  for (int mask = 0; mask < 8; ++mask) {
    const int penalty = PenaltyAsSegnoScoresIt(layout.Masked(mask));
    if (best < 0 || penalty < bestPenalty) {
      best = mask;
      bestPenalty = penalty;
    }
  }
  return best;
}

}  // namespace

// The encoder's packed penalty rules against the plain ones, on all eight masks of every
// version at every level: symbols of every width, so every word boundary of a packed line.
TEST(EncoderOracle, MaskPenaltyMatchesThePlainRulesOnEveryForcedSymbolAndMask) {
  const TEncoder encoder;
  for (const TCase& c : ForcedCases()) {
    const TUnmaskedLayout layout(
        CodewordsAt(c.Content.Text(), c.Content.Encoding, c.Level, c.Version), c.Level, c.Version);
    for (int mask = 0; mask < 8; ++mask) {
      const TByteMatrix symbol = layout.Masked(mask);
      const std::vector<int> plain{TPlainPenalty::Rule1(symbol), TPlainPenalty::Rule2(symbol),
                                   TPlainPenalty::Rule3(symbol, false),
                                   TPlainPenalty::Rule4(symbol)};
      const std::vector<int> packed{encoder.PenaltyRule1(symbol), encoder.PenaltyRule2(symbol),
                                    encoder.PenaltyRule3(symbol), encoder.PenaltyRule4(symbol)};
      const std::string where = "version " + std::to_string(c.Version) + " level " +
                                LevelNames[c.Level] + " mask " + std::to_string(mask);
      ASSERT_EQ(packed, plain) << where;
      ASSERT_EQ(encoder.MaskPenalty(symbol), plain[0] + plain[1] + plain[2] + plain[3]) << where;
    }
  }
}

// The version is segno's. The mask is segno's once the symbols are scored as segno
// scores them (see PenaltyAsSegnoScoresIt); symbols that segno pads differently
// are left out of the mask comparison.
TEST(EncoderOracle, AgreesWithSegnosChoiceOfVersionAndMask) {
  const std::vector<TCase> cases = AutomaticCases();
  const std::vector<TSegnoSymbol> segno = AskSegno(cases);
  ASSERT_EQ(segno.size(), cases.size());
  int masksCompared = 0;
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const TCase& c = cases[i];
    const TQRCode code = Encode(c.Content.Text(), c.Content.Encoding, c.Level);
    EXPECT_EQ(code.VersionNo(), segno[i].Version) << Describe(c);
    if (SegnoPadsWithAnExtraZeroByte(c.Content, code.VersionNo(), c.Level)) continue;
    ++masksCompared;
    EXPECT_EQ(MaskScoredLikeSegno(c.Content, c.Level, code.VersionNo()), segno[i].Mask)
        << Describe(c);
    EXPECT_EQ(RowsOf(*SymbolAt(c.Content.Text(), c.Content.Encoding, c.Level, code.VersionNo(),
                               segno[i].Mask)),
              segno[i].Rows)
        << Describe(c);
  }
  EXPECT_GT(masksCompared, static_cast<int>(cases.size()) / 2);
}

// Byte mode with pad codewords, which segno pads differently: libqrencode's
// symbol must be ours laid out with the mask it chose.
TEST(EncoderOracle, MatchesLibqrencodeInByteModeWithPadCodewords) {
  for (int v = 1; v <= 40; v += 3) {
    for (int level = 0; level < 4; ++level) {
      std::string utf8;
      const int bytes = CapacityBits(v, level) / 8 * 2 / 3;
      for (int i = 0; static_cast<int>(utf8.size()) + 2 <= bytes - 3; ++i) {
        utf8 += i % 3 == 0 ? "\xD0\x96" : "z";
      }
      const TContent content = (v + level) % 2 == 0 ? Utf8Bom(utf8) : Utf8(utf8);
      const std::string data = content.Bytes();
      const std::unique_ptr<QRcode, void (*)(QRcode*)> theirs(
          QRcode_encodeData(static_cast<int>(data.size()),
                            reinterpret_cast<const unsigned char*>(data.data()), v,
                            static_cast<QRecLevel>(level)),
          QRcode_free);
      ASSERT_NE(theirs, nullptr);
      ASSERT_EQ(theirs->version, v);
      std::vector<std::string> rows;
      for (int y = 0; y < theirs->width; ++y) {
        std::string row;
        for (int x = 0; x < theirs->width; ++x)
          row += (theirs->data[y * theirs->width + x] & 1) != 0 ? '1' : '0';
        rows.push_back(row);
      }
      bool matched = false;
      for (int mask = 0; mask < 8 && !matched; ++mask) {
        matched = RowsOf(*SymbolAt(content.Text(), content.Encoding, level, v, mask)) == rows;
      }
      EXPECT_TRUE(matched) << "version " << v << " level " << LevelNames[level];
    }
  }
}

TEST(EncoderOracle, ZbarReadsBackTheEncodedBytes) {
  std::vector<TCase> cases = ForcedCases();
  const std::vector<TCase> automatic = AutomaticCases();
  cases.insert(cases.end(), automatic.begin(), automatic.end());
  const TTempDir dir;
  const std::filesystem::path image = dir.Path() / "symbol.pgm";
  for (const TCase& c : cases) {
    const std::u16string text = c.Content.Text();
    const auto modules =
        c.Version > 0
            ? SymbolAt(text, c.Content.Encoding, c.Level, c.Version, c.Mask)
            : std::make_unique<TByteMatrix>(*Encode(text, c.Content.Encoding, c.Level).Modules());
    WritePgm(*modules, image, 2, 4);
    int status = 0;
    const std::string decoded = RunCapture(
        std::string(ZBARIMG) + " --quiet --raw -Sbinary " + image.string() + " 2>/dev/null",
        &status);
    EXPECT_EQ(status, 0) << Describe(c);
    EXPECT_EQ(HexOrDash(decoded), HexOrDash(c.Content.Bytes())) << Describe(c);
  }
}
