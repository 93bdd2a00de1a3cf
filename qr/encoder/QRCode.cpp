#include "qr/encoder/QRCode.h"

void TQRCode::SetLevel(const TErrorCorrectionLevel& level) {
  auto copy = std::make_unique<TErrorCorrectionLevel>();
  copy->Assign(level);
  FLevel = std::move(copy);
}
