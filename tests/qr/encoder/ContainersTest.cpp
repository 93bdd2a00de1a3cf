#include <gtest/gtest.h>

#include <algorithm>

#include "qr/encoder/BitArray.h"
#include "qr/encoder/ByteMatrix.h"
#include "qr/encoder/QRErrors.h"
#include "tests/qr/encoder/EncoderTestSupport.h"

TEST(BitArray, CountsBitsAndWholeBytes) {
  TBitArray bits;
  EXPECT_EQ(bits.BitCount(), 0);
  EXPECT_EQ(bits.ByteCount(), 0);
  const struct {
    int pushed;
    int bytes;
  } cases[] = {{1, 1}, {8, 1}, {9, 2}, {32, 4}, {33, 5}};
  int total = 0;
  for (const auto& c : cases) {
    while (total < c.pushed) {
      bits.PushBit(true);
      ++total;
    }
    EXPECT_EQ(bits.BitCount(), c.pushed);
    EXPECT_EQ(bits.ByteCount(), c.bytes) << c.pushed;
  }
}

TEST(BitArray, PushBitsAppendsLowBitsMostSignificantFirst) {
  const struct {
    std::uint32_t value;
    int n;
    const char* expected;
  } cases[] = {
      {236, 8, "11101100"},
      {17, 8, "00010001"},
      {0x1FF, 3, "111"},
      {5, 0, ""},
      {5, 33, ""},
      {5, -1, ""},
      {0x80000001u, 32, "10000000000000000000000000000001"},
  };
  for (const auto& c : cases) {
    TBitArray bits;
    bits.PushBits(c.value, c.n);
    EXPECT_EQ(BitString(bits), c.expected) << c.value << " in " << c.n;
  }
}

TEST(BitArray, AppendsAcrossWordBoundariesAndArrays) {
  TBitArray first;
  first.PushBits(0x2AAAAAAA, 30);  // 10 repeated
  first.PushBits(0x7, 3);          // crosses into the second word
  TBitArray joined;
  joined.PushBit(true);
  joined.PushArray(first);
  EXPECT_EQ(BitString(joined), "1" + std::string(BitString(first)));
  EXPECT_EQ(BitString(first), "101010101010101010101010101010111");
}

TEST(BitArray, AppendsArraysAtEveryOffsetWithinAWord) {
  for (const int offset : {0, 1, 7, 31, 32, 33}) {
    for (const int length : {0, 1, 31, 32, 33, 95}) {
      std::string expected;
      TBitArray joined;
      for (int i = 0; i < offset; ++i) {
        joined.PushBit(i % 3 == 0);
        expected += i % 3 == 0 ? '1' : '0';
      }
      TBitArray tail;
      for (int i = 0; i < length; ++i) {
        tail.PushBit(i % 5 < 2);
        expected += i % 5 < 2 ? '1' : '0';
      }
      joined.PushArray(tail);
      EXPECT_EQ(BitString(joined), expected) << offset << " + " << length;
      EXPECT_EQ(joined.WordCount(), std::max(1, (offset + length + 31) / 32))
          << offset << " + " << length;
    }
  }
  TBitArray doubled;
  doubled.PushBits(0x5, 3);
  doubled.PushArray(doubled);
  EXPECT_EQ(BitString(doubled), "101101");
}

TEST(BitArray, ExtractsBytesFirstBitMostSignificant) {
  TBitArray bits;
  bits.PushBits(0xA0, 8);  // 1,0,1,0,0,0,0,0
  std::vector<std::uint8_t> one;
  bits.ExtractBytes(0, one, 0, 1);
  EXPECT_EQ(one, std::vector<std::uint8_t>{160});

  TBitArray longer;
  longer.PushBits(0xF, 4);
  longer.PushBits(0x12345678, 32);
  std::vector<std::uint8_t> dest{9, 9};
  longer.ExtractBytes(4, dest, 1, 4);  // grows dest, keeps dest[0]
  EXPECT_EQ(dest, (std::vector<std::uint8_t>{9, 0x12, 0x34, 0x56, 0x78}));
}

TEST(BitArray, ReadsZeroPastTheLastBit) {
  TBitArray bits;
  bits.PushBits(0xFF, 8);
  std::vector<std::uint8_t> dest;
  bits.ExtractBytes(4, dest, 0, 2);
  EXPECT_EQ(dest, (std::vector<std::uint8_t>{0xF0, 0x00}));
  EXPECT_FALSE(bits.Bit(31));
  EXPECT_FALSE(bits.Bit(100000));
}

TEST(BitArray, XorFlipsExactlyTheOtherBitsWhenWordCountsMatch) {
  TBitArray word;
  word.PushBits(0x77C4, 15);
  TBitArray mask;
  mask.PushBits(0x5412, 15);
  word.XorInPlace(mask);
  TBitArray expected;
  expected.PushBits(0x77C4 ^ 0x5412, 15);
  EXPECT_EQ(BitString(word), BitString(expected));

  TBitArray longer;
  longer.PushBits(0xFFFFFFFF, 32);
  longer.PushBit(true);
  const std::string before = BitString(longer);
  longer.XorInPlace(mask);  // two words against one: ignored
  EXPECT_EQ(BitString(longer), before);
}

TEST(BitArray, ReserveKeepsBitsAndGrowsToWholeWords) {
  TBitArray bits;
  bits.PushBits(5, 3);
  bits.Reserve(65);
  EXPECT_EQ(bits.WordCount(), 3);
  EXPECT_EQ(BitString(bits), "101");
  bits.Reserve(10);
  EXPECT_EQ(bits.WordCount(), 3);
}

TEST(ByteMatrix, StartsLightAndReadsEmptyAsMinusOne) {
  TByteMatrix matrix(3, 2);
  EXPECT_EQ(matrix.ColCount(), 3);
  EXPECT_EQ(matrix.RowCount(), 2);
  EXPECT_EQ(RowsOf(matrix), (std::vector<std::string>{"000", "000"}));
  matrix.SetCell(2, 1, 255);
  matrix.SetCell(0, 1, true);
  matrix.SetCell(1, 0, 257);  // low 8 bits
  EXPECT_EQ(matrix.Cell(2, 1), -1);
  EXPECT_EQ(matrix.Cell(0, 1), 1);
  EXPECT_EQ(matrix.Cell(1, 0), 1);
  EXPECT_EQ(matrix.CellRows()[1][2], 255);
  matrix.SetCell(1, 0, 254);
  EXPECT_EQ(matrix.Cell(1, 0), 254);
  matrix.FillAll(TByteMatrix::EmptyCell);
  EXPECT_EQ(RowsOf(matrix), (std::vector<std::string>{"---", "---"}));
}

TEST(ByteMatrix, RejectsSizesBeyondTheLargestSymbol) {
  const TByteMatrix largest(177, 177);
  EXPECT_EQ(largest.CellRows().size(), 177u);
  for (const auto& [w, h] : {std::pair{178, 21}, std::pair{21, 178}}) {
    try {
      TByteMatrix tooLarge(w, h);
      ADD_FAILURE() << w << "x" << h << " was created";
    } catch (const EQRMatrixTooLarge& e) {
      EXPECT_STREQ(e.what(), "Trying to store too many bytes");
    }
  }
  EXPECT_THROW(TByteMatrix(-1, 5), std::invalid_argument);
}
