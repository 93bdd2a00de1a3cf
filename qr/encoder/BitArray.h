#pragma once

#include <cstdint>
#include <vector>

// An append-only sequence of bits. Bit i lives in word i / 32 at bit position
// i % 32 (least significant first within a word). Bits are only ever set, never
// cleared, and words added by growth are zero, so every allocated bit at or
// beyond BitCount() reads as 0. A new array holds one zero word and no bits.
class TBitArray {
public:
  TBitArray();

  // Number of bits appended so far, >= 0.
  int BitCount() const { return FBitCount; }
  // (BitCount() + 7) / 8.
  int ByteCount() const { return (FBitCount + 7) / 8; }
  // Bit i. Callers keep 0 <= i < BitCount(); indices outside the allocated
  // words read as false rather than touching memory outside the array.
  bool Bit(int i) const {
    const auto word = static_cast<unsigned>(i) / 32;
    return word < FWords.size() && (FWords[word] >> (static_cast<unsigned>(i) % 32) & 1u) != 0;
  }

  void PushBit(bool b);
  // Appends the low n bits of value, most significant first. n outside 0..32:
  // nothing at all happens.
  void PushBits(std::uint32_t value, int n);
  // Appends every bit of other, in order.
  void PushArray(const TBitArray& other);
  // Reads byteCount bytes of 8 bits each, starting at bitOffset (the first bit
  // read becomes the most significant bit of a byte), into dest[destOffset + k].
  // dest grows when it is too short. Bits past the allocated words read as 0.
  void ExtractBytes(int bitOffset, std::vector<std::uint8_t>& dest, int destOffset,
                    int byteCount) const;
  // XORs every word with the word of other at the same index; nothing happens
  // when the two hold different numbers of allocated words (bit counts do not matter).
  void XorInPlace(const TBitArray& other);
  // Grows the word array (new words zero) so that it holds at least bitCount bits.
  void Reserve(int bitCount);

  // Number of allocated 32-bit words, >= 1.
  int WordCount() const { return static_cast<int>(FWords.size()); }

private:
  std::vector<std::uint32_t> FWords;
  int FBitCount = 0;
};
