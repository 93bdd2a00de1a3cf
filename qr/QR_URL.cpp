#include "qr/QR_URL.h"

#include <QByteArray>
#include <QString>

namespace {

QByteArray Utf8Of(const std::u16string& text) { return QString::fromStdU16String(text).toUtf8(); }

}  // namespace

bool TURLEncoder::IsURLSafeByte(std::uint8_t b) {
  if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9')) return true;
  return std::string_view("!#$&'()*+,-./:;=?_~@").find(static_cast<char>(b)) !=
         std::string_view::npos;
}

std::u16string TURLEncoder::URLEncodeText(const std::u16string& text) {
  const std::size_t separator = text.find(u"://");
  const std::size_t restStart = separator == std::u16string::npos ? 0 : separator + 1;

  std::u16string encoded = text.substr(0, restStart);
  for (const char byte : Utf8Of(text.substr(restStart))) {
    const auto b = static_cast<std::uint8_t>(byte);
    if (IsURLSafeByte(b)) {
      encoded.push_back(b);
    } else if (b == ' ') {
      encoded.push_back(u'+');
    } else {
      encoded.push_back(u'%');
      encoded.push_back(HexDigits[b >> 4]);
      encoded.push_back(HexDigits[b & 0x0F]);
    }
  }
  return encoded;
}

TQRMode TURLEncoder::SelectMode(const std::u16string& text, int& encoding) {
  return TEncoder::SelectMode(URLEncodeText(text), encoding);
}

void TURLEncoder::KeepEncodable(const std::u16string& text, TQRMode mode, int encoding,
                                std::u16string& filtered) {
  if (encoding == teURL)
    filtered = URLEncodeText(text);
  else
    TEncoder::KeepEncodable(text, mode, encoding, filtered);
}

void TURLEncoder::AppendContentBits(const std::u16string& filtered, TQRMode mode, TBitArray& bits,
                                    int encoding) {
  // The percent-encoded text goes into the symbol as UTF-8 (the scheme prefix may hold any
  // character); teURL always selects Byte mode, where that is the base teUTF8 packing.
  TEncoder::AppendContentBits(filtered, mode, bits, encoding == teURL ? teUTF8 : encoding);
}
