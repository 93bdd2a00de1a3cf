#include <gtest/gtest.h>

#include "qr/QRGraphics.h"
#include "qr/QRSymbol.h"
#include "qr/QR_URL.h"
#include "qr/QR_Win1251.h"
#include "tests/qr/ZbarDecode.h"

namespace {

struct TDecodeCase {
  const char* Text;
  int Encoding;
  std::uint8_t Level;
  QByteArray Expected;
};

// The symbol's bytes as an independent decoder reads them from the exported picture.
TEST(QRSymbolDecodes, ContentAsAReaderSeesIt) {
  const TDecodeCase cases[] = {
      {"", teAuto, 0, QByteArray("\xef\xbb\xbf")},
      {"0123", teAuto, 0, QByteArray("0123")},
      {"HELLO WORLD", teAuto, 2, QByteArray("HELLO WORLD")},
      {"Hello", teAuto, 3, QByteArray("Hello")},
      {"12a3", teNumeric, 0, QByteArray("123")},
      {"№ сумки:1;\r\n", teAuto, 1, QByteArray("\xef\xbb\xbf№ сумки:1;\r\n")},
      {"Ёж №5 € 日", teWin1251, 0, QByteArray("\xa8\xe6\x20\xb9\x35\x20\x88\x20")},
      {"scheme://x/a b?q=ж", teURL, 0, QByteArray("scheme://x/a+b?q=%D0%B6")},
  };
  for (const TDecodeCase& c : cases) {
    SCOPED_TRACE(c.Text);
    TQRSymbol symbol;
    symbol.RegisterTextEncoder(teURL, &NewEncoder<TURLEncoder>);
    symbol.RegisterTextEncoder(teWin1251, &NewEncoder<TWin1251Encoder>);
    symbol.SetTextEncoding(c.Encoding);
    symbol.SetErrorCorrectionLevel(c.Level);
    symbol.BeginUpdate();
    symbol.SetText(QString::fromUtf8(c.Text));
    symbol.EndUpdate(true);

    QImage bitmap;
    QRSymbolToBitmap(bitmap, 4, symbol, 0xFFFFFF, 0x000000, 0);
    const std::optional<QByteArray> decoded = DecodeQRImage(bitmap);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->toHex(' '), c.Expected.toHex(' '));
  }
}

}  // namespace
