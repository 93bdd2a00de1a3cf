// The four mask penalty rules of TEncoder, scanning the matrix rows directly.
#include <array>
#include <cstdlib>

#include "qr/encoder/Encoder.h"

namespace {

constexpr int N1 = 3;
constexpr int N2 = 3;
constexpr int N3 = 40;
constexpr int N4 = 10;

constexpr std::array<std::uint8_t, 7> FinderLike{1, 0, 1, 1, 1, 0, 1};

// Reads the cells of one line (a row or a column) by position.
template <typename TCellAt>
int RunPenalty(int length, TCellAt cellAt) {
  int penalty = 0;
  int run = 0;
  std::uint8_t previous = 0;
  for (int i = 0; i < length; ++i) {
    const std::uint8_t cell = cellAt(i);
    run = i > 0 && cell == previous ? run + 1 : 1;
    previous = cell;
    if (run == 5) {
      penalty += N1;
    } else if (run > 5) {
      ++penalty;
    }
  }
  return penalty;
}

template <typename TCellAt>
bool AllLight(int from, int to, int length, TCellAt cellAt) {
  if (from < 0 || to > length) {
    return false;
  }
  for (int i = from; i < to; ++i) {
    if (cellAt(i) != 0) {
      return false;
    }
  }
  return true;
}

template <typename TCellAt>
int FinderPenalty(int length, TCellAt cellAt) {
  int penalty = 0;
  for (int i = 0; i + 7 <= length; ++i) {
    bool match = true;
    for (int k = 0; k < 7 && match; ++k) {
      match = cellAt(i + k) == FinderLike[static_cast<std::size_t>(k)];
    }
    if (match && (AllLight(i + 7, i + 11, length, cellAt) || AllLight(i - 4, i, length, cellAt))) {
      penalty += N3;
    }
  }
  return penalty;
}

}  // namespace

int TEncoder::MaskPenalty(const TByteMatrix& matrix) const {
  return PenaltyRule1(matrix) + PenaltyRule2(matrix) + PenaltyRule3(matrix) + PenaltyRule4(matrix);
}

int TEncoder::PenaltyRule1(const TByteMatrix& matrix) const {
  const auto& rows = matrix.CellRows();
  int penalty = 0;
  for (const auto& row : rows) {
    penalty += RunPenalty(matrix.ColCount(), [&row](int x) { return row[static_cast<std::size_t>(x)]; });
  }
  for (int x = 0; x < matrix.ColCount(); ++x) {
    penalty += RunPenalty(matrix.RowCount(), [&rows, x](int y) {
      return rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
    });
  }
  return penalty;
}

int TEncoder::PenaltyRule2(const TByteMatrix& matrix) const {
  const auto& rows = matrix.CellRows();
  int penalty = 0;
  for (std::size_t y = 0; y + 1 < rows.size(); ++y) {
    const auto& top = rows[y];
    const auto& bottom = rows[y + 1];
    for (std::size_t x = 0; x + 1 < top.size(); ++x) {
      const std::uint8_t v = top[x];
      if (v == top[x + 1] && v == bottom[x] && v == bottom[x + 1]) {
        penalty += N2;
      }
    }
  }
  return penalty;
}

int TEncoder::PenaltyRule3(const TByteMatrix& matrix) const {
  const auto& rows = matrix.CellRows();
  int penalty = 0;
  for (const auto& row : rows) {
    penalty += FinderPenalty(matrix.ColCount(), [&row](int x) { return row[static_cast<std::size_t>(x)]; });
  }
  for (int x = 0; x < matrix.ColCount(); ++x) {
    penalty += FinderPenalty(matrix.RowCount(), [&rows, x](int y) {
      return rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
    });
  }
  return penalty;
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
