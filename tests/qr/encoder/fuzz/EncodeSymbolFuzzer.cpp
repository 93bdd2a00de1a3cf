// Feeds arbitrary text, encoding index and level to EncodeSymbol. Input: byte 0
// the encoding index (mostly 0..7, now and then negative or far beyond), byte 1
// the level, the rest the text as UTF-16 code units (little-endian pairs), lone
// surrogates included.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "qr/encoder/Encoder.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const int encoding = data[0] < 0xF0 ? data[0] % 8 : static_cast<std::int8_t>(data[0]) * 1000;
  TErrorCorrectionLevel level;
  level.InitFromOrdinal(static_cast<std::uint8_t>(data[1] % 4));
  std::u16string text;
  for (std::size_t i = 2; i + 1 < size; i += 2) {
    text += static_cast<char16_t>(data[i] | data[i + 1] << 8);
  }

  TEncoder encoder;
  TQRCode code;
  std::u16string filtered;
  try {
    encoder.EncodeSymbol(text, encoding, level, code, filtered);
  } catch (const EQRMatrixTooLarge&) {
    Check(code.Modules() == nullptr && code.VersionNo() == -1);
    return 0;
  }
  Check(filtered.size() <= text.size());
  Check(code.VersionNo() >= 1 && code.VersionNo() <= 40);
  Check(code.MaskNo() >= 0 && code.MaskNo() <= 7);
  Check(code.Level() != nullptr && code.Level()->LevelOrdinal() == level.LevelOrdinal());
  const TByteMatrix* modules = code.Modules();
  Check(modules != nullptr && modules->ColCount() == 17 + 4 * code.VersionNo() &&
        modules->RowCount() == modules->ColCount());
  for (const auto& row : modules->CellRows()) {
    for (const std::uint8_t cell : row) Check(cell <= 1);
  }
  return 0;
}
