// The live voucher payload end to end: keys typed into the real main window on a real register
// file, the preview rendered to a picture and read back by zbar (a black-box decoder), the
// memo and the size line compared with what the picture holds.
#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>

#include <algorithm>
#include <ostream>

#include "app/controls/DBEdit.h"
#include "app/controls/PaintBox.h"
#include "app/controls/StringGrid.h"
#include "app/MainForm.h"
#include "qr/QRSymbol.h"
#include "tests/app/RunningProgram.h"
#include "tests/qr/ZbarDecode.h"
#include "tests/support/DecimalSeparator.h"
#include "texts/NumberFormat.h"
#include "ui_MainForm.h"

// Decoded bytes in failure messages: UTF-8 text with CR and LF spelled out.
static void PrintTo(const QByteArray& bytes, std::ostream* out) {
  *out << '"'
       << QString::fromUtf8(bytes).replace(u'\r', u"\\r"_qs).replace(u'\n', u"\\n"_qs).toStdString()
       << '"';
}

namespace {

const TBagRow Bag = {QStringLiteral("1234"),
                     5678,
                     QStringLiteral("ООО «Ёлка-Ъ» №7"),
                     QStringLiteral("40702810900000000001"),
                     QStringLiteral("7701234567"),
                     2,
                     QStringLiteral("Иванов И.И.")};

// The payload of `Bag` after "Б-2041" was typed as its bag number, with the given total text.
QString ExpectedPayload(const QString& total) {
  return QStringLiteral(
             "№ сумки:Б-2041;\r\n"
             "№ пакета:5678;\r\n"
             "Получатель:ООО «Ёлка-Ъ» №7;\r\n"
             "Транзитный счет:40702810900000000001;\r\n"
             "Сумма:%1 руб.;\r\n"
             "Кассовый символ:2;\r\n")
      .arg(total);
}

// The preview as the operator sees it.
QImage Preview(const TForm1& w) {
  return w.Controls().pbPreview->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Where the dark modules lie in a rendered preview and how large one module is, measured on
// the picture alone: the top-left finder pattern is 7 modules wide.
struct TPaintedSymbol {
  QRect Dark;        // bounding box of the dark pixels
  int ModulePx = 0;  // pixels a module side
  int Modules = 0;   // modules a side without the quiet zone
};

TPaintedSymbol Measure(const QImage& image) {
  const auto dark = [&](int x, int y) { return qGray(image.pixel(x, y)) < 128; };
  TPaintedSymbol symbol;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (dark(x, y)) symbol.Dark |= QRect(x, y, 1, 1);
  if (symbol.Dark.isEmpty()) return symbol;
  int finder = 0;
  while (dark(symbol.Dark.left() + finder, symbol.Dark.top())) ++finder;
  symbol.ModulePx = finder / 7;
  if (symbol.ModulePx > 0 && finder % 7 == 0 && symbol.Dark.width() % symbol.ModulePx == 0)
    symbol.Modules = symbol.Dark.width() / symbol.ModulePx;
  return symbol;
}

// The symbol must be centred in the box with whole pixels per module, as large as fits, and
// the size line under it must name the painted size (quiet zone of 4 modules included).
void ExpectPaintedLikeTheSizeLine(const TForm1& w, const QImage& preview, const QString& sizeLine) {
  const TPaintedSymbol painted = Measure(preview);
  ASSERT_GT(painted.Modules, 0) << "no whole-pixel symbol in the preview";
  EXPECT_EQ(painted.Dark.height(), painted.Dark.width());
  const int side = painted.Modules + 8;
  EXPECT_EQ(w.Controls().lblQRMetrics->text(),
            QStringLiteral("%1x%1 (%2x%2)").arg(side).arg(painted.Modules));
  EXPECT_EQ(w.Controls().lblQRMetrics->text(), sizeLine);
  EXPECT_EQ(painted.ModulePx, std::min(preview.width(), preview.height()) / side)
      << "modules as large as fit";
  const int quiet = 4 * painted.ModulePx;
  const int leftGap = painted.Dark.left() - quiet;
  const int rightGap = preview.width() - (painted.Dark.right() + 1 + quiet);
  const int topGap = painted.Dark.top() - quiet;
  const int bottomGap = preview.height() - (painted.Dark.bottom() + 1 + quiet);
  EXPECT_TRUE(rightGap - leftGap == 0 || rightGap - leftGap == 1) << leftGap << " " << rightGap;
  EXPECT_TRUE(bottomGap - topGap == 0 || bottomGap - topGap == 1) << topGap << " " << bottomGap;
}

QByteArray Utf8WithBom(const QString& text) { return QByteArray("\xEF\xBB\xBF") + text.toUtf8(); }

TEST(LivePayload, TypedBagNumberReachesThePreviewTheMemoAndTheSizeLineWithOneEncodingPerKey) {
  TRunningProgram program({Bag});
  TForm1& w = program.Window();
  const Ui::TForm1& ui = w.Controls();
  int encodings = 0;
  w.QRSymbol().SetOnAfterRebuild([&](TQRSymbol&) { ++encodings; });

  const QString typed = QStringLiteral("Б-2041");
  program.TypeOver(ui.DBEdit1, typed);
  ASSERT_EQ(ui.DBEdit1->text(), typed);
  EXPECT_EQ(encodings, typed.size()) << "one encoding per keystroke";

  const QString expected = ExpectedPayload(QString());
  const QImage preview = Preview(w);
  EXPECT_EQ(DecodeQRImage(preview), Utf8WithBom(expected));
  EXPECT_EQ(ui.mmoEncodedData->toPlainText(),
            QString(expected).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
  ExpectPaintedLikeTheSizeLine(w, preview, QStringLiteral("61x61 (53x53)"));
  EXPECT_TRUE(program.Messages.Boxes.empty());
}

TEST(LivePayload, CountsTypedIntoTheGridBringTheTotalWithTheCurrentSeparator) {
  struct TCase {
    QChar Separator;
    const char16_t* Total;
  };
  for (const TCase& c : {TCase{u',', u"15000,7"}, TCase{u'.', u"15000.7"}}) {
    SCOPED_TRACE(QString(c.Separator).toStdString());
    const TDecimalSeparator separator(c.Separator);
    TRunningProgram program({Bag});
    TForm1& w = program.Window();
    const Ui::TForm1& ui = w.Controls();
    program.TypeOver(ui.DBEdit1, QStringLiteral("Б-2041"));
    program.Click(ui.StringGrid1);
    ui.StringGrid1->SetCurrentCell(2, 1);  // 3 x 5000
    QTest::keyClicks(ui.StringGrid1, QStringLiteral("3"));
    ui.StringGrid1->SetCurrentCell(2, 15);  // 7 x 0.1
    QTest::keyClicks(ui.StringGrid1, QStringLiteral("7"));

    const QString expected = ExpectedPayload(QString::fromUtf16(c.Total));
    const QImage preview = Preview(w);
    EXPECT_EQ(DecodeQRImage(preview), Utf8WithBom(expected));
    EXPECT_EQ(ui.mmoEncodedData->toPlainText(),
              QString(expected).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    ExpectPaintedLikeTheSizeLine(w, preview, QStringLiteral("61x61 (53x53)"));
  }
}

}  // namespace
