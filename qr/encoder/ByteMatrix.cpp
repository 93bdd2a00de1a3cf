#include "qr/encoder/ByteMatrix.h"

#include <algorithm>
#include <stdexcept>

#include "qr/encoder/QRErrors.h"

namespace {

int CheckedSide(int side) {
  if (side > TByteMatrix::MaxSide) {
    throw EQRMatrixTooLarge();
  }
  if (side < 0) {
    throw std::invalid_argument("negative matrix size");
  }
  return side;
}

}  // namespace

TByteMatrix::TByteMatrix(int width, int height)
    : FColCount(CheckedSide(width)), FRowCount(CheckedSide(height)) {
  FCells.assign(static_cast<std::size_t>(FRowCount),
                std::vector<std::uint8_t>(static_cast<std::size_t>(FColCount), 0));
}

void TByteMatrix::FillAll(std::uint8_t value) {
  for (auto& row : FCells) {
    std::fill(row.begin(), row.end(), value);
  }
}
