#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "qr/encoder/Encoder.h"

// A level from its ordinal 0 L, 1 M, 2 Q, 3 H.
TErrorCorrectionLevel LevelOf(int ordinal);

// The bits as a string of '0' and '1'.
std::string BitString(const TBitArray& bits);

// The whole bytes of the bits, first bit most significant.
std::vector<std::uint8_t> BytesOf(const TBitArray& bits);

// A matrix whose rows are the strings; '1' dark, any other character light.
TByteMatrix MatrixFromRows(const std::vector<std::string>& rows);

// The matrix's rows as strings of '0' and '1' ('-' for an empty cell).
std::vector<std::string> RowsOf(const TByteMatrix& matrix);

// The codewords (interleaved, with check codewords) our encoder makes for text
// in the given encoding at versionNo, without choosing a version.
TBitArray CodewordsAt(const std::u16string& text, int encoding, int levelOrdinal, int versionNo);

// The unmasked layout of codewords at versionNo (TMatrixUtil::LayOutUnmasked), from which
// the encoder's mask trials make their symbols.
struct TUnmaskedLayout {
  TErrorCorrectionLevel Level;
  TByteMatrix Modules;
  TByteMatrix DataModules;  // 1 where a mask may invert the module

  TUnmaskedLayout(const TBitArray& codewords, int levelOrdinal, int versionNo);
  // The finished symbol with mask 0..7 (TMatrixUtil::ApplyMask).
  TByteMatrix Masked(int mask) const;
};

// The symbol of those codewords with mask 0..7, made as the encoder's mask trials make it.
std::unique_ptr<TByteMatrix> SymbolAt(const std::u16string& text, int encoding, int levelOrdinal,
                                      int versionNo, int mask);

// The symbol EncodeSymbol makes; fails the calling test on an exception.
TQRCode Encode(const std::u16string& text, int encoding, int levelOrdinal);
