#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "qr/encoder/Encoder.h"

// Encoding index 6 (teURL): byte mode carrying the text percent-encoded as a URL.
class TURLEncoder : public TEncoder {
public:
  // The base mode choice applied to URLEncodeText(text); teURL thus gives Byte.
  TQRMode SelectMode(const std::u16string& text, int& encoding) override;
  // With teURL the kept text is URLEncodeText(text), whatever the mode; otherwise inherited.
  void KeepEncodable(const std::u16string& text, TQRMode mode, int encoding,
                     std::u16string& filtered) override;
  // With teURL appends the UTF-8 bytes of the filtered (already percent-encoded) text, 8 bits
  // each, so that a reader gets exactly the URL the symbol's EncodedText shows; otherwise
  // inherited.
  void AppendContentBits(const std::u16string& filtered, TQRMode mode, TBitArray& bits,
                         int encoding) override;

  // The scheme prefix up to and with the colon of the first "://" stays as it is; the rest
  // (from the two slashes on, or the whole text when there is no "://") is taken as UTF-8 and
  // every byte becomes itself when IsURLSafeByte, "+" when it is the blank, and "%XX" with
  // upper-case HexDigits otherwise. "scheme://x/a b?q=ж" -> "scheme://x/a+b?q=%D0%B6".
  static std::u16string URLEncodeText(const std::u16string& text);
  // Letters, digits and ! # $ & ' ( ) * + , - . / : ; = ? _ ~ @.
  static bool IsURLSafeByte(std::uint8_t b);
  static constexpr std::string_view HexDigits = "0123456789ABCDEF";
};
