#include "tests/qr/encoder/PlainPenalty.h"

#include <cstdlib>

namespace {

bool IsDark(const TByteMatrix& m, int x, int y) { return m.Cell(x, y) == 1; }

// Module `along` of row (alongRows) or column `line`, inside the matrix.
bool DarkAlong(const TByteMatrix& m, bool alongRows, int line, int along) {
  return alongRows ? IsDark(m, along, line) : IsDark(m, line, along);
}

}  // namespace

int TPlainPenalty::Rule1(const TByteMatrix& m) {
  int penalty = 0;
  for (const bool alongRows : {true, false}) {
    const int lines = alongRows ? m.RowCount() : m.ColCount();
    const int length = alongRows ? m.ColCount() : m.RowCount();
    for (int line = 0; line < lines; ++line) {
      int run = 0;
      for (int along = 0; along <= length; ++along) {
        if (along > 0 && along < length &&
            DarkAlong(m, alongRows, line, along) == DarkAlong(m, alongRows, line, along - 1)) {
          ++run;
          continue;
        }
        if (run >= 5) penalty += 3 + (run - 5);
        run = 1;
      }
    }
  }
  return penalty;
}

int TPlainPenalty::Rule2(const TByteMatrix& m) {
  int penalty = 0;
  for (int y = 0; y + 1 < m.RowCount(); ++y) {
    for (int x = 0; x + 1 < m.ColCount(); ++x) {
      const bool dark = IsDark(m, x, y);
      if (IsDark(m, x + 1, y) == dark && IsDark(m, x, y + 1) == dark &&
          IsDark(m, x + 1, y + 1) == dark) {
        penalty += 3;
      }
    }
  }
  return penalty;
}

int TPlainPenalty::Rule3(const TByteMatrix& m, bool outsideIsLight) {
  static const bool pattern[7] = {true, false, true, true, true, false, true};
  int penalty = 0;
  for (const bool alongRows : {true, false}) {
    const int lines = alongRows ? m.RowCount() : m.ColCount();
    const int length = alongRows ? m.ColCount() : m.RowCount();
    for (int line = 0; line < lines; ++line) {
      const auto fourLight = [&](int from) {
        for (int along = from; along < from + 4; ++along) {
          const bool inside = along >= 0 && along < length;
          if (inside ? DarkAlong(m, alongRows, line, along) : !outsideIsLight) return false;
        }
        return true;
      };
      for (int i = 0; i + 7 <= length; ++i) {
        bool match = true;
        for (int k = 0; k < 7 && match; ++k)
          match = DarkAlong(m, alongRows, line, i + k) == pattern[k];
        if (match && (fourLight(i + 7) || fourLight(i - 4))) penalty += 40;
      }
    }
  }
  return penalty;
}

int TPlainPenalty::Rule4(const TByteMatrix& m) {
  int dark = 0;
  for (int y = 0; y < m.RowCount(); ++y) {
    for (int x = 0; x < m.ColCount(); ++x) dark += IsDark(m, x, y) ? 1 : 0;
  }
  const int total = m.RowCount() * m.ColCount();
  if (total == 0) return 0;
  // |dark / total - 1/2| in whole steps of 1/20.
  return 10 * (std::abs(20 * dark - 10 * total) / total);
}
