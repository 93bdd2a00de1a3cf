#pragma once

#include <cstdint>

// Segment modes by ordinal. The encoder only ever writes Numeric, Alphanumeric
// and Byte itself; an overriding SelectMode may return Kanji or Hanzi.
enum class TQRMode : std::uint8_t {
  Terminator,
  Numeric,
  Alphanumeric,
  StructuredAppend,
  Byte,
  ECI,
  Kanji,
  FNC1FirstPosition,
  FNC1SecondPosition,
  Hanzi
};

// The 4-bit mode indicator (Numeric 0001, Alphanumeric 0010, Byte 0100, Kanji
// 1000, Hanzi 1101, ...). A value outside the enumeration throws std::out_of_range.
int ModeIndicator(TQRMode mode);

// Width in bits of the character count field for the mode in a symbol of
// versionNo (ranges 1-9, 10-26, 27-40; numbers below 10 count as 1-9, above 26
// as 27-40). 0 for modes without a count. Throws std::out_of_range like ModeIndicator.
int CountFieldWidth(TQRMode mode, int versionNo);
