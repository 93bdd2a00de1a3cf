#include <gtest/gtest.h>

#include <string>

#include "qr/QRSymbol.h"
#include "qr/QR_URL.h"
#include "qr/QR_Win1251.h"
#include "tests/qr/RecordingEncoder.h"

namespace {

using TRecordingWin1251 = TRecordingEncoder<TWin1251Encoder>;
using TRecordingURL = TRecordingEncoder<TURLEncoder>;

TEST(Win1251Encoder, EncodesCyrillicAndSignsOneByteEach) {
  TQRSymbol symbol;
  symbol.RegisterTextEncoder(teWin1251, &NewEncoder<TRecordingWin1251>);
  symbol.SetTextEncoding(teWin1251);
  const QString text = QString::fromUtf8("Ёж №5 €");
  symbol.SetText(text);
  EXPECT_EQ(symbol.EncodedText(), text);
  EXPECT_EQ(TRecordingWin1251::Last.Mode, TQRMode::Byte);
  EXPECT_EQ(TRecordingWin1251::Last.Bytes, "\xa8\xe6\x20\xb9\x35\x20\x88");

  symbol.SetText(QString::fromUtf8("a日b"));
  EXPECT_EQ(symbol.EncodedText(), QStringLiteral("ab"));
  EXPECT_EQ(TRecordingWin1251::Last.Bytes, "ab");
}

TEST(Win1251Encoder, OtherEncodingsBehaveLikeTheBase) {
  TQRSymbol symbol;
  symbol.RegisterTextEncoder(teAuto, &NewEncoder<TRecordingWin1251>);
  symbol.SetText(QString::fromUtf8("Ёж"));
  EXPECT_EQ(TRecordingWin1251::Last.Encoding, teUTF8BOM);
  EXPECT_EQ(TRecordingWin1251::Last.Bytes, "\xef\xbb\xbf\xd0\x81\xd0\xb6");
}

// IsWin1251Char must name exactly the characters above U+00FF that the code page converts.
TEST(Win1251Encoder, IsWin1251CharMatchesTheCodePage) {
  for (char32_t c = 0x0100; c <= 0xFFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    const std::u16string text(1, static_cast<char16_t>(c));
    const bool converts = TWin1251Encoder::ToWin1251(text) != std::vector<std::uint8_t>{'?'};
    EXPECT_EQ(TWin1251Encoder::IsWin1251Char(static_cast<char16_t>(c)), converts)
        << "U+" << std::hex << static_cast<int>(c);
  }
  for (char16_t c : {u'A', u'\u00e9', u'\u00ff'}) EXPECT_FALSE(TWin1251Encoder::IsWin1251Char(c));
}

TEST(Win1251Encoder, CharactersTheCodePageLacksBecomeQuestionMarks) {
  const std::u16string text = u"\u00e9x\u00a0\u00a4\u00d7\xd800y";
  const std::vector<std::uint8_t> expected = {'?', 'x', 0xA0, 0xA4, '?', '?', 'y'};
  EXPECT_EQ(TWin1251Encoder::ToWin1251(text), expected);
  EXPECT_TRUE(TWin1251Encoder::ToWin1251(u"").empty());
}

TEST(URLEncoder, PercentEncodesAfterTheScheme) {
  const struct {
    std::u16string Text;
    std::u16string Expected;
  } cases[] = {
      {u"scheme://x/a b?q=ж", u"scheme://x/a+b?q=%D0%B6"},
      {u"a b:c/ж", u"a+b:c/%D0%B6"},
      {u"ж://ж", u"ж://%D0%B6"},
      {u"http://h/%\"<>[\\]^`{|}\x7f\x01", u"http://h/%25%22%3C%3E%5B%5C%5D%5E%60%7B%7C%7D%7F%01"},
      {u"x://a://b", u"x://a://b"},
      {u"", u""},
  };
  for (const auto& c : cases) EXPECT_EQ(TURLEncoder::URLEncodeText(c.Text), c.Expected);
}

TEST(URLEncoder, SafeBytes) {
  const std::string safe =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789!#$&'()*+,-./:;=?_~@";
  for (int b = 0; b < 256; ++b)
    EXPECT_EQ(TURLEncoder::IsURLSafeByte(static_cast<std::uint8_t>(b)),
              safe.find(static_cast<char>(b)) != std::string::npos)
        << b;
  EXPECT_EQ(TURLEncoder::HexDigits, "0123456789ABCDEF");
}

TEST(URLEncoder, SymbolCarriesThePercentEncodedText) {
  TQRSymbol symbol;
  symbol.RegisterTextEncoder(teURL, &NewEncoder<TRecordingURL>);
  symbol.SetTextEncoding(teURL);
  symbol.SetText(QString::fromUtf8("схема://x/a b"));
  EXPECT_EQ(symbol.EncodedText(), QString::fromUtf8("схема://x/a+b"));
  EXPECT_EQ(TRecordingURL::Last.Mode, TQRMode::Byte);
  EXPECT_EQ(TRecordingURL::Last.Bytes, "схема://x/a+b");
}

}  // namespace
