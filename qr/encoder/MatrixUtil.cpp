#include "qr/encoder/MatrixUtil.h"

#include <algorithm>
#include <vector>

namespace {

// Cells of the first copy of the format word, bit 0 (least significant) first.
constexpr std::array<std::array<int, 2>, 15> FormatInfoPositions{{
    {8, 0},
    {8, 1},
    {8, 2},
    {8, 3},
    {8, 4},
    {8, 5},
    {8, 7},
    {8, 8},
    {7, 8},
    {5, 8},
    {4, 8},
    {3, 8},
    {2, 8},
    {1, 8},
    {0, 8},
}};

constexpr int FormatInfoGenerator = 0x537;  // x^10 + x^8 + x^5 + x^4 + x^2 + x + 1
constexpr int FormatInfoMask = 0x5412;
constexpr int VersionInfoGenerator = 0x1F25;  // x^12 + x^11 + x^10 + x^9 + x^8 + x^5 + x^2 + 1

bool IsEmpty(const TByteMatrix& matrix, int x, int y) { return matrix.Cell(x, y) == -1; }

// The data mask conditions with i = y (row), j = x (column): true where the
// module is inverted.
template <int Mask>
bool MaskAt(int x, int y) {
  static_assert(Mask >= 0 && Mask < 8);
  if constexpr (Mask == 0)
    return (x + y) % 2 == 0;
  else if constexpr (Mask == 1)
    return y % 2 == 0;
  else if constexpr (Mask == 2)
    return x % 3 == 0;
  else if constexpr (Mask == 3)
    return (x + y) % 3 == 0;
  else if constexpr (Mask == 4)
    return (x / 3 + y / 2) % 2 == 0;
  else if constexpr (Mask == 5)
    return x * y % 3 + x * y % 2 == 0;
  else if constexpr (Mask == 6)
    return (x * y % 3 + x * y % 2) % 2 == 0;
  else
    return (x * y % 3 + (x + y) % 2) % 2 == 0;
}

// The codeword bits, unmasked, in the two-column zigzag from the bottom-right corner, into
// the cells still empty; cells beyond the stream get 0.
void PlaceDataBits(const TBitArray& bits, TByteMatrix& matrix) {
  const int w = matrix.ColCount();
  const int h = matrix.RowCount();
  const int bitCount = bits.BitCount();
  int index = 0;
  int direction = -1;
  int x = w - 1;
  int y = h - 1;
  while (x > 0) {
    if (x == 6) {
      x = 5;  // the vertical timing pattern
    }
    while (y >= 0 && y < h) {
      std::uint8_t* row = matrix.RowCells(y);
      for (int column = x; column >= x - 1; --column) {
        if (row[column] != TByteMatrix::EmptyCell) {
          continue;
        }
        bool b = false;
        if (index < bitCount) {
          b = bits.Bit(index);
          ++index;
        }
        row[column] = b ? 1 : 0;
      }
      y += direction;
    }
    direction = -direction;
    y += direction;
    x -= 2;
  }
}

// Every mask condition repeats after 12 rows and after 12 columns (the periods are 2, 3, 4
// and 6), so one row of conditions per row class y mod 12 serves the whole matrix.
constexpr int MaskPeriod = 12;

// matrix = unmasked, inverted where dataModules holds 1 and the mask condition holds.
template <int Mask>
void MaskDataModules(const TByteMatrix& unmasked, const TByteMatrix& dataModules,
                     TByteMatrix& matrix) {
  const int w = matrix.ColCount();
  const int rowClasses = std::min(MaskPeriod, matrix.RowCount());
  std::vector<std::vector<std::uint8_t>> inverted(
      static_cast<std::size_t>(rowClasses), std::vector<std::uint8_t>(static_cast<std::size_t>(w)));
  for (int y = 0; y < rowClasses; ++y) {
    for (int x = 0; x < w; ++x) {
      inverted[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] =
          MaskAt<Mask>(x, y) ? 1 : 0;
    }
  }
  for (int y = 0; y < matrix.RowCount(); ++y) {
    const std::uint8_t* from = unmasked.CellRows()[static_cast<std::size_t>(y)].data();
    const std::uint8_t* data = dataModules.CellRows()[static_cast<std::size_t>(y)].data();
    const std::uint8_t* condition = inverted[static_cast<std::size_t>(y % MaskPeriod)].data();
    std::uint8_t* to = matrix.RowCells(y);
    for (int x = 0; x < w; ++x) {
      to[x] = from[x] ^ (data[x] & condition[x]);
    }
  }
}

constexpr std::array<void (*)(const TByteMatrix&, const TByteMatrix&, TByteMatrix&), 8>
    DataModuleMaskers{MaskDataModules<0>, MaskDataModules<1>, MaskDataModules<2>,
                      MaskDataModules<3>, MaskDataModules<4>, MaskDataModules<5>,
                      MaskDataModules<6>, MaskDataModules<7>};

}  // namespace

const std::array<TMatrixUtil::TAlignmentCentres, 40> TMatrixUtil::AlignmentCentreTable{{
    {-1, -1, -1, -1, -1, -1, -1},   {6, 18, -1, -1, -1, -1, -1},    {6, 22, -1, -1, -1, -1, -1},
    {6, 26, -1, -1, -1, -1, -1},    {6, 30, -1, -1, -1, -1, -1},    {6, 34, -1, -1, -1, -1, -1},
    {6, 22, 38, -1, -1, -1, -1},    {6, 24, 42, -1, -1, -1, -1},    {6, 26, 46, -1, -1, -1, -1},
    {6, 28, 50, -1, -1, -1, -1},    {6, 30, 54, -1, -1, -1, -1},    {6, 32, 58, -1, -1, -1, -1},
    {6, 34, 62, -1, -1, -1, -1},    {6, 26, 46, 66, -1, -1, -1},    {6, 26, 48, 70, -1, -1, -1},
    {6, 26, 50, 74, -1, -1, -1},    {6, 30, 54, 78, -1, -1, -1},    {6, 30, 56, 82, -1, -1, -1},
    {6, 30, 58, 86, -1, -1, -1},    {6, 34, 62, 90, -1, -1, -1},    {6, 28, 50, 72, 94, -1, -1},
    {6, 26, 50, 74, 98, -1, -1},    {6, 30, 54, 78, 102, -1, -1},   {6, 28, 54, 80, 106, -1, -1},
    {6, 32, 58, 84, 110, -1, -1},   {6, 30, 58, 86, 114, -1, -1},   {6, 34, 62, 90, 118, -1, -1},
    {6, 26, 50, 74, 98, 122, -1},   {6, 30, 54, 78, 102, 126, -1},  {6, 26, 52, 78, 104, 130, -1},
    {6, 30, 56, 82, 108, 134, -1},  {6, 34, 60, 86, 112, 138, -1},  {6, 30, 58, 86, 114, 142, -1},
    {6, 34, 62, 90, 118, 146, -1},  {6, 30, 54, 78, 102, 126, 150}, {6, 24, 50, 76, 102, 128, 154},
    {6, 28, 54, 80, 106, 132, 158}, {6, 32, 58, 84, 110, 136, 162}, {6, 26, 54, 82, 110, 138, 166},
    {6, 30, 58, 86, 114, 142, 170},
}};

void TMatrixUtil::LayOutUnmasked(const TBitArray& bits, const TErrorCorrectionLevel& level,
                                 int versionNo, TByteMatrix& matrix,
                                 TByteMatrix& dataModules) const {
  matrix.FillAll(TByteMatrix::EmptyCell);
  PlaceFixedPatterns(versionNo, matrix);
  PlaceFormatInfo(level, 0, matrix);
  PlaceVersionInfo(versionNo, matrix);
  for (int y = 0; y < matrix.RowCount(); ++y) {
    const std::vector<std::uint8_t>& cells = matrix.CellRows()[static_cast<std::size_t>(y)];
    std::uint8_t* data = dataModules.RowCells(y);
    for (std::size_t x = 0; x < cells.size(); ++x) {
      data[x] = cells[x] == TByteMatrix::EmptyCell ? 1 : 0;
    }
  }
  PlaceDataBits(bits, matrix);
}

void TMatrixUtil::ApplyMask(const TByteMatrix& unmasked, const TByteMatrix& dataModules,
                            const TErrorCorrectionLevel& level, int mask,
                            TByteMatrix& matrix) const {
  DataModuleMaskers[static_cast<std::size_t>(mask)](unmasked, dataModules, matrix);
  PlaceFormatInfo(level, mask, matrix);
}

void TMatrixUtil::PlaceFixedPatterns(int versionNo, TByteMatrix& matrix) const {
  const int w = matrix.ColCount();
  const int h = matrix.RowCount();
  PlaceFinder(0, 0, matrix);
  PlaceFinder(w - 7, 0, matrix);
  PlaceFinder(0, w - 7, matrix);
  PlaceHSeparator(0, 7, matrix);
  PlaceHSeparator(w - 8, 7, matrix);
  PlaceHSeparator(0, w - 8, matrix);
  PlaceVSeparator(7, 0, matrix);
  PlaceVSeparator(h - 8, 0, matrix);
  PlaceVSeparator(7, h - 7, matrix);
  PlaceDarkModule(matrix);
  PlaceAlignmentPatterns(versionNo, matrix);
  PlaceTimingPatterns(matrix);
}

void TMatrixUtil::PlaceFinder(int x, int y, TByteMatrix& matrix) const {
  for (int dy = 0; dy < 7; ++dy) {
    for (int dx = 0; dx < 7; ++dx) {
      const bool ring = dx == 0 || dx == 6 || dy == 0 || dy == 6;
      const bool core = dx >= 2 && dx <= 4 && dy >= 2 && dy <= 4;
      matrix.SetCell(x + dx, y + dy, ring || core);
    }
  }
}

void TMatrixUtil::PlaceHSeparator(int x, int y, TByteMatrix& matrix) const {
  for (int i = 0; i < 8; ++i) {
    matrix.SetCell(x + i, y, 0);
  }
}

void TMatrixUtil::PlaceVSeparator(int x, int y, TByteMatrix& matrix) const {
  for (int i = 0; i < 7; ++i) {
    matrix.SetCell(x, y + i, 0);
  }
}

void TMatrixUtil::PlaceDarkModule(TByteMatrix& matrix) const {
  matrix.SetCell(8, matrix.RowCount() - 8, 1);
}

void TMatrixUtil::PlaceAlignmentPatterns(int versionNo, TByteMatrix& matrix) const {
  if (versionNo < 2) {
    return;
  }
  const TAlignmentCentres& centres = AlignmentCentreTable[static_cast<std::size_t>(versionNo - 1)];
  for (const int y : centres) {
    for (const int x : centres) {
      // An occupied centre lies on a finder pattern.
      if (x >= 0 && y >= 0 && IsEmpty(matrix, x, y)) {
        PlaceAlignment(x - 2, y - 2, matrix);
      }
    }
  }
}

void TMatrixUtil::PlaceAlignment(int x, int y, TByteMatrix& matrix) const {
  for (int dy = 0; dy < 5; ++dy) {
    for (int dx = 0; dx < 5; ++dx) {
      const bool ring = dx == 0 || dx == 4 || dy == 0 || dy == 4;
      matrix.SetCell(x + dx, y + dy, ring || (dx == 2 && dy == 2));
    }
  }
}

void TMatrixUtil::PlaceTimingPatterns(TByteMatrix& matrix) const {
  for (int i = 8; i <= matrix.ColCount() - 9; ++i) {
    const int value = i % 2 == 0 ? 1 : 0;
    if (IsEmpty(matrix, i, 6)) {
      matrix.SetCell(i, 6, value);
    }
    if (IsEmpty(matrix, 6, i)) {
      matrix.SetCell(6, i, value);
    }
  }
}

void TMatrixUtil::PlaceFormatInfo(const TErrorCorrectionLevel& level, int mask,
                                  TByteMatrix& matrix) const {
  TBitArray word;
  FormatInfoBits(level, mask, word);
  const int w = matrix.ColCount();
  const int h = matrix.RowCount();
  for (int i = 0; i < 15; ++i) {
    const bool b = word.Bit(word.BitCount() - 1 - i);
    const auto& position = FormatInfoPositions[static_cast<std::size_t>(i)];
    matrix.SetCell(position[0], position[1], b);
    if (i < 8) {
      matrix.SetCell(w - 1 - i, 8, b);
    } else {
      matrix.SetCell(8, h - 7 + (i - 8), b);
    }
  }
}

void TMatrixUtil::PlaceVersionInfo(int versionNo, TByteMatrix& matrix) const {
  if (versionNo < 7) {
    return;
  }
  TBitArray word;
  VersionInfoBits(versionNo, word);
  const int h = matrix.RowCount();
  int k = 0;
  for (int i = 0; i < 6; ++i) {
    for (int j = 0; j < 3; ++j) {
      const bool b = word.Bit(word.BitCount() - 1 - k);
      matrix.SetCell(i, h - 11 + j, b);
      matrix.SetCell(h - 11 + j, i, b);
      ++k;
    }
  }
}

void TMatrixUtil::FormatInfoBits(const TErrorCorrectionLevel& level, int mask,
                                 TBitArray& bits) const {
  const int type = level.FormatBits() << 3 | mask;
  bits.PushBits(static_cast<std::uint32_t>(type), 5);
  bits.PushBits(static_cast<std::uint32_t>(BCHRemainder(type, FormatInfoGenerator)), 10);
  TBitArray maskBits;
  maskBits.PushBits(FormatInfoMask, 15);
  bits.XorInPlace(maskBits);
}

void TMatrixUtil::VersionInfoBits(int versionNo, TBitArray& bits) const {
  bits.PushBits(static_cast<std::uint32_t>(versionNo), 6);
  bits.PushBits(static_cast<std::uint32_t>(BCHRemainder(versionNo, VersionInfoGenerator)), 12);
}

int TMatrixUtil::BCHRemainder(int value, int generator) {
  const int k = HighestBitPosition(generator);
  value <<= k - 1;
  while (HighestBitPosition(value) >= k) {
    value ^= generator << (HighestBitPosition(value) - k);
  }
  return value;
}

int TMatrixUtil::HighestBitPosition(int value) {
  int position = 0;
  for (auto v = static_cast<unsigned>(value); v != 0; v >>= 1) {
    ++position;
  }
  return position;
}
