#include <gtest/gtest.h>

#include "tests/qr/encoder/EncoderTestSupport.h"
#include "tests/qr/encoder/PlainPenalty.h"
#include "tests/qr/encoder/SymbolCorpus.h"

namespace {

// A one-row matrix: its columns are a single module long and score nothing.
TByteMatrix Row(const std::string& cells) { return MatrixFromRows({cells}); }

std::vector<std::string> Transposed(const std::string& cells) {
  std::vector<std::string> rows;
  for (const char c : cells) rows.emplace_back(1, c);
  return rows;
}

}  // namespace

TEST(MaskPenalty, RuleOneScoresRunsOfFiveAndMore) {
  const struct {
    std::string row;
    int penalty;
  } cases[] = {
      {"0000", 0},       {"00000", 3},           {"0000000", 5},      {"000000000000000000000", 19},
      {"1111101111", 3}, {"111110000011111", 9}, {"010101010101", 0},
  };
  const TEncoder encoder;
  for (const auto& c : cases) {
    EXPECT_EQ(encoder.PenaltyRule1(Row(c.row)), c.penalty) << c.row;
    EXPECT_EQ(encoder.PenaltyRule1(MatrixFromRows(Transposed(c.row))), c.penalty)
        << c.row << " as a column";
  }
  EXPECT_EQ(encoder.PenaltyRule1(TByteMatrix(21, 21)), 2 * 21 * 19);
}

TEST(MaskPenalty, RuleTwoScoresEveryOverlappingSquare) {
  const TEncoder encoder;
  EXPECT_EQ(encoder.PenaltyRule2(MatrixFromRows({"11", "11"})), 3);
  EXPECT_EQ(encoder.PenaltyRule2(MatrixFromRows({"000", "000", "000"})), 12);
  EXPECT_EQ(encoder.PenaltyRule2(MatrixFromRows({"010", "101", "010"})), 0);
  EXPECT_EQ(encoder.PenaltyRule2(MatrixFromRows({"110", "111"})), 3);
}

TEST(MaskPenalty, RuleThreeScoresFinderLikePatternsWithLightOnOneSide) {
  const struct {
    std::string row;
    int penalty;
  } cases[] = {
      {"00001011101", 40},      // light before
      {"10111010000", 40},      // light after
      {"000010111010000", 40},  // both sides count once
      {"1011101", 0},           // no room on either side
      {"10111010001", 0},       // after not all light, nothing before
      {"00011011101", 0},       // before not all light
      {"0000101110100001011101", 80},
  };
  const TEncoder encoder;
  for (const auto& c : cases) {
    EXPECT_EQ(encoder.PenaltyRule3(Row(c.row)), c.penalty) << c.row;
    EXPECT_EQ(encoder.PenaltyRule3(MatrixFromRows(Transposed(c.row))), c.penalty)
        << c.row << " as a column";
  }
}

TEST(MaskPenalty, RuleFourScoresWholeFivePercentStepsFromHalf) {
  const struct {
    int dark;
    int penalty;
  } cases[] = {{50, 0}, {46, 0}, {54, 0}, {45, 10}, {55, 10}, {62, 20}, {0, 100}, {100, 100}};
  const TEncoder encoder;
  for (const auto& c : cases) {
    const std::string row = std::string(static_cast<std::size_t>(c.dark), '1') +
                            std::string(static_cast<std::size_t>(100 - c.dark), '0');
    EXPECT_EQ(encoder.PenaltyRule4(Row(row)), c.penalty) << c.dark << "%";
  }
}

// Every rule scores on this matrix, so a rule missing from the sum shows.
TEST(MaskPenalty, IsTheSumOfTheFourRules) {
  const TByteMatrix m =
      MatrixFromRows({"000001011101", "110011000111", "110000101010", "000000000000"});
  const TEncoder encoder;
  EXPECT_EQ(encoder.PenaltyRule1(m), 13);  // a light run of 5 in the first row, of 12 in the last
  EXPECT_EQ(encoder.PenaltyRule2(m), 18);  // six squares
  EXPECT_EQ(encoder.PenaltyRule3(m), 40);  // the first row's pattern after four light modules
  EXPECT_EQ(encoder.PenaltyRule4(m), 20);  // 17 of 48 dark: 35 %
  EXPECT_EQ(encoder.MaskPenalty(m), 91);
}

// The widest symbol's lines span three 64-bit words: runs and finder-like
// patterns across the word boundaries at 64 and 128, and at the far end.
TEST(MaskPenalty, LinesOfTheWidestSymbolScoreAcrossWordBoundaries) {
  std::string alternating(TByteMatrix::MaxSide, '0');
  for (std::size_t i = 0; i < alternating.size(); i += 2) alternating[i] = '1';
  const struct {
    std::size_t at;
    std::string piece;
    int rule1, rule2OfTwoRows, rule3;
  } cases[] = {
      {60, "1111111", 5, 18, 0},       {124, "1111111", 5, 18, 0}, {60, "10111010000", 3, 18, 40},
      {120, "00001011101", 3, 18, 40}, {170, "0000000", 6, 21, 0},
  };
  const TEncoder encoder;
  for (const auto& c : cases) {
    const std::string line =
        alternating.substr(0, c.at) + c.piece + alternating.substr(c.at + c.piece.size());
    EXPECT_EQ(encoder.PenaltyRule1(Row(line)), c.rule1) << line;
    EXPECT_EQ(encoder.PenaltyRule1(MatrixFromRows(Transposed(line))), c.rule1)
        << line << " as a column";
    EXPECT_EQ(encoder.PenaltyRule2(MatrixFromRows({line, line})), c.rule2OfTwoRows) << line;
    EXPECT_EQ(encoder.PenaltyRule3(Row(line)), c.rule3) << line;
    EXPECT_EQ(encoder.PenaltyRule3(MatrixFromRows(Transposed(line))), c.rule3)
        << line << " as a column";
  }
}

// Rows are packed eight cells at a time: only a cell holding exactly 1 is dark, whatever
// the other bytes of its group hold (an unassigned cell, stray values near 1 or 128).
TEST(MaskPenalty, OnlyCellsHoldingOneAreDark) {
  const std::uint8_t others[] = {0, 2, 3, TByteMatrix::EmptyCell, 0x81, 0x7F, 0xFE, 0x80, 0, 0x41};
  TByteMatrix stray(20, 2);
  TByteMatrix light(20, 2);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 20; ++x) {
      const bool dark = (x + y) % 2 == 0;
      stray.SetCell(x, y, dark ? 1 : static_cast<int>(others[x / 2]));
      light.SetCell(x, y, dark ? 1 : 0);
    }
  }
  const TEncoder encoder;
  EXPECT_EQ(encoder.PenaltyRule4(stray), 0);
  EXPECT_EQ(encoder.MaskPenalty(stray), encoder.MaskPenalty(light));
}

// The encoder's packed penalty rules against the plain ones, on all eight masks of every
// version at every level: symbols of every width, so every word boundary of a packed line.
TEST(MaskPenalty, MatchesThePlainRulesOnEveryForcedSymbolAndMask) {
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
