#include "tests/qr/encoder/EncoderTestSupport.h"

#include "qr/encoder/MatrixUtil.h"

TErrorCorrectionLevel LevelOf(int ordinal) {
  TErrorCorrectionLevel level;
  level.InitFromOrdinal(static_cast<std::uint8_t>(ordinal));
  return level;
}

std::string BitString(const TBitArray& bits) {
  std::string text;
  for (int i = 0; i < bits.BitCount(); ++i) {
    text += bits.Bit(i) ? '1' : '0';
  }
  return text;
}

std::vector<std::uint8_t> BytesOf(const TBitArray& bits) {
  std::vector<std::uint8_t> bytes;
  bits.ExtractBytes(0, bytes, 0, bits.BitCount() / 8);
  return bytes;
}

TByteMatrix MatrixFromRows(const std::vector<std::string>& rows) {
  TByteMatrix matrix(static_cast<int>(rows.front().size()), static_cast<int>(rows.size()));
  for (std::size_t y = 0; y < rows.size(); ++y) {
    for (std::size_t x = 0; x < rows[y].size(); ++x) {
      matrix.SetCell(static_cast<int>(x), static_cast<int>(y), rows[y][x] == '1');
    }
  }
  return matrix;
}

std::vector<std::string> RowsOf(const TByteMatrix& matrix) {
  std::vector<std::string> rows;
  for (int y = 0; y < matrix.RowCount(); ++y) {
    std::string row;
    for (int x = 0; x < matrix.ColCount(); ++x) {
      const int cell = matrix.Cell(x, y);
      row += cell == -1 ? '-' : static_cast<char>('0' + cell);
    }
    rows.push_back(row);
  }
  return rows;
}

TBitArray CodewordsAt(const std::u16string& text, int encoding, int levelOrdinal, int versionNo) {
  TEncoder encoder;
  const TQRMode mode = encoder.SelectMode(text, encoding);
  std::u16string filtered;
  encoder.KeepEncodable(text, mode, encoding, filtered);
  TBitArray content;
  encoder.AppendContentBits(filtered, mode, content, encoding);
  TBitArray header;
  encoder.AppendModeIndicator(mode, header);
  const int count = mode == TQRMode::Byte ? content.ByteCount() : static_cast<int>(filtered.size());
  TBitArray codewords;
  encoder.BuildCodewords(header, count, content, mode, *TVersion::VersionByNumber(versionNo),
                         LevelOf(levelOrdinal), codewords);
  return codewords;
}

TUnmaskedLayout::TUnmaskedLayout(const TBitArray& codewords, int levelOrdinal, int versionNo)
    : Level(LevelOf(levelOrdinal)),
      Modules(17 + 4 * versionNo, 17 + 4 * versionNo),
      DataModules(17 + 4 * versionNo, 17 + 4 * versionNo) {
  TMatrixUtil().LayOutUnmasked(codewords, Level, versionNo, Modules, DataModules);
}

TByteMatrix TUnmaskedLayout::Masked(int mask) const {
  TByteMatrix symbol(Modules.ColCount(), Modules.RowCount());
  TMatrixUtil().ApplyMask(Modules, DataModules, Level, mask, symbol);
  return symbol;
}

std::unique_ptr<TByteMatrix> SymbolAt(const std::u16string& text, int encoding, int levelOrdinal,
                                      int versionNo, int mask) {
  const TUnmaskedLayout layout(CodewordsAt(text, encoding, levelOrdinal, versionNo), levelOrdinal,
                               versionNo);
  return std::make_unique<TByteMatrix>(layout.Masked(mask));
}

TQRCode Encode(const std::u16string& text, int encoding, int levelOrdinal) {
  TEncoder encoder;
  TQRCode code;
  std::u16string filtered;
  encoder.EncodeSymbol(text, encoding, LevelOf(levelOrdinal), code, filtered);
  return code;
}
