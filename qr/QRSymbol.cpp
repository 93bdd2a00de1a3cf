#include "qr/QRSymbol.h"

#include <stdexcept>
#include <string>

namespace {

constexpr std::uint8_t HighestLevelOrdinal = 3;

// Closes an update bracket when it goes out of scope, also when the handler inside throws.
class TUpdateGuard {
public:
  explicit TUpdateGuard(TQRSymbol& symbol) : FSymbol(symbol) { FSymbol.BeginUpdate(); }
  ~TUpdateGuard() { FSymbol.EndUpdate(false); }
  TUpdateGuard(const TUpdateGuard&) = delete;
  TUpdateGuard& operator=(const TUpdateGuard&) = delete;

private:
  TQRSymbol& FSymbol;
};

}  // namespace

void TQRSymbol::SetText(const QString& text) {
  if (text == FText) return;
  FText = text;
  Rebuild();
}

void TQRSymbol::SetQuietZoneWidth(int width) {
  FQuietZoneWidth = width < 0 ? 0 : width;
  if (FSymbolSize > 0) FSymbolSize = static_cast<int>(FModules.size()) + 2 * FQuietZoneWidth;
}

void TQRSymbol::SetErrorCorrectionLevel(std::uint8_t ordinal) {
  if (ordinal > HighestLevelOrdinal)
    throw std::out_of_range("error-correction level ordinal " + std::to_string(ordinal));
  FErrorCorrectionLevel = ordinal;
}

void TQRSymbol::RegisterTextEncoder(int index, TEncoderClass encoderClass) {
  if (index < 0) throw std::out_of_range("text encoding index " + std::to_string(index));
  const auto position = static_cast<std::size_t>(index);
  if (position >= FTextEncoders.size()) FTextEncoders.resize(position + 1, nullptr);
  FTextEncoders[position] = encoderClass;
}

TEncoderClass TQRSymbol::TextEncoderClass() const {
  if (FTextEncoding >= 0 && static_cast<std::size_t>(FTextEncoding) < FTextEncoders.size() &&
      FTextEncoders[FTextEncoding] != nullptr)
    return FTextEncoders[FTextEncoding];
  return &NewEncoder<TEncoder>;
}

void TQRSymbol::EndUpdate(bool rebuild) {
  if (FUpdateCount > 0) --FUpdateCount;
  if (rebuild && FUpdateCount == 0) Rebuild();
}

void TQRSymbol::Notify(const TQRSymbolNotify& handler) {
  if (!handler) return;
  TUpdateGuard bracket(*this);
  handler(*this);
}

void TQRSymbol::Rebuild() {
  if (FUpdateCount > 0) return;
  Notify(FOnBeforeRebuild);

  TErrorCorrectionLevel level;
  level.InitFromOrdinal(FErrorCorrectionLevel);
  const std::unique_ptr<TEncoder> encoder = TextEncoderClass()();
  TQRCode code;
  FEncodedText.clear();
  std::u16string filtered;
  encoder->EncodeSymbol(FText.toStdU16String(), FTextEncoding, level, code, filtered);
  FEncodedText = QString::fromStdU16String(filtered);

  if (const TByteMatrix* matrix = code.Modules()) {
    std::vector<std::vector<bool>> modules(matrix->ColCount(),
                                           std::vector<bool>(matrix->RowCount(), false));
    for (int y = 0; y < matrix->RowCount(); ++y)
      for (int x = 0; x < matrix->ColCount(); ++x) modules[x][y] = matrix->Cell(x, y) == 1;
    FModules = std::move(modules);
  }
  FSymbolSize = static_cast<int>(FModules.size()) + 2 * FQuietZoneWidth;
  Notify(FOnAfterRebuild);
}

void TQRSymbol::Clear() {
  FModules.clear();
  FSymbolSize = 0;
  FEncodedText.clear();
}

bool TQRSymbol::IsDark(int row, int column) const {
  const int r = row - FQuietZoneWidth;
  const int c = column - FQuietZoneWidth;
  const int side = static_cast<int>(FModules.size());
  if (r < 0 || c < 0 || r >= side || c >= side) return false;
  return FModules[c][r];
}
