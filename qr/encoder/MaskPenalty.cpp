// The four mask penalty rules of TEncoder. The symbol is scored eight times per
// encode, so the scans avoid branches on the cell values, and the columns are
// followed all at once, row by row, so that both directions read the rows in
// place and in memory order.
#include <cstdlib>

#include "qr/encoder/Encoder.h"

namespace {

constexpr int N1 = 3;
constexpr int N2 = 3;
constexpr int N3 = 40;
constexpr int N4 = 10;

// Rule 1: a run of L >= 5 modules of one colour scores N1 + (L - 5). Counted
// without following runs: with u(i) true where the five modules ending at i are
// of one colour, such a run holds L - 4 positions with u, the first of which
// (u(i) but not u(i - 1)) marks the run; so the run scores its u positions plus
// N1 - 1 at its mark. Every u depends on five cells only, so the loops carry
// no state from cell to cell.
unsigned Same(std::uint8_t a, std::uint8_t b) { return a == b ? 1u : 0u; }

int UniformFiveScore(unsigned u, unsigned uBefore) { return static_cast<int>(u + (N1 - 1) * (u & (uBefore ^ 1u))); }

int RunPenaltyAlongRows(const TByteMatrix& matrix) {
  std::vector<std::uint8_t> uniform(static_cast<std::size_t>(matrix.ColCount()), 0);
  int penalty = 0;
  for (const auto& row : matrix.CellRows()) {
    for (std::size_t x = 4; x < row.size(); ++x) {
      uniform[x] = static_cast<std::uint8_t>(Same(row[x], row[x - 1]) & Same(row[x - 1], row[x - 2]) &
                                             Same(row[x - 2], row[x - 3]) & Same(row[x - 3], row[x - 4]));
    }
    for (std::size_t x = 4; x < row.size(); ++x) {
      penalty += UniformFiveScore(uniform[x], uniform[x - 1]);
    }
  }
  return penalty;
}

// All columns advance together, one row at a time, reading the rows in place.
int RunPenaltyAlongColumns(const TByteMatrix& matrix) {
  const auto& rows = matrix.CellRows();
  std::vector<std::uint8_t> uniformBefore(static_cast<std::size_t>(matrix.ColCount()), 0);
  int penalty = 0;
  for (std::size_t y = 4; y < rows.size(); ++y) {
    const std::uint8_t* r0 = rows[y].data();
    const std::uint8_t* r1 = rows[y - 1].data();
    const std::uint8_t* r2 = rows[y - 2].data();
    const std::uint8_t* r3 = rows[y - 3].data();
    const std::uint8_t* r4 = rows[y - 4].data();
    for (std::size_t x = 0; x < uniformBefore.size(); ++x) {
      const unsigned u = Same(r0[x], r1[x]) & Same(r1[x], r2[x]) & Same(r2[x], r3[x]) & Same(r3[x], r4[x]);
      penalty += UniformFiveScore(u, uniformBefore[x]);
      uniformBefore[x] = static_cast<std::uint8_t>(u);
    }
  }
  return penalty;
}

// Rule 3: a finder-like run 1011101 scores N3 once when the four modules after
// it exist and are light, or else the four before it. The last 15 cells of a line
// are kept in a bit window (newest lowest): "pattern, four light" reads
// 10111010000 and "four light, pattern" 00001011101 in the last 11 cells; an
// occurrence with light on both sides, 000010111010000 in all 15, matched twice
// and is taken back once. Windows of fewer cells than a match spans are not tested.
constexpr unsigned PatternThenLight = 0x5D0;  // 10111010000
constexpr unsigned LightThenPattern = 0x05D;  // 00001011101
constexpr unsigned LightBothSides = 0x05D0;   // 000010111010000

int FinderMatches(unsigned window, std::size_t cellsSeen) {
  const unsigned last11 = window & 0x7FF;
  const int eleven = (last11 == PatternThenLight ? 1 : 0) + (last11 == LightThenPattern ? 1 : 0);
  return (cellsSeen >= 11 ? eleven : 0) - (cellsSeen >= 15 && window == LightBothSides ? 1 : 0);
}

int FinderPenaltyAlongRows(const TByteMatrix& matrix) {
  int matches = 0;
  for (const auto& row : matrix.CellRows()) {
    unsigned window = 0;
    for (std::size_t x = 0; x < row.size(); ++x) {
      window = (window << 1 | row[x]) & 0x7FFF;
      matches += FinderMatches(window, x + 1);
    }
  }
  return N3 * matches;
}

// All columns advance together, one row at a time, reading the rows in place.
int FinderPenaltyAlongColumns(const TByteMatrix& matrix) {
  const auto& rows = matrix.CellRows();
  std::vector<std::uint16_t> windows(static_cast<std::size_t>(matrix.ColCount()), 0);
  int matches = 0;
  for (std::size_t y = 0; y < rows.size(); ++y) {
    const std::uint8_t* row = rows[y].data();
    for (std::size_t x = 0; x < windows.size(); ++x) {
      windows[x] = static_cast<std::uint16_t>((windows[x] << 1 | row[x]) & 0x7FFF);
      matches += FinderMatches(windows[x], y + 1);
    }
  }
  return N3 * matches;
}

}  // namespace

int TEncoder::MaskPenalty(const TByteMatrix& matrix) const {
  return PenaltyRule1(matrix) + PenaltyRule2(matrix) + PenaltyRule3(matrix) + PenaltyRule4(matrix);
}

int TEncoder::PenaltyRule1(const TByteMatrix& matrix) const {
  return RunPenaltyAlongRows(matrix) + RunPenaltyAlongColumns(matrix);
}

int TEncoder::PenaltyRule2(const TByteMatrix& matrix) const {
  const auto& rows = matrix.CellRows();
  int blocks = 0;
  for (std::size_t y = 0; y + 1 < rows.size(); ++y) {
    const std::uint8_t* top = rows[y].data();
    const std::uint8_t* bottom = rows[y + 1].data();
    for (std::size_t x = 0; x + 1 < rows[y].size(); ++x) {
      const unsigned v = top[x];
      blocks += ((v ^ top[x + 1]) | (v ^ bottom[x]) | (v ^ bottom[x + 1])) == 0 ? 1 : 0;
    }
  }
  return N2 * blocks;
}

int TEncoder::PenaltyRule3(const TByteMatrix& matrix) const {
  return FinderPenaltyAlongRows(matrix) + FinderPenaltyAlongColumns(matrix);
}

int TEncoder::PenaltyRule4(const TByteMatrix& matrix) const {
  long dark = 0;
  for (const auto& row : matrix.CellRows()) {
    for (const std::uint8_t cell : row) {
      dark += cell == 1 ? 1 : 0;
    }
  }
  const long total = static_cast<long>(matrix.ColCount()) * matrix.RowCount();
  if (total == 0) {
    return 0;
  }
  return N4 * static_cast<int>(std::labs(20 * dark - 10 * total) / total);
}
