#include <gtest/gtest.h>

#include <stdexcept>

#include "qr/encoder/Version.h"
#include "tests/qr/encoder/EncoderTestSupport.h"

TEST(ErrorCorrectionLevel, MapsOrdinalsToFormatBits) {
  const int formatBits[] = {1, 0, 3, 2};  // L 01, M 00, Q 11, H 10
  for (int ordinal = 0; ordinal < 4; ++ordinal) {
    const TErrorCorrectionLevel level = LevelOf(ordinal);
    EXPECT_EQ(level.LevelOrdinal(), ordinal);
    EXPECT_EQ(level.FormatBits(), formatBits[ordinal]);
    TErrorCorrectionLevel copy;
    copy.Assign(level);
    EXPECT_EQ(copy.FormatBits(), formatBits[ordinal]);
    EXPECT_EQ(copy.LevelOrdinal(), ordinal);
  }
  TErrorCorrectionLevel level = LevelOf(3);
  EXPECT_THROW(level.InitFromOrdinal(4), std::out_of_range);
  EXPECT_EQ(level.LevelOrdinal(), 3);
  EXPECT_EQ(TErrorCorrectionLevel().LevelOrdinal(), 0);
}

TEST(Version, NumbersOutsideOneToFortyHaveNoRecord) {
  for (const int n : {-1, 0, 41}) {
    EXPECT_EQ(TVersion::VersionByNumber(n), nullptr) << n;
  }
  EXPECT_EQ(TVersion::VersionByNumber(1)->Dimension(), 21);
  EXPECT_EQ(TVersion::VersionByNumber(40)->Dimension(), 177);
}

// Total codewords of versions 1..40 as the standard lists them; every level's
// blocks must add up to the same total.
TEST(Version, EveryLevelSplitsTheStandardTotal) {
  const int totals[40] = {26,   44,   70,   100,  134,  172,  196,  242,  292,  346,
                          404,  466,  532,  581,  655,  733,  815,  901,  991,  1085,
                          1156, 1258, 1364, 1474, 1588, 1706, 1828, 1921, 2051, 2185,
                          2323, 2465, 2611, 2761, 2876, 3034, 3196, 3362, 3532, 3706};
  for (int n = 1; n <= 40; ++n) {
    const auto version = TVersion::VersionByNumber(n);
    EXPECT_EQ(version->Number(), n);
    EXPECT_EQ(version->Dimension(), 17 + 4 * n);
    EXPECT_EQ(version->CodewordCount(), totals[n - 1]) << "version " << n;
    for (int ordinal = 0; ordinal < 4; ++ordinal) {
      const TECBlocks& blocks = version->BlocksFor(LevelOf(ordinal));
      int sum = 0;
      for (const TECBlockGroup& group : blocks.Groups()) {
        sum += group.BlockCount * (group.DataCodewords + blocks.ECPerBlock());
      }
      EXPECT_EQ(sum, totals[n - 1]) << "version " << n << " level " << ordinal;
      ASSERT_FALSE(blocks.Groups().empty());
      if (blocks.Groups().size() == 2) {
        EXPECT_EQ(blocks.Groups()[1].DataCodewords, blocks.Groups()[0].DataCodewords + 1);
      }
      EXPECT_EQ(blocks.ECTotal(), blocks.BlockCount() * blocks.ECPerBlock());
    }
  }
}

TEST(Version, SampleRowsOfTheBlockTable) {
  const struct {
    int version, level, ecPerBlock;
    std::vector<std::pair<int, int>> groups;
  } cases[] = {
      {1, 0, 7, {{1, 19}}},
      {1, 3, 17, {{1, 9}}},
      {5, 1, 24, {{2, 43}}},
      {5, 2, 18, {{2, 15}, {2, 16}}},
      {10, 0, 18, {{2, 68}, {2, 69}}},
      {10, 3, 28, {{6, 15}, {2, 16}}},
      {40, 0, 30, {{19, 118}, {6, 119}}},
      {40, 1, 28, {{18, 47}, {31, 48}}},
      {40, 2, 30, {{34, 24}, {34, 25}}},
      {40, 3, 30, {{20, 15}, {61, 16}}},
  };
  for (const auto& c : cases) {
    const auto version = TVersion::VersionByNumber(c.version);
    const TECBlocks& blocks = version->BlocksFor(LevelOf(c.level));
    EXPECT_EQ(blocks.ECPerBlock(), c.ecPerBlock) << c.version << "/" << c.level;
    std::vector<std::pair<int, int>> groups;
    for (const TECBlockGroup& group : blocks.Groups()) {
      groups.emplace_back(group.BlockCount, group.DataCodewords);
    }
    EXPECT_EQ(groups, c.groups) << c.version << "/" << c.level;
  }
}

TEST(Version, SmallestFittingVersionAtTheCapacityEdges) {
  const struct {
    int bits, level, version;
  } cases[] = {
      {0, 0, 1},   {152, 0, 1},       {153, 0, 2},       {128, 1, 1},
      {129, 1, 2}, {2956 * 8, 0, 40}, {1276 * 8, 3, 40},
  };
  for (const auto& c : cases) {
    const auto version = SmallestFittingVersion(c.bits, LevelOf(c.level));
    ASSERT_NE(version, nullptr) << c.bits;
    EXPECT_EQ(version->Number(), c.version) << c.bits << " bits at level " << c.level;
  }
  EXPECT_EQ(SmallestFittingVersion(2956 * 8 + 1, LevelOf(0)), nullptr);
  EXPECT_EQ(SmallestFittingVersion(1276 * 8 + 1, LevelOf(3)), nullptr);
}
