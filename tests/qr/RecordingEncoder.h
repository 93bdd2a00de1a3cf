#pragma once

#include <string>

#include "qr/encoder/Encoder.h"

// What the last encoder of a TRecordingEncoder class put into its symbol.
struct TContentRecord {
  TQRMode Mode = TQRMode::Terminator;
  int Encoding = -1;  // the encoding index after SelectMode resolved it
  std::string Bits;   // the content bits as '0' / '1', most significant first
  std::string Bytes;  // the same bits as bytes (meaningful in byte mode)
};

// An encoder of class TBase that also records its content bits, so that tests see what the
// real encoder chose and wrote. The facade makes encoders through a plain factory, so the
// record lives in a per-class static.
template <class TBase>
class TRecordingEncoder : public TBase {
public:
  static inline TContentRecord Last;

  void AppendContentBits(const std::u16string& filtered, TQRMode mode, TBitArray& bits,
                         int encoding) override {
    TBitArray content;
    TBase::AppendContentBits(filtered, mode, content, encoding);
    Last = {mode, encoding, {}, {}};
    for (int i = 0; i < content.BitCount(); ++i) Last.Bits.push_back(content.Bit(i) ? '1' : '0');
    for (int i = 0; i + 8 <= content.BitCount(); i += 8)
      Last.Bytes.push_back(static_cast<char>(std::stoi(Last.Bits.substr(i, 8), nullptr, 2)));
    bits.PushArray(content);
  }
};
