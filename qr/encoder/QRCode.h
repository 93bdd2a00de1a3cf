#pragma once

#include <memory>

#include "qr/encoder/ByteMatrix.h"
#include "qr/encoder/QRMode.h"
#include "qr/encoder/Version.h"

// One encoded symbol. Until EncodeSymbol fills it: mode Terminator, no level,
// version and mask -1, no modules. Owns its copy of the level and its matrix.
class TQRCode {
public:
  TQRMode QRMode() const { return FQRMode; }
  // Null until encoded.
  const TErrorCorrectionLevel* Level() const { return FLevel.get(); }
  // 1..40 once encoded.
  int VersionNo() const { return FVersionNo; }
  // 0..7 once encoded.
  int MaskNo() const { return FMaskNo; }
  // Null until encoded; a square of 17 + 4 * VersionNo() cells, each 0 (light)
  // or 1 (dark), (x, y) = (column, row).
  const TByteMatrix* Modules() const { return FModules.get(); }

  void SetQRMode(TQRMode mode) { FQRMode = mode; }
  // Stores a copy of level, replacing the previous one.
  void SetLevel(const TErrorCorrectionLevel& level);
  void SetVersionNo(int versionNo) { FVersionNo = versionNo; }
  void SetMaskNo(int maskNo) { FMaskNo = maskNo; }
  // Takes ownership, freeing the previous matrix.
  void SetModules(std::unique_ptr<TByteMatrix> modules) { FModules = std::move(modules); }

private:
  TQRMode FQRMode = TQRMode::Terminator;
  std::unique_ptr<TErrorCorrectionLevel> FLevel;
  int FVersionNo = -1;
  int FMaskNo = -1;
  std::unique_ptr<TByteMatrix> FModules;
};
