// "Экспорт в эксель" on a real X desktop: the window driven by real events, a visible office,
// the real clipboard. Owning the clipboard after the first export used to stall the second
// one for 6-13 s while the window sat blocked in the office's calls.
#include <QClipboard>
#include <QDate>
#include <QDir>
#include <QGuiApplication>
#include <QProcess>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include "office/OfficeProcess.h"

#include "app/Application.h"
#include "app/MainForm.h"
#include "app/controls/StringGrid.h"
#include "tests/export/WindowExportFixture.h"
#include "tests/support/FileBytes.h"
#include "tests/support/XDesktop.h"

namespace {

// The names of the visible windows of the display.
QStringList VisibleWindowNames() {
  QProcess search;
  search.start("xdotool", {"search", "--onlyvisible", "--name", "."});
  search.waitForFinished();
  QStringList names;
  for (const QByteArray& id : search.readAllStandardOutput().split('\n')) {
    if (id.isEmpty()) continue;
    QProcess name;
    name.start("xdotool", {"getwindowname", QString::fromLatin1(id)});
    name.waitForFinished();
    names << QString::fromUtf8(name.readAllStandardOutput()).trimmed();
  }
  return names;
}

// The ids of the visible windows whose name starts with `name`.
QStringList VisibleWindows(const QString& name) {
  QProcess search;
  search.start("xdotool",
               {"search", "--onlyvisible", "--name", "^" + QRegularExpression::escape(name)});
  search.waitForFinished();
  return QString::fromLatin1(search.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

// Serves events for up to ms milliseconds, until done() holds.
template <class F>
bool WaitFor(F done, int ms) {
  QElapsedTimer clock;
  clock.start();
  while (!done() && clock.elapsed() < ms) QTest::qWait(50);
  return done();
}

// The screen once the office has drawn it: two looks a quarter of a second apart agree.
QImage SettledScreen() {
  QImage last;
  for (int look = 0; look < 20; ++look) {
    QTest::qWait(250);
    QImage now = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    if (now == last) break;
    last = std::move(now);
  }
  return last;
}

// The office's clip marks on the screen: the small red arrow it draws at the right edge of a
// cell whose text it cannot show whole (cut on its line, or wrapped onto a line the row hides).
// Their red (#FF0000) appears nowhere else on this desktop, the office's icons included.
QList<QPoint> ClipMarks(const QImage& screen) {
  QList<QPoint> marks;
  for (int y = 0; y < screen.height(); ++y)
    for (int x = 0; x < screen.width(); ++x)
      if ((screen.pixel(x, y) & 0xFFFFFF) == 0xFF0000) marks << QPoint(x, y);
  return marks;
}

class TDesktopExport : public TWindowExportTest {
protected:
  TDesktopExport() { FVisibleOffice = true; }

  // Closes the one voucher window as the operator does: its close button, then "Не сохранять"
  // in the office's question (Alt+Н). On a loaded machine a window just mapped may not be
  // managed yet, nor a question just shown take keys: as the operator would, each press is
  // repeated until what it asks for shows, within a bound a working office never reaches.
  static void CloseVoucher() {
    const auto voucherShown = [] { return !VisibleWindows("vedomost.xls").isEmpty(); };
    const auto questionShown = [] { return !VisibleWindows("Сохранить документ?").isEmpty(); };
    ASSERT_TRUE(WaitFor(voucherShown, 10000));
    const QStringList vouchers = VisibleWindows("vedomost.xls");
    ASSERT_EQ(vouchers.size(), 1);
    QElapsedTimer clock;
    clock.start();
    bool asked = false;
    while (voucherShown() && clock.elapsed() < 60000) {
      if (!questionShown()) {
        ASSERT_TRUE(CloseWindowAsUser(vouchers[0].toULong()));
        WaitFor(questionShown, 3000);
        continue;
      }
      asked = true;
      const QString question = VisibleWindows("Сохранить документ?").value(0);
      QProcess::execute("xdotool", {"windowactivate", "--sync", question});
      QProcess::execute("xdotool", {"key", "--window", question, "alt+Cyrillic_en"});
      WaitFor([&] { return !voucherShown(); }, 1000);
    }
    // The voucher holds the program's unsaved work: closing it must ask.
    EXPECT_TRUE(asked);
    ASSERT_FALSE(voucherShown()) << "the voucher is still open after "
                                 << clock.elapsed() / 1000 << " s";
  }

  // Clicks "Экспорт в эксель" with a 20 ms timer running; returns how often it fired before
  // the export had ended.
  int ExportCountingTicks() {
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(20);
    ClickExport();
    return ticks;
  }

  // No window of the office but the vouchers (titled "vedomost.xls …") is on the screen, and
  // the vouchers are.
  static void ExpectNoOfficeDialog() {
    // Shown as the export's last step, the voucher maps a moment later on a loaded machine.
    WaitFor([] { return !VisibleWindows("vedomost.xls").isEmpty(); }, 10000);
    int vouchers = 0;
    for (const QString& name : VisibleWindowNames()) {
      if (name.startsWith("vedomost.xls")) ++vouchers;
      if (!name.startsWith(TApplication::Title())) {  // the program's window names its register
        EXPECT_TRUE(name.startsWith("vedomost.xls")) << name.toStdString();
      }
    }
    EXPECT_GT(vouchers, 0);
  }
};

TEST_F(TDesktopExport, TwoExportsInARowKeepTheWindowAnsweringAndTheSecondVoucherIsRight) {
  StartProgram({ExportBag});
  EnterFirmName(ExportFirm);
  TypeCount(2, "3");  // 2000
  EXPECT_GT(ExportCountingTicks(), 3);
  ASSERT_EQ(Program().Messages.Texts(), QStringList());
  // The window owns the clipboard now: the next office window asks it for its formats.
  const QImage picture = QGuiApplication::clipboard()->image();
  ASSERT_FALSE(picture.isNull());

  TypeCount(1, "1");  // 5000
  EXPECT_GT(ExportCountingTicks(), 3);
  ASSERT_EQ(Program().Messages.Texts(), QStringList());
  ExpectNoOfficeDialog();

  const std::vector<TVariant> documents = OpenVoucherCopies();
  ASSERT_EQ(documents.size(), 2u);
  const TVariant& second = documents[1];
  EXPECT_EQ(second.Get("Title").ToString(), "vedomost.xls");
  EXPECT_EQ(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32),
            QImage(WorkFile("QR.bmp")).convertToFormat(QImage::Format_RGB32));

  // Read back another way: stored, then turned into text by an office process of its own.
  const QString stored = FWork.filePath("second.xls");
  StoreCopy(second, stored);
  const std::map<TField, QString> texts =
      ExportFieldTexts("11000", "одиннадцать тысяч рублей 00 копеек");
  std::vector<TExpectedCell> cells = ExpectedCopy(0, UpperCopyCells, texts);
  for (const std::vector<TExpectedCell>& more :
       {ExpectedCopy(0, LowerCopyCells, texts),
        ExpectedList(1, "004512", {{"5000", "1", "5000"}, {"2000", "3", "6000"}}, "11000")})
    cells.insert(cells.end(), more.begin(), more.end());
  ExpectStoredCells(stored, cells);
}

// The operator sees the finished voucher, not its making: while the export runs no window of
// the office is on the screen (no grey window, no copy's file name, nothing over the busy
// box); afterwards the voucher is, titled "vedomost.xls".
TEST_F(TDesktopExport, OnlyTheFinishedVoucherEverShows) {
  StartProgram({ExportBag});
  EnterFirmName(ExportFirm);
  TypeCount(2, "3");
  QStringList seen;
  QTimer look;
  QObject::connect(&look, &QTimer::timeout, [&] {
    for (const QString& name : VisibleWindowNames())
      if (!name.startsWith(TApplication::Title()) && !seen.contains(name)) seen << name;
  });
  look.start(30);
  ClickExport();
  look.stop();
  EXPECT_EQ(Program().Messages.Texts(), QStringList());
  // Shown as its last step, the voucher may be caught by the last looks: nothing else.
  EXPECT_EQ(seen.filter(QRegularExpression("^(?!vedomost\\.xls - LibreOffice Calc$)")),
            QStringList());
  ExpectNoOfficeDialog();  // and the voucher shows now
}

// At 100 % the office draws each column a whole number of pixels wide, narrower than on paper:
// numbers, dates and titles must still show whole, on one line, on every sheet.
TEST_F(TDesktopExport, TheVoucherShowsWholeOnTheScreen) {
  StartProgram({ExportBag});
  EnterFirmName(ExportFirm);
  TypeCount(1, "123");  // 615000
  ClickExport();
  ASSERT_EQ(Program().Messages.Texts(), QStringList());
  const std::vector<TVariant> documents = OpenVoucherCopies();
  ASSERT_EQ(documents.size(), 1u);
  std::vector<TExpectedCell> cells;
  const std::map<TField, QString> texts =
      ExportFieldTexts("615000", "шестьсот пятнадцать тысяч рублей 00 копеек");
  for (const auto& [sheet, copy] : {std::pair{0, std::span<const TFieldCell>(UpperCopyCells)},
                                    {0, LowerCopyCells}, {2, ThirdCopyCells}})
    for (const TExpectedCell& cell : ExpectedCopy(sheet, copy, texts)) cells.push_back(cell);
  ExpectDocumentCells(documents[0], cells);  // nothing cut by the program either

  ASSERT_EQ(QProcess::execute("xdotool", {"search", "--onlyvisible", "--name", "^vedomost\\.xls",
                                          "windowactivate", "--sync", "windowmove", "0", "0",
                                          "windowsize", "100%", "100%"}),
            0);
  const TVariant view = documents[0].Call("GetCurrentController");
  view.Set("ZoomType", 3);  // by value
  view.Set("ZoomValue", 100);
  for (int sheet = 0; sheet < 4; ++sheet) {
    view.Call("SetActiveSheet", {documents[0].Call("GetSheets").Call("GetByIndex", {sheet})});
    // Rows 1 to 59 in views of 25 rows: the screen shows about 35.
    for (int firstRow = 0; firstRow < 59; firstRow += 25) {
      view.Set("FirstVisibleRow", firstRow);
      const QList<QPoint> marks = ClipMarks(SettledScreen());
      EXPECT_TRUE(marks.isEmpty()) << "sheet " << sheet + 1 << " from row " << firstRow + 1
                                   << ": " << marks.size() << " red pixels, the first at "
                                   << marks.value(0).x() << "," << marks.value(0).y();
    }
  }
}

TEST_F(TDesktopExport, StaleLocksAndABrokenTemplateOpenNoOfficeDialog) {
  StartProgram({ExportBag});
  EnterFirmName(ExportFirm);
  TypeCount(2, "3");
  // Locks an office left behind: of the old working copy and of the name the export takes first.
  const QString first = QDate::currentDate().toString("yyyy-MM-dd") + "_004512_1.xls";
  ASSERT_TRUE(QDir(WorkFile("")).mkpath("vouchers"));
  for (const QString& lock :
       {WorkFile(".~lock.temp1.xls#"), WorkFile("vouchers/.~lock." + first + "#")})
    WriteFile(lock, ",operator,desk,01.12.2026 09:00,file:///home/operator/.config/libreoffice/4;");
  ClickExport();
  EXPECT_EQ(Program().Messages.Texts(), QStringList());
  ASSERT_EQ(OpenVoucherCopies().size(), 1u);
  EXPECT_TRUE(OpenVoucherCopies()[0].Get("URL").ToString().endsWith("_004512_2.xls"));

  // A template that is no spreadsheet never reaches the office.
  WriteFile(WorkFile("temp.xls"), "Сумка;Сумма\n");
  ClickExport();
  ASSERT_EQ(Program().Messages.Boxes.size(), 1u);
  EXPECT_EQ(Program().Messages.Boxes[0].Text,
            "Файл temp.xls («" + QDir::toNativeSeparators(WorkFile("temp.xls")) +
                "») не является таблицей Excel. Замените его шаблоном ведомости.");
  EXPECT_EQ(OpenVoucherCopies().size(), 1u);
  ExpectNoOfficeDialog();
}

// The office the program started ends once the operator has closed its last document (the
// voucher's close button, then "Не сохранять"), leaving no office window behind, not even the
// Start Center; while it holds the operator's own document, closing a voucher ends nothing.
TEST_F(TDesktopExport, ClosingTheLastDocumentEndsTheOfficeTheProgramStarted) {
  StartProgram({ExportBag});
  EnterFirmName(ExportFirm);
  TypeCount(2, "3");
  ClickExport();
  ASSERT_EQ(Program().Messages.Texts(), QStringList());
  const pid_t office = FServer->OfficeProcessId();
  ASSERT_NE(office, 0);
  // The operator's own spreadsheet, opened in the same office ("Файл → Создать").
  TVariant own = FServer->CreateServiceManager()
                     .Call("CreateInstance", {"com.sun.star.frame.Desktop"})
                     .Call("LoadComponentFromURL", {"private:factory/scalc", "_blank", 0,
                                                    TVariant(TVariant::TArray{})});
  ASSERT_TRUE(own.IsObject());

  CloseVoucher();
  QTest::qWait(2000);
  EXPECT_TRUE(TOfficeProcess::GroupHasLiveProcess(office));
  EXPECT_TRUE(own.Call("GetCurrentController").Call("GetFrame").Call("GetContainerWindow")
                  .Call("IsVisible").ToBool());

  // A voucher made meanwhile keeps the office when the operator's document closes.
  ClickExport();
  ASSERT_EQ(Program().Messages.Texts(), QStringList());
  own.Call("Close", {true});
  QTest::qWait(2000);
  EXPECT_TRUE(TOfficeProcess::GroupHasLiveProcess(office));

  CloseVoucher();
  EXPECT_TRUE(WaitFor([&] { return !TOfficeProcess::GroupHasLiveProcess(office); }, 20000));
  EXPECT_EQ(VisibleWindowNames().filter(QRegularExpression("^(?!" + TApplication::Title() + ")")),
            QStringList());
}

}  // namespace
