// bench-startup: the program's start-up with 10^5, 10^6 and 3·10^6 bags in the register, from
// the application object to the main window shown with the register's first rows, and the
// peak resident memory of that process: from the file db.mdb and from a PostgreSQL server (a
// throw-away cluster on this machine, reached through its Unix socket), each start-up in a
// process of its own. The server's register grows from one size to the next; the file is made
// anew for each. Peer, measured in the same run: the command-line client (sqlite3, psql)
// fetching the first screen of rows, as a process of its own too. Lines:
//   startup <N> bags, <file|server>: <ms> ms, peak <MB> MB; <client> first screen <ms> ms
//   (<ratio>x); all keys in after <ms> ms, peak <MB> MB
//   growth <N1> -> <N2> bags, <file|server>: time <ratio>x, peak memory <ratio>x
// The peak is taken when the window shows and again once the keys past the first slice, read
// in the background, are all in.
// --sizes N,N,... measures other sizes; --measure measures one start-up in the working
// directory and prints "<ms> <MB> <ms> <MB>".
// --reread N (10^6): once every key of N bags is in, a change arrives with the feed's rows
// dropped (a gap), so that the window reads the whole register again; measured until the
// window shows the change, and the longest the window's event loop was held up meanwhile (the
// lateness of a 1 ms timer), beside the same held up in a second of the idle window before:
//   reread <N> bags, <file|server>: shown after <ms> ms, event loop held up max <ms> ms
//   (idle <ms> ms), keys read on the UI thread <n>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTableView>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "app/Application.h"
#include "app/DataModuleUnit.h"
#include "app/MainForm.h"
#include "app/Startup.h"
#include "app/store/ADOTable.h"
#include "app/store/PgConnection.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/store/PgTestCluster.h"

namespace {

// Each start-up is measured this many times; the best one counts (the machine is shared).
constexpr int Runs = 3;
// The rows of a first screen of the register grid.
constexpr int ScreenRows = 40;

double PeakMegabytes() {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return 0;
  for (const QByteArray& line : status.readAll().split('\n'))
    if (line.startsWith("VmHWM:"))
      return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
  return 0;
}

int Measure(int argc, char** argv) {
  const auto start = std::chrono::steady_clock::now();
  qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
  TApplication application(argc, argv);
  TForms forms = CreateForms(QStringLiteral("firmname.ini"));
  forms.Form1->show();
  const QTableView* grid = forms.Form1->findChild<QTableView*>(QStringLiteral("DBGrid1"));
  while (!forms.Form1->windowHandle() || !forms.Form1->windowHandle()->isExposed() || !grid ||
         !grid->model() || grid->model()->rowCount() == 0)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  QCoreApplication::processEvents();
  const auto shown = std::chrono::steady_clock::now();
  const double shownPeak = PeakMegabytes();
  while (forms.Form2->ADOTable1->Loading())
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  const auto loaded = std::chrono::steady_clock::now();
  std::printf("%.0f %.0f %.0f %.0f\n",
              std::chrono::duration<double, std::milli>(shown - start).count(), shownPeak,
              std::chrono::duration<double, std::milli>(loaded - start).count(), PeakMegabytes());
  return 0;
}

// The longest gap between two ticks of a 1 ms timer, beyond its millisecond, while it runs.
class THeldUp {
public:
  THeldUp() {
    FTimer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&FTimer, &QTimer::timeout, [this] {
      const qint64 now = FClock.nsecsElapsed();
      FMaxMs = std::max(FMaxMs, double(now - FLast) / 1e6 - 1);
      FLast = now;
    });
  }
  void Start() {
    FMaxMs = 0;
    FClock.start();
    FLast = 0;
    FTimer.start(1);
  }
  double MaxMs() const { return FMaxMs; }

private:
  QTimer FTimer;
  QElapsedTimer FClock;
  qint64 FLast = 0;
  double FMaxMs = 0;
};

// The window of the working directory's register, started and wholly loaded; then a gap in the
// feed with one bag changed, made through `admin` (a server's connection string) or the file.
int MeasureReread(int argc, char** argv, const QString& admin) {
  qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
  TApplication application(argc, argv);
  TForms forms = CreateForms(QStringLiteral("firmname.ini"));
  forms.Form1->show();
  TADOTable& table = *forms.Form2->ADOTable1;
  while (table.Loading() || !forms.Form1->windowHandle() ||
         !forms.Form1->windowHandle()->isExposed())
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  THeldUp heldUp;
  heldUp.Start();
  QElapsedTimer idle;
  idle.start();
  while (idle.elapsed() < 1000) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  const double idleMs = heldUp.MaxMs();
  const qint64 keysHere = table.KeysReadHere();
  const int fullName = table.FieldIndex(QStringLiteral("ФИО"));
  if (admin.isEmpty()) {
    ExecuteSql(QStringLiteral("db.mdb"),
               QStringLiteral("BEGIN; UPDATE Clients SET \"ФИО\" = 'после разрыва' WHERE rowid = "
                              "1; DELETE FROM ClientsFeed; COMMIT"));
  } else {
    TPgConnection server(admin);
    server.Execute(QStringLiteral("BEGIN"));
    server.Execute(QStringLiteral(
        "UPDATE \"Clients\" SET \"ФИО\" = 'после разрыва' WHERE \"ID\" = 1"));
    server.Execute(QStringLiteral(
        "WITH dropped AS (DELETE FROM \"ClientsFeed\") UPDATE \"ClientsFeedState\" SET "
        "\"PrunedBelow\" = (pg_current_xact_id()::text::numeric + 1)::text::xid8"));
    server.Execute(QStringLiteral("COMMIT"));
  }
  heldUp.Start();
  QElapsedTimer clock;
  clock.start();
  while (table.Value(0, fullName).toString() != u"после разрыва" && clock.elapsed() < 600000)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  std::printf("%.0f %.1f %.1f %lld\n", double(clock.nsecsElapsed()) / 1e6, heldUp.MaxMs(), idleMs,
              static_cast<long long>(table.KeysReadHere() - keysHere));
  return 0;
}

// Runs MeasureReread in `dir` and reports it.
void Reread(const TTempWorkDir& dir, int bags, const char* name, const QString& admin) {
  QProcess measure;
  measure.setWorkingDirectory(dir.Path());
  measure.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  measure.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--measure-reread"), admin});
  const QList<QByteArray> figures = measure.waitForFinished(900000) && measure.exitCode() == 0
                                        ? measure.readAllStandardOutput().trimmed().split(' ')
                                        : QList<QByteArray>();
  if (figures.size() != 4) {
    std::printf("reread %d bags, %s: failed\n", bags, name);
    return;
  }
  std::printf(
      "reread %d bags, %s: shown after %s ms, event loop held up max %s ms (idle %s ms), keys "
      "read on the UI thread %s\n",
      bags, name, figures[0].constData(), figures[1].constData(), figures[2].constData(),
      figures[3].constData());
  std::fflush(stdout);
}

struct TFigure {
  double Ms = 0;
  double PeakMb = 0;
  double LoadedMs = 0;
  double LoadedPeakMb = 0;
};

// The best of Runs start-ups of this program with --measure in `dir`.
TFigure StartUp(const TTempWorkDir& dir) {
  TFigure best{1e12, 0, 1e12, 0};
  for (int run = 0; run < Runs; ++run) {
    QProcess measure;
    measure.setWorkingDirectory(dir.Path());
    measure.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    measure.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--measure")});
    if (!measure.waitForFinished(600000) || measure.exitCode() != 0) return {};
    const QList<QByteArray> figures = measure.readAllStandardOutput().trimmed().split(' ');
    if (figures.size() != 4) return {};
    best.Ms = std::min(best.Ms, figures[0].toDouble());
    best.PeakMb = std::max(best.PeakMb, figures[1].toDouble());
    best.LoadedMs = std::min(best.LoadedMs, figures[2].toDouble());
    best.LoadedPeakMb = std::max(best.LoadedPeakMb, figures[3].toDouble());
  }
  return best;
}

// The best of Runs runs of `program` with `arguments`, in ms.
double Peer(const QString& program, const QStringList& arguments) {
  double best = 1e12;
  for (int run = 0; run < Runs; ++run) {
    QElapsedTimer clock;
    clock.start();
    QProcess peer;
    peer.start(program, arguments);
    if (!peer.waitForFinished(60000) || peer.exitCode() != 0) return 0;
    best = std::min(best, double(clock.nsecsElapsed()) / 1e6);
  }
  return best;
}

QString FirstScreen(const char* key) {
  return QStringLiteral(
             "SELECT \"%1\",\"Номер сумки\",\"Номер пакета\",\"Получатель\",\"Счет\","
             "\"Инн\",\"Символ\",\"ФИО\" FROM \"Clients\" ORDER BY \"%1\" LIMIT %2")
      .arg(QLatin1String(key))
      .arg(ScreenRows);
}

void Report(int bags, const char* name, const TFigure& figure, const char* peerName,
            double peerMs) {
  if (figure.Ms == 0) {
    std::printf("startup %d bags, %s: failed\n", bags, name);
  } else {
    std::printf(
        "startup %d bags, %s: %.0f ms, peak %.0f MB; %s first screen %.0f ms (%.1fx); all keys in "
        "after %.0f ms, peak %.0f MB\n",
        bags, name, figure.Ms, figure.PeakMb, peerName, peerMs,
        peerMs > 0 ? figure.Ms / peerMs : 0.0, figure.LoadedMs, figure.LoadedPeakMb);
  }
  std::fflush(stdout);
}

void Growth(const std::vector<int>& sizes, const char* name, const std::vector<TFigure>& figures) {
  for (std::size_t i = 1; i < sizes.size(); ++i)
    if (figures[i - 1].Ms > 0 && figures[i].Ms > 0)
      std::printf("growth %d -> %d bags, %s: time %.2fx, peak memory %.2fx\n", sizes[i - 1],
                  sizes[i], name, figures[i].Ms / figures[i - 1].Ms,
                  figures[i].PeakMb / figures[i - 1].PeakMb);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (argc > 1 && std::strcmp(argv[1], "--measure") == 0) return Measure(argc, argv);
  if (argc > 2 && std::strcmp(argv[1], "--measure-reread") == 0)
    return MeasureReread(argc, argv, QString::fromUtf8(argv[2]));

  QCoreApplication application(argc, argv);
  std::vector<int> sizes{100000, 1000000, 3000000};
  if (argc > 2 && std::strcmp(argv[1], "--sizes") == 0) {
    sizes.clear();
    for (const QByteArray& size : QByteArray(argv[2]).split(',')) sizes.push_back(size.toInt());
  }
  const bool reread = argc > 1 && std::strcmp(argv[1], "--reread") == 0;
  if (reread) sizes = {argc > 2 ? QByteArray(argv[2]).toInt() : 1000000};

  TTempWorkDir file;
  const QString db = file.Path(QStringLiteral("db.mdb"));
  const TPgTestCluster cluster;
  cluster.CreateRegister(QStringLiteral("register"), QStringLiteral("desk"));
  TTempWorkDir server;
  const QString conninfo = cluster.ConnInfo(QStringLiteral("register"), QStringLiteral("desk"));
  WriteDatabaseIni(server.Path(), conninfo);

  std::vector<TFigure> onFile;
  std::vector<TFigure> onServer;
  int held = 0;
  for (const int bags : sizes) {
    // Made anew: once opened, the file keeps a feed and a history, whose triggers would make
    // the next bags cost minutes. Both registers hold their bags as one made before those.
    QFile::remove(db);
    CreateClientsDatabase(db);
    InsertGeneratedBags(db, bags);
    cluster.LoadGeneratedBags(QStringLiteral("register"), bags - held);
    held = bags;
    if (reread) {
      Reread(file, bags, "file", {});
      Reread(server, bags, "server", cluster.ConnInfo(QStringLiteral("register"),
                                                      QStringLiteral("postgres")));
      return 0;
    }
    onFile.push_back(StartUp(file));
    Report(bags, "file", onFile.back(), "sqlite3",
           Peer(QStringLiteral("sqlite3"), {db, FirstScreen("rowid")}));
    onServer.push_back(StartUp(server));
    Report(bags, "server", onServer.back(), "psql",
           Peer(QStringLiteral("psql"),
                {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-d"), conninfo,
                 QStringLiteral("-c"), FirstScreen("ID")}));
  }
  Growth(sizes, "file", onFile);
  Growth(sizes, "server", onServer);
  return 0;
}
