// The register catching up with other desks, what only a real SQLite file has: a resync that
// meets another connection's lock, and the watcher that tells when another connection
// committed. The resync's cases on both engines are the data set's (DataSetTest).
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <functional>
#include <optional>

#include "app/DataModuleUnit.h"
#include "app/store/ADOConnection.h"
#include "app/store/ADOTable.h"
#include "app/store/DatabaseError.h"
#include "tests/app/AppTestSupport.h"

namespace {

enum { Bag, Package, Recipient, Account, Inn, Symbol, FullName };

TBagRow Row(const QString& bag, int package) {
  return {bag,
          package,
          QStringLiteral("ООО Ромашка"),
          QStringLiteral("40702810900000000001"),
          QStringLiteral("7701234567"),
          2,
          QStringLiteral("Иванов И.И.")};
}

// Records the events a link hears.
class TEventLog : public TDataLink {
public:
  void DataEvent(TDataEvent event, int info) override { Events.push_back({event, info}); }
  void UpdateData() override {}
  std::vector<std::pair<TDataEvent, int>> Events;
};

// The bag numbers in register order, as the grid shows them.
QStringList Bags(const TADOTable& table) {
  QStringList bags;
  for (int row = 0; row < table.RecordCount(); ++row)
    bags << FieldDisplayText(table.Value(row, Bag));
  return bags;
}

class ResyncTest : public ::testing::Test {
protected:
  void Open(const std::vector<TBagRow>& rows) {
    CreateClientsDatabase(Db, rows);
    Table.Open();
  }
  // The failure a call raised; none when it raised none.
  std::optional<TDatabaseFailure> Failure(const std::function<void()>& action) {
    try {
      action();
    } catch (const EDatabaseError& e) {
      return e.Failure();
    }
    return std::nullopt;
  }

  TTempWorkDir Dir;
  QString Db = Dir.Path(QStringLiteral("db.mdb"));
  TADOConnection Connection{QStringLiteral("db.mdb"), 200};
  TADOTable Table{Connection, QStringLiteral("Clients"), ClientsFields()};
};

TEST_F(ResyncTest, NothingChangesWhenTheTableCannotBeRead) {
  Open({Row(u"1"_qs, 1)});
  ExecuteSql(Db, QStringLiteral("INSERT INTO Clients (\"Номер сумки\") VALUES ('2')"));
  TWriteLock lock(Db);
  EXPECT_EQ(Failure([&] { Table.Resync(); }), TDatabaseFailure::dfLocked);
  EXPECT_EQ(Bags(Table), QStringList{u"1"_qs});
  lock.Release();
  EXPECT_EQ(Table.Resync().Added, 1);
}

// A repaint while a call into the store waits asks for rows the cache does not hold: they
// are not read through the waiting connection but shown empty, and the links hear of them
// once the call is over.
TEST_F(ResyncTest, ARowAskedForWhileTheStoreWaitsIsShownOnceTheWaitIsOver) {
  std::vector<TBagRow> rows;
  for (int n = 0; n < 300; ++n) rows.push_back(Row(QString::number(n), n));
  CreateClientsDatabase(Db, rows);
  std::vector<QVariant> seen;
  TADOTable* waiting = nullptr;
  TADOConnection connection(QStringLiteral("db.mdb"), 200, [&](bool wait) {
    if (wait && waiting) seen.push_back(waiting->Value(250, Bag));
  });
  TADOTable table(connection, QStringLiteral("Clients"), ClientsFields());
  table.Open();
  TEventLog log;
  table.AddLink(&log);
  waiting = &table;
  table.Edit();
  table.SetFieldText(FullName, QStringLiteral("Ким"));
  log.Events.clear();
  {
    TWriteLock lock(Db);
    EXPECT_EQ(Failure([&] { table.Post(); }), TDatabaseFailure::dfLocked);
  }
  waiting = nullptr;
  ASSERT_FALSE(seen.empty());
  for (const QVariant& value : seen) EXPECT_FALSE(value.isValid());
  EXPECT_NE(
      std::find(log.Events.begin(), log.Events.end(), std::pair{TDataEvent::deRowChanged, 250}),
      log.Events.end());
  EXPECT_EQ(table.Value(250, Bag), QVariant(u"250"_qs));
  table.Post();
  EXPECT_EQ(ReadBags(Db)[0][FullName], QVariant(u"Ким"_qs));
  table.RemoveLink(&log);
}

// The watcher over the file's data version: another connection's commit is told, this
// connection's own is not, and a lock held elsewhere puts the poll off without waiting.
TEST_F(ResyncTest, TheWatcherTellsOtherConnectionsCommitsWithoutEverWaiting) {
  int argc = 0;
  QCoreApplication application(argc, nullptr);
  Open({Row(u"1"_qs, 1)});
  std::unique_ptr<TChangeWatcher> watcher = Connection.Engine().MakeChangeWatcher(20);
  int told = 0;
  watcher->Start([&] { ++told; });
  const auto Settle = [] {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 200) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  };
  Settle();
  EXPECT_EQ(told, 0);

  Table.Edit();
  Table.SetFieldText(FullName, QStringLiteral("Ким"));
  Table.Post();
  Settle();
  EXPECT_EQ(told, 0) << "this desk's own post";

  ExecuteSql(Db, QStringLiteral("UPDATE Clients SET \"ФИО\" = 'Петров'"));
  Settle();
  EXPECT_EQ(told, 1);

  {
    TWriteLock lock(Db);
    QElapsedTimer clock;
    clock.start();
    Settle();
    EXPECT_LT(clock.elapsed(), 1500) << "no poll waited for the lock";
    EXPECT_EQ(told, 1);
  }
  ExecuteSql(Db, QStringLiteral("DELETE FROM Clients"));
  Settle();
  EXPECT_EQ(told, 2);
}

// With an interval far beyond the test, only the system's word that the file changed can wake
// the watcher: another connection's commit is told at once, with a rollback journal (the
// program's) and in WAL mode (a file an administrator switched).
TEST_F(ResyncTest, TheWatcherWakesAtAnotherConnectionsCommitWithoutWaitingForItsInterval) {
  int argc = 0;
  QCoreApplication application(argc, nullptr);
  for (const char* mode : {"DELETE", "WAL"}) {
    SCOPED_TRACE(mode);
    const QString name = QStringLiteral("%1.mdb").arg(QLatin1String(mode));
    const QString db = Dir.Path(name);
    CreateClientsDatabase(db, {Row(u"1"_qs, 1)});
    ExecuteSql(db, QStringLiteral("PRAGMA journal_mode = %1").arg(QLatin1String(mode)));
    TADOConnection connection(name, 200);
    TADOTable table(connection, QStringLiteral("Clients"), ClientsFields());
    connection.Open();
    std::unique_ptr<TChangeWatcher> watcher = connection.Engine().MakeChangeWatcher(600000);
    table.Open();
    int told = 0;
    watcher->Start([&] { ++told; });
    ExecuteSql(db, QStringLiteral("UPDATE Clients SET \"ФИО\" = 'Петров'"));
    QElapsedTimer clock;
    clock.start();
    while (told == 0 && clock.elapsed() < 5000)
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(told, 1);
    EXPECT_LT(clock.elapsed(), 2000);
  }
}

}  // namespace
