#include <QClipboard>
#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QThread>
#include <QTimer>

#include <com/sun/star/frame/XDesktop.hpp>
#include <com/sun/star/frame/XTerminateListener.hpp>
#include <cppuhelper/implbase1.hxx>

#include <atomic>
#include <csignal>
#include <future>

#include "office/AutomationValues.h"
#include "office/OfficeProcess.h"
#include "office/UnoBridge.h"
#include "office/VoucherExport.h"
#include "tests/office/OfficeFixture.h"
#include "tests/office/OfficeSockets.h"
#include "tests/office/TestVoucherSource.h"

namespace {

class TExportIntegrationTest : public TOfficeFixture {
protected:
  void ExpectFilled(const TVariant& document) {
    ExpectDocumentCells(document,
                        ExpectedCells(FSource, QDate::currentDate().toString("dd.MM.yyyy")));
    for (int sheet : {1, 3})  // rows of the lists that get no entry keep the template's blank
      EXPECT_EQ(CellText(document, sheet, "A8"), "");
  }

  TTestVoucherSource FSource;
};

TEST_F(TExportIntegrationTest, FillsEveryCellPlacesThePictureAndLeavesTheDocumentOpen) {
  FSource.UseRealClipboard = true;
  ExportVoucher(*FOffice, FSource);
  EXPECT_TRUE(FSource.Messages.empty());

  // The test program lies in the build tree, its working directory elsewhere: the document
  // shown must be the export's own copy, made in "vouchers" of the working directory.

  const std::vector<TVariant> documents = OpenVoucherCopies();
  ASSERT_EQ(documents.size(), 1u);
  const TVariant& document = documents[0];
  const QString copy =
      FWork.filePath("vouchers/" + QDate::currentDate().toString("yyyy-MM-dd") + "_004512_1.xls");
  EXPECT_EQ(document.Get("URL").ToString(), FileNameToURL(copy));
  EXPECT_EQ(document.Get("Title").ToString(), "vedomost.xls");
  ExpectFilled(document);
  // Read back another way too: stored, then turned into text by an office process of its own.
  const QString stored = FWork.filePath("stored.xls");
  StoreCopy(document, stored);
  ExpectStoredCells(stored, ExpectedCells(FSource, QDate::currentDate().toString("dd.MM.yyyy")));

  const TVariant shape = ShapeNamed(document, 2, "Graphic1");
  ASSERT_TRUE(shape.IsObject());
  EXPECT_EQ(shape.Call("GetShapeType").ToString(), "com.sun.star.drawing.GraphicObjectShape");
  EXPECT_EQ(shape.Get("Position").Get("X").ToInt(), 2000);
  EXPECT_EQ(shape.Get("Position").Get("Y").ToInt(), 23000);
  EXPECT_EQ(shape.Get("Size").Get("Width").ToInt(), 6400);
  EXPECT_EQ(shape.Get("Size").Get("Height").ToInt(), 6000);
  EXPECT_EQ(shape.Get("Transparency").ToInt(), 50);
  EXPECT_TRUE(shape.Get("Graphic").IsObject());
  for (int sheet : {0, 1, 3})
    EXPECT_EQ(ShapeNamed(document, sheet, "Graphic1").Kind(), TVariant::TKind::Null);

  // "QR.bmp": one bit per pixel, 4 pixels per module; the same picture is on the clipboard.
  const QImage bitmap(FWork.filePath("QR.bmp"));
  ASSERT_FALSE(bitmap.isNull());
  EXPECT_EQ(bitmap.depth(), 1);
  EXPECT_EQ(bitmap.width(), 4 * FSource.Symbol.SymbolSize());
  EXPECT_EQ(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32),
            bitmap.convertToFormat(QImage::Format_RGB32));
  EXPECT_TRUE(FOffice->IsConnected());  // Connect(false) keeps the desktop, drops the document

  // The operator prints it: the open document is found again by its file and printed to PDF.
  ASSERT_TRUE(FOffice->FindOpenDocument(copy));
  FOffice->ExportToPDF(FWork.filePath("voucher.pdf"));
  QFile pdf(FWork.filePath("voucher.pdf"));
  ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
  EXPECT_EQ(pdf.read(5), "%PDF-");
}

// The program prepares its office once the window is shown: started in the background at the
// lowest priority, it is the office the first export then finds ready.
TEST_F(TExportIntegrationTest, APreparedOfficeStartsAtLowestPriorityAndTakesTheFirstExport) {
  FServer->Prepare();
  QElapsedTimer clock;
  clock.start();
  while (FServer->OfficeProcessId() == 0 && clock.elapsed() < 5000) QThread::msleep(20);
  const pid_t prepared = FServer->OfficeProcessId();
  ASSERT_NE(prepared, 0);
  while (FServer->IsStarting() && clock.elapsed() < 60000) QThread::msleep(20);
  // The launcher, and the office it starts, run at nice 19: field 19 of /proc/<pid>/stat.
  QFile stat(QString("/proc/%1/stat").arg(prepared));
  ASSERT_TRUE(stat.open(QIODevice::ReadOnly));
  const QByteArray line = stat.readAll();
  EXPECT_EQ(line.mid(line.lastIndexOf(')') + 2).split(' ').at(16), "19");

  ExportVoucher(*FOffice, FSource);
  EXPECT_TRUE(FSource.Messages.empty());
  EXPECT_EQ(FServer->OfficeProcessId(), prepared);
  ASSERT_EQ(OpenVoucherCopies().size(), 1u);
}

// A program that ends before its first export takes the office it prepared along, whether
// that office already answers or is still starting.
TEST_F(TExportIntegrationTest, AnOfficePreparedButNeverUsedEndsWithTheProgram) {
  for (const bool waitForIt : {true, false}) {
    SCOPED_TRACE(waitForIt ? "answering" : "starting");
    auto server = std::make_shared<TUnoServer>(Launch());
    server->Prepare();
    QElapsedTimer clock;
    clock.start();
    while (server->OfficeProcessId() == 0 && clock.elapsed() < 5000) QThread::msleep(10);
    const pid_t prepared = server->OfficeProcessId();
    ASSERT_NE(prepared, 0);
    while (waitForIt && server->IsStarting() && clock.elapsed() < 60000) QThread::msleep(20);
    server.reset();
    EXPECT_FALSE(TOfficeProcess::GroupHasLiveProcess(prepared));
  }
}

TEST_F(TExportIntegrationTest, TwoExportsGiveTwoDocuments) {
  ExportVoucher(*FOffice, FSource);
  FSource.BagData.BagNumber = "004513";
  ExportVoucher(*FOffice, FSource);
  const std::vector<TVariant> documents = OpenVoucherCopies();
  ASSERT_EQ(documents.size(), 2u);
  QStringList bags;
  for (const TVariant& document : documents) {
    EXPECT_EQ(document.Get("Title").ToString(), "vedomost.xls");
    EXPECT_TRUE(ShapeNamed(document, 2, "Graphic1").IsObject());
    bags << CellText(document, 0, "AQ6");
  }
  bags.sort();
  EXPECT_EQ(bags, QStringList({"004512", "004513"}));
}

TEST_F(TExportIntegrationTest, WorksInAFolderWithCyrillicHashAndPercent) {
  const QString folder = FWork.filePath("Ведомости #1 100%");
  ASSERT_TRUE(QDir().mkdir(folder));
  ASSERT_TRUE(QFile::copy("temp.xls", folder + "/temp.xls"));
  ASSERT_TRUE(QDir::setCurrent(folder));
  ExportVoucher(*FOffice, FSource);
  const std::vector<TVariant> documents = OpenVoucherCopies();
  ASSERT_EQ(documents.size(), 1u);
  EXPECT_EQ(CellText(documents[0], 0, "AQ6"), FSource.BagData.BagNumber);
  EXPECT_TRUE(ShapeNamed(documents[0], 2, "Graphic1").Get("Graphic").IsObject());
}

const QString NoConnect =
    "Не удалось запустить LibreOffice. Проверьте, что LibreOffice Calc установлен и запускается "
    "командой soffice, и повторите экспорт.\nнет связи с LibreOffice (no connect)";

struct TMissingSuiteCase {
  const char* Name;
  QString Program;
};
void PrintTo(const TMissingSuiteCase& c, std::ostream* out) { *out << c.Name; }

class TMissingSuiteTest : public TOfficeFixture,
                          public ::testing::WithParamInterface<TMissingSuiteCase> {};

TEST_P(TMissingSuiteTest, SaysNoConnectAfterWritingThePictureAndTheCopy) {
  TOfficeLaunch launch = Launch();
  launch.Program = GetParam().Program;
  launch.StartTimeout = std::chrono::milliseconds(1500);
  TOOCalc office(std::make_shared<TUnoServer>(launch));
  TTestVoucherSource source;
  ExportVoucher(office, source);
  EXPECT_EQ(source.Messages, std::vector<QString>{NoConnect});
  EXPECT_FALSE(office.IsConnected());
  EXPECT_TRUE(QFile::exists(FWork.filePath("QR.bmp")));
  EXPECT_TRUE(QFile::exists(FWork.filePath("temp1.xls")));
}

INSTANTIATE_TEST_SUITE_P(Suites, TMissingSuiteTest,
                         ::testing::Values(TMissingSuiteCase{"NotInstalled",
                                                             "/nonexistent/soffice"},
                                           TMissingSuiteCase{"FailsToStart", "/bin/false"},
                                           TMissingSuiteCase{"NeverAnswers", "/bin/true"}),
                         [](const auto& info) { return std::string(info.param.Name); });

// An office that takes the connection on its pipe once it has been started and never answers
// (hung while it starts): the start is given up when its own time is up, as one that never
// listens is, and the hung process is ended.
TEST_F(TExportIntegrationTest, AStartedOfficeThatTakesTheConnectionButNeverAnswersIsGivenUp) {
  const QString program = FWork.filePath("hung-office");
  {
    QFile script(program);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nexec sleep 60\n");
  }
  ASSERT_TRUE(QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner));
  TOfficeLaunch launch = Launch();
  launch.Program = program;
  launch.StartTimeout = std::chrono::seconds(2);
  launch.AnswerTimeout = std::chrono::seconds(2);
  FOffice.reset();
  FServer = std::make_shared<TUnoServer>(launch);
  FOffice = std::make_unique<TOOCalc>(FServer);
  // The pipe listens only once the "office" runs, and nobody ever reads from it.
  TSilentOfficePipe pipe(launch.PipeName);
  QTimer listen;
  QObject::connect(&listen, &QTimer::timeout, [&] {
    if (FServer->OfficeProcessId() == 0) return;
    listen.stop();
    EXPECT_TRUE(pipe.Listen());
  });
  listen.start(10);

  QElapsedTimer clock;
  clock.start();
  ExportVoucher(*FOffice, FSource);
  EXPECT_LT(clock.elapsed(), 5000);
  EXPECT_EQ(FSource.Messages, std::vector<QString>{NoConnect});
  const pid_t hung = FServer->OfficeProcessId();
  ASSERT_NE(hung, 0);
  EXPECT_FALSE(TOfficeProcess::GroupHasLiveProcess(hung));
}

TEST_F(TExportIntegrationTest, SuiteKilledDuringTheExportRaisesAndTheNextExportWorks) {
  FSource.OnClipboard = [this] {
    kill(-FServer->OfficeProcessId(), SIGKILL);
    FSource.OnClipboard = nullptr;
  };
  try {
    ExportVoucher(*FOffice, FSource);
    FAIL() << "the export went through";
  } catch (const EOffice& error) {
    EXPECT_EQ(error.Message().section(u'\n', 0, 0),
              "LibreOffice закрылся во время экспорта, ведомость заполнена не до конца. "
              "Повторите экспорт.");
  }

  FSource.BagData.BagNumber = "004514";
  ExportVoucher(*FOffice, FSource);
  const std::vector<TVariant> documents = OpenVoucherCopies();
  ASSERT_EQ(documents.size(), 1u);
  ExpectFilled(documents[0]);
}

// A template whose compound-file header is intact but whose body is random bytes: the office
// opens it as one empty sheet. The export refuses it before writing a cell, and the operator
// never sees the empty sheet.
TEST_F(TExportIntegrationTest, ATemplateWithADamagedBodyIsRefusedUnseen) {
  QFile file("temp.xls");
  ASSERT_TRUE(file.open(QIODevice::ReadWrite));
  ASSERT_GT(file.size(), 18048);
  QByteArray noise(16000, '\0');
  quint32 state = 2026;  // a fixed sequence, so that a failure can be repeated
  for (char& byte : noise) {
    state = state * 1664525u + 1013904223u;
    byte = static_cast<char>(state >> 24);
  }
  ASSERT_TRUE(file.seek(2048));
  ASSERT_EQ(file.write(noise), noise.size());
  file.close();

  const QString copy = QDir::toNativeSeparators(
      FWork.filePath("vouchers/" + QDate::currentDate().toString("yyyy-MM-dd") + "_004512_1.xls"));
  try {
    ExportVoucher(*FOffice, FSource);
    FAIL() << "the export went through";
  } catch (const EOffice& error) {
    EXPECT_EQ(error.Message(),
              "Шаблон temp.xls повреждён: в его копии «" + copy +
                  "» нет листов и полей ведомости. Замените temp.xls исправным шаблоном "
                  "ведомости и повторите экспорт.\n1 sheet(s), the voucher needs 4");
  }
  EXPECT_TRUE(OpenDocuments("file://").empty());
  EXPECT_EQ(QDir(FWork.filePath("vouchers")).entryList(QDir::Files | QDir::Hidden), QStringList());
}

TEST_F(TExportIntegrationTest, NameGraphic1TakenOnTheThirdSheetStopsTheExport) {
  // A template whose third sheet already has a shape "Graphic1" (a rectangle, not a picture).
  ASSERT_TRUE(QFile::copy("temp.xls", "temp1.xls"));
  // A work of its own: the office would end under the next calls when this test closes its
  // last document outside one.
  FServer->BeginWork();
  FOffice->Connect(true);
  FOffice->OpenDocument(
      "temp1.xls",
      TOOOpenOptions{.Hidden = true, .AsTemplate = false, .ReadOnly = false, .FilterName = {}}, 0);
  const TVariant document = OpenDocuments(FileNameToURL(FWork.filePath("temp1.xls"))).at(0);
  const TVariant rectangle =
      document.Call("CreateInstance", {"com.sun.star.drawing.RectangleShape"});
  document.Call("GetSheets").Call("GetByIndex", {2}).Get("DrawPage").Call("Add", {rectangle});
  rectangle.Set("Name", "Graphic1");
  FOffice->SaveDocumentAs(FWork.filePath("temp.xls"), "");
  document.Call("Close", {true});
  FServer->EndWork();

  try {
    ExportVoucher(*FOffice, FSource);
    FAIL() << "the export went through";
  } catch (const EOffice& error) {
    EXPECT_EQ(error.Message(),
              "LibreOffice не разместил QR-код на третьем листе ведомости. Если в шаблоне "
              "temp.xls там уже есть фигура «Graphic1», удалите её и повторите экспорт.\n"
              "Shape with specified name already exist.");
  }
  // The unfinished voucher was never shown: it is closed and its copy removed.
  EXPECT_TRUE(OpenVoucherCopies().empty());
  EXPECT_EQ(QDir(FWork.filePath("vouchers")).entryList(QDir::Files | QDir::Hidden), QStringList());
}

}  // namespace

namespace {

// The office stops answering (stopped by SIGSTOP, as a hung office), midway through an export
// or idle between two: the export ends by itself after the answer time-out its message names,
// or when the operator cancels; either way the hung office is ended, no process of it is left,
// and the next export starts a new one.
struct THungCase {
  const char* Name;
  bool StoppedWhileIdle;
  bool OperatorCancels;
  QString Message;
};
void PrintTo(const THungCase& c, std::ostream* out) { *out << c.Name; }

class THungOfficeTest : public TExportIntegrationTest,
                        public ::testing::WithParamInterface<THungCase> {};

TEST_P(THungOfficeTest, IsEndedOnTimeOutOrCancel) {
  const THungCase& c = GetParam();
  SCOPED_TRACE(c.Name);
  FOffice.reset();
  FServer->TerminateOffice();
  TOfficeLaunch launch = Launch();
  launch.AnswerTimeout = std::chrono::seconds(c.OperatorCancels ? 600 : 2);
  FServer = std::make_shared<TUnoServer>(launch);
  FOffice = std::make_unique<TOOCalc>(FServer);

  TOfficeWork* waiting = nullptr;
  FSource.OnWait = [&](TOfficeWork& work) { waiting = &work; };
  // The operator's cancel, 2.5 s after the office stopped: meant for the export under way
  // then, never for a later one.
  QTimer cancel;
  cancel.setSingleShot(true);
  QObject::connect(&cancel, &QTimer::timeout, [&] {
    if (waiting) waiting->Cancel();
  });
  pid_t stopped = 0;
  QElapsedTimer sinceStop;
  const auto stop = [&] {
    sinceStop.start();
    stopped = FServer->OfficeProcessId();
    kill(-stopped, SIGSTOP);
    if (c.OperatorCancels) cancel.start(2500);
  };
  if (c.StoppedWhileIdle) {
    ExportVoucher(*FOffice, FSource);
    stop();
  } else {
    FSource.OnClipboard = stop;
  }
  const QStringList copiesBefore =
      QDir(FWork.filePath("vouchers")).entryList(QDir::Files | QDir::Hidden);
  FSource.Information.clear();
  try {
    ExportVoucher(*FOffice, FSource);
    EXPECT_TRUE(c.OperatorCancels) << "the export went through";
  } catch (const EOffice& error) {
    EXPECT_EQ(error.Message(), c.Message);
  }
  cancel.stop();
  waiting = nullptr;
  // The operator's own choice is no error; either way the unfinished voucher never shows
  // and its copy (and the ended office's lock of it) is gone.
  EXPECT_EQ(FSource.Information, c.OperatorCancels ? std::vector<QString>{"Экспорт отменён."}
                                                   : std::vector<QString>{});
  EXPECT_EQ(QDir(FWork.filePath("vouchers")).entryList(QDir::Files | QDir::Hidden),
            copiesBefore);
  // The time named, and the few seconds ending the office may take.
  if (!c.OperatorCancels) {
    EXPECT_LT(sinceStop.elapsed(), 8000);
  }
  ASSERT_NE(stopped, 0);
  EXPECT_FALSE(TOfficeProcess::GroupHasLiveProcess(stopped));

  FSource.OnClipboard = nullptr;
  FSource.OnWait = nullptr;
  FSource.Messages.clear();
  ExportVoucher(*FOffice, FSource);
  EXPECT_EQ(FSource.Messages, std::vector<QString>{});
  EXPECT_NE(FServer->OfficeProcessId(), stopped);
  const std::vector<TVariant> copies = OpenVoucherCopies();
  ASSERT_FALSE(copies.empty());
  EXPECT_EQ(CellText(copies.back(), 3, "DC20"), FSource.TotalText);
}

const QString NoAnswer =
    "LibreOffice не отвечает 2 с, экспорт прерван. Повторите экспорт.\n"
    "LibreOffice не отвечает (no answer)";
INSTANTIATE_TEST_SUITE_P(
    Cases, THungOfficeTest,
    ::testing::Values(THungCase{"Midway", false, false, NoAnswer},
                      THungCase{"FrozenWhileIdle", true, false, NoAnswer},
                      THungCase{"OperatorCancels", false, true, ""}),
    [](const auto& info) { return std::string(info.param.Name); });

}  // namespace

namespace {

// A listener of the test's own in the office: asked, as every listener is, whether the office
// may end, it stops the office (SIGSTOP) there and then. The office hangs in the middle of the
// program's request that it end.
class TStopOnTermination : public cppu::WeakImplHelper1<css::frame::XTerminateListener> {
public:
  TStopOnTermination(pid_t office, std::shared_ptr<std::atomic<bool>> stopped)
      : FOffice(office), FStopped(std::move(stopped)) {}
  void SAL_CALL queryTermination(const css::lang::EventObject&) override {
    kill(-FOffice, SIGSTOP);
    *FStopped = true;
  }
  void SAL_CALL notifyTermination(const css::lang::EventObject&) override {}
  void SAL_CALL disposing(const css::lang::EventObject&) override {}

private:
  pid_t FOffice;
  std::shared_ptr<std::atomic<bool>> FStopped;
};

// The operator closes the last voucher and the program asks its emptied office to end; the
// office hangs right then. Neither the program going on (its next export) nor the program
// ending waits for it beyond a bound: the time an export gives an office to answer, and the
// few seconds a program that ends gives it; the hung office is ended either way.
struct TEmptiedHangsCase {
  const char* Name;
  bool ProgramEnds;
};
void PrintTo(const TEmptiedHangsCase& c, std::ostream* out) { *out << c.Name; }

class TEmptiedOfficeHangsTest : public TExportIntegrationTest,
                                public ::testing::WithParamInterface<TEmptiedHangsCase> {};

TEST_P(TEmptiedOfficeHangsTest, IsEndedWithinTheBound) {
  const TEmptiedHangsCase& c = GetParam();
  FOffice.reset();
  TOfficeLaunch launch = Launch();
  launch.AnswerTimeout = std::chrono::seconds(c.ProgramEnds ? 600 : 2);
  FServer = std::make_shared<TUnoServer>(launch);
  FOffice = std::make_unique<TOOCalc>(FServer);
  ExportVoucher(*FOffice, FSource);
  ASSERT_EQ(FSource.Messages, std::vector<QString>{});
  const pid_t office = FServer->OfficeProcessId();
  ASSERT_NE(office, 0);

  const TVariant desktop =
      FServer->CreateServiceManager().Call("CreateInstance", {"com.sun.star.frame.Desktop"});
  const auto* remote = dynamic_cast<const TUnoObject*>(&desktop.ToObject());
  ASSERT_NE(remote, nullptr);
  const auto stopped = std::make_shared<std::atomic<bool>>(false);
  css::uno::Reference<css::frame::XDesktop>(remote->Object(), css::uno::UNO_QUERY_THROW)
      ->addTerminateListener(new TStopOnTermination(office, stopped));
  const std::vector<TVariant> vouchers = OpenVoucherCopies();
  ASSERT_EQ(vouchers.size(), 1u);
  vouchers[0].Call("Close", {true});  // outside a work, as the operator's close button does
  QElapsedTimer clock;
  clock.start();
  while (!*stopped && clock.elapsed() < 20000) QThread::msleep(10);
  ASSERT_TRUE(*stopped) << "the program never asked the emptied office to end";
  // Whatever the outcome, nothing of the stopped office outlives the test.
  const std::shared_ptr<void> ended(nullptr, [office](void*) { kill(-office, SIGKILL); });

  clock.restart();
  if (c.ProgramEnds) {
    FOffice.reset();
    std::future<void> destroyed =
        std::async(std::launch::async, [server = std::move(FServer)]() mutable { server.reset(); });
    const bool returned = destroyed.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
    if (!returned) kill(-office, SIGKILL);  // lets the destructor return, and the test end
    destroyed.get();
    ASSERT_TRUE(returned) << "the program did not end while its office hung";
    // The 5 s it waits for an answer, and the few seconds ending the office may take.
    EXPECT_LT(clock.elapsed(), 12000);
    EXPECT_FALSE(TOfficeProcess::GroupHasLiveProcess(office));
    FServer = std::make_shared<TUnoServer>(Launch());
    FOffice = std::make_unique<TOOCalc>(FServer);
    return;
  }
  // The 2 s an export gives the office to answer, and the few seconds ending it may take.
  while (TOfficeProcess::GroupHasLiveProcess(office) && clock.elapsed() < 15000)
    QThread::msleep(20);
  EXPECT_FALSE(TOfficeProcess::GroupHasLiveProcess(office));
  EXPECT_LT(clock.elapsed(), 9000);
  ExportVoucher(*FOffice, FSource);
  EXPECT_EQ(FSource.Messages, std::vector<QString>{});
  EXPECT_NE(FServer->OfficeProcessId(), office);
  EXPECT_EQ(OpenVoucherCopies().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Cases, TEmptiedOfficeHangsTest,
                         ::testing::Values(TEmptiedHangsCase{"ProgramGoesOn", false},
                                           TEmptiedHangsCase{"ProgramEnds", true}),
                         [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
