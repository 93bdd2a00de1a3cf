#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

// One of the four error-correction levels.
// Ordinal 0 L, 1 M, 2 Q, 3 H; format bits L 1 (01), M 0 (00), Q 3 (11), H 2 (10).
// A default level is L.
class TErrorCorrectionLevel {
public:
  // ordinal 0..3; any other value throws std::out_of_range and leaves the level unchanged.
  void InitFromOrdinal(std::uint8_t ordinal);
  void Assign(const TErrorCorrectionLevel& other);
  // The level's 2-bit value in the format information, 0..3.
  int FormatBits() const { return FFormatBits; }
  // 0..3; also the index of the level's blocks in a version record.
  std::uint8_t LevelOrdinal() const { return FLevelOrdinal; }

private:
  int FFormatBits = 1;
  std::uint8_t FLevelOrdinal = 0;
};

// A group of equally long error-correction blocks.
struct TECBlockGroup {
  int BlockCount;     // >= 1
  int DataCodewords;  // data codewords per block, >= 1
};

// The block structure of one version at one level: one or two groups, the
// blocks of the second group one data codeword longer than those of the first.
class TECBlocks {
public:
  TECBlocks(int ecPerBlock, TECBlockGroup group);
  TECBlocks(int ecPerBlock, TECBlockGroup first, TECBlockGroup second);

  // Check codewords in every block, > 0.
  int ECPerBlock() const { return FECPerBlock; }
  const std::vector<TECBlockGroup>& Groups() const { return FGroups; }
  // Sum of the groups' block counts, 1..81.
  int BlockCount() const;
  // BlockCount() * ECPerBlock().
  int ECTotal() const { return BlockCount() * FECPerBlock; }

private:
  int FECPerBlock;
  std::vector<TECBlockGroup> FGroups;
};

// The capacity record of one symbol version (model 2, ISO/IEC 18004).
class TVersion {
public:
  // A new record for 1 <= n <= 40; null for every other n.
  static std::unique_ptr<TVersion> VersionByNumber(int n);

  int Number() const { return FNumber; }              // 1..40
  int Dimension() const { return 17 + 4 * FNumber; }  // modules a side, 21..177
  const TECBlocks& BlocksFor(const TErrorCorrectionLevel& level) const {
    return FLevelBlocks[level.LevelOrdinal()];
  }
  // Total codewords (data + check), the same for every level, 26..3706.
  int CodewordCount() const { return FCodewordCount; }

private:
  TVersion(int number, std::vector<TECBlocks> levelBlocks);

  int FNumber;
  std::vector<TECBlocks> FLevelBlocks;  // indexed by level ordinal L, M, Q, H
  int FCodewordCount;
};

// The lowest version whose data capacity at the level (CodewordCount - ECTotal
// codewords) holds (bitCount + 7) / 8 codewords; null when none of 1..40 does.
std::unique_ptr<TVersion> SmallestFittingVersion(int bitCount, const TErrorCorrectionLevel& level);

// One block after error correction: its data codewords and its check codewords.
class TBlockPair {
public:
  TBlockPair(std::vector<std::uint8_t> dataBytes, std::vector<std::uint8_t> ecBytes)
      : FDataBytes(std::move(dataBytes)), FECBytes(std::move(ecBytes)) {}
  const std::vector<std::uint8_t>& DataBytes() const { return FDataBytes; }
  const std::vector<std::uint8_t>& ECBytes() const { return FECBytes; }

private:
  std::vector<std::uint8_t> FDataBytes;
  std::vector<std::uint8_t> FECBytes;
};
