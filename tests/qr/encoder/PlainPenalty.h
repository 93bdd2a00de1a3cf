#pragma once

#include "qr/encoder/ByteMatrix.h"

// The four mask penalty rules written plainly, one module at a time, as the reference for
// the encoder's packed ones. A cell holding 1 is dark, any other value light.
struct TPlainPenalty {
  // Runs of 5 or more equal modules in rows, then columns: 3 + (length - 5) each.
  static int Rule1(const TByteMatrix& m);
  // Every (overlapping) 2 x 2 square of one colour: 3.
  static int Rule2(const TByteMatrix& m);
  // Every 1011101 in a row or column with four light modules after it, or else before it:
  // 40. Modules beyond the edge count as light when outsideIsLight, else as not there.
  static int Rule3(const TByteMatrix& m, bool outsideIsLight);
  // 10 per whole 5 % step of the dark share away from one half.
  static int Rule4(const TByteMatrix& m);
};
