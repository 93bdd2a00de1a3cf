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
  // Word by word: each word of other lands `shift` bits up, split over two words when
  // the end of this array is not on a word boundary.
  const std::vector<std::uint32_t> words(other.FWords);  // other may be this array
  const int count = other.FBitCount;
  Reserve(FBitCount + count);
  const int shift = FBitCount % 32;
  std::size_t at = static_cast<std::size_t>(FBitCount / 32);
  for (int i = 0; i < count; i += 32, ++at) {
    std::uint32_t word = words[static_cast<std::size_t>(i / 32)];
    if (count - i < 32) {
      word &= (1u << (count - i)) - 1;
    }
    FWords[at] |= word << shift;
    if (shift != 0 && at + 1 < FWords.size()) {
      FWords[at + 1] |= word >> (32 - shift);
    }
  }
  FBitCount += count;
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
