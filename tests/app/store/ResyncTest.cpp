// The register catching up with other desks on a real SQLite file: the data set's resync and
// the watcher that tells when another connection committed.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>

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
  return {bag, package, QStringLiteral("ООО Ромашка"), QStringLiteral("40702810900000000001"),
          QStringLiteral("7701234567"), 2, QStringLiteral("Иванов И.И.")};
}

// The bag numbers in register order, as the grid shows them.
QStringList Bags(const TADOTable& table) {
  QStringList bags;
  for (int row = 0; row < table.RecordCount(); ++row) bags << FieldDisplayText(table.Value(row, Bag));
  return bags;
}

// Records the order of the events a link hears.
class TEventLog : public TDataLink {
public:
  void DataEvent(TDataEvent event, int info) override { Events.push_back({event, info}); }
  void UpdateData() override {}
  std::vector<std::pair<TDataEvent, int>> Events;
};

class ResyncTest : public ::testing::Test {
protected:
  void Open(const std::vector<TBagRow>& rows) {
    CreateClientsDatabase(Db, rows);
    Table.Open();
  }
  // The failure a call raised, dfOther when it raised none.
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

TEST_F(ResyncTest, ACurrentBagDeletedElsewhereGivesWayToTheNextSurvivorOrThePreviousOne) {
  Open({Row(u"1"_qs, 1), Row(u"2"_qs, 2), Row(u"3"_qs, 3), Row(u"4"_qs, 4), Row(u"5"_qs, 5)});
  Table.MoveTo(1);
  ExecuteSql(Db, QStringLiteral("DELETE FROM Clients WHERE \"Номер сумки\" IN ('2', '3')"));
  EXPECT_EQ(Table.Resync().Current, TResyncCurrent::rcDeleted);
  EXPECT_EQ(Table.RecNo(), 1);
  EXPECT_EQ(FieldDisplayText(Table.FieldValue(Bag)), QStringLiteral("4"));

  Table.MoveTo(2);
  ExecuteSql(Db, QStringLiteral("DELETE FROM Clients WHERE \"Номер сумки\" IN ('1', '5')"));
  EXPECT_EQ(Table.Resync().Current, TResyncCurrent::rcDeleted);
  EXPECT_EQ(Bags(Table), QStringList{u"4"_qs});
  EXPECT_EQ(Table.RecNo(), 0) << "after the last, the previous";

  ExecuteSql(Db, QStringLiteral("DELETE FROM Clients"));
  EXPECT_EQ(Table.Resync().Current, TResyncCurrent::rcDeleted);
  EXPECT_EQ(Table.RecNo(), -1);
  EXPECT_TRUE(Table.IsEmpty());

  ExecuteSql(Db, QStringLiteral("INSERT INTO Clients (\"Номер сумки\") VALUES ('6'), ('7')"));
  const TResyncResult arrived = Table.Resync();
  EXPECT_EQ(arrived.Current, TResyncCurrent::rcFirstArrived);
  EXPECT_EQ(arrived.Added, 2);
  EXPECT_EQ(Table.RecNo(), 0);
  EXPECT_EQ(FieldDisplayText(Table.FieldValue(Bag)), QStringLiteral("6"));
}

// The grid follows the rows by these events; the bound controls reload only on deRecordChange,
// which must not come while a record is edited (its typing would be lost).
TEST_F(ResyncTest, LinksHearEachRowAndARecordChangeOnlyWhenTheShownBagChanged) {
  Open({Row(u"1"_qs, 1), Row(u"2"_qs, 2), Row(u"3"_qs, 3)});
  TEventLog log;
  Table.AddLink(&log);
  Table.MoveTo(2);
  Table.Edit();
  Table.SetFieldText(FullName, QStringLiteral("Ким"));
  log.Events.clear();
  ExecuteSql(Db, QStringLiteral("DELETE FROM Clients WHERE \"Номер сумки\" = '1';"
                                "UPDATE Clients SET \"ФИО\" = 'Петров';"
                                "INSERT INTO Clients (\"Номер сумки\") VALUES ('4')"));
  Table.Resync();
  using E = TDataEvent;
  EXPECT_EQ(log.Events, (std::vector<std::pair<E, int>>{
                            {E::deRowChanged, 1}, {E::deBeforeRowDelete, 0}, {E::deRowDeleted, 0},
                            {E::deBeforeRowInsert, 2}, {E::deRowInserted, 2}}));
  EXPECT_EQ(Table.RecNo(), 1);

  Table.Cancel();
  log.Events.clear();
  Table.Resync();
  EXPECT_EQ(log.Events, (std::vector<std::pair<E, int>>{{E::deRowChanged, 1}, {E::deRecordChange, 0}}))
      << "back in browse mode the bag takes the change it was spared";
  EXPECT_EQ(Table.FieldValue(FullName), QVariant(u"Петров"_qs));
  Table.RemoveLink(&log);
}

// Many rows gone at once reach the links as one reset (a view's removal of one row costs as
// much as the register is long); the current record is found the same way.
TEST_F(ResyncTest, ManyRowsGoneAtOnceReachTheLinksAsOneResetWithTheCurrentRecordKept) {
  std::vector<TBagRow> rows;
  for (int n = 0; n < 100; ++n) rows.push_back(Row(QString::number(n), n));
  Open(rows);
  TEventLog log;
  Table.AddLink(&log);
  Table.MoveTo(51);
  log.Events.clear();
  ExecuteSql(Db, QStringLiteral("DELETE FROM Clients WHERE \"Номер пакета\" % 2 = 0"));
  EXPECT_EQ(Table.Resync().Deleted, 50);
  using E = TDataEvent;
  EXPECT_EQ(log.Events, (std::vector<std::pair<E, int>>{{E::deRowsReset, 0}}));
  EXPECT_EQ(Table.RecordCount(), 50);
  EXPECT_EQ(Table.RecNo(), 25);
  EXPECT_EQ(FieldDisplayText(Table.FieldValue(Bag)), QStringLiteral("51"));

  log.Events.clear();
  ExecuteSql(Db, QStringLiteral("DELETE FROM Clients WHERE \"Номер пакета\" BETWEEN 21 AND 91"));
  EXPECT_EQ(Table.Resync().Current, TResyncCurrent::rcDeleted);
  EXPECT_EQ(log.Events, (std::vector<std::pair<E, int>>{{E::deRowsReset, 0}, {E::deScroll, 10}, {E::deRecordChange, 0}}));
  EXPECT_EQ(FieldDisplayText(Table.FieldValue(Bag)), QStringLiteral("93")) << "the next survivor";

  ExecuteSql(Db, QStringLiteral("DELETE FROM Clients WHERE \"Номер пакета\" > 7"));
  EXPECT_EQ(Table.Resync().Deleted, 10);
  EXPECT_EQ(FieldDisplayText(Table.FieldValue(Bag)), QStringLiteral("7")) << "after the last, the previous";
  Table.RemoveLink(&log);
}

TEST_F(ResyncTest, NothingChangesWhenTheTableCannotBeRead) {
  Open({Row(u"1"_qs, 1)});
  ExecuteSql(Db, QStringLiteral("INSERT INTO Clients (\"Номер сумки\") VALUES ('2')"));
  TWriteLock lock(Db);
  EXPECT_EQ(Failure([&] { Table.Resync(); }), TDatabaseFailure::dfLocked);
  EXPECT_EQ(Bags(Table), QStringList{u"1"_qs});
  lock.Release();
  EXPECT_EQ(Table.Resync().Added, 1);
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

}  // namespace
