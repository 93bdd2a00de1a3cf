#include "qr/encoder/QRMode.h"

#include <array>
#include <stdexcept>

namespace {

struct TModeInfo {
  int Indicator;
  std::array<int, 3> CountWidths;  // versions 1-9, 10-26, 27-40
};

constexpr std::array<TModeInfo, 10> ModeTable{{
    {0x0, {0, 0, 0}},     // Terminator
    {0x1, {10, 12, 14}},  // Numeric
    {0x2, {9, 11, 13}},   // Alphanumeric
    {0x3, {0, 0, 0}},     // StructuredAppend
    {0x4, {8, 16, 16}},   // Byte
    {0x7, {0, 0, 0}},     // ECI
    {0x8, {8, 10, 12}},   // Kanji
    {0x5, {0, 0, 0}},     // FNC1FirstPosition
    {0x9, {0, 0, 0}},     // FNC1SecondPosition
    {0xD, {8, 10, 12}},   // Hanzi
}};

const TModeInfo& InfoOf(TQRMode mode) {
  const auto ordinal = static_cast<std::size_t>(mode);
  if (ordinal >= ModeTable.size()) {
    throw std::out_of_range("unknown QR mode");
  }
  return ModeTable[ordinal];
}

}  // namespace

int ModeIndicator(TQRMode mode) { return InfoOf(mode).Indicator; }

int CountFieldWidth(TQRMode mode, int versionNo) {
  const int range = versionNo <= 9 ? 0 : versionNo <= 26 ? 1 : 2;
  return InfoOf(mode).CountWidths[static_cast<std::size_t>(range)];
}
