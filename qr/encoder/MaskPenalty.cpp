// The four mask penalty rules of TEncoder. The symbol is scored eight times per
// encode, so each row is packed once into a bit set (bit x = column x, 1 dark)
// and every rule tests all positions of a line with a few word operations:
// along a row by shifting its bits, along the columns by combining whole rows,
// which moves every column one module at a time in the same operation.
#include <algorithm>
#include <array>
#include <bit>
#include <cstdlib>
#include <cstring>

#include "qr/encoder/Encoder.h"

namespace {

constexpr int N1 = 3;
constexpr int N2 = 3;
constexpr int N3 = 40;
constexpr int N4 = 10;

constexpr int WordBits = 64;
constexpr int LineWords = (TByteMatrix::MaxSide + WordBits - 1) / WordBits;

// The modules of one row as bits, or a set of positions along a row. Bits at
// and beyond the matrix width are 0 in every packed row.
struct TLine {
  std::array<std::uint64_t, LineWords> Words{};

  friend TLine operator&(TLine a, const TLine& b) {
    for (int i = 0; i < LineWords; ++i) a.Words[i] &= b.Words[i];
    return a;
  }
  friend TLine operator|(TLine a, const TLine& b) {
    for (int i = 0; i < LineWords; ++i) a.Words[i] |= b.Words[i];
    return a;
  }
  friend TLine operator^(TLine a, const TLine& b) {
    for (int i = 0; i < LineWords; ++i) a.Words[i] ^= b.Words[i];
    return a;
  }
  friend TLine operator~(TLine a) {
    for (auto& word : a.Words) word = ~word;
    return a;
  }
  // Without a popcount instruction in the target's baseline std::popcount is a library
  // call; the bits are summed in place instead, in pairs, nibbles and bytes, and the
  // multiplication adds the eight byte sums into the top byte.
  int Count() const {
    int count = 0;
    for (auto word : Words) {
      word -= word >> 1 & 0x5555555555555555;
      word = (word & 0x3333333333333333) + (word >> 2 & 0x3333333333333333);
      word = (word + (word >> 4)) & 0x0F0F0F0F0F0F0F0F;
      count += static_cast<int>(word * 0x0101010101010101 >> 56);
    }
    return count;
  }
};

// Bit x of the result is bit x - k of line, 0 for x < k: the module k places to
// the left moved to x. 0 < k < 64.
TLine Before(const TLine& line, int k) {
  TLine moved;
  for (int i = LineWords - 1; i > 0; --i)
    moved.Words[i] = line.Words[i] << k | line.Words[i - 1] >> (WordBits - k);
  moved.Words[0] = line.Words[0] << k;
  return moved;
}

// Bit x of the result is bit x + k of line: the module k places to the right
// moved to x. 0 < k < 64.
TLine After(const TLine& line, int k) {
  TLine moved;
  for (int i = 0; i + 1 < LineWords; ++i)
    moved.Words[i] = line.Words[i] >> k | line.Words[i + 1] << (WordBits - k);
  moved.Words[LineWords - 1] = line.Words[LineWords - 1] >> k;
  return moved;
}

// Positions first <= x < end; none when end <= first.
TLine Positions(int first, int end) {
  TLine positions;
  for (int x = first; x < end; ++x)
    positions.Words[x / WordBits] |= std::uint64_t{1} << (x % WordBits);
  return positions;
}

struct TPackedRows {
  std::vector<TLine> Rows;
  int Width;
  TLine Columns;  // the positions 0 .. Width - 1

  int Height() const { return static_cast<int>(Rows.size()); }
  // The dark or the light modules of row y; none for a row outside the matrix.
  TLine Dark(int y) const {
    return y >= 0 && y < Height() ? Rows[static_cast<std::size_t>(y)] : TLine{};
  }
  TLine Light(int y) const {
    return y >= 0 && y < Height() ? ~Rows[static_cast<std::size_t>(y)] & Columns : TLine{};
  }
};

// Bit i of the result is set where byte i of the eight cells at `cells` is 1 (dark).
// The cells are read as one little-endian word; a byte is 1 where its XOR with 1 is
// zero, which the carry-free test below marks in the byte's top bit. The multiplier then
// moves the top bit of byte i (shifted down to its bit 0) to bit 56 + i; no two of its
// partial products meet in one bit, so nothing carries.
std::uint64_t DarkBitsOfEight(const std::uint8_t* cells) {
  static_assert(std::endian::native == std::endian::little);
  constexpr std::uint64_t Ones = 0x0101010101010101;
  constexpr std::uint64_t Low7 = 0x7F7F7F7F7F7F7F7F;
  std::uint64_t bytes = 0;
  std::memcpy(&bytes, cells, sizeof bytes);
  const std::uint64_t differs = bytes ^ Ones;
  const std::uint64_t nonZero = ((differs & Low7) + Low7) | differs;
  const std::uint64_t dark = (~nonZero >> 7) & Ones;
  return dark * 0x0102040810204080 >> 56;
}

TPackedRows Pack(const TByteMatrix& matrix) {
  TPackedRows packed{std::vector<TLine>(static_cast<std::size_t>(matrix.RowCount())),
                     matrix.ColCount(), Positions(0, matrix.ColCount())};
  for (int y = 0; y < packed.Height(); ++y) {
    const std::uint8_t* cells = matrix.CellRows()[static_cast<std::size_t>(y)].data();
    TLine& row = packed.Rows[static_cast<std::size_t>(y)];
    int x = 0;
    for (; x + 8 <= packed.Width; x += 8) {
      row.Words[static_cast<std::size_t>(x / WordBits)] |= DarkBitsOfEight(cells + x)
                                                           << (x % WordBits);
    }
    for (; x < packed.Width; ++x) {
      row.Words[static_cast<std::size_t>(x / WordBits)] |= std::uint64_t{cells[x] == 1}
                                                           << (x % WordBits);
    }
  }
  return packed;
}

// Rule 1: a run of L >= 5 modules of one colour scores N1 + (L - 5). With u set
// where the five modules ending there are of one colour, such a run holds L - 4
// positions in u, the first of which (u there but not one module earlier) marks
// the run; so a run scores its u positions plus N1 - 1 at its mark.
int RunScore(const TLine& u, const TLine& uOneEarlier) {
  return u.Count() + (N1 - 1) * (u & ~uOneEarlier).Count();
}

int RunPenaltyAlongRows(const TPackedRows& packed) {
  // The positions whose module equals the one to its left.
  const TLine hasLeft = Positions(1, packed.Width);
  int penalty = 0;
  for (const TLine& row : packed.Rows) {
    const TLine same = ~(row ^ Before(row, 1)) & hasLeft;
    const TLine u = same & Before(same, 1) & Before(same, 2) & Before(same, 3);
    penalty += RunScore(u, Before(u, 1));
  }
  return penalty;
}

int RunPenaltyAlongColumns(const TPackedRows& packed) {
  // same[y]: the columns whose module in row y equals the one above it.
  std::vector<TLine> same(packed.Rows.size());
  for (int y = 1; y < packed.Height(); ++y)
    same[y] = ~(packed.Dark(y) ^ packed.Dark(y - 1)) & packed.Columns;
  int penalty = 0;
  TLine uAbove;
  for (int y = 4; y < packed.Height(); ++y) {
    const TLine u = same[y] & same[y - 1] & same[y - 2] & same[y - 3];
    penalty += RunScore(u, uAbove);
    uAbove = u;
  }
  return penalty;
}

// Rule 3: a finder-like run 1011101 scores N3 once when the four modules after
// it exist and are light, or else the four before it. Positions outside the line
// hold neither a dark nor a light module, so no match reaches past its ends.
int FinderMatchesAlongRows(const TPackedRows& packed) {
  int matches = 0;
  for (const TLine& dark : packed.Rows) {
    const TLine light = ~dark & packed.Columns;
    const TLine pattern = dark & After(light, 1) & After(dark, 2) & After(dark, 3) &
                          After(dark, 4) & After(light, 5) & After(dark, 6);
    const TLine lightAfter = After(light, 7) & After(light, 8) & After(light, 9) & After(light, 10);
    const TLine lightBefore =
        Before(light, 1) & Before(light, 2) & Before(light, 3) & Before(light, 4);
    matches += (pattern & (lightAfter | lightBefore)).Count();
  }
  return matches;
}

int FinderMatchesAlongColumns(const TPackedRows& packed) {
  int matches = 0;
  for (int y = 0; y + 6 < packed.Height(); ++y) {
    const TLine pattern = packed.Dark(y) & packed.Light(y + 1) & packed.Dark(y + 2) &
                          packed.Dark(y + 3) & packed.Dark(y + 4) & packed.Light(y + 5) &
                          packed.Dark(y + 6);
    const TLine lightAfter =
        packed.Light(y + 7) & packed.Light(y + 8) & packed.Light(y + 9) & packed.Light(y + 10);
    const TLine lightBefore =
        packed.Light(y - 1) & packed.Light(y - 2) & packed.Light(y - 3) & packed.Light(y - 4);
    matches += (pattern & (lightAfter | lightBefore)).Count();
  }
  return matches;
}

// Rule 2: the top-left corners of 2 x 2 squares of one colour.
int BlockCount(const TPackedRows& packed) {
  const TLine corners = Positions(0, packed.Width - 1);
  int blocks = 0;
  for (std::size_t y = 0; y + 1 < packed.Rows.size(); ++y) {
    const TLine& top = packed.Rows[y];
    const TLine& bottom = packed.Rows[y + 1];
    blocks +=
        (~(top ^ After(top, 1)) & ~(bottom ^ After(bottom, 1)) & ~(top ^ bottom) & corners).Count();
  }
  return blocks;
}

int BalancePenalty(const TPackedRows& packed) {
  long dark = 0;
  for (const TLine& row : packed.Rows) dark += row.Count();
  const long total = static_cast<long>(packed.Width) * packed.Height();
  if (total == 0) {
    return 0;
  }
  return N4 * static_cast<int>(std::labs(20 * dark - 10 * total) / total);
}

int Rule1(const TPackedRows& packed) {
  return RunPenaltyAlongRows(packed) + RunPenaltyAlongColumns(packed);
}
int Rule2(const TPackedRows& packed) { return N2 * BlockCount(packed); }
int Rule3(const TPackedRows& packed) {
  return N3 * (FinderMatchesAlongRows(packed) + FinderMatchesAlongColumns(packed));
}
int Rule4(const TPackedRows& packed) { return BalancePenalty(packed); }

}  // namespace

int TEncoder::MaskPenalty(const TByteMatrix& matrix) const {
  const TPackedRows packed = Pack(matrix);
  return Rule1(packed) + Rule2(packed) + Rule3(packed) + Rule4(packed);
}

int TEncoder::PenaltyRule1(const TByteMatrix& matrix) const { return Rule1(Pack(matrix)); }

int TEncoder::PenaltyRule2(const TByteMatrix& matrix) const { return Rule2(Pack(matrix)); }

int TEncoder::PenaltyRule3(const TByteMatrix& matrix) const { return Rule3(Pack(matrix)); }

int TEncoder::PenaltyRule4(const TByteMatrix& matrix) const { return Rule4(Pack(matrix)); }
