#pragma once

#include <cstdint>
#include <vector>

// The module grid of one symbol: FRowCount rows of FColCount byte cells.
// Cell (x, y) is byte x of row y (x the column, y the row, from the top-left).
// Values: 0 light, 1 dark, 255 not yet assigned (EmptyCell). A new matrix is all 0.
class TByteMatrix {
public:
  static constexpr std::uint8_t EmptyCell = 255;
  static constexpr int MaxSide = 177;  // 17 + 4 * 40, the largest symbol

  // 0 <= width, height <= 177. Either above 177 throws EQRMatrixTooLarge;
  // a negative size throws std::invalid_argument. Nothing is allocated then.
  TByteMatrix(int width, int height);

  // Callers keep 0 <= x < ColCount() and 0 <= y < RowCount() (not checked).
  // 255 reads as -1; every other value as itself (0..254).
  int Cell(int x, int y) const {
    const std::uint8_t v = FCells[y][x];
    return v == EmptyCell ? -1 : v;
  }
  // Stores the low 8 bits of value.
  void SetCell(int x, int y, int value) { FCells[y][x] = static_cast<std::uint8_t>(value); }
  void SetCell(int x, int y, bool value) { FCells[y][x] = value ? 1 : 0; }
  void FillAll(std::uint8_t value);

  int ColCount() const { return FColCount; }
  int RowCount() const { return FRowCount; }
  // Row y is CellRows()[y], ColCount() bytes long; read access without copying.
  const std::vector<std::vector<std::uint8_t>>& CellRows() const { return FCells; }
  // The ColCount() cells of row y (0 <= y < RowCount(), not checked) for writing in place;
  // the pointer stays valid as long as the matrix.
  std::uint8_t* RowCells(int y) { return FCells[static_cast<std::size_t>(y)].data(); }

private:
  std::vector<std::vector<std::uint8_t>> FCells;
  int FColCount;
  int FRowCount;
};
