#include <QDate>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <tuple>

#include <unistd.h>

#include "office/AutomationValues.h"
#include "office/VoucherExport.h"
#include "tests/office/FakeAutomation.h"
#include "tests/office/TestVoucherSource.h"
#include "tests/support/DecimalSeparator.h"
#include "tests/support/FaultInjection.h"
#include "tests/support/FileBytes.h"

namespace {

// The message of what f raises, empty when it raises nothing.
QString FailureOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const std::exception& error) {
    return QString::fromUtf8(error.what());
  }
  return {};
}

// The export against the fake suite, in a working directory of its own that holds a template.
class TExportRulesTest : public ::testing::Test {
protected:
  TExportRulesTest() : FOffice(std::make_shared<TFakeServer>(FWorld)) {}
  void SetUp() override {
    ASSERT_TRUE(FWork.isValid());
    FPrevious = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(FWork.path()));
    WriteFile("temp.xls", TemplateBytes);
  }

  // The export's own copies of the template, by name.
  QStringList VoucherCopies() const {
    return QDir(FWork.filePath("vouchers")).entryList(QDir::Files | QDir::Hidden, QDir::Name);
  }
  QString Today() const { return QDate::currentDate().toString("yyyy-MM-dd"); }

  // What the export takes for an Excel 97 workbook: the compound file's signature and a stream
  // named "Workbook" in its directory.
  static inline const QByteArray TemplateBytes =
      QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(56, '\0') +
      QByteArray("W\0o\0r\0k\0b\0o\0o\0k\0", 16) + "template";
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
  // The office took the picture from this export's own file, which is gone afterwards; the
  // document is this export's own copy of the template, loaded as an Excel 97 workbook.
  const QString stem = FWork.filePath("vouchers/" + Today() + "_004512_1");
  EXPECT_EQ(shapes[0]->Property("Graphic").Get("URL").ToString(), FileNameToURL(stem + ".bmp"));
  EXPECT_FALSE(QFile::exists(stem + ".bmp"));
  ASSERT_EQ(FWorld.Loads.size(), 1u);
  EXPECT_EQ(FWorld.Loads[0].at(0).ToString(), FileNameToURL(stem + ".xls"));
  EXPECT_EQ(FWorld.Loads[0].at(3).ToArray().at(4).Get("Value").ToString(), "MS Excel 97");
  // Loaded hidden, shown once everything is written: the operator sees only the finished one.
  EXPECT_EQ(FWorld.Loads[0].at(3).ToArray().at(0).Get("Name").ToString(), "Hidden");
  EXPECT_TRUE(FWorld.Loads[0].at(3).ToArray().at(0).Get("Value").ToBool());
  EXPECT_TRUE(FWorld.Documents.at(0)->Shown);
  EXPECT_GT(FWorld.Calls.indexOf("View.SetVisible()"), FWorld.Calls.lastIndexOf("Cell.SetString()"));
  EXPECT_EQ(ReadFile(stem + ".xls"), TemplateBytes);
  EXPECT_EQ(ReadFile("temp1.xls"), TemplateBytes);
  const qsizetype lastThirdCopyWrite =
      FWorld.Calls.lastIndexOf("Cell.SetString()", FWorld.Calls.indexOf("Shape.Transparency="));
  EXPECT_EQ(FWorld.Calls.mid(lastThirdCopyWrite + 1).count("Cell.SetString()"), 11);  // list 2

  ASSERT_EQ(FSource.Clipboard.size(), 1u);
  EXPECT_EQ(FSource.Clipboard[0].convertToFormat(QImage::Format_RGB32),
            QImage(FWork.filePath("QR.bmp")).convertToFormat(QImage::Format_RGB32));
  EXPECT_THROW(FOffice.Sheets().SheetByIndex(0), EOffice);  // ended with Connect(false)
  // Every value fits at the template's size but the bag number in the narrow "Сумка №" box.
  EXPECT_EQ(FWorld.Calls.count("Cell.CharHeight="), 3);
}

// The values that printed at 1.4 and 3.4 pt: the recipient cut to two lines of the smallest
// size (6 pt, 6.5 on the third sheet, which prints scaled), the full name whole at a size of
// its own; only their cells get a size, and the "Сумка №" boxes, too narrow for "004512" at
// the template's 10 pt.
TEST_F(TExportRulesTest, LongValuesAreCutOrSetSmaller) {
  const QString recipient = QString("ПАО Сбербанк России, отделение № 7 ").repeated(8).left(255);
  const QString name = QString("Константинопольский-Заде ").repeated(4);
  FSource.BagData.Recipient = recipient;
  FSource.BagData.FullName = name;
  ExportVoucher(FOffice, FSource);
  const auto keys = [](const std::map<QString, double>& sizes) {
    QStringList addresses;
    for (const auto& [address, size] : sizes) addresses << address;
    return addresses;
  };
  const TFakeSheet& form = *FWorld.Documents.at(0)->Sheets.at(0);
  const TFakeSheet& receipt = *FWorld.Documents.at(0)->Sheets.at(2);
  EXPECT_EQ(keys(form.CharHeights), QStringList({"AJ24", "AN53", "EL36", "EL6", "Q11", "Q41"}));
  EXPECT_EQ(keys(receipt.CharHeights), QStringList({"AI21", "EL3", "Q8"}));
  EXPECT_EQ(form.CharHeights.at("EL6"), 8.5);
  for (const auto& [sheet, address, size] :
       {std::tuple(&form, "Q11", 6.0), std::tuple(&form, "Q41", 6.0),
        std::tuple(&receipt, "Q8", 6.5)}) {
    SCOPED_TRACE(address);
    const QString written = sheet->Cells.at(address);
    ASSERT_TRUE(written.endsWith("…"));
    EXPECT_TRUE(recipient.startsWith(written.chopped(1)));
    EXPECT_GT(written.size(), 100);
    EXPECT_EQ(sheet->CharHeights.at(address), size);
  }
  for (const auto& [sheet, address] :
       {std::pair(&form, "AJ24"), std::pair(&form, "AN53"), std::pair(&receipt, "AI21")}) {
    SCOPED_TRACE(address);
    EXPECT_EQ(sheet->Cells.at(address), name);
    EXPECT_GE(sheet->CharHeights.at(address), address == QString("AI21") ? 6.5 : 6.0);
    EXPECT_LT(sheet->CharHeights.at(address), 9);
  }
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
      {"no suite", "ООО «Ромашка»", "6007", false,
       "Не удалось запустить LibreOffice. Проверьте, что LibreOffice Calc установлен и "
       "запускается командой soffice, и повторите экспорт.\nнет связи с LibreOffice (no connect)",
       true, true},
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
    EXPECT_EQ(VoucherCopies(), QStringList());  // none made, or the unused one removed
  }
  EXPECT_EQ(ReadFile("temp1.xls"), TemplateBytes);
}

// A voucher the export could not finish never reaches the operator: its hidden document is
// closed and its copy removed. A damaged template that the office still opens (as one empty
// sheet, or with its fields gone) is refused before a single cell is written.
TEST_F(TExportRulesTest, AnUnfinishedVoucherIsClosedUnseenAndItsCopyRemoved) {
  const QString copy =
      QDir::toNativeSeparators(FWork.filePath("vouchers/" + Today() + "_004512_1.xls"));
  const QString damaged = "Шаблон temp.xls повреждён: в его копии «" + copy +
                          "» нет листов и полей ведомости. Замените temp.xls исправным шаблоном "
                          "ведомости и повторите экспорт.\n";
  struct TCase {
    const char* Name;
    QStringList Sheets;
    QString UnmergedAddress;
    qint64 GraphicType;
    QString Message;
    size_t Writes;
  };
  const TCase cases[] = {
      {"body damaged: one empty sheet", {"Лист1"}, "", 1,
       damaged + "1 sheet(s), the voucher needs 4", 0},
      {"a field is gone", FWorld.Sheets, "BN36", 1,
       damaged + "sheet 1: BN36 is not a field of the voucher", 0},
      {"the office refuses the picture after 56 cells", FWorld.Sheets, "", 0,
       "LibreOffice не разместил QR-код на третьем листе ведомости. Если в шаблоне temp.xls там "
       "уже есть фигура «Graphic1», удалите её и повторите экспорт.\nFile format not support.",
       56},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TFakeWorld world;
    world.Sheets = c.Sheets;
    world.UnmergedAddress = c.UnmergedAddress;
    world.GraphicType = c.GraphicType;
    TOOCalc office(std::make_shared<TFakeServer>(world));
    EXPECT_EQ(FailureOf([&] { ExportVoucher(office, FSource); }), c.Message);
    EXPECT_EQ(world.Writes.size(), c.Writes);
    ASSERT_EQ(world.Documents.size(), 1u);
    EXPECT_FALSE(world.Documents[0]->Shown);
    EXPECT_TRUE(world.Documents[0]->Closed);
    EXPECT_EQ(VoucherCopies(), QStringList());
  }
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
           "Допускаются суммы от 0 до 9 999 999 999 999,99 руб.: проверьте количества в таблице "
           "номиналов.";
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
  const TDecimalSeparator point(u'.');
  FSource.TotalText = "8903599991096.4";
  ExportVoucher(FOffice, FSource);
  EXPECT_TRUE(FSource.Messages.empty());
  EXPECT_EQ(WritesOn("Ведомость").filter(QRegularExpression("^W18=")),
            QStringList{
                "W18=восемь триллионов девятьсот три миллиарда пятьсот девяносто девять миллионов "
                "девятьсот девяносто одна тысяча девяносто шесть рублей 40 копеек"});
}

TEST_F(TExportRulesTest, ListsTheRowsWhoseCountComparesAboveZero) {
  // Trimmed of blanks and control characters, compared as text with "0".
  const QString counts[16] = {"",  "0",   "",    " 0 ", "00", "-1", "1", "\t5",
                              "0", "0.0", "0,5", "",    "",   "",   "",  "12"};
  for (int row = 1; row <= 15; ++row)
    FSource.Rows[row] = {"d" + QString::number(row), counts[row], "s" + QString::number(row)};
  ExportVoucher(FOffice, FSource);
  const QStringList list{"DA2=004512", "A5=d4",   "BA5=00",  "DC5=s4",   "A6=d6",
                         "BA6=1",      "DC6=s6",  "A7=d7",   "BA7=\t5",  "DC7=s7",
                         "A8=d9",      "BA8=0.0", "DC8=s9",  "A9=d10",   "BA9=0,5",
                         "DC9=s10",    "A10=d15", "BA10=12", "DC10=s15", "DC20=6007"};
  EXPECT_EQ(WritesOn("Опись"), list);
  EXPECT_EQ(WritesOn("Опись (2)"), list);
}

TEST_F(TExportRulesTest, AllCountsZeroLeaveTheListsEmptyButTheTotal) {
  for (int row = 1; row <= 15; ++row) FSource.Rows[row].Count = "0";
  FSource.TotalText = "0";
  ExportVoucher(FOffice, FSource);
  EXPECT_EQ(WritesOn("Опись"), QStringList({"DA2=004512", "DC20=0"}));
  EXPECT_EQ(WritesOn("Опись (2)"), QStringList({"DA2=004512", "DC20=0"}));
}

TEST_F(TExportRulesTest, RefusedCellEndsTheExportAndClosesTheUnfinishedVoucher) {
  FWorld.RefusedAddress = "CA6";
  EXPECT_EQ(FailureOf([&] { ExportVoucher(FOffice, FSource); }),
            "LibreOffice не заполнил ведомость до конца. Повторите экспорт.\n"
            "com.sun.star.uno.RuntimeException");
  // Refused as the template was checked, before the first write.
  EXPECT_TRUE(FWorld.Writes.empty());
  EXPECT_TRUE(FWorld.Documents.at(0)->Closed);
  // The wrapper holds no document any more.
  EXPECT_THROW(FOffice.Sheets().SheetByIndex(0), EOffice);
}

}  // namespace

namespace {

TEST_F(TExportRulesTest, EveryExportOpensAFreshCopyOfItsOwn) {
  // An office lock left behind for the name the second export would take.
  ASSERT_TRUE(QDir().mkdir("vouchers"));
  WriteFile("vouchers/.~lock." + Today() + "_004512_2.xls#", "stale");
  ExportVoucher(FOffice, FSource);
  ExportVoucher(FOffice, FSource);
  FSource.BagData.BagNumber = "А-7/2 б";
  ExportVoucher(FOffice, FSource);
  const QStringList loaded = [&] {
    QStringList urls;
    for (const TVariant::TArray& load : FWorld.Loads) urls << load.at(0).ToString();
    return urls;
  }();
  const QString folder = FWork.filePath("vouchers/");
  EXPECT_EQ(loaded, QStringList({FileNameToURL(folder + Today() + "_004512_1.xls"),
                                 FileNameToURL(folder + Today() + "_004512_3.xls"),
                                 FileNameToURL(folder + Today() + "_А-7_2_б_1.xls")}));
  EXPECT_EQ(VoucherCopies(),
            QStringList({".~lock." + Today() + "_004512_2.xls#", Today() + "_004512_1.xls",
                         Today() + "_004512_3.xls", Today() + "_А-7_2_б_1.xls"}));
}

TEST_F(TExportRulesTest, FileFaultsStopTheExportBeforeTheOffice) {
  const QString folder = QDir::toNativeSeparators(FWork.path());
  struct TCase {
    const char* Name;
    std::function<void()> Arrange;
    QString Message;
  };
  const TCase cases[] = {
      {"template missing", [] { QFile::remove("temp.xls"); },
       "Не найден шаблон ведомости temp.xls в папке «" + folder +
           "». Положите в эту папку файл temp.xls и повторите экспорт."},
      {"template is text", [] { WriteFile("temp.xls", "Сумка;Сумма\n004512;6007\n"); },
       "Файл temp.xls («" + folder +
           "/temp.xls») не является таблицей Excel. Замените его "
           "шаблоном ведомости."},
      {"template is another compound file",
       [] { WriteFile("temp.xls", TemplateBytes.left(64) + QByteArray("W\0o\0r\0d\0", 8)); },
       "Файл temp.xls («" + folder +
           "/temp.xls») не является таблицей Excel. Замените его "
           "шаблоном ведомости."},
      {"temp1.xls cannot be replaced", [] { ASSERT_TRUE(QDir().mkpath("temp1.xls/inside")); },
       "Не удалось обновить файл temp1.xls («" + folder +
           "/temp1.xls»): диск переполнен или нет "
           "прав на запись. Экспорт не выполнен."},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    WriteFile("temp.xls", TemplateBytes);
    QDir("temp1.xls").removeRecursively();
    QFile::remove("temp1.xls");
    c.Arrange();
    FWorld.Calls.clear();
    const QString message = FailureOf([&] { ExportVoucher(FOffice, FSource); });
    // The sentence, then the system's own words on a line of their own where there are any.
    EXPECT_EQ(message.section(u'\n', 0, 0), c.Message);
    EXPECT_FALSE(FWorld.Calls.contains("CreateServiceManager"));
    EXPECT_FALSE(QDir("vouchers").exists());
  }
  EXPECT_TRUE(FSource.Messages.empty());
}

TEST_F(TExportRulesTest, AnOfficeThatStopsAnsweringIsGivenUpAndACancelStopsTheExport) {
  struct TCase {
    const char* Name;
    QString HangingAddress;  // where the office stops answering
    bool OperatorCancels;    // as the picture reaches the clipboard
    QString Message;
    int Aborts;
    QString LastWrite;
  };
  const TCase cases[] = {
      {"no answer for a second", "CA6", false,
       "LibreOffice не отвечает 1 с, экспорт прерван. Повторите экспорт.\n"
       "LibreOffice не отвечает (no answer)",
       1, "L6"},
      {"the operator cancels", "", true, "", 0, "DR6"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TFakeWorld world;
    world.AnswerTimeout = std::chrono::seconds(1);
    world.HangingAddress = c.HangingAddress;
    TOOCalc office(std::make_shared<TFakeServer>(world));
    TTestVoucherSource source;
    TOfficeWork* waiting = nullptr;
    source.OnWait = [&](TOfficeWork& work) { waiting = &work; };
    if (c.OperatorCancels) source.OnClipboard = [&] { waiting->Cancel(); };
    const QStringList copiesBefore = VoucherCopies();
    EXPECT_EQ(FailureOf([&] { ExportVoucher(office, source); }), c.Message);
    // The operator's own choice is no error: an information box.
    EXPECT_EQ(source.Information, c.OperatorCancels ? std::vector<QString>{"Экспорт отменён."}
                                                    : std::vector<QString>{});
    EXPECT_EQ(world.Aborts(), c.Aborts);
    EXPECT_EQ(world.Writes.back().Address, c.LastWrite);
    EXPECT_TRUE(world.Documents.at(0)->Sheets.at(2)->Shapes.empty());
    // The unfinished voucher was never shown; it is closed and its copy removed.
    EXPECT_FALSE(world.Documents.at(0)->Shown);
    EXPECT_TRUE(world.Documents.at(0)->Closed);
    EXPECT_EQ(VoucherCopies(), copiesBefore);

    // The next export finds the server usable again.
    world.HangingAddress.clear();
    source.OnClipboard = nullptr;
    ExportVoucher(office, source);
    EXPECT_EQ(world.Writes.back().Address, "DC20");
    EXPECT_EQ(world.Calls.count("BeginWork"), 2);
  }
}

}  // namespace

namespace {

// A full disk at each file the export writes: the file it was writing is not left cut short,
// the operator reads the system's reason, and nothing reaches the office.
TEST_F(TExportRulesTest, AFullDiskKeepsTheOldFilesAndSaysWhy) {
  if (geteuid() != 0) {
    RunThisTestWhereItMayMount();
    return;
  }
  const TSmallDisk disk(FWork.filePath("disk"));
  ASSERT_TRUE(QDir::setCurrent(disk.Path()));
  const QString full = "\nдиск переполнен (No space left on device)";
  struct TCase {
    const char* Name;
    qint64 Left;  // bytes left on the disk
    QString Message;
    QStringList Files;
  };
  const TCase cases[] = {
      // One page left: today's picture (two pages) would come out cut after 4096 bytes.
      {"the picture", 4096,
       "Не удалось записать файл QR.bmp («" + disk.Path() +
           "/QR.bmp»): диск переполнен или нет прав на запись. Экспорт не выполнен." + full,
       {"QR.bmp", "filler", "temp.xls"}},
      // Room for the picture and temp1.xls (a page), none for the export's own copy.
      {"the voucher copy", 3 * 4096,
       "Не удалось создать копию ведомости в папке «" + disk.Path() +
           "/vouchers». Проверьте место на диске и права на запись в эту папку." + full,
       {"QR.bmp", "filler", "temp.xls", "temp1.xls"}},
      // Room for the copy too, none for the picture the office is to read.
      {"the export's own picture", 4 * 4096,
       "Не удалось записать рисунок QR-кода «" + disk.Path() + "/vouchers/" + Today() +
           "_004512_1.bmp». Экспорт не выполнен." + full,
       {"QR.bmp", "filler", "temp.xls", "temp1.xls"}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    QFile::remove("filler");
    QFile::remove("temp1.xls");
    WriteFile("temp.xls", TemplateBytes);
    WriteFile("QR.bmp", "the picture of the last export");
    FSource.Symbol.SetText(QString(300, u'x'));
    disk.Fill(c.Left);
    FWorld.Calls.clear();

    EXPECT_EQ(FailureOf([&] { ExportVoucher(FOffice, FSource); }), c.Message);
    EXPECT_EQ(QDir().entryList(QDir::Files, QDir::Name), c.Files);
    EXPECT_EQ(QDir("vouchers").entryList(QDir::Files), QStringList());
    if (c.Left == 4096) {
      EXPECT_EQ(ReadFile("QR.bmp"), "the picture of the last export");
    }
    EXPECT_FALSE(FWorld.Calls.contains("CreateServiceManager"));
  }
  ASSERT_TRUE(QDir::setCurrent(FWork.path()));
}

}  // namespace
