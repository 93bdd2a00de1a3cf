#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "qr/encoder/BitArray.h"
#include "qr/encoder/ByteMatrix.h"
#include "qr/encoder/QRCode.h"
#include "qr/encoder/QRErrors.h"
#include "qr/encoder/QRMode.h"
#include "qr/encoder/Version.h"

// Text encoding indices. The base TEncoder knows 0..5; indices from 6 up mean
// something only through a subclass registered for them.
constexpr int teAuto = 0, teNumeric = 1, teAlphanumeric = 2, teISO88591 = 3, teUTF8BOM = 4,
              teUTF8 = 5, teURL = 6, teWin1251 = 7;

// The alphanumeric-mode code of a character: "0".."9" 0..9, "A".."Z" 10..35,
// space 36, $ 37, % 38, * 39, + 40, - 41, . 42, / 43, : 44. -1 for every other
// code, negative ones and all from 96 up included.
int AlphanumericCode(int characterCode);

// Turns one text into one QR symbol with a single segment in one mode. Keeps no
// state between calls; subclasses replace SelectMode, KeepEncodable and
// AppendContentBits to add text encodings.
class TEncoder {
public:
  struct TBlockSizes {
    int DataCodewords;
    int ECCodewords;
  };

  virtual ~TEncoder();

  // Fills code (mode, level, version, mask, modules). `filtered` receives the
  // kept text before anything can fail. Throws EQRMatrixTooLarge when version 40
  // cannot hold the data at the level; code is then left as it was.
  void EncodeSymbol(const std::u16string& text, int encoding, const TErrorCorrectionLevel& level,
                    TQRCode& code, std::u16string& filtered);

  // Base behaviour: encoding 1 Numeric, 2 Alphanumeric, any other non-zero
  // value Byte (encoding unchanged). Encoding 0 (automatic): a non-empty all-digit
  // text Numeric, a non-empty text with alphanumeric codes only Alphanumeric,
  // otherwise Byte with encoding set to 3 (non-empty, every unit below U+0100) or 4.
  virtual TQRMode SelectMode(const std::u16string& text, int& encoding);
  // Base behaviour: the characters the mode and encoding carry, in order:
  // Numeric digits, Alphanumeric characters with a code, Byte with encoding 3
  // the units below U+0100, with 4 or 5 everything; anything else nothing.
  virtual void KeepEncodable(const std::u16string& text, TQRMode mode, int encoding,
                             std::u16string& filtered);
  // Base behaviour: the content bits without indicator and count. Numeric in
  // groups of 3/2/1 digits (10/7/4 bits); Alphanumeric in pairs (11 bits) and a
  // final single (6 bits), stopping at the first character without a code;
  // Byte: encoding 3 the low 8 bits of every unit, 4 EF BB BF then UTF-8, 5
  // UTF-8 (a lone surrogate becomes U+FFFD), other encodings no bytes.
  virtual void AppendContentBits(const std::u16string& filtered, TQRMode mode, TBitArray& bits,
                                 int encoding);

  // The steps of EncodeSymbol, public so that they can be checked one by one.

  // The codewords of a symbol of version at level, in transmission order:
  // header (mode indicator), count in the version's field width, content,
  // terminator and pad codewords, then the blocks' data and check codewords
  // interleaved. The three parts must fit the version's data capacity.
  void BuildCodewords(const TBitArray& header, int count, const TBitArray& content, TQRMode mode,
                      const TVersion& version, const TErrorCorrectionLevel& level,
                      TBitArray& finalBits) const;
  // Pushes the mode's 4-bit indicator.
  void AppendModeIndicator(TQRMode mode, TBitArray& bits) const;
  // Pushes count in CountFieldWidth(mode, versionNo) bits.
  void AppendCharCount(int count, int versionNo, TQRMode mode, TBitArray& bits) const;
  // Fills bits up to dataCodewords * 8: at most 4 terminator zeros, zeros up to
  // a byte boundary, then pad codewords 236, 17, 236, ... The stream must not be
  // longer than the capacity.
  void PadToCapacity(int dataCodewords, TBitArray& bits) const;
  // Sizes of block blockIndex (0..blockCount-1) when totalCodewords split into
  // blockCount blocks holding dataCodewords data codewords: the last
  // totalCodewords % blockCount blocks carry one more data codeword.
  TBlockSizes SplitBlockSizes(int totalCodewords, int dataCodewords, int blockCount,
                              int blockIndex) const;
  // bits holds exactly dataCodewords bytes; result receives the totalCodewords
  // codewords in transmission order: data codewords block by block round-robin,
  // then check codewords the same way.
  void InterleaveBlocks(const TBitArray& bits, int totalCodewords, int dataCodewords,
                        int blockCount, TBitArray& result) const;
  // The ecCount Reed-Solomon check codewords of one block.
  std::vector<std::uint8_t> ComputeBlockEC(const std::vector<std::uint8_t>& dataBytes,
                                           int ecCount) const;
  // Lays the symbol out with masks 0..7 into matrix (dimension of versionNo) and
  // returns the mask with the lowest penalty; the lowest number wins a tie. matrix
  // is left holding the layout with that mask, the symbol's final modules.
  int SelectMask(const TBitArray& bits, const TErrorCorrectionLevel& level, int versionNo,
                 TByteMatrix& matrix) const;

  // The mask penalty of a fully laid-out matrix (cells 0 and 1): the sum of the
  // four rules below.
  int MaskPenalty(const TByteMatrix& matrix) const;
  // Runs of 5 or more equal modules in rows, then columns: 3 + (length - 5) each.
  int PenaltyRule1(const TByteMatrix& matrix) const;
  // Every (overlapping) 2 x 2 square of one colour: 3.
  int PenaltyRule2(const TByteMatrix& matrix) const;
  // Every 1011101 in a row or column with four existing light modules after it,
  // or else before it: 40.
  int PenaltyRule3(const TByteMatrix& matrix) const;
  // 10 per whole 5 % step of the dark share away from one half.
  int PenaltyRule4(const TByteMatrix& matrix) const;
};
