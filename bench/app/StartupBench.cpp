// bench-startup: the program's start-up with 100 000 bags in the register, from the
// application object to the main window shown, and the resident memory then.
// Runs without a display unless one is given. Last line:
//   startup 100000 bags: <ms> ms, <MB> MB
#include <QFile>
#include <QWindow>

#include <chrono>
#include <cstdio>

#include "app/Application.h"
#include "app/MainForm.h"
#include "app/Startup.h"
#include "tests/app/AppTestSupport.h"

namespace {

constexpr int Bags = 100000;

double ResidentMegabytes() {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return 0;
  for (const QByteArray& line : status.readAll().split('\n'))
    if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  TTempWorkDir dir;
  CreateClientsDatabase(dir.Path(QStringLiteral("db.mdb")));
  InsertGeneratedBags(dir.Path(QStringLiteral("db.mdb")), Bags);

  const auto start = std::chrono::steady_clock::now();
  qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
  TApplication application(argc, argv);
  TForms forms = CreateForms(dir.Path(QStringLiteral("firmname.ini")));
  forms.Form1->show();
  while (!forms.Form1->windowHandle() || !forms.Form1->windowHandle()->isExposed())
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  QCoreApplication::processEvents();
  const auto shown = std::chrono::steady_clock::now();

  const double ms = std::chrono::duration<double, std::milli>(shown - start).count();
  std::printf("startup %d bags: %.0f ms, %.0f MB\n", Bags, ms, ResidentMegabytes());
  return 0;
}
