#include "qr/encoder/Encoder.h"

#include <algorithm>
#include <climits>
#include <memory>

#include "qr/encoder/GenericGF.h"
#include "qr/encoder/MatrixUtil.h"
#include "qr/encoder/ReedSolomonEncoder.h"

TEncoder::~TEncoder() = default;

void TEncoder::EncodeSymbol(const std::u16string& text, int encoding,
                            const TErrorCorrectionLevel& level, TQRCode& code,
                            std::u16string& filtered) {
  TBitArray content;
  TBitArray header;
  int localEncoding = encoding;
  const TQRMode mode = SelectMode(text, localEncoding);
  KeepEncodable(text, mode, localEncoding, filtered);
  AppendContentBits(filtered, mode, content, localEncoding);
  AppendModeIndicator(mode, header);

  // The count field's width depends on the version, so the version is chosen
  // twice: first with the narrowest width, then with the width of that choice.
  const int payloadBits = header.BitCount() + content.BitCount();
  const auto provisional = SmallestFittingVersion(CountFieldWidth(mode, 1) + payloadBits, level);
  if (!provisional) {
    throw EQRMatrixTooLarge();
  }
  const auto version =
      SmallestFittingVersion(CountFieldWidth(mode, provisional->Number()) + payloadBits, level);
  if (!version) {
    throw EQRMatrixTooLarge();
  }

  const int count = mode == TQRMode::Byte ? content.ByteCount() : static_cast<int>(filtered.size());
  TBitArray finalBits;
  BuildCodewords(header, count, content, mode, *version, level, finalBits);

  code.SetLevel(level);
  code.SetQRMode(mode);
  code.SetVersionNo(version->Number());

  const int size = version->Dimension();
  auto modules = std::make_unique<TByteMatrix>(size, size);
  code.SetMaskNo(SelectMask(finalBits, level, version->Number(), *modules));
  code.SetModules(std::move(modules));
}

void TEncoder::BuildCodewords(const TBitArray& header, int count, const TBitArray& content,
                              TQRMode mode, const TVersion& version,
                              const TErrorCorrectionLevel& level, TBitArray& finalBits) const {
  TBitArray stream;
  stream.PushArray(header);
  AppendCharCount(count, version.Number(), mode, stream);
  stream.PushArray(content);
  const int totalCodewords = version.CodewordCount();
  const TECBlocks& blocks = version.BlocksFor(level);
  const int dataCodewords = totalCodewords - blocks.ECTotal();
  PadToCapacity(dataCodewords, stream);
  InterleaveBlocks(stream, totalCodewords, dataCodewords, blocks.BlockCount(), finalBits);
}

void TEncoder::AppendModeIndicator(TQRMode mode, TBitArray& bits) const {
  bits.PushBits(static_cast<std::uint32_t>(ModeIndicator(mode)), 4);
}

void TEncoder::AppendCharCount(int count, int versionNo, TQRMode mode, TBitArray& bits) const {
  bits.PushBits(static_cast<std::uint32_t>(count), CountFieldWidth(mode, versionNo));
}

void TEncoder::PadToCapacity(int dataCodewords, TBitArray& bits) const {
  const int capacity = 8 * dataCodewords;
  for (int i = 0; i < 4 && bits.BitCount() < capacity; ++i) {
    bits.PushBit(false);
  }
  while (bits.BitCount() % 8 != 0) {
    bits.PushBit(false);
  }
  for (int pad = 0, padCount = dataCodewords - bits.ByteCount(); pad < padCount; ++pad) {
    bits.PushBits(pad % 2 == 0 ? 236 : 17, 8);
  }
}

TEncoder::TBlockSizes TEncoder::SplitBlockSizes(int totalCodewords, int dataCodewords,
                                                int blockCount, int blockIndex) const {
  const int longBlocks = totalCodewords % blockCount;
  const int shortBlocks = blockCount - longBlocks;
  const int data = dataCodewords / blockCount + (blockIndex >= shortBlocks ? 1 : 0);
  return {data, totalCodewords / blockCount - dataCodewords / blockCount};
}

void TEncoder::InterleaveBlocks(const TBitArray& bits, int totalCodewords, int dataCodewords,
                                int blockCount, TBitArray& result) const {
  std::vector<TBlockPair> blocks;
  blocks.reserve(static_cast<std::size_t>(blockCount));
  std::size_t longestData = 0;
  std::size_t longestEC = 0;
  int offset = 0;
  for (int i = 0; i < blockCount; ++i) {
    const TBlockSizes sizes = SplitBlockSizes(totalCodewords, dataCodewords, blockCount, i);
    std::vector<std::uint8_t> data(static_cast<std::size_t>(sizes.DataCodewords));
    bits.ExtractBytes(8 * offset, data, 0, sizes.DataCodewords);
    std::vector<std::uint8_t> ec = ComputeBlockEC(data, sizes.ECCodewords);
    longestData = std::max(longestData, data.size());
    longestEC = std::max(longestEC, ec.size());
    blocks.emplace_back(std::move(data), std::move(ec));
    offset += sizes.DataCodewords;
  }
  result.Reserve(result.BitCount() + 8 * totalCodewords);
  for (std::size_t k = 0; k < longestData; ++k) {
    for (const TBlockPair& block : blocks) {
      if (k < block.DataBytes().size()) {
        result.PushBits(block.DataBytes()[k], 8);
      }
    }
  }
  for (std::size_t k = 0; k < longestEC; ++k) {
    for (const TBlockPair& block : blocks) {
      if (k < block.ECBytes().size()) {
        result.PushBits(block.ECBytes()[k], 8);
      }
    }
  }
}

std::vector<std::uint8_t> TEncoder::ComputeBlockEC(const std::vector<std::uint8_t>& dataBytes,
                                                   int ecCount) const {
  std::vector<int> values(dataBytes.begin(), dataBytes.end());
  values.resize(dataBytes.size() + static_cast<std::size_t>(std::max(ecCount, 0)), 0);
  const auto field = TGenericGF::CreateQRField();
  {
    TReedSolomonEncoder encoder(*field);
    encoder.ComputeEC(values, ecCount);
  }
  return std::vector<std::uint8_t>(values.begin() + static_cast<std::ptrdiff_t>(dataBytes.size()),
                                   values.end());
}

int TEncoder::SelectMask(const TBitArray& bits, const TErrorCorrectionLevel& level, int versionNo,
                         TByteMatrix& matrix) const {
  // The eight trial layouts differ only in the format word and in the data modules that the
  // mask inverts, so the symbol is laid out once unmasked and each trial masks a copy of it.
  const TMatrixUtil util;
  TByteMatrix unmasked(matrix.ColCount(), matrix.RowCount());
  TByteMatrix dataModules(matrix.ColCount(), matrix.RowCount());
  util.LayOutUnmasked(bits, level, versionNo, unmasked, dataModules);
  int bestPenalty = INT_MAX;
  int bestMask = -1;
  for (int mask = 0; mask < 8; ++mask) {
    util.ApplyMask(unmasked, dataModules, level, mask, matrix);
    const int penalty = MaskPenalty(matrix);
    if (penalty < bestPenalty) {
      bestPenalty = penalty;
      bestMask = mask;
    }
  }
  util.ApplyMask(unmasked, dataModules, level, bestMask, matrix);
  return bestMask;
}
