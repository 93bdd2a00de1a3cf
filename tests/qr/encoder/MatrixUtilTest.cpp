#include <gtest/gtest.h>

#include <bit>
#include <set>

#include "qr/encoder/MatrixUtil.h"
#include "tests/qr/encoder/EncoderTestSupport.h"

namespace {

int WordOf(const TBitArray& bits) {
  int word = 0;
  for (int i = 0; i < bits.BitCount(); ++i) {
    word = word << 1 | (bits.Bit(i) ? 1 : 0);
  }
  return word;
}

// A matrix of the version with only the function patterns and the format and
// version information in place; the cells left empty take the data bits.
TByteMatrix FunctionPatterns(int versionNo) {
  TByteMatrix matrix(17 + 4 * versionNo, 17 + 4 * versionNo);
  matrix.FillAll(TByteMatrix::EmptyCell);
  const TMatrixUtil util;
  util.PlaceFixedPatterns(versionNo, matrix);
  util.PlaceFormatInfo(LevelOf(0), 0, matrix);
  util.PlaceVersionInfo(versionNo, matrix);
  return matrix;
}

bool IsAlignmentAt(const TByteMatrix& m, int cx, int cy) {
  for (int dy = -2; dy <= 2; ++dy) {
    for (int dx = -2; dx <= 2; ++dx) {
      const int expected = std::max(std::abs(dx), std::abs(dy)) == 1 ? 0 : 1;
      if (m.Cell(cx + dx, cy + dy) != expected) return false;
    }
  }
  return true;
}

}  // namespace

TEST(MatrixUtil, FormatWordsForEveryLevelAndMask) {
  const int words[4][8] = {
      {0x77C4, 0x72F3, 0x7DAA, 0x789D, 0x662F, 0x6318, 0x6C41, 0x6976},  // L
      {0x5412, 0x5125, 0x5E7C, 0x5B4B, 0x45F9, 0x40CE, 0x4F97, 0x4AA0},  // M
      {0x355F, 0x3068, 0x3F31, 0x3A06, 0x24B4, 0x2183, 0x2EDA, 0x2BED},  // Q
      {0x1689, 0x13BE, 0x1CE7, 0x19D0, 0x0762, 0x0255, 0x0D0C, 0x083B},  // H
  };
  for (int level = 0; level < 4; ++level) {
    for (int mask = 0; mask < 8; ++mask) {
      TBitArray bits;
      TMatrixUtil().FormatInfoBits(LevelOf(level), mask, bits);
      EXPECT_EQ(bits.BitCount(), 15);
      EXPECT_EQ(WordOf(bits), words[level][mask]) << "level " << level << " mask " << mask;
    }
  }
}

TEST(MatrixUtil, VersionWordsAreBCHCodewordsEightApart) {
  std::vector<int> words;
  for (int v = 7; v <= 40; ++v) {
    TBitArray bits;
    TMatrixUtil().VersionInfoBits(v, bits);
    EXPECT_EQ(bits.BitCount(), 18);
    EXPECT_EQ(WordOf(bits) >> 12, v);
    words.push_back(WordOf(bits));
  }
  EXPECT_EQ(words.front(), 0x07C94);
  EXPECT_EQ(words.back(), 0x28C69);
  for (std::size_t i = 0; i < words.size(); ++i) {
    for (std::size_t j = i + 1; j < words.size(); ++j) {
      EXPECT_GE(std::popcount(static_cast<unsigned>(words[i] ^ words[j])), 8)
          << i + 7 << " vs " << j + 7;
    }
  }
  EXPECT_EQ(TMatrixUtil::HighestBitPosition(0), 0);
  EXPECT_EQ(TMatrixUtil::HighestBitPosition(1), 1);
  EXPECT_EQ(TMatrixUtil::HighestBitPosition(1335), 11);
}

TEST(MatrixUtil, VersionOneHasFindersTimingAndTheDarkModule) {
  const TByteMatrix m = FunctionPatterns(1);
  EXPECT_EQ(m.Cell(8, 13), 1);
  for (int i = 8; i <= 12; ++i) {
    EXPECT_EQ(m.Cell(i, 6), i % 2 == 0 ? 1 : 0) << i;
    EXPECT_EQ(m.Cell(6, i), i % 2 == 0 ? 1 : 0) << i;
  }
  const std::vector<std::string> finderRows{"1111111", "1000001", "1011101", "1011101",
                                            "1011101", "1000001", "1111111"};
  for (const auto& [x0, y0] : {std::pair{0, 0}, std::pair{14, 0}, std::pair{0, 14}}) {
    for (int y = 0; y < 7; ++y) {
      EXPECT_EQ(RowsOf(m)[static_cast<std::size_t>(y0 + y)].substr(static_cast<std::size_t>(x0), 7),
                finderRows[static_cast<std::size_t>(y)]);
    }
  }
  EXPECT_EQ(RowsOf(m)[7].substr(0, 8), "00000000");  // separators
  EXPECT_EQ(RowsOf(m)[7].substr(13, 8), "00000000");
  EXPECT_EQ(RowsOf(m)[13].substr(0, 8), "00000000");
}

TEST(MatrixUtil, AlignmentPatternsSkipTheFinderCorners) {
  const struct {
    int version;
    std::set<std::pair<int, int>> centres;
  } cases[] = {
      {1, {}},
      {2, {{18, 18}}},
      {7, {{22, 6}, {6, 22}, {22, 22}, {38, 22}, {22, 38}, {38, 38}}},
  };
  for (const auto& c : cases) {
    const TByteMatrix m = FunctionPatterns(c.version);
    std::set<std::pair<int, int>> found;
    for (int y = 2; y < m.RowCount() - 2; ++y) {
      for (int x = 2; x < m.ColCount() - 2; ++x) {
        // Inside a finder the 5 x 5 middle looks alike; only count away from them.
        const bool left = x < 9;
        const bool top = y < 9;
        const bool nearFinder =
            (left && top) || (left && y > m.RowCount() - 10) || (top && x > m.ColCount() - 10);
        if (!nearFinder && IsAlignmentAt(m, x, y)) found.insert({x, y});
      }
    }
    EXPECT_EQ(found, c.centres) << "version " << c.version;
  }
  EXPECT_EQ(TMatrixUtil::AlignmentCentreTable[39],
            (TMatrixUtil::TAlignmentCentres{6, 30, 58, 86, 114, 142, 170}));
}

TEST(MatrixUtil, VersionInformationFromSeven) {
  EXPECT_EQ(FunctionPatterns(6).Cell(0, 30), -1);
  const TByteMatrix m = FunctionPatterns(7);
  // 0x07C94, least significant bit first, down the 3-row blocks of columns 0..5.
  const int word = 0x07C94;
  for (int k = 0; k < 18; ++k) {
    const int expected = word >> k & 1;
    EXPECT_EQ(m.Cell(k / 3, 45 - 11 + k % 3), expected) << k;
    EXPECT_EQ(m.Cell(45 - 11 + k % 3, k / 3), expected) << k;
  }
}

// The cells left for data hold every codeword bit plus the standard's 0, 3, 4 or 7 remainder
// bits; the unmasked layout marks exactly those as data modules and fills them (0 without bits).
TEST(MatrixUtil, DataRegionHoldsAllCodewordsOfEveryVersion) {
  for (int v = 1; v <= 40; ++v) {
    const TByteMatrix m = FunctionPatterns(v);
    int empty = 0;
    for (const auto& row : m.CellRows()) {
      empty += static_cast<int>(std::count(row.begin(), row.end(), TByteMatrix::EmptyCell));
    }
    const int remainder = v == 1    ? 0
                          : v <= 6  ? 7
                          : v <= 13 ? 0
                          : v <= 20 ? 3
                          : v <= 27 ? 4
                          : v <= 34 ? 3
                                    : 0;
    EXPECT_EQ(empty, 8 * TVersion::VersionByNumber(v)->CodewordCount() + remainder)
        << "version " << v;

    const TUnmaskedLayout layout(TBitArray(), 0, v);
    for (int y = 0; y < m.RowCount(); ++y) {
      for (int x = 0; x < m.ColCount(); ++x) {
        const bool data = m.Cell(x, y) == -1;
        ASSERT_EQ(layout.DataModules.Cell(x, y), data ? 1 : 0)
            << "version " << v << " at " << x << "," << y;
        ASSERT_EQ(layout.Modules.Cell(x, y), data ? 0 : m.Cell(x, y))
            << "version " << v << " at " << x << "," << y;
      }
    }
  }
}

// Bit k of the stream is the only one set: the one cell that differs from the
// layout without bits is where bit k went.
TEST(MatrixUtil, DataBitsZigzagUpwardFromTheCornerAndSkipColumnSix) {
  const int bitCount = 8 * 26;
  const TUnmaskedLayout bare(TBitArray(), 0, 1);
  std::vector<std::pair<int, int>> order;
  for (int k = 0; k < bitCount; ++k) {
    TBitArray bits;
    for (int i = 0; i < bitCount; ++i) bits.PushBit(i == k);
    const TUnmaskedLayout m(bits, 0, 1);
    for (int y = 0; y < 21; ++y) {
      for (int x = 0; x < 21; ++x) {
        if (m.Modules.Cell(x, y) != bare.Modules.Cell(x, y)) order.emplace_back(x, y);
      }
    }
  }
  ASSERT_EQ(order.size(), static_cast<std::size_t>(bitCount));
  EXPECT_EQ(order[0], std::make_pair(20, 20));
  EXPECT_EQ(order[1], std::make_pair(19, 20));
  EXPECT_EQ(order[2], std::make_pair(20, 19));
  EXPECT_EQ(order[24], std::make_pair(18, 9));  // the second column pair runs downward
  EXPECT_EQ(std::set(order.begin(), order.end()).size(), order.size());
  std::size_t lastInPair87 = 0;
  for (std::size_t i = 0; i < order.size(); ++i) {
    EXPECT_NE(order[i].first, 6);
    if (order[i].first == 8 || order[i].first == 7) lastInPair87 = i;
  }
  EXPECT_EQ(order[lastInPair87 + 1].first, 5);
}

// A mask trial inverts exactly the data modules where the mask's condition of the standard
// holds (i the row, j the column) and writes the mask's format word; nothing else changes.
// Every version, so rows and columns far past any period the masking may rely on.
TEST(MatrixUtil, MaskInvertsTheDataModulesWhereItsConditionHolds) {
  const std::array<bool (*)(int, int), 8> conditions{
      [](int i, int j) { return (i + j) % 2 == 0; },
      [](int i, int) { return i % 2 == 0; },
      [](int, int j) { return j % 3 == 0; },
      [](int i, int j) { return (i + j) % 3 == 0; },
      [](int i, int j) { return (i / 2 + j / 3) % 2 == 0; },
      [](int i, int j) { return i * j % 2 + i * j % 3 == 0; },
      [](int i, int j) { return (i * j % 2 + i * j % 3) % 2 == 0; },
      [](int i, int j) { return ((i + j) % 2 + i * j % 3) % 2 == 0; },
  };
  for (int v = 1; v <= 40; ++v) {
    const int level = v % 4;
    const TUnmaskedLayout layout(
        CodewordsAt(u"MASK TRIAL " + std::u16string(static_cast<std::size_t>(v), u'7'), teAuto,
                    level, v),
        level, v);
    const int side = 17 + 4 * v;
    for (int mask = 0; mask < 8; ++mask) {
      TByteMatrix expected = layout.Modules;
      TMatrixUtil().PlaceFormatInfo(LevelOf(level), mask, expected);
      for (int i = 0; i < side; ++i) {
        for (int j = 0; j < side; ++j) {
          if (layout.DataModules.Cell(j, i) == 1 &&
              conditions[static_cast<std::size_t>(mask)](i, j)) {
            expected.SetCell(j, i, 1 - expected.Cell(j, i));
          }
        }
      }
      ASSERT_EQ(RowsOf(layout.Masked(mask)), RowsOf(expected))
          << "version " << v << " mask " << mask;
    }
  }
}
