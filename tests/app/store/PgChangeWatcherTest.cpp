#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <signal.h>

#include <chrono>
#include <future>
#include <optional>

#include "app/store/PgChangeWatcher.h"
#include "tests/app/store/PgStoreTestSupport.h"

namespace {

class PgChangeWatcher : public PgRegisterTest {};

const TPgTestCluster& Cluster() { return TPgTestEnvironment::Cluster(); }

const QString InsertBag = QStringLiteral("INSERT INTO \"Clients\" (\"ФИО\") VALUES ('Иванов')");

// A started watcher of the test register, counting its calls as the event loop turns from the
// one that tells that it listens (not counted).
class TWatched {
public:
  explicit TWatched(
      std::function<int()> ownBackendPid = [] { return 0; },
      int checkMs = TPgChangeWatcher::DefaultCheckMs, const QString& conninfo = RegisterConnInfo())
      : FWatcher(conninfo, std::move(ownBackendPid), checkMs) {
    FWatcher.Start([this] {
      ++FCalls;
      if (FWaiting) FWaiting->quit();
    });
    EXPECT_TRUE(WaitCall(5000)) << "listening";
    FCalls = 0;
  }
  int Calls() const { return FCalls; }
  // Turns the event loop until the next call, at most timeoutMs; true when the call came.
  bool WaitCall(int timeoutMs) {
    const int before = FCalls;
    QEventLoop loop;
    FWaiting = &loop;
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    FWaiting = nullptr;
    return FCalls > before;
  }
  // Turns the event loop for ms.
  void Turn(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
  }

private:
  TPgChangeWatcher FWatcher;
  int FCalls = 0;
  QEventLoop* FWaiting = nullptr;
};

// The longest time between two ticks of a 10 ms timer while the event loop turns: how long
// the window would have stood still.
class TTickGaps {
public:
  TTickGaps() {
    FClock.start();
    FTimer.setInterval(10);
    QObject::connect(&FTimer, &QTimer::timeout, &FTimer,
                     [this] { FLongestMs = std::max(FLongestMs, FClock.restart()); });
    FTimer.start();
  }
  qint64 LongestMs() const { return FLongestMs; }

private:
  QElapsedTimer FClock;
  QTimer FTimer;
  qint64 FLongestMs = 0;
};

// Stops server processes (SIGSTOP) for the life of the object: a server that hangs, or a
// network that went silent.
class TStopped {
public:
  explicit TStopped(std::vector<pid_t> processes) : FProcesses(std::move(processes)) {
    for (const pid_t process : FProcesses) {
      // 0, -1 and 1 would reach far more than a server process.
      if (process <= 1) throw std::runtime_error("not a server process");
    }
    for (const pid_t process : FProcesses) kill(process, SIGSTOP);
  }
  ~TStopped() {
    for (const pid_t process : FProcesses) kill(process, SIGCONT);
  }
  TStopped(const TStopped&) = delete;
  TStopped& operator=(const TStopped&) = delete;

private:
  std::vector<pid_t> FProcesses;
};

pid_t Postmaster() {
  QFile file(Cluster().SocketDir() + QStringLiteral("/data/postmaster.pid"));
  if (!file.open(QIODevice::ReadOnly)) return 0;
  return file.readLine().trimmed().toInt();
}

}  // namespace

TEST_F(PgChangeWatcher, AnotherSessionsInsertUpdateAndDeleteAreEachToldOnceWithinASecond) {
  TWatched watched;
  TPgConnection desk(RegisterConnInfo());
  const QString statements[] = {InsertBag,
                                QStringLiteral("UPDATE \"Clients\" SET \"ФИО\" = 'Петров'"),
                                QStringLiteral("DELETE FROM \"Clients\"")};
  int expected = 0;
  for (const QString& statement : statements) {
    SCOPED_TRACE(statement.toStdString());
    desk.Execute(statement);
    EXPECT_TRUE(watched.WaitCall(1000));
    watched.Turn(200);
    EXPECT_EQ(watched.Calls(), ++expected);
  }
}

TEST_F(PgChangeWatcher, ABurstOfChangesIsToldInAFewCalls) {
  TWatched watched;
  TPgConnection desk(RegisterConnInfo());
  // A hundred rows in one transaction: their notifications arrive together.
  desk.Execute(QStringLiteral(
      "INSERT INTO \"Clients\" (\"ФИО\") SELECT 'Иванов' FROM generate_series(1, 100)"));
  watched.Turn(300);
  EXPECT_EQ(watched.Calls(), 1);

  // A hundred transactions one after another while the event loop turns.
  std::future<void> posts = std::async(std::launch::async, [] {
    TPgConnection other(RegisterConnInfo());
    for (int post = 0; post < 100; ++post) other.Execute(InsertBag);
  });
  while (posts.wait_for(std::chrono::seconds(0)) != std::future_status::ready) watched.Turn(10);
  posts.get();
  watched.Turn(300);
  EXPECT_GE(watched.Calls(), 2);
  EXPECT_LE(watched.Calls(), 21) << "told once per few changes at the most";
}

TEST_F(PgChangeWatcher, TheDataSetsOwnChangesAreNotToldAnothersAlwaysAre) {
  TPgConnection desk(RegisterConnInfo());
  TWatched watched([&] { return desk.BackendPid(); });
  desk.Execute(InsertBag);
  desk.Execute(QStringLiteral("UPDATE \"Clients\" SET \"ФИО\" = 'Петров'"));
  watched.Turn(300);
  EXPECT_EQ(watched.Calls(), 0);
  // The data set's session connected again, with another server process.
  desk.Reset();
  desk.Execute(QStringLiteral("DELETE FROM \"Clients\""));
  watched.Turn(300);
  EXPECT_EQ(watched.Calls(), 0);

  TPgConnection other(RegisterConnInfo());
  other.Execute(InsertBag);
  desk.Execute(InsertBag);
  EXPECT_TRUE(watched.WaitCall(1000));
  watched.Turn(200);
  EXPECT_EQ(watched.Calls(), 1);
}

// A restart ends the listening session; the watcher listens again by itself, tells once what
// it may have missed, and from then on tells as before. The window never stands still.
TEST_F(PgChangeWatcher, AfterAServerRestartItListensAgainAndTellsOnce) {
  TWatched watched;
  TTickGaps gaps;
  std::future<void> restart = std::async(std::launch::async, [] { Cluster().Restart(); });
  while (restart.wait_for(std::chrono::seconds(0)) != std::future_status::ready) watched.Turn(10);
  restart.get();
  EXPECT_TRUE(watched.WaitCall(3000));
  watched.Turn(300);
  EXPECT_EQ(watched.Calls(), 1);
  EXPECT_LT(gaps.LongestMs(), 200);

  TPgConnection desk(RegisterConnInfo());
  desk.Execute(InsertBag);
  EXPECT_TRUE(watched.WaitCall(1000));
  EXPECT_EQ(watched.Calls(), 2);
}

// The listening session's server process and the server itself hang: nothing ends the
// connection, so only the unanswered check shows it lost, and the tries to connect again meet
// a server that takes the connection and never answers. Once the server wakes, the watcher
// listens again and tells once.
TEST_F(PgChangeWatcher, ASilentServerIsNoticedAndNeverHoldsUpTheEventLoop) {
  const int checkMs = 200;
  TWatched watched([] { return 0; }, checkMs,
                   RegisterConnInfo() + QStringLiteral(" application_name=pgwatch-silent"));
  TPgConnection desk(RegisterConnInfo());
  const int listener =
      desk
          .Execute(QStringLiteral(
              "SELECT pid FROM pg_stat_activity WHERE application_name = 'pgwatch-silent'"))
          .Value(0, 0)
          .toInt();
  {
    const TStopped stopped({Postmaster(), listener});
    TTickGaps gaps;
    watched.Turn(2000);
    EXPECT_EQ(watched.Calls(), 0);
    EXPECT_LT(gaps.LongestMs(), 200);
  }
  EXPECT_TRUE(watched.WaitCall(3000));
  watched.Turn(300);
  EXPECT_EQ(watched.Calls(), 1);

  desk.Execute(InsertBag);
  EXPECT_TRUE(watched.WaitCall(1000));
  EXPECT_EQ(watched.Calls(), 2);
}

// The session is made from the event loop: a server that does not answer yet holds up neither
// the construction (a desk's start-up) nor the event loop; once it answers, the watcher
// listens and tells once, for what may have been committed meanwhile.
TEST_F(PgChangeWatcher, ItConnectsInTheBackgroundAndTellsOnceItListens) {
  int calls = 0;
  const auto Turn = [](int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
  };
  std::optional<TPgChangeWatcher> watcher;
  {
    const TStopped stopped({Postmaster()});
    QElapsedTimer clock;
    clock.start();
    watcher.emplace(RegisterConnInfo(), [] { return 0; });
    watcher->Start([&] { ++calls; });
    EXPECT_LT(clock.elapsed(), 500);
    TTickGaps gaps;
    Turn(1000);
    EXPECT_EQ(calls, 0);
    EXPECT_LT(gaps.LongestMs(), 200);
  }
  for (int turn = 0; turn < 50 && calls == 0; ++turn) Turn(100);
  Turn(300);
  EXPECT_EQ(calls, 1);
}

TEST_F(PgChangeWatcher, AnUnreachableServerAtConstructionThrowsAtOnce) {
  QElapsedTimer clock;
  clock.start();
  EXPECT_EQ(
      FailureOf([] {
        TPgChangeWatcher watcher(
            QStringLiteral("host=/nonexistent-pgwatch dbname=register user=desk"),
            [] { return 0; });
      }),
      (TFailure{
          "",
          "connection to server on socket \"/nonexistent-pgwatch/.s.PGSQL.5432\" failed: No such "
          "file or directory\n\tIs the server running locally and accepting connections on that "
          "socket?"}));
  EXPECT_LT(clock.elapsed(), 1000);
}
