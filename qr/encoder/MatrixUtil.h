#pragma once

#include <array>

#include "qr/encoder/BitArray.h"
#include "qr/encoder/ByteMatrix.h"
#include "qr/encoder/Version.h"

// Lays out one QR symbol (model 2) into a matrix of its dimension: function
// patterns, format and version information and the masked codeword stream.
// Coordinates are (x, y) = (column, row); versionNo is 1..40, mask 0..7, and the
// matrix is 17 + 4 * versionNo modules a side.
class TMatrixUtil {
public:
  // Centre coordinates of the alignment patterns per version (index version - 1),
  // unused slots -1; the same list serves as x and as y.
  using TAlignmentCentres = std::array<int, 7>;
  static const std::array<TAlignmentCentres, 40> AlignmentCentreTable;

  // The symbol laid out before any mask: clears the matrix to empty cells, then the fixed
  // patterns, the format word of mask 0, the version information (7 and up) and the codeword
  // bits, unmasked, in the two-column zigzag from the bottom-right corner into the cells still
  // empty; cells beyond the stream get 0. Afterwards every cell is 0 or 1. dataModules (same
  // size) receives 1 on every cell that took a data bit and 0 on the function patterns and the
  // format and version information.
  void LayOutUnmasked(const TBitArray& bits, const TErrorCorrectionLevel& level, int versionNo,
                      TByteMatrix& matrix, TByteMatrix& dataModules) const;
  // Makes matrix the finished symbol with mask 0..7 out of the results of LayOutUnmasked (all
  // three matrices of one size): the mask's format word, and the data modules inverted where
  // the mask's condition (the standard's data mask pattern) holds.
  void ApplyMask(const TByteMatrix& unmasked, const TByteMatrix& dataModules,
                 const TErrorCorrectionLevel& level, int mask, TByteMatrix& matrix) const;

  // Finders, separators, dark module, alignment and timing patterns, in that order.
  void PlaceFixedPatterns(int versionNo, TByteMatrix& matrix) const;
  // A 7 x 7 finder with its top-left corner at (x, y).
  void PlaceFinder(int x, int y, TByteMatrix& matrix) const;
  // 8 light cells rightwards from (x, y).
  void PlaceHSeparator(int x, int y, TByteMatrix& matrix) const;
  // 7 light cells downwards from (x, y).
  void PlaceVSeparator(int x, int y, TByteMatrix& matrix) const;
  // The dark module at (8, height - 8).
  void PlaceDarkModule(TByteMatrix& matrix) const;
  // Every alignment pattern of the version whose centre is still empty.
  void PlaceAlignmentPatterns(int versionNo, TByteMatrix& matrix) const;
  // A 5 x 5 alignment pattern with its top-left corner at (x, y).
  void PlaceAlignment(int x, int y, TByteMatrix& matrix) const;
  // Row 6 and column 6 from 8 to width - 9, dark on even indices, empty cells only.
  void PlaceTimingPatterns(TByteMatrix& matrix) const;
  // Both copies of the 15-bit format word.
  void PlaceFormatInfo(const TErrorCorrectionLevel& level, int mask, TByteMatrix& matrix) const;
  // Both copies of the 18-bit version word; nothing below version 7.
  void PlaceVersionInfo(int versionNo, TByteMatrix& matrix) const;

  // Appends the 15-bit format word (masked with 0x5412), most significant first.
  void FormatInfoBits(const TErrorCorrectionLevel& level, int mask, TBitArray& bits) const;
  // Appends the 18-bit version word, most significant first.
  void VersionInfoBits(int versionNo, TBitArray& bits) const;

  // The BCH remainder of value (value * x^(degree of generator) mod generator).
  static int BCHRemainder(int value, int generator);
  // 0 for 0, else the position of the highest set bit counted from 1.
  static int HighestBitPosition(int value);
};
