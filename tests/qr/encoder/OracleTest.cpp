// Our symbols against two independent black boxes: segno must lay out the same
// modules (and, left to itself, choose the same version and mask), and zbar must
// read back exactly the bytes that went in.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include <qrencode.h>

#include "tests/qr/encoder/EncoderTestSupport.h"
#include "tests/qr/encoder/OracleSupport.h"
#include "tests/qr/encoder/PlainPenalty.h"
#include "tests/qr/encoder/SymbolCorpus.h"

namespace {

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
