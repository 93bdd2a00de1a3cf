// bench-desks: several desks posting to one register at once, each a real program process
// (real start-up, window offscreen, operator actions as key and mouse events, conflict boxes
// answered "Загрузить"), then a final read of the register.
//
// Each desk makes `posts` saves one after the other with `pause` ms of its event loop in
// between: one in five adds a bag, the others change the full name of one of the first `hot`
// bags of its register, so that the desks meet on the same bags. Every value saved is
// "d<desk>-<n>-<time>" with the desk's clock time just before it typed it; a desk that sees
// another desk's value arrive in its register (by the live refresh, without a click) takes the
// time it took as one sample of the refresh latency.
//
// Reported: saves acknowledged (the post went through) per second over the posting phase,
// conflicts reported to the operator, lost updates, and the 95th percentile of the latency.
// A lost update is an acknowledged value that the final register neither holds nor shows
// overwritten by an acknowledged save that started from it: every acknowledged save of a bag
// must have started from the value before it, so that no value is overwritten unseen. Must be
// 0. Then the cost of the live refresh itself: one look at the file's data version (the file
// only), the CPU time of an idle desk, and one resync of a 100 000-bag register in the window,
// after one change and after half of the bags were deleted at once.
//
// Beside the posting desks one more desk only watches: it takes the same latency samples and
// measures how long its event loop is held up (the lateness of a 1 ms timer), which is what
// the operator of a desk sees as a frozen window while the other desks save. Its figures are
// taken once its register is wholly loaded.
//
// Options: --desks N (2), --posts M (200), --pause MS (50), --hot H (5), --bags B (20: the
// register's size before the run), --hogs K (0: processes that keep a core busy meanwhile),
// --register sqlite|server (sqlite: db.mdb in a temporary folder; server: a throw-away
// PostgreSQL cluster of this machine, started for the run as the tests start theirs, the desks
// pointed at it by database.ini).
// Last lines: <sqlite|server>, desks <N> x <M>: <saves/s> saves/s, <n> conflicts, <n> lost
// updates, <n> refused, refresh p95 <ms> ms from typing, <ms> ms from the save
// watching desk, <B> bags: event loop held up p99 <ms> ms, max <ms> ms; refresh p95 <ms> ms
// from typing, <ms> ms from the save
// The latency from typing includes the saving desk's wait for the register's lock; the one from
// the save starts when that desk's save was acknowledged.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <limits>
#include <map>
#include <random>
#include <set>
#include <stdexcept>
#include <string>

#include "app/Application.h"
#include "app/DataModuleUnit.h"
#include "app/DatabaseWait.h"
#include "app/MainForm.h"
#include "app/Startup.h"
#include "app/controls/DBGrid.h"
#include "app/controls/GuardedApplication.h"
#include "app/store/ADOConnection.h"
#include "app/store/ADOTable.h"
#include "app/store/DataLink.h"
#include "app/store/PgConnection.h"
#include "app/store/Sqlite.h"
#include "tests/app/RunningProgram.h"
#include "tests/app/store/PgTestCluster.h"
#include "ui_MainForm.h"

namespace {

using TClock = std::chrono::steady_clock;

constexpr int FullNameField = 6;
// How long a desk keeps watching after its last save, for the others' last values to arrive.
constexpr int SettleMs = 2000;

qint64 NowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(TClock::now().time_since_epoch())
      .count();
}

double CpuMs() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

struct TOptions {
  int Desks = 2;
  int Posts = 200;
  int PauseMs = 50;
  int Hot = 5;
  QString Register = QStringLiteral("sqlite");
  int Bags = 20;
  int Hogs = 0;
  int Desk = -1;       // this process is desk number Desk
  bool Watch = false;  // this desk only watches
  bool Cost = false;   // this process measures the live refresh's cost
  bool Hog = false;    // this process keeps a core busy
};

TOptions ParseOptions(const QStringList& args) {
  TOptions options;
  for (int i = 1; i < args.size(); i += 2) {
    if (args[i] == u"--cost" || args[i] == u"--watch" || args[i] == u"--hog") {
      (args[i] == u"--cost"    ? options.Cost
       : args[i] == u"--watch" ? options.Watch
                               : options.Hog) = true;
      --i;
      continue;
    }
    if (i + 1 == args.size()) throw std::runtime_error("no value for " + args[i].toStdString());
    const QString& name = args[i];
    const QString& value = args[i + 1];
    if (name == u"--desks")
      options.Desks = value.toInt();
    else if (name == u"--posts")
      options.Posts = value.toInt();
    else if (name == u"--pause")
      options.PauseMs = value.toInt();
    else if (name == u"--hot")
      options.Hot = value.toInt();
    else if (name == u"--bags")
      options.Bags = value.toInt();
    else if (name == u"--hogs")
      options.Hogs = value.toInt();
    else if (name == u"--register")
      options.Register = value;
    else if (name == u"--desk")
      options.Desk = value.toInt();
    else
      throw std::runtime_error("unknown option " + name.toStdString());
  }
  if (options.Register != u"sqlite" && options.Register != u"server")
    throw std::runtime_error("--register is sqlite or server");
  return options;
}

// The register the desks share, by engine, for desks working in one folder.
class TBenchRegister {
public:
  virtual ~TBenchRegister() = default;
  // Made anew with `bags` generated bags.
  virtual void Prepare(int bags) = 0;
  // Runs SQL as another client; "Clients" is quoted and a row's key is called Key().
  virtual void Execute(const QString& sql) = 0;
  virtual QString Key() const = 0;
  // Bag number -> full name, as another client reads them.
  virtual std::map<QString, QString> FullNames() = 0;
  const QString& Folder() const { return FFolder; }

protected:
  explicit TBenchRegister(QString folder) : FFolder(std::move(folder)) {}

private:
  QString FFolder;
};

class TFileRegister : public TBenchRegister {
public:
  explicit TFileRegister(const QString& folder)
      : TBenchRegister(folder), FDb(QDir(folder).filePath(QStringLiteral("db.mdb"))) {}
  void Prepare(int bags) override {
    QFile::remove(FDb);
    CreateClientsDatabase(FDb);
    InsertGeneratedBags(FDb, bags);
    // Brought to the program's schema before the desks start: the first desk to open an older
    // file upgrades it in one transaction, which at 10^6 bags outlasts the others' busy
    // time-out, and they would start with "database is locked".
    TADOConnection upgrade(FDb, 600000);
    upgrade.Open();
    upgrade.Engine().HasSearch();
  }
  void Execute(const QString& sql) override { ExecuteSql(FDb, sql); }
  QString Key() const override { return QStringLiteral("rowid"); }
  std::map<QString, QString> FullNames() override {
    std::map<QString, QString> names;
    for (const TBagRow& row : ReadBags(FDb))
      names[row[0].toString()] = row[FullNameField].toString();
    return names;
  }

private:
  QString FDb;
};

class TServerRegister : public TBenchRegister {
public:
  explicit TServerRegister(const QString& folder) : TBenchRegister(folder) {
    FCluster.CreateRegister(QStringLiteral("register"), QStringLiteral("desk"));
    WriteDatabaseIni(folder, FCluster.ConnInfo(QStringLiteral("register"), QStringLiteral("desk")));
  }
  void Prepare(int bags) override {
    Execute(QStringLiteral("TRUNCATE \"Clients\" RESTART IDENTITY"));
    FCluster.LoadGeneratedBags(QStringLiteral("register"), bags);
  }
  void Execute(const QString& sql) override { FCluster.Psql(QStringLiteral("register"), sql); }
  QString Key() const override { return QStringLiteral("\"ID\""); }
  std::map<QString, QString> FullNames() override {
    TPgConnection reader(FCluster.ConnInfo(QStringLiteral("register"), QStringLiteral("postgres")));
    const TPgResult result =
        reader.Execute(QStringLiteral("SELECT \"Номер сумки\", \"ФИО\" FROM \"Clients\""));
    std::map<QString, QString> names;
    for (int row = 0; row < result.RowCount(); ++row)
      names[result.Value(row, 0).toString()] = result.Value(row, 1).toString();
    return names;
  }

private:
  // Each commit synced, as a server in service does: a save's wait is what a desk waits.
  TPgTestCluster FCluster{TPgTestCluster::TWrites::Synced};
};

std::unique_ptr<TBenchRegister> MakeRegister(const TOptions& options, const QString& folder) {
  if (options.Register == u"server") return std::make_unique<TServerRegister>(folder);
  return std::make_unique<TFileRegister>(folder);
}

// ---- one desk ----

// Takes a sample each time another desk's value first shows in this desk's register.
class TArrivals : public TDataLink {
public:
  TArrivals(const TADOTable& table, int desk)
      : FTable(table), FPrefix(QStringLiteral("d%1-").arg(desk)) {}
  void DataEvent(TDataEvent event, int info) override {
    // Only what the live refresh brings: a value reloaded after a refused save came by a click.
    if (event != TDataEvent::deRowChanged && event != TDataEvent::deRowInserted) return;
    if (TGuardedApplication::ActionRunning()) return;
    const QString value = FTable.Value(info, FullNameField).toString();
    if (!value.startsWith(u'd') || value.startsWith(FPrefix) || !FSeen.insert(value).second) return;
    const qint64 sent = value.section(u'-', 2).toLongLong();
    if (sent > 0) Samples.push_back({value, sent, NowNs()});
  }
  void UpdateData() override {}
  // Writes the samples as "arrival\t<value>\t<ns typed>\t<ns arrived>" lines.
  void Write(QFile& out) const {
    for (const TSample& sample : Samples)
      out.write(QStringLiteral("arrival\t%1\t%2\t%3\n")
                    .arg(sample.Value)
                    .arg(sample.TypedNs)
                    .arg(sample.ArrivedNs)
                    .toUtf8());
  }
  struct TSample {
    QString Value;
    qint64 TypedNs;
    qint64 ArrivedNs;
  };
  std::vector<TSample> Samples;

private:
  const TADOTable& FTable;
  QString FPrefix;
  std::set<QString> FSeen;
};

// The watching desk: until the file "stop" appears, the lateness of a 1 ms timer, and the
// other desks' values as they arrive.
int Watch(QCoreApplication& application, TArrivals& arrivals, TADOTable& table, int desk) {
  std::printf("ready\n");
  std::fflush(stdout);
  char go[16];
  if (!std::fgets(go, sizeof go, stdin)) return 1;
  std::vector<double> late;
  qint64 previous = NowNs();
  QTimer tick;
  tick.setTimerType(Qt::PreciseTimer);
  QObject::connect(&tick, &QTimer::timeout, [&] {
    const qint64 now = NowNs();
    late.push_back(std::max(0.0, double(now - previous) / 1e6 - 1.0));
    previous = now;
  });
  tick.start(1);
  QTimer stop;
  QObject::connect(&stop, &QTimer::timeout, [&] {
    if (QFile::exists(QStringLiteral("stop"))) application.quit();
  });
  stop.start(100);
  application.exec();
  std::sort(late.begin(), late.end());
  QFile out(QStringLiteral("desk-%1.txt").arg(desk));
  if (!out.open(QIODevice::WriteOnly) || late.empty()) return 1;
  out.write(QStringLiteral("heldp99\t%1\nheldmax\t%2\n")
                .arg(late[std::size_t(0.99 * double(late.size()))], 0, 'f', 3)
                .arg(late.back(), 0, 'f', 3)
                .toUtf8());
  arrivals.Write(out);
  table.RemoveLink(&arrivals);
  return 0;
}

int RunDesk(const TOptions& options, int& argc, char** argv) {
  qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
  TApplication application(argc, argv);
  TMessageRecorder messages;
  TForms forms = CreateForms(QDir::current().filePath(QStringLiteral("firmname.ini")));
  ShowActive(*forms.Form1);
  const Ui::TForm1& ui = forms.Form1->Controls();
  TADOTable& table = *forms.Form2->ADOTable1;
  TArrivals arrivals(table, options.Desk);
  table.AddLink(&arrivals);
  while (table.Loading()) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  if (options.Watch) return Watch(application, arrivals, table, options.Desk);

  std::printf("ready\n");
  std::fflush(stdout);
  char go[16];
  if (!std::fgets(go, sizeof go, stdin)) return 1;

  QFile out(QStringLiteral("desk-%1.txt").arg(options.Desk));
  if (!out.open(QIODevice::WriteOnly)) return 1;
  std::mt19937 random(unsigned(options.Desk) * 7919u + 1u);
  int made = 0;
  int conflicts = 0;
  int errors = 0;
  int acknowledged = 0;
  const qint64 firstNs = NowNs();
  qint64 lastNs = firstNs;
  const auto Post = [&] {
    const int n = made++;
    const bool adding = random() % 5 == 0 || table.RecordCount() == 0;
    QString bag;
    QString baseline = QStringLiteral("-");
    if (adding) {
      Click(ui.Button3);
      bag = QStringLiteral("d%1-%2").arg(options.Desk).arg(n);
      TypeOver(ui.DBEdit1, bag);
      TypeOver(ui.DBEdit6, QString::number(n + 1));
      TypeOver(ui.DBEdit2, QStringLiteral("ООО Ромашка"));
      TypeOver(ui.DBEdit3, QStringLiteral("40702810900000000001"));
      TypeOver(ui.DBEdit4, QStringLiteral("7701234567"));
    } else {
      ClickRow(ui.DBGrid1, int(random() % unsigned(std::min(options.Hot, table.RecordCount()))));
      bag = FieldDisplayText(table.FieldValue(0));
      baseline = FieldDisplayText(table.FieldValue(FullNameField));
    }
    const QString value = QStringLiteral("d%1-%2-%3").arg(options.Desk).arg(n).arg(NowNs());
    TypeOver(ui.DBEdit5, value);
    const std::size_t boxes = messages.Boxes.size();
    Click(ui.Button1);
    lastNs = NowNs();
    if (messages.Boxes.size() == boxes && table.State() == TDataSetState::dsBrowse) {
      ++acknowledged;
      out.write(
          QStringLiteral("ack\t%1\t%2\t%3\t%4\n").arg(bag, baseline, value).arg(lastNs).toUtf8());
    } else {
      // A refused save was answered "Загрузить": the desk goes on from the stored bag.
      for (std::size_t i = boxes; i < messages.Boxes.size(); ++i) {
        if (messages.Boxes[i].Text.startsWith(QStringLiteral("Эту сумку"))) {
          ++conflicts;
        } else {
          ++errors;
          std::fprintf(stderr, "desk %d: %s\n", options.Desk, qPrintable(messages.Boxes[i].Text));
        }
      }
      table.Cancel();
    }
  };
  QTimer next;
  next.setSingleShot(true);
  QObject::connect(&next, &QTimer::timeout, [&] {
    // Input waits while a call into the store waits for a lock, and the operator with it; a
    // timer still fires then, and a save begun from there would use the waiting connection.
    if (DatabaseWaiting()) {
      next.start(1);
      return;
    }
    Post();
    if (made < options.Posts)
      next.start(options.PauseMs);
    else
      QTimer::singleShot(SettleMs, &application, &QCoreApplication::quit);
  });
  next.start(0);
  application.exec();

  out.write(
      QStringLiteral("made\t%1\nacknowledged\t%2\nconflicts\t%3\nerrors\t%4\nfirst\t%5\nlast\t%6\n")
          .arg(made)
          .arg(acknowledged)
          .arg(conflicts)
          .arg(errors)
          .arg(firstNs)
          .arg(lastNs)
          .toUtf8());
  arrivals.Write(out);
  table.RemoveLink(&arrivals);
  return 0;
}

// ---- what the live refresh costs ----

constexpr int IdleSeconds = 10;
constexpr int BigRegister = 100000;

// One look at the file's data version, which the file's watcher takes every poll.
void MeasureDataVersionLook() {
  TTempWorkDir dir;
  CreateClientsDatabase(dir.Path(QStringLiteral("db.mdb")));
  InsertGeneratedBags(dir.Path(QStringLiteral("db.mdb")), 20);
  TSqliteDatabase db(dir.Path(QStringLiteral("db.mdb")), 0);
  TSqliteStatement version(db, QStringLiteral("PRAGMA data_version"));
  constexpr int Looks = 100000;
  const auto start = TClock::now();
  for (int i = 0; i < Looks; ++i) {
    TSqliteNoWait noWait(db);
    version.Step();
    version.Step();
  }
  const double us =
      std::chrono::duration<double, std::micro>(TClock::now() - start).count() / Looks;
  std::printf("one look at the data version: %.1f us\n", us);
}

int RunCost(const TOptions& options, int& argc, char** argv) {
  qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
  TApplication application(argc, argv);
  if (options.Register == u"sqlite") MeasureDataVersionLook();
  TTempWorkDir dir;
  std::unique_ptr<TBenchRegister> shared = MakeRegister(options, dir.Path());
  {
    shared->Prepare(20);
    TMessageRecorder messages;
    TForms forms = CreateForms(dir.Path(QStringLiteral("firmname.ini")));
    ShowActive(*forms.Form1);
    const double cpu = CpuMs();
    QTimer::singleShot(IdleSeconds * 1000, &application, &QCoreApplication::quit);
    application.exec();
    std::printf("idle desk: %.1f ms CPU a minute\n", (CpuMs() - cpu) * 60 / IdleSeconds);
  }
  shared->Prepare(BigRegister);
  TMessageRecorder messages;
  TForms forms = CreateForms(dir.Path(QStringLiteral("firmname.ini")));
  ShowActive(*forms.Form1);
  TADOTable& table = *forms.Form2->ADOTable1;
  std::vector<double> ms;
  for (int i = 0; i < 5; ++i) {
    shared->Execute(QStringLiteral("UPDATE \"Clients\" SET \"ФИО\" = 'x%1' WHERE %2 = %3")
                        .arg(i)
                        .arg(shared->Key())
                        .arg(1 + i * 20000));
    const auto start = TClock::now();
    table.Resync();
    ms.push_back(std::chrono::duration<double, std::milli>(TClock::now() - start).count());
  }
  std::sort(ms.begin(), ms.end());
  std::printf("one resync of %d bags in the window: median %.0f ms\n", BigRegister,
              ms[ms.size() / 2]);
  // Half the bags deleted elsewhere at once, every other one (an administrator's clean-up).
  shared->Execute(QStringLiteral("DELETE FROM \"Clients\" WHERE %1 % 2 = 0").arg(shared->Key()));
  const auto start = TClock::now();
  const int deleted = table.Resync().Deleted;
  std::printf("one resync with %d of them deleted elsewhere: %.0f ms\n", deleted,
              std::chrono::duration<double, std::milli>(TClock::now() - start).count());
  return 0;
}

// ---- the run ----

struct TAck {
  QString Bag;
  QString Baseline;
  QString Value;
};

double Percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[std::min(values.size() - 1, std::size_t(p * double(values.size())))];
}

// Acknowledged values that the register lost: neither final nor the base of another
// acknowledged save of the same bag.
int LostUpdates(const std::vector<TAck>& acks, const std::map<QString, QString>& final) {
  std::set<std::pair<QString, QString>> bases;  // bag, value a save started from
  for (const TAck& ack : acks) bases.insert({ack.Bag, ack.Baseline});
  int lost = 0;
  for (const TAck& ack : acks) {
    const auto stored = final.find(ack.Bag);
    const bool kept = stored != final.end() && stored->second == ack.Value;
    if (!kept && !bases.count({ack.Bag, ack.Value})) ++lost;
  }
  // Two acknowledged saves from the same value: the first was overwritten unseen.
  std::map<std::pair<QString, QString>, int> starts;
  for (const TAck& ack : acks)
    if (ack.Baseline != u"-") ++starts[{ack.Bag, ack.Baseline}];
  for (const auto& [base, count] : starts) lost += count - 1;
  return lost;
}

void RunDesks(const TOptions& options, const QString& program) {
  QTemporaryDir folder;
  std::unique_ptr<TBenchRegister> shared = MakeRegister(options, folder.path());
  shared->Prepare(std::max(options.Hot, options.Bags));
  std::vector<std::unique_ptr<QProcess>> hogs;
  for (int hog = 0; hog < options.Hogs; ++hog) {
    hogs.push_back(std::make_unique<QProcess>());
    hogs.back()->start(program, {QStringLiteral("--hog")});
  }
  std::vector<std::unique_ptr<QProcess>> desks;
  // The last one watches.
  for (int desk = 0; desk <= options.Desks; ++desk) {
    auto process = std::make_unique<QProcess>();
    process->setWorkingDirectory(folder.path());
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QStringList arguments{QStringLiteral("--desk"),  QString::number(desk),
                          QStringLiteral("--posts"), QString::number(options.Posts),
                          QStringLiteral("--pause"), QString::number(options.PauseMs),
                          QStringLiteral("--hot"),   QString::number(options.Hot)};
    if (desk == options.Desks) arguments << QStringLiteral("--watch");
    process->start(program, arguments);
    desks.push_back(std::move(process));
  }
  for (auto& desk : desks)
    while (!desk->canReadLine())
      if (!desk->waitForReadyRead(300000)) throw std::runtime_error("a desk did not start");
  // Written through at once, so that the desks start together.
  for (auto& desk : desks) {
    desk->write("go\n");
    desk->waitForBytesWritten(10000);
  }
  for (int desk = 0; desk < options.Desks; ++desk)
    if (!desks[desk]->waitForFinished(600000) || desks[desk]->exitCode() != 0)
      throw std::runtime_error("a desk failed");
  QFile(QDir(folder.path()).filePath(QStringLiteral("stop"))).open(QIODevice::WriteOnly);
  if (!desks.back()->waitForFinished(60000) || desks.back()->exitCode() != 0)
    throw std::runtime_error("the watching desk failed");
  for (auto& hog : hogs) {
    hog->kill();
    hog->waitForFinished();
  }

  std::vector<TAck> acks;
  std::map<QString, qint64> savedNs;  // value -> when its save was acknowledged
  struct TArrival {
    bool Watching;
    QString Value;
    qint64 TypedNs;
    qint64 ArrivedNs;
  };
  std::vector<TArrival> arrivals;
  int made = 0;
  int conflicts = 0;
  int errors = 0;
  qint64 first = std::numeric_limits<qint64>::max();
  qint64 last = 0;
  double heldP99 = 0;
  double heldMax = 0;
  for (int desk = 0; desk <= options.Desks; ++desk) {
    QFile in(QDir(folder.path()).filePath(QStringLiteral("desk-%1.txt").arg(desk)));
    if (!in.open(QIODevice::ReadOnly)) throw std::runtime_error("a desk wrote no results");
    for (const QByteArray& line : in.readAll().split('\n')) {
      const QStringList f = QString::fromUtf8(line).split(u'\t');
      if (f[0] == u"ack") {
        acks.push_back({f[1], f[2], f[3]});
        savedNs[f[3]] = f[4].toLongLong();
      } else if (f[0] == u"arrival") {
        arrivals.push_back({desk == options.Desks, f[1], f[2].toLongLong(), f[3].toLongLong()});
      } else if (f[0] == u"heldp99")
        heldP99 = f[1].toDouble();
      else if (f[0] == u"heldmax")
        heldMax = f[1].toDouble();
      else if (f[0] == u"made")
        made += f[1].toInt();
      else if (f[0] == u"conflicts")
        conflicts += f[1].toInt();
      else if (f[0] == u"errors")
        errors += f[1].toInt();
      else if (f[0] == u"first")
        first = std::min(first, f[1].toLongLong());
      else if (f[0] == u"last")
        last = std::max(last, f[1].toLongLong());
    }
  }
  // From the value typed (its save's wait for the lock included) and from the save
  // acknowledged to the desk that made it (a value may show elsewhere a moment before its own
  // desk is done: counted as 0).
  std::vector<double> latencies, fromSave, watched, watchedFromSave;
  for (const TArrival& arrival : arrivals) {
    (arrival.Watching ? watched : latencies)
        .push_back(double(arrival.ArrivedNs - arrival.TypedNs) / 1e6);
    const auto saved = savedNs.find(arrival.Value);
    if (saved != savedNs.end())
      (arrival.Watching ? watchedFromSave : fromSave)
          .push_back(std::max(0.0, double(arrival.ArrivedNs - saved->second) / 1e6));
  }
  const int lost = LostUpdates(acks, shared->FullNames());
  const double seconds = double(last - first) / 1e9;
  std::printf(
      "saves made %d, acknowledged %zu in %.1f s, %d other errors; refresh samples %zu: median "
      "%.0f ms, "
      "p95 %.0f ms, max %.0f ms\n",
      made, acks.size(), seconds, errors, latencies.size(), Percentile(latencies, 0.5),
      Percentile(latencies, 0.95),
      latencies.empty() ? 0.0 : *std::max_element(latencies.begin(), latencies.end()));
  std::fflush(stdout);
  QProcess cost;
  cost.setProcessChannelMode(QProcess::ForwardedChannels);
  cost.start(program, {QStringLiteral("--cost"), QStringLiteral("--register"), options.Register});
  if (!cost.waitForFinished(600000) || cost.exitCode() != 0)
    throw std::runtime_error("the cost run failed");
  std::printf(
      "%s, desks %d x %d: %.1f saves/s, %d conflicts, %d lost updates, %d refused, refresh p95 "
      "%.0f ms from typing, %.0f ms from the save\n",
      qPrintable(options.Register), options.Desks, options.Posts, double(acks.size()) / seconds,
      conflicts, lost, errors, Percentile(latencies, 0.95), Percentile(fromSave, 0.95));
  std::printf(
      "watching desk, %d bags: event loop held up p99 %.1f ms, max %.1f ms; refresh p95 %.0f ms "
      "from typing, %.0f ms from the save (%zu samples)\n",
      std::max(options.Hot, options.Bags), heldP99, heldMax, Percentile(watched, 0.95),
      Percentile(watchedFromSave, 0.95), watched.size());
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QStringList args;
  for (int i = 0; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
  const TOptions options = ParseOptions(args);
  if (options.Desk >= 0) return RunDesk(options, argc, argv);
  if (options.Cost) return RunCost(options, argc, argv);
  if (options.Hog) {
    // Busy until killed, and never longer than a run can last.
    const auto end = TClock::now() + std::chrono::minutes(30);
    volatile unsigned spin = 0;
    while (TClock::now() < end)
      for (int i = 0; i < 1000000; ++i) spin = spin + 1;
    return 0;
  }
  QCoreApplication application(argc, argv);
  RunDesks(options, QCoreApplication::applicationFilePath());
  return 0;
}
