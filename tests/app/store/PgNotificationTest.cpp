#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>

#include "app/store/PgTransaction.h"
#include "tests/app/store/PgStoreTestSupport.h"

namespace {

class PgNotification : public PgRegisterTest {};

const QString Channel = QStringLiteral("clients_changed");

// Runs the event loop until the session's socket has something to read, as the window
// will watch it; false after timeoutMs without.
bool WaitReadable(const TPgConnection& connection, int timeoutMs) {
  QSocketNotifier notifier(connection.Socket(), QSocketNotifier::Read);
  QEventLoop loop;
  bool readable = false;
  QObject::connect(&notifier, &QSocketNotifier::activated, &loop, [&] {
    readable = true;
    loop.quit();
  });
  QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
  loop.exec();
  return readable;
}

// The next `count` notifications as "channel payload", waiting at most 10 s for each.
std::vector<std::string> Receive(TPgConnection& listener, std::size_t count) {
  std::vector<std::string> received;
  while (received.size() < count) {
    for (const TPgNotification& n : listener.ConsumeNotifications()) {
      received.push_back((n.Channel + u' ' + n.Payload).toStdString());
    }
    if (received.size() < count && !WaitReadable(listener, 10000)) break;
  }
  return received;
}

// Feeds what arrives on the listener's socket to ConsumeNotifications, as the window will,
// until that reports a failure (at most ten arrivals).
TFailure FailureSeenBy(TPgConnection& listener) {
  for (int arrival = 0; arrival < 10 && WaitReadable(listener, 10000); ++arrival) {
    const TFailure failure = FailureOf([&] { listener.ConsumeNotifications(); });
    if (failure.SqlState != "ok") return failure;
  }
  return {"ok", "ok"};
}

const std::string ServerClosed =
    "server closed the connection unexpectedly\n"
    "\tThis probably means the server terminated abnormally\n"
    "\tbefore or while processing the request.";

}  // namespace

TEST_F(PgNotification, TheTriggerAnnouncesEveryCommittedChangeWithItsFeedNumber) {
  TPgConnection listener(RegisterConnInfo());
  listener.Listen(Channel);
  TPgConnection desk(RegisterConnInfo());
  {
    TPgTransaction abandoned(desk);  // draws key and number 1 and announces nothing
    desk.Execute(QStringLiteral("INSERT INTO \"Clients\" (\"ФИО\") VALUES ('никто')"));
  }
  desk.Execute(QStringLiteral("INSERT INTO \"Clients\" (\"ФИО\") VALUES ('Иванов')"));
  desk.Execute(QStringLiteral("UPDATE \"Clients\" SET \"ФИО\" = 'Петров'"));
  desk.Execute(QStringLiteral("DELETE FROM \"Clients\""));

  EXPECT_EQ(
      Receive(listener, 3),
      (std::vector<std::string>{"clients_changed 2", "clients_changed 3", "clients_changed 4"}));
  EXPECT_TRUE(listener.ConsumeNotifications().empty());
  // The sender is told apart by its server process, so a desk can know its own changes.
  desk.Execute(QStringLiteral("INSERT INTO \"Clients\" DEFAULT VALUES"));
  ASSERT_TRUE(WaitReadable(listener, 10000));
  const std::vector<TPgNotification> last = listener.ConsumeNotifications();
  ASSERT_EQ(last.size(), 1u);
  EXPECT_EQ(last[0].BackendPid, desk.BackendPid());
  EXPECT_NE(last[0].BackendPid, listener.BackendPid());
}

// After a restart of the server, the listening session learns of it from its socket and an
// idle one from its next statement; both work again after Reset, listening anew.
TEST_F(PgNotification, AServerRestartIsDetectedAndTheSessionsReset) {
  TPgConnection listener(RegisterConnInfo());
  listener.Listen(Channel);
  TPgConnection desk(RegisterConnInfo());
  TPgTestEnvironment::Cluster().Restart();

  EXPECT_EQ(FailureSeenBy(listener), (TFailure{"", ServerClosed}));
  EXPECT_FALSE(listener.IsConnected());
  // The statement reads the server's goodbye when it is still there to read, else the end.
  const TFailure deskFailure = FailureOf([&] { desk.Execute(QStringLiteral("SELECT 1")); });
  EXPECT_TRUE(deskFailure == (TFailure{"", ServerClosed}) ||
              deskFailure == (TFailure{"57P01",
                                       "FATAL:  terminating connection due to administrator "
                                       "command"}))
      << testing::PrintToString(deskFailure);
  EXPECT_FALSE(desk.IsConnected());

  listener.Reset();
  desk.Reset();
  EXPECT_TRUE(listener.IsConnected());
  EXPECT_TRUE(desk.IsConnected());
  listener.Listen(Channel);
  desk.Execute(QStringLiteral("INSERT INTO \"Clients\" DEFAULT VALUES"));
  EXPECT_EQ(Receive(listener, 1), (std::vector<std::string>{"clients_changed 1"}));
}
