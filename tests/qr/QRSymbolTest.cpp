#include "qr/QRSymbol.h"

#include <gtest/gtest.h>

#include <string>

#include "qr/QR_URL.h"
#include "qr/QR_Win1251.h"
#include "tests/qr/RecordingEncoder.h"
#include "tests/support/SamplePayload.h"

namespace {

using TRecordingBase = TRecordingEncoder<TEncoder>;

const QString Payload = QString::fromUtf8(SamplePayload);

struct TAutoCase {
  const char* Text;
  TQRMode Mode;
  int Encoding;
  std::string Bits;  // checked when not empty
  std::string BytesPrefix;
};

TEST(QRSymbolAutoEncoding, ChoosesModeAndBytes) {
  const TAutoCase cases[] = {
      // "012" in 10 bits, "3" in 4: the leading zero stays.
      {"0123", TQRMode::Numeric, teAuto, "00000011000011", ""},
      {"HELLO WORLD", TQRMode::Alphanumeric, teAuto, "", ""},
      {"Hello", TQRMode::Byte, teISO88591, "", "Hello"},
      {"caf\xc3\xa9", TQRMode::Byte, teISO88591, "", "caf\xe9"},
      {"Ёж", TQRMode::Byte, teUTF8BOM, "", "\xef\xbb\xbf\xd0\x81\xd0\xb6"},
      {"", TQRMode::Byte, teUTF8BOM, "", "\xef\xbb\xbf"},
  };
  for (const TAutoCase& c : cases) {
    TQRSymbol symbol;
    symbol.RegisterTextEncoder(teAuto, &NewEncoder<TRecordingBase>);
    symbol.BeginUpdate();
    symbol.SetText(QString::fromUtf8(c.Text));
    symbol.EndUpdate(true);
    const TContentRecord& record = TRecordingBase::Last;
    SCOPED_TRACE(c.Text);
    EXPECT_EQ(record.Mode, c.Mode);
    EXPECT_EQ(record.Encoding, c.Encoding);
    if (!c.Bits.empty()) {
      EXPECT_EQ(record.Bits, c.Bits);
    }
    EXPECT_EQ(record.Bytes.substr(0, c.BytesPrefix.size()), c.BytesPrefix);
    EXPECT_EQ(symbol.EncodedText(), QString::fromUtf8(c.Text));
    EXPECT_EQ(symbol.TextEncoding(), teAuto);
  }
}

TEST(QRSymbolAutoEncoding, EmptyTextHoldsOnlyTheByteOrderMark) {
  TQRSymbol symbol;
  symbol.RegisterTextEncoder(teAuto, &NewEncoder<TRecordingBase>);
  symbol.Rebuild();
  EXPECT_EQ(TRecordingBase::Last.Bytes, "\xef\xbb\xbf");
  EXPECT_EQ(symbol.SymbolSize(), 21 + 2 * 4);
}

TEST(QRSymbol, NumericEncodingDropsOtherCharacters) {
  TQRSymbol symbol;
  symbol.SetTextEncoding(teNumeric);
  symbol.SetText(QStringLiteral("12a3"));
  EXPECT_EQ(symbol.EncodedText(), QStringLiteral("123"));
  EXPECT_EQ(symbol.Text(), QStringLiteral("12a3"));
}

TEST(QRSymbol, NewSymbolHasNoModules) {
  const TQRSymbol symbol;
  EXPECT_EQ(symbol.SymbolSize(), 0);
  EXPECT_TRUE(symbol.Modules().empty());
  EXPECT_TRUE(symbol.EncodedText().isEmpty());
  EXPECT_FALSE(symbol.IsDark(0, 0));
  EXPECT_FALSE(symbol.IsDark(4, 4));
}

TEST(QRSymbol, RebuildsOnceForAChangeOrAClosedBracket) {
  TQRSymbol symbol;
  int before = 0;
  int after = 0;
  symbol.SetOnBeforeRebuild([&](TQRSymbol&) { ++before; });
  symbol.SetOnAfterRebuild([&](TQRSymbol& sender) {
    ++after;
    // Inside the notification a bracket is open: this change must not rebuild again.
    sender.SetText(sender.Text() + QStringLiteral("!"));
  });

  symbol.SetText(QStringLiteral("a"));
  EXPECT_EQ(after, 1);
  symbol.SetText(symbol.Text());
  EXPECT_EQ(after, 1) << "an equal text does not rebuild";

  symbol.BeginUpdate();
  symbol.SetText(QStringLiteral("b"));
  symbol.SetText(QStringLiteral("c"));
  EXPECT_EQ(after, 1) << "nothing is encoded inside a bracket";
  symbol.EndUpdate(true);
  EXPECT_EQ(after, 2);
  EXPECT_EQ(symbol.EncodedText(), QStringLiteral("c"));

  symbol.BeginUpdate();
  symbol.EndUpdate(true);
  EXPECT_EQ(after, 3) << "closing the bracket rebuilds even for an unchanged text";

  symbol.BeginUpdate();
  symbol.SetText(QStringLiteral("d"));
  symbol.EndUpdate(false);
  EXPECT_EQ(after, 3);

  symbol.BeginUpdate();
  symbol.BeginUpdate();
  symbol.EndUpdate(true);
  EXPECT_EQ(after, 3) << "only the outermost bracket rebuilds";
  symbol.EndUpdate(true);
  EXPECT_EQ(after, 4);
  EXPECT_EQ(before, 4);

  symbol.EndUpdate(false);  // unmatched: the counter stays at zero
  symbol.SetText(QStringLiteral("e"));
  EXPECT_EQ(after, 5);
}

TEST(QRSymbol, IsDarkShowsTheEncoderMatrixInsideTheQuietZone) {
  TQRSymbol symbol;
  symbol.SetText(Payload);

  TEncoder encoder;
  TErrorCorrectionLevel level;
  TQRCode code;
  std::u16string filtered;
  encoder.EncodeSymbol(Payload.toStdU16String(), teAuto, level, code, filtered);
  const TByteMatrix& matrix = *code.Modules();

  const int q = symbol.QuietZoneWidth();
  const int size = symbol.SymbolSize();
  ASSERT_EQ(size, matrix.ColCount() + 2 * q);
  ASSERT_EQ(size, 61) << "the voucher payload is a version-9 symbol";
  for (int row = -2; row < size + 2; ++row) {
    for (int column = -2; column < size + 2; ++column) {
      const int x = column - q;
      const int y = row - q;
      const bool inside = x >= 0 && y >= 0 && x < matrix.ColCount() && y < matrix.RowCount();
      EXPECT_EQ(symbol.IsDark(row, column), inside && matrix.Cell(x, y) == 1)
          << "row " << row << " column " << column;
      if (inside) {
        EXPECT_EQ(symbol.Modules()[x][y], matrix.Cell(x, y) == 1);
      }
    }
  }
  EXPECT_FALSE(symbol.IsDark(-1000000, 5));
  EXPECT_FALSE(symbol.IsDark(5, 1000000));
}

TEST(QRSymbol, QuietZoneWidthChangesTheFrameAtOnce) {
  TQRSymbol symbol;
  symbol.SetQuietZoneWidth(-3);
  EXPECT_EQ(symbol.QuietZoneWidth(), 0);
  symbol.SetText(QStringLiteral("HELLO"));
  EXPECT_EQ(symbol.SymbolSize(), 21);
  EXPECT_TRUE(symbol.IsDark(0, 0)) << "the finder pattern's corner";
  symbol.SetQuietZoneWidth(2);
  EXPECT_EQ(symbol.SymbolSize(), 25);
  EXPECT_FALSE(symbol.IsDark(0, 0));
  EXPECT_TRUE(symbol.IsDark(2, 2));
}

TEST(QRSymbol, ErrorCorrectionLevelReachesTheEncoder) {
  const QString text = QStringLiteral("HELLO WORLD 1234567890");
  TQRSymbol low;
  low.SetText(text);
  TQRSymbol high;
  high.SetErrorCorrectionLevel(3);
  high.SetText(text);
  EXPECT_EQ(low.SymbolSize(), 29);
  EXPECT_EQ(high.SymbolSize(), 37);
  EXPECT_THROW(high.SetErrorCorrectionLevel(4), std::out_of_range);
  EXPECT_EQ(high.ErrorCorrectionLevel(), 3);
}

TEST(QRSymbol, FailedRebuildKeepsThePreviousSymbol) {
  TQRSymbol symbol;
  int after = 0;
  symbol.SetOnAfterRebuild([&](TQRSymbol&) { ++after; });
  symbol.SetText(QStringLiteral("HELLO"));
  const auto modules = symbol.Modules();
  const int size = symbol.SymbolSize();

  try {
    symbol.SetText(QString(2954, QLatin1Char('a')));
    FAIL() << "2954 bytes fit no symbol at level L";
  } catch (const EQRMatrixTooLarge& error) {
    EXPECT_STREQ(error.what(), "Trying to store too many bytes");
  }
  EXPECT_TRUE(symbol.EncodedText().isEmpty());
  EXPECT_EQ(symbol.SymbolSize(), size);
  EXPECT_EQ(symbol.Modules(), modules);
  EXPECT_EQ(after, 1);

  symbol.SetText(QString(2953, QLatin1Char('a')));
  EXPECT_EQ(after, 2) << "the update counter is untouched by the failure";
  EXPECT_EQ(symbol.SymbolSize(), 177 + 8);

  // A holder that must not show the previous symbol drops it.
  symbol.Clear();
  EXPECT_EQ(symbol.SymbolSize(), 0);
  EXPECT_TRUE(symbol.Modules().empty());
  EXPECT_TRUE(symbol.EncodedText().isEmpty());
  EXPECT_FALSE(symbol.IsDark(4, 4)) << "a finder module until then";
  EXPECT_EQ(symbol.Text(), QString(2953, QLatin1Char('a')));
}

TEST(QRSymbolRegistry, FillsGapsReplacesAndFallsBackToTheBaseEncoder) {
  TQRSymbol symbol;
  const TEncoderClass base = &NewEncoder<TEncoder>;
  const TEncoderClass win1251 = &NewEncoder<TWin1251Encoder>;
  const TEncoderClass url = &NewEncoder<TURLEncoder>;
  EXPECT_EQ(symbol.TextEncoderClass(), base);

  symbol.RegisterTextEncoder(teWin1251, win1251);
  for (int encoding : {0, 3, 6, 8, -1}) {
    symbol.SetTextEncoding(encoding);
    EXPECT_EQ(symbol.TextEncoderClass(), base) << encoding;
  }
  symbol.SetTextEncoding(teWin1251);
  EXPECT_EQ(symbol.TextEncoderClass(), win1251);

  symbol.RegisterTextEncoder(teURL, url);
  symbol.SetTextEncoding(teURL);
  EXPECT_EQ(symbol.TextEncoderClass(), url);
  symbol.RegisterTextEncoder(teURL, win1251);
  EXPECT_EQ(symbol.TextEncoderClass(), win1251);
  symbol.RegisterTextEncoder(teURL, nullptr);
  EXPECT_EQ(symbol.TextEncoderClass(), base);

  EXPECT_THROW(symbol.RegisterTextEncoder(-1, url), std::out_of_range);
}

TEST(QRSymbol, UnknownEncodingIndexGivesAnEmptyByteSymbol) {
  TQRSymbol symbol;
  for (int encoding : {teWin1251, -5}) {
    symbol.SetTextEncoding(encoding);
    symbol.SetText(QString::number(encoding) + QStringLiteral("Ёж"));
    EXPECT_TRUE(symbol.EncodedText().isEmpty()) << encoding;
    EXPECT_EQ(symbol.SymbolSize(), 29) << encoding;
  }
}

}  // namespace
