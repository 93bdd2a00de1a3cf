#include <QDate>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "office/VoucherExport.h"
#include "tests/office/FakeAutomation.h"
#include "tests/office/TestVoucherSource.h"
#include "texts/NumberFormat.h"

namespace {

// The export against the fake suite, in a working directory of its own that holds a template.
class TExportRulesTest : public ::testing::Test {
 protected:
  TExportRulesTest() : FOffice(std::make_shared<TFakeServer>(FWorld)) {}
  void SetUp() override {
    ASSERT_TRUE(FWork.isValid());
    FPrevious = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(FWork.path()));
    QFile templateFile("temp.xls");
    ASSERT_TRUE(templateFile.open(QIODevice::WriteOnly));
    templateFile.write("template");
  }
  void TearDown() override { QDir::setCurrent(FPrevious); }

  // The texts of one sheet of the first document, in write order: "A5=2000".
  QStringList WritesOn(const QString& sheet) const {
    QStringList writes;
    for (const TFakeWrite& write : FWorld.Writes)
      if (write.Sheet == sheet) writes << write.Address + "=" + write.Text;
    return writes;
  }

  QTemporaryDir FWork;
  QString FPrevious;
  TFakeWorld FWorld;
  TOOCalc FOffice;
  TTestVoucherSource FSource;
};

TEST_F(TExportRulesTest, WritesTheCellMapInOrderThenPlacesThePicture) {
  ExportVoucher(FOffice, FSource);
  EXPECT_TRUE(FSource.Messages.empty());
  const std::vector<TExpectedCell> expected =
      ExpectedCells(FSource, QDate::currentDate().toString("dd.MM.yyyy"));
  ASSERT_EQ(FWorld.Writes.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(FWorld.Writes[i].Document, 0);
    EXPECT_EQ(FWorld.Writes[i].Sheet, FWorld.Sheets.at(expected[i].Sheet)) << i;
    EXPECT_EQ(FWorld.Writes[i].Address, expected[i].Address) << i;
    EXPECT_EQ(FWorld.Writes[i].Text, expected[i].Text) << i;
  }

  // The picture comes between the third copy and the second list.
  const auto& shapes = FWorld.Documents.at(0)->Sheets.at(2)->Shapes;
  ASSERT_EQ(shapes.size(), 1u);
  EXPECT_EQ(shapes[0]->Property("Name").ToString(), "Graphic1");
  EXPECT_EQ(shapes[0]->Property("Position").Get("X").ToInt(), 2000);
  EXPECT_EQ(shapes[0]->Property("Position").Get("Y").ToInt(), 23000);
  EXPECT_EQ(shapes[0]->Property("Size").Get("Width").ToInt(), 6400);
  EXPECT_EQ(shapes[0]->Property("Size").Get("Height").ToInt(), 6000);
  EXPECT_EQ(shapes[0]->Property("Transparency").ToInt(), 50);
  EXPECT_EQ(shapes[0]->Property("Graphic").Get("URL").ToString(),
            FileNameToURL(FWork.filePath("QR.bmp")));
  const qsizetype lastThirdCopyWrite = FWorld.Calls.lastIndexOf("Cell.SetString()", FWorld.Calls.indexOf("Shape.Transparency="));
  EXPECT_EQ(FWorld.Calls.mid(lastThirdCopyWrite + 1).count("Cell.SetString()"), 10);  // list 2

  ASSERT_EQ(FSource.Clipboard.size(), 1u);
  EXPECT_EQ(FSource.Clipboard[0].convertToFormat(QImage::Format_RGB32),
            QImage(FWork.filePath("QR.bmp")).convertToFormat(QImage::Format_RGB32));
  EXPECT_THROW(FOffice.Sheets().SheetByIndex(0), EOffice);  // ended with Connect(false)
}

TEST_F(TExportRulesTest, OperatorMessagesStopTheExportAtTheirStep) {
  struct TCase {
    const char* Name;
    QString Firm;
    QString Total;
    bool Reachable;
    QString Message;
    bool FilesWritten;
    bool SuiteAsked;
  };
  const TCase cases[] = {
      {"no firm", "", "6007", true, "Добавьте фирму", false, false},
      {"no total", "ООО «Ромашка»", "", true, "Заполните сумму!", true, false},
      {"no suite", "ООО «Ромашка»", "6007", false, "no connect", true, true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    QFile::remove("QR.bmp");
    QFile::remove("temp1.xls");
    FWorld.Calls.clear();
    FWorld.Reachable = c.Reachable;
    TTestVoucherSource source;
    source.Firm = c.Firm;
    source.TotalText = c.Total;
    ExportVoucher(FOffice, source);
    EXPECT_EQ(source.Messages, std::vector<QString>{c.Message});
    EXPECT_EQ(QFile::exists("QR.bmp"), c.FilesWritten);
    EXPECT_EQ(QFile::exists("temp1.xls"), c.FilesWritten);
    EXPECT_EQ(FWorld.Calls.contains("CreateServiceManager"), c.SuiteAsked);
    EXPECT_TRUE(FWorld.Writes.empty());
  }
  QFile copy("temp1.xls");
  ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
  EXPECT_EQ(copy.readAll(), "template");
}

// Refused before anything is written: a foreign QR code or a blank amount in words would
// otherwise reach the voucher.
TEST_F(TExportRulesTest, RefusesWithoutASymbolOrWithATotalTheWordsDoNotCover) {
  const QString noSymbol =
      "Данные этой сумки не помещаются в QR-код, экспорт отменён.\n"
      "Сократите номер сумки, получателя или счет и повторите экспорт.";
  const auto outOfRange = [](const QString& total) {
    return "Итоговая сумма «" + total +
           "» не может быть записана прописью, экспорт отменён.\n"
           "Допускаются суммы от 0 до 9 999 999 999 999,99 руб.: проверьте количества в таблице номиналов.";
  };
  const struct {
    const char* Name;
    bool Symbol;
    QString Total;
    QString Message;
  } cases[] = {
      {"the payload fits no symbol", false, "6007", noSymbol},
      {"no symbol built yet, no total", false, "", "Заполните сумму!"},
      {"ten trillion", true, "10000000000000", outOfRange("10000000000000")},
      {"exponent", true, "5E15", outOfRange("5E15")},
      {"infinite", true, "INF", outOfRange("INF")},
      {"negative", true, "-1", outOfRange("-1")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TTestVoucherSource source;
    if (!c.Symbol) source.Symbol.Clear();
    source.TotalText = c.Total;
    ExportVoucher(FOffice, source);
    EXPECT_EQ(source.Messages, std::vector<QString>{c.Message});
    EXPECT_FALSE(QFile::exists("QR.bmp"));
    EXPECT_FALSE(QFile::exists("temp1.xls"));
    EXPECT_TRUE(FWorld.Calls.isEmpty());
  }

  // The largest total the grid can reach is exported with its words.
  SetDecimalSeparator(u'.');
  const auto restore = qScopeGuard([] { InitDecimalSeparatorFromLocale(); });
  FSource.TotalText = "8903599991096.4";
  ExportVoucher(FOffice, FSource);
  EXPECT_TRUE(FSource.Messages.empty());
  EXPECT_EQ(WritesOn("Ведомость").filter(QRegularExpression("^W18=")),
            QStringList{"W18=восемь триллионов девятьсот три миллиарда пятьсот девяносто девять миллионов "
                        "девятьсот девяносто одна тысяча девяносто шесть рублей 40 копеек"});
}

TEST_F(TExportRulesTest, ListsTheRowsWhoseCountComparesAboveZero) {
  // Trimmed of blanks and control characters, compared as text with "0".
  const QString counts[16] = {"",  "0",   "",     " 0 ", "00", "-1", "1",  "\t5",
                              "0", "0.0", "0,5",  "",    "",   "",   "",   "12"};
  for (int row = 1; row <= 15; ++row)
    FSource.Rows[row] = {"d" + QString::number(row), counts[row], "s" + QString::number(row)};
  ExportVoucher(FOffice, FSource);
  const QStringList list{"A5=d4",  "BA5=00",   "DC5=s4",  "A6=d6",  "BA6=1",    "DC6=s6",
                         "A7=d7",  "BA7=\t5",  "DC7=s7",  "A8=d9",  "BA8=0.0",  "DC8=s9",
                         "A9=d10", "BA9=0,5",  "DC9=s10", "A10=d15", "BA10=12", "DC10=s15",
                         "DC20=6007"};
  EXPECT_EQ(WritesOn("Опись"), list);
  EXPECT_EQ(WritesOn("Опись (2)"), list);
}

TEST_F(TExportRulesTest, AllCountsZeroLeaveTheListsEmptyButTheTotal) {
  for (int row = 1; row <= 15; ++row) FSource.Rows[row].Count = "0";
  FSource.TotalText = "0";
  ExportVoucher(FOffice, FSource);
  EXPECT_EQ(WritesOn("Опись"), QStringList{"DC20=0"});
  EXPECT_EQ(WritesOn("Опись (2)"), QStringList{"DC20=0"});
}

TEST_F(TExportRulesTest, RefusedCellEndsTheExportWithWhatIsWrittenKept) {
  FWorld.RefusedAddress = "CA6";
  EXPECT_THROW(ExportVoucher(FOffice, FSource), EOffice);
  EXPECT_EQ(FWorld.Writes.back().Address, "L6");
  EXPECT_TRUE(FWorld.Documents.at(0)->Sheets.at(2)->Shapes.empty());
  // No Connect(false): the document is still the current one.
  EXPECT_NO_THROW(FOffice.Sheets().SheetByIndex(0));
}

}  // namespace
