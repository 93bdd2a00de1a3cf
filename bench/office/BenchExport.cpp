// bench-export: times the whole voucher export through the wrapper against a headless
// LibreOffice of its own, and the same calls of the suite made by a bare typed client.
// Last line: "export <ms> ms, bare <ms> ms, ratio <x>" (medians). Targets: ratio <= 1.2,
// export <= 3000 ms.
//
// bench-export --desktop: as an operator meets it, on an X desktop of its own (Xvfb, openbox),
// a window shown, the real clipboard, an office that is not running yet and is prepared in the
// background as the program does once its window is shown: after a 10 s pause the first
// export, the second, and the median of the later ones, each whole and its fill alone (from
// the office's first answer in the export to its end). Last line: "first <ms> ms, first fill
// <ms> ms, second <ms> ms, later <ms> ms, first/second <x>". Targets: first <= 1.2 x the
// second, second <= 1500 ms.
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/util/XCloseable.hpp>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QRasterWindow>
#include <QTemporaryDir>
#include <QUuid>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench/office/BareExport.h"
#include "office/AutomationValues.h"
#include "office/UnoBridge.h"
#include "office/UnoServer.h"
#include "tests/office/OfficeSockets.h"
#include "tests/support/XDesktop.h"

namespace {

class TBenchSource : public TVoucherSource {
public:
  TBenchSource() { FSymbol.SetText("Сумка 004512; ООО Ромашка; 6007,00"); }
  QString FirmName() const override { return "ООО «Ромашка»"; }
  QString CashAccount() const override { return "40702810900000012345"; }
  TVoucherBag Bag() const override {
    return {"004512", "ПАО Банк", "40702810500000054321", "7701234567", "2", "Иванов И. И."};
  }
  TDenominationRow DenominationRow(int row) const override {
    if (row == 2) return {"2000", "3", "6000"};
    if (row == 11) return {"1", "7", "7"};
    return {"", "0", "0"};
  }
  QString Total() const override { return "6007"; }
  QString ReceiptName() const override { return "Поступления от реализации товаров"; }
  const TQRSymbol& QRSymbol() const override { return FSymbol; }
  void ShowMessage(const QString& message) override {
    std::fprintf(stderr, "message: %s\n", qPrintable(message));
  }
  void ShowInformation(const QString& message) override { ShowMessage(message); }

private:
  TQRSymbol FSymbol;
};

void CloseAllDocuments(const css::uno::Reference<css::uno::XComponentContext>& office) {
  const css::uno::Reference<css::container::XEnumeration> components =
      css::frame::Desktop::create(office)->getComponents()->createEnumeration();
  while (components->hasMoreElements())
    css::uno::Reference<css::util::XCloseable>(components->nextElement(), css::uno::UNO_QUERY_THROW)
        ->close(true);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// A working folder with the template, the working directory while this lives, and an office
// profile of its own (its temporary files too).
class TBenchRun {
public:
  TBenchRun() {
    QDir(FProfile.path()).mkdir("tmp");
    qputenv("TMPDIR", FProfile.filePath("tmp").toLocal8Bit());
    QFile::copy(VOUCHER_TEMPLATE, FWork.filePath("temp.xls"));
    QDir::setCurrent(FWork.path());
  }
  TOfficeLaunch Launch(bool headless) const {
    TOfficeLaunch launch;
    launch.PipeName = "inkassatsiya_bench_" + QUuid::createUuid().toString(QUuid::Id128);
    launch.ProfileURL = FileNameToURL(FProfile.path());
    launch.Headless = headless;
    launch.StartTimeout = std::chrono::seconds(60);
    return launch;
  }

private:
  QTemporaryDir FWork;
  QTemporaryDir FProfile;
};

// The office's server, noting when the office first answers in an export: the service
// manager, got once the office runs and its pipe answers.
class TAnswerClock : public TAutomationServer {
public:
  explicit TAnswerClock(std::shared_ptr<TUnoServer> server) : FServer(std::move(server)) {}
  TVariant CreateServiceManager() override {
    TVariant manager = FServer->CreateServiceManager();
    if (FFirstAnswer < 0) FFirstAnswer = FClock.nsecsElapsed();
    return manager;
  }
  TVariant CreateInteractionHandler() override { return FServer->CreateInteractionHandler(); }
  void Abort() override { FServer->Abort(); }
  void BeginWork() override { FServer->BeginWork(); }
  void EndWork() override { FServer->EndWork(); }
  std::chrono::milliseconds AnswerTimeout() const override { return FServer->AnswerTimeout(); }
  bool IsStarting() const override { return FServer->IsStarting(); }

  // The whole export and its part from the office's first answer, in ms.
  std::pair<double, double> Export(TOOCalc& office, TVoucherSource& source) {
    FFirstAnswer = -1;
    FClock.start();
    ExportVoucher(office, source);
    const qint64 end = FClock.nsecsElapsed();
    return {end / 1e6, (end - FFirstAnswer) / 1e6};
  }

private:
  std::shared_ptr<TUnoServer> FServer;
  QElapsedTimer FClock;
  qint64 FFirstAnswer = -1;  // written by the export's office thread, read after it ended
};

int DesktopSeries(int argc, char** argv, int runs) {
  TXDesktop desktop;
  if (!desktop.Started()) {
    std::fprintf(stderr, "bench-export: Xvfb and openbox could not be started\n");
    return 1;
  }
  qputenv("QT_QPA_PLATFORM", "xcb");
  QGuiApplication application(argc, argv);
  QRasterWindow window;
  window.resize(778, 547);
  window.show();
  TBenchRun folder;
  const TOfficeLaunch launch = folder.Launch(false);
  auto server = std::make_shared<TUnoServer>(launch);
  auto clock = std::make_shared<TAnswerClock>(server);
  TOOCalc office(clock);
  TBenchSource source;
  int status = 0;
  server->Prepare();
  QElapsedTimer pause;
  pause.start();
  while (pause.elapsed() < 10000) application.processEvents(QEventLoop::AllEvents, 100);
  try {
    const auto [first, firstFill] = clock->Export(office, source);
    const auto [second, secondFill] = clock->Export(office, source);
    std::printf("first %.1f ms (fill %.1f ms), second %.1f ms (fill %.1f ms)\n", first, firstFill,
                second, secondFill);
    std::vector<double> later;
    for (int run = 0; run < runs; ++run) {
      const auto [whole, fill] = clock->Export(office, source);
      later.push_back(whole);
      std::printf("run %d: %.1f ms (fill %.1f ms)\n", run + 3, whole, fill);
    }
    std::printf(
        "first %.1f ms, first fill %.1f ms, second %.1f ms, later %.1f ms, "
        "first/second %.2f\n",
        first, firstFill, second, Median(later), first / second);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "bench-export: %s\n", error.what());
    status = 1;
  }
  server->TerminateOffice();
  RemoveOfficeSockets(launch);
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && QByteArray(argv[1]) == "--desktop")
    return DesktopSeries(argc, argv, argc > 2 ? std::max(1, std::atoi(argv[2])) : 5);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  TBenchRun folder;
  const TOfficeLaunch launch = folder.Launch(true);
  auto server = std::make_shared<TUnoServer>(launch);
  TOOCalc office(server);
  TBenchSource source;
  int status = 0;
  try {
    server->CreateServiceManager();  // starts the office
    const std::shared_ptr<TUnoSession> bare = TUnoSession::Connect(launch.PipeName);
    const auto context = bare->RemoteContext();
    ExportVoucher(office, source);  // warm-up of both
    BareExport(context, source);
    CloseAllDocuments(context);

    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    std::vector<double> exports, bares;
    for (int run = 0; run < runs; ++run) {
      QElapsedTimer timer;
      timer.start();
      ExportVoucher(office, source);
      exports.push_back(timer.nsecsElapsed() / 1e6);
      CloseAllDocuments(context);
      timer.start();
      BareExport(context, source);
      bares.push_back(timer.nsecsElapsed() / 1e6);
      CloseAllDocuments(context);
      std::printf("run %d: export %.1f ms, bare %.1f ms\n", run + 1, exports.back(), bares.back());
    }
    const double exportMs = Median(exports);
    const double bareMs = Median(bares);
    std::printf("export %.1f ms, bare %.1f ms, ratio %.2f\n", exportMs, bareMs, exportMs / bareMs);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "bench-export: %s\n", error.what());
    status = 1;
  } catch (const css::uno::Exception& error) {
    std::fprintf(stderr, "bench-export: %s\n", qPrintable(FromOUString(error.Message)));
    status = 1;
  }
  server->TerminateOffice();
  RemoveOfficeSockets(launch);
  return status;
}
