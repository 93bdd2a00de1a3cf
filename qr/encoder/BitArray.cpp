#include "qr/encoder/BitArray.h"

TBitArray::TBitArray() : FWords(1, 0) {}

void TBitArray::Reserve(int bitCount) {
  // Exactly as many words as needed, so that arrays of equal length have equal
  // word counts for XorInPlace; the vector's own capacity growth keeps appends linear.
  if (bitCount > 32 * WordCount()) {
    FWords.resize(static_cast<std::size_t>((bitCount + 31) / 32), 0);
  }
}

void TBitArray::PushBit(bool b) {
  Reserve(FBitCount + 1);
  if (b) {
    FWords[FBitCount / 32] |= 1u << (FBitCount % 32);
  }
  ++FBitCount;
}

void TBitArray::PushBits(std::uint32_t value, int n) {
  if (n < 0 || n > 32) {
    return;
  }
  Reserve(FBitCount + n);
  for (int k = n - 1; k >= 0; --k) {
    if ((value >> k & 1u) != 0) {
      FWords[FBitCount / 32] |= 1u << (FBitCount % 32);
    }
    ++FBitCount;
  }
}

void TBitArray::PushArray(const TBitArray& other) {
  Reserve(FBitCount + other.FBitCount);
  for (int i = 0; i < other.FBitCount; ++i) {
    PushBit(other.Bit(i));
  }
}

void TBitArray::ExtractBytes(int bitOffset, std::vector<std::uint8_t>& dest, int destOffset,
                             int byteCount) const {
  if (byteCount <= 0) {
    return;
  }
  if (dest.size() < static_cast<std::size_t>(destOffset + byteCount)) {
    dest.resize(static_cast<std::size_t>(destOffset + byteCount));
  }
  for (int k = 0; k < byteCount; ++k) {
    int byte = 0;
    for (int b = 0; b < 8; ++b) {
      byte = byte << 1 | (Bit(bitOffset++) ? 1 : 0);
    }
    dest[static_cast<std::size_t>(destOffset + k)] = static_cast<std::uint8_t>(byte);
  }
}

void TBitArray::XorInPlace(const TBitArray& other) {
  if (FWords.size() != other.FWords.size()) {
    return;
  }
  for (std::size_t i = 0; i < FWords.size(); ++i) {
    FWords[i] ^= other.FWords[i];
  }
}
