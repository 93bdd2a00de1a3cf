#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "qr/encoder/Encoder.h"

// A class reference for text encoders: a factory that makes a fresh encoder. Null stands for
// "no class registered here".
using TEncoderClass = std::unique_ptr<TEncoder> (*)();

// The class reference of an encoder type: &NewEncoder<TWin1251Encoder>, &NewEncoder<TEncoder>.
template <class TEncoderType>
std::unique_ptr<TEncoder> NewEncoder() {
  return std::make_unique<TEncoderType>();
}

class TQRSymbol;
// Called with the symbol around a rebuild; inside the call an update bracket is open, so
// changing the symbol there does not start another rebuild.
using TQRSymbolNotify = std::function<void(TQRSymbol& sender)>;

// The QR symbol the rest of the program sees: a text, its encoding index, error-correction
// level and quiet zone, and the module matrix of the last successful encoding.
//
// Invariants: SymbolSize() is 0 until the first successful rebuild (and after Clear),
// otherwise Modules().size() + 2 * QuietZoneWidth(). Modules(), SymbolSize() and EncodedText() are
// replaced together by a successful rebuild; a failed one keeps Modules() and SymbolSize() of
// the previous symbol and leaves EncodedText() empty.
class TQRSymbol {
public:
  TQRSymbol() = default;
  TQRSymbol(const TQRSymbol&) = delete;
  TQRSymbol& operator=(const TQRSymbol&) = delete;

  // The text to encode. SetText rebuilds only when the text differs (UTF-16 units) from the
  // current one; while an update bracket is open it only stores the text. Lets
  // EQRMatrixTooLarge through when nothing holds the text (see Rebuild).
  const QString& Text() const { return FText; }
  void SetText(const QString& text);

  // The text the last successful encoding kept (characters the encoding cannot carry are
  // dropped); empty before the first rebuild and after a failed one.
  const QString& EncodedText() const { return FEncodedText; }

  // Modules a side, quiet zone included: 0 before the first successful rebuild, else
  // 17 + 4 * version + 2 * QuietZoneWidth().
  int SymbolSize() const { return FSymbolSize; }

  // Light border in modules on each side, >= 0 (default 4); a negative value counts as 0.
  // The quiet zone only frames the modules, so a change applies at once to SymbolSize() and
  // IsDark() without encoding again.
  int QuietZoneWidth() const { return FQuietZoneWidth; }
  void SetQuietZoneWidth(int width);

  // Encoding index: teAuto (0, default) ... teUTF8 (5) for the base encoder, from 6 up
  // whatever the class registered there does. Applies from the next rebuild on: set it before
  // the text, or inside an update bracket closed with EndUpdate(true).
  int TextEncoding() const { return FTextEncoding; }
  void SetTextEncoding(int encoding) { FTextEncoding = encoding; }

  // Error-correction level ordinal: 0 L (default), 1 M, 2 Q, 3 H; anything else throws
  // std::out_of_range and keeps the level. Applies from the next rebuild on, like TextEncoding.
  std::uint8_t ErrorCorrectionLevel() const { return FErrorCorrectionLevel; }
  void SetErrorCorrectionLevel(std::uint8_t ordinal);

  // The modules without quiet zone: Modules()[x][y] for column x and row y, true = dark.
  const std::vector<std::vector<bool>>& Modules() const { return FModules; }

  // Registers the encoder class for an encoding index (0 <= index; a negative index throws
  // std::out_of_range). Replaces an earlier entry; entries between the old end of the list and
  // index stay empty. A null class empties the entry again.
  void RegisterTextEncoder(int index, TEncoderClass encoderClass);
  // The class registered for TextEncoding(), or &NewEncoder<TEncoder> when there is none
  // (negative encodings included).
  TEncoderClass TextEncoderClass() const;

  // Update bracket: between BeginUpdate and the matching EndUpdate no change encodes.
  // EndUpdate(true) encodes once when it closes the outermost bracket, whether or not the text
  // changed; EndUpdate(false) never encodes. An unmatched EndUpdate only skips the decrement.
  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate(bool rebuild);

  // Encodes Text() with a fresh encoder of TextEncoderClass() at the current level; does
  // nothing while an update bracket is open. Calls OnBeforeRebuild first and, after success,
  // OnAfterRebuild. Throws EQRMatrixTooLarge ("Trying to store too many bytes") when no
  // version holds the data: EncodedText() is then empty, the previous symbol stays and
  // OnAfterRebuild is not called.
  void Rebuild();

  // Drops the symbol: SymbolSize() 0, Modules() and EncodedText() empty, as before the first
  // rebuild. Text, encoding, level, quiet zone and the registry stay. For a holder that must
  // not go on showing the previous symbol once a rebuild failed.
  void Clear();

  void SetOnBeforeRebuild(TQRSymbolNotify handler) { FOnBeforeRebuild = std::move(handler); }
  void SetOnAfterRebuild(TQRSymbolNotify handler) { FOnAfterRebuild = std::move(handler); }

  // Whether the module at (row, column) is dark, both counted from 0 at the top-left corner of
  // the symbol with its quiet zone. False on the quiet zone, outside the symbol (negative
  // arguments included) and while there is no symbol. The painted module (column x, row y) is
  // matrix cell (x - q, y - q) of the encoder, not transposed.
  bool IsDark(int row, int column) const;

private:
  void Notify(const TQRSymbolNotify& handler);

  QString FText;
  QString FEncodedText;
  int FSymbolSize = 0;
  int FTextEncoding = teAuto;
  int FQuietZoneWidth = 4;
  std::vector<std::vector<bool>> FModules;
  std::vector<TEncoderClass> FTextEncoders;
  std::uint8_t FErrorCorrectionLevel = 0;
  TQRSymbolNotify FOnBeforeRebuild;
  TQRSymbolNotify FOnAfterRebuild;
  int FUpdateCount = 0;
};
