// bench-startup: the program's start-up with 100 000 bags in the register, from the
// application object to the main window shown, and the resident memory then: once from the
// file db.mdb, once from a PostgreSQL server (a throw-away cluster on this machine, reached
// through its Unix socket), each in a process of its own. Runs without a display unless one
// is given. Last two lines:
//   startup 100000 bags, file: <ms> ms, <MB> MB
//   startup 100000 bags, server: <ms> ms, <MB> MB
// With --measure it measures one start-up in the working directory and prints "<ms> ms, <MB> MB".
#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QWindow>

#include <chrono>
#include <cstdio>
#include <cstring>

#include "app/Application.h"
#include "app/MainForm.h"
#include "app/Startup.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/store/PgTestCluster.h"

namespace {

constexpr int Bags = 100000;

double ResidentMegabytes() {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return 0;
  for (const QByteArray& line : status.readAll().split('\n'))
    if (line.startsWith("VmRSS:"))
      return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
  return 0;
}

int Measure(int argc, char** argv) {
  const auto start = std::chrono::steady_clock::now();
  qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
  TApplication application(argc, argv);
  TForms forms = CreateForms(QStringLiteral("firmname.ini"));
  forms.Form1->show();
  while (!forms.Form1->windowHandle() || !forms.Form1->windowHandle()->isExposed())
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  QCoreApplication::processEvents();
  const auto shown = std::chrono::steady_clock::now();
  std::printf("%.0f ms, %.0f MB\n",
              std::chrono::duration<double, std::milli>(shown - start).count(),
              ResidentMegabytes());
  return 0;
}

// Runs this program with --measure in `dir` and prints its figure as the series `name`.
void Series(const TTempWorkDir& dir, const char* name) {
  QProcess measure;
  measure.setWorkingDirectory(dir.Path());
  measure.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  measure.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--measure")});
  if (!measure.waitForFinished(300000) || measure.exitCode() != 0) {
    std::printf("startup %d bags, %s: failed\n", Bags, name);
    return;
  }
  std::printf("startup %d bags, %s: %s", Bags, name, measure.readAllStandardOutput().constData());
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (argc > 1 && std::strcmp(argv[1], "--measure") == 0) return Measure(argc, argv);

  QCoreApplication application(argc, argv);
  TTempWorkDir file;
  CreateClientsDatabase(file.Path(QStringLiteral("db.mdb")));
  InsertGeneratedBags(file.Path(QStringLiteral("db.mdb")), Bags);

  // The same bags on the server, generated there.
  const TPgTestCluster cluster;
  cluster.CreateRegister(QStringLiteral("register"), QStringLiteral("desk"));
  cluster.InsertGeneratedBags(QStringLiteral("register"), Bags);
  TTempWorkDir server;
  WriteDatabaseIni(server.Path(),
                   cluster.ConnInfo(QStringLiteral("register"), QStringLiteral("desk")));

  Series(file, "file");
  Series(server, "server");
  return 0;
}
