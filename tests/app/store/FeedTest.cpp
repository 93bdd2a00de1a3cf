// The register's change feed on both engines: another desk's changes are taken from the feed
// without reading the whole register, and a feed that cannot tell every change falls back to a
// whole read with nothing lost.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <memory>
#include <optional>

#include "app/DataModuleUnit.h"
#include "app/store/ADOTable.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/store/TestRegisters.h"

namespace {

enum { Bag, FullName = 6 };

TBagRow Row(const QString& bag) {
  return {bag, QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant()};
}

// What each engine's SQL for a case is.
struct TDialects {
  const char* File;
  const char* Server;
};

class Feed : public testing::TestWithParam<TRegisterEngine> {
protected:
  void Open(const std::vector<TBagRow>& rows) {
    Table.reset();
    Register.reset();
    Register = GetParam().Make();
    Register->Create(rows);
    // Pages of two rows: every case reads across pages and, past 40 rows, drops rows from
    // the cache and reads them again.
    Table = std::make_unique<TADOTable>(Register->Connection(), QStringLiteral("Clients"),
                                        ClientsFields(), 2);
    Table->Open();
  }
  void Execute(const TDialects& sql) {
    Register->Execute(QString::fromUtf8(Register->OnServer() ? sql.Server : sql.File));
  }
  // The bag numbers in register order, as the grid shows them.
  QStringList Bags() const {
    QStringList bags;
    for (int row = 0; row < Table->RecordCount(); ++row)
      bags << FieldDisplayText(Table->Value(row, Bag));
    return bags;
  }
  // The bag numbers stored, in the order added.
  QStringList StoredBags() const {
    QStringList bags;
    for (const TBagRow& row : Register->Rows()) bags << FieldDisplayText(row[Bag]);
    return bags;
  }

  std::unique_ptr<TRegister> Register;
  std::unique_ptr<TADOTable> Table;
};

TEST_P(Feed, ChangesElsewhereAreTakenFromTheFeedWithoutReadingTheWholeRegister) {
  Open({Row(u"1"_qs), Row(u"2"_qs), Row(u"3"_qs)});
  ASSERT_EQ(Table->WholeReads(), 1);
  Register->Execute(QStringLiteral("INSERT INTO \"Clients\" (\"Номер сумки\") VALUES ('4')"));
  Register->Execute(
      QStringLiteral("UPDATE \"Clients\" SET \"ФИО\" = 'Ёлкин' WHERE \"Номер сумки\" = '2'"));
  Register->Execute(QStringLiteral("DELETE FROM \"Clients\" WHERE \"Номер сумки\" = '3'"));
  const TResyncResult result = Table->Resync();
  EXPECT_EQ(result.Added, 1);
  EXPECT_EQ(result.Changed, 1);
  EXPECT_EQ(result.Deleted, 1);
  EXPECT_EQ(Bags(), (QStringList{u"1"_qs, u"2"_qs, u"4"_qs}));
  EXPECT_EQ(Table->Value(1, FullName), QVariant(u"Ёлкин"_qs));
  // This desk's own post is in the feed too, and taken as the change it already holds.
  Table->MoveTo(2);
  Table->Edit();
  Table->SetFieldText(Bag, QStringLiteral("44"));
  Table->Post();
  const TResyncResult again = Table->Resync();
  EXPECT_EQ(again.Added + again.Changed + again.Deleted, 0);
  EXPECT_EQ(Bags(), (QStringList{u"1"_qs, u"2"_qs, u"44"_qs}));
  EXPECT_EQ(Table->WholeReads(), 1) << "never the whole register again";
}

// Bags this desk added stand where they were inserted, out of the keys' order, two of them side
// by side: the feed's changes find them, and the bags around them, each where it stands.
TEST_P(Feed, ChangesFindTheBagsThisDeskAddedAmidTheRegisterAndTheirNeighbours) {
  std::vector<TBagRow> rows;
  for (int bag = 1; bag <= 8; ++bag) rows.push_back(Row(QString::number(bag)));
  Open(rows);
  const auto add = [&](int before, const QString& bag) {
    Table->MoveTo(before);
    Table->Insert();
    Table->SetFieldText(Bag, bag);
    Table->Post();
  };
  add(2, u"с1"_qs);
  add(6, u"с2"_qs);
  add(6, u"с3"_qs);
  ASSERT_EQ(Bags(), (QStringList{u"1"_qs, u"2"_qs, u"с1"_qs, u"3"_qs, u"4"_qs, u"5"_qs, u"с3"_qs,
                                 u"с2"_qs, u"6"_qs, u"7"_qs, u"8"_qs}));
  Register->Execute(QStringLiteral("UPDATE \"Clients\" SET \"ФИО\" = 'Ли' WHERE \"Номер сумки\" "
                                   "IN ('с1', 'с2', '4', '6', '8')"));
  Register->Execute(
      QStringLiteral("DELETE FROM \"Clients\" WHERE \"Номер сумки\" IN ('5', 'с3', '1')"));
  Register->Execute(QStringLiteral("INSERT INTO \"Clients\" (\"Номер сумки\") VALUES ('новая')"));
  const TResyncResult result = Table->Resync();
  EXPECT_EQ(result.Changed, 5);
  EXPECT_EQ(result.Deleted, 3);
  EXPECT_EQ(result.Added, 1);
  EXPECT_EQ(Bags(), (QStringList{u"2"_qs, u"с1"_qs, u"3"_qs, u"4"_qs, u"с2"_qs, u"6"_qs, u"7"_qs,
                                 u"8"_qs, u"новая"_qs}));
  QStringList names;
  for (int row = 0; row < Table->RecordCount(); ++row)
    names << FieldDisplayText(Table->Value(row, FullName));
  EXPECT_EQ(names, (QStringList{u""_qs, u"Ли"_qs, u""_qs, u"Ли"_qs, u"Ли"_qs, u"Ли"_qs, u""_qs,
                                u"Ли"_qs, u""_qs}));
  // This desk's last bag was current: its neighbour after it is now.
  EXPECT_EQ(result.Current, TResyncCurrent::rcDeleted);
  EXPECT_EQ(FieldDisplayText(Table->FieldValue(Bag)), QStringLiteral("с2"));
}

// The feed cannot tell every change: its rows were dropped, one is missing, there are too many
// to be worth it, or the table was emptied at once. The whole register is read again, nothing
// is lost, and the next change comes from the feed again.
TEST_P(Feed, AFeedThatCannotTellEveryChangeFallsBackToAWholeReadWithNothingLost) {
  struct TCase {
    const char* Name;
    TDialects Sql;
  };
  const TCase cases[] = {
      {"rows dropped",
       {"DELETE FROM ClientsFeed",
        "WITH dropped AS (DELETE FROM \"ClientsFeed\") UPDATE \"ClientsFeedState\" SET "
        "\"PrunedBelow\" = "
        "(pg_current_xact_id()::text::numeric + 1)::text::xid8"}},
      {"a hole",
       {"DELETE FROM ClientsFeed WHERE Seq = (SELECT max(Seq) - 1 FROM ClientsFeed)", nullptr}},
      {"too many",
       {"WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < 10001) "
        "INSERT INTO Clients (\"Номер сумки\") SELECT 'n' || x FROM n",
        "INSERT INTO \"Clients\" (\"Номер сумки\") SELECT 'n' || x FROM generate_series(1, "
        "10001) AS x"}},
      {"emptied at once", {nullptr, "TRUNCATE \"Clients\""}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Open({Row(u"1"_qs), Row(u"2"_qs)});
    if (!(Register->OnServer() ? c.Sql.Server : c.Sql.File)) continue;
    Register->Execute(QStringLiteral("INSERT INTO \"Clients\" (\"Номер сумки\") VALUES ('3')"));
    Register->Execute(QStringLiteral("DELETE FROM \"Clients\" WHERE \"Номер сумки\" = '1'"));
    Execute(c.Sql);
    Table->Resync();
    EXPECT_EQ(Table->WholeReads(), 2);
    EXPECT_EQ(Bags(), StoredBags());
    Register->Execute(QStringLiteral("INSERT INTO \"Clients\" (\"Номер сумки\") VALUES ('5')"));
    Table->Resync();
    EXPECT_EQ(Bags(), StoredBags());
    EXPECT_EQ(Table->WholeReads(), 2);
  }
}

// A register longer than one slice of keys opens with the first slice, and the rest comes from
// the event loop. What other desks and this one change meanwhile is all there once it is in:
// a change to a bag already in at once, one to a bag still to come at the resync after.
TEST_P(Feed, ALargeRegisterOpensWithItsFirstKeysAndTakesTheRestWithTheChangesMeanwhile) {
  int argc = 0;
  std::optional<QCoreApplication> application;
  if (!QCoreApplication::instance()) application.emplace(argc, nullptr);
  Open({Row(u"1"_qs)});
  // The server's history triggers would take longer than the rows are worth here; the rows
  // are in before the data set opens, so neither feed nor history is wanted for them.
  if (Register->OnServer())
    Register->Execute(QStringLiteral("SET session_replication_role = replica"));
  Execute(
      {"WITH RECURSIVE n(x) AS (SELECT 2 UNION ALL SELECT x + 1 FROM n WHERE x < 100050) "
       "INSERT INTO Clients (\"Номер сумки\") SELECT x FROM n",
       "INSERT INTO \"Clients\" (\"Номер сумки\") SELECT x FROM generate_series(2, 100050) "
       "AS x"});
  if (Register->OnServer()) Register->Execute(QStringLiteral("RESET session_replication_role"));
  Table = std::make_unique<TADOTable>(Register->Connection(), QStringLiteral("Clients"),
                                      ClientsFields());
  Table->Open();
  ASSERT_TRUE(Table->Loading());
  EXPECT_EQ(Table->RecordCount(), 100000);
  Register->Execute(QStringLiteral(
      "UPDATE \"Clients\" SET \"ФИО\" = 'Ёлкин' WHERE \"Номер сумки\" IN ('2', '100040')"));
  Register->Execute(QStringLiteral("DELETE FROM \"Clients\" WHERE \"Номер сумки\" = '100045'"));
  Register->Execute(QStringLiteral("INSERT INTO \"Clients\" (\"Номер сумки\") VALUES ('новая')"));
  Table->Insert();
  Table->SetFieldText(Bag, QStringLiteral("своя"));
  Table->Post();
  EXPECT_EQ(Table->Resync().Changed, 1);
  EXPECT_EQ(Table->Value(2, FullName), QVariant(u"Ёлкин"_qs));
  QElapsedTimer clock;
  clock.start();
  while (Table->Loading() && clock.elapsed() < 20000)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  ASSERT_FALSE(Table->Loading());
  Table->Resync();
  // As stored, but with this desk's bag where it was added; read at the end, where the
  // changes are (every row's first read costs the server more than the case is worth).
  const QStringList stored = StoredBags();
  ASSERT_EQ(Table->RecordCount(), stored.size());
  EXPECT_EQ(FieldDisplayText(Table->Value(0, Bag)), QStringLiteral("своя"));
  EXPECT_EQ(stored.last(), QStringLiteral("своя"));
  QStringList tail;
  for (int row = Table->RecordCount() - 20; row < Table->RecordCount(); ++row)
    tail << FieldDisplayText(Table->Value(row, Bag));
  EXPECT_EQ(tail, stored.mid(stored.size() - 21, 20));
  EXPECT_EQ(Table->Value(100040, FullName), QVariant(u"Ёлкин"_qs));
  EXPECT_EQ(Table->WholeReads(), 1);
}

// The feed's rows dropped: it can no longer tell what changed before.
const TDialects FeedDropped = {
    "DELETE FROM ClientsFeed",
    "WITH dropped AS (DELETE FROM \"ClientsFeed\") UPDATE \"ClientsFeedState\" SET "
    "\"PrunedBelow\" = (pg_current_xact_id()::text::numeric + 1)::text::xid8"};

// A register of more than one slice of keys that must be read again whole: the keys are read
// on another thread while the register shows what it held and takes the feed's changes, one
// re-read at a time; then they come in at once, with the changes made meanwhile, the bag being
// edited still edited against the values it was read with.
TEST_P(Feed, AWholeReadOfALargeRegisterRunsInTheBackgroundAndLosesNothingMeanwhile) {
  int argc = 0;
  std::optional<QCoreApplication> application;
  if (!QCoreApplication::instance()) application.emplace(argc, nullptr);
  Open({});
  Execute({"WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < 300) "
           "INSERT INTO Clients (\"Номер сумки\") SELECT x FROM n",
           "INSERT INTO \"Clients\" (\"Номер сумки\") SELECT x FROM generate_series(1, 300) "
           "AS x"});
  Table = std::make_unique<TADOTable>(Register->Connection(), QStringLiteral("Clients"),
                                      ClientsFields(), 10, 50);
  Table->Open();
  const auto settle = [&] {
    QElapsedTimer clock;
    clock.start();
    while (Table->Loading() && clock.elapsed() < 10000)
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    ASSERT_FALSE(Table->Loading());
  };
  ASSERT_NO_FATAL_FAILURE(settle());
  ASSERT_EQ(Table->RecordCount(), 300);
  Table->MoveTo(120);
  Table->Edit();
  Table->SetFieldText(FullName, QStringLiteral("набрано"));
  const TRowKey edited = Table->CurrentKey();
  const auto change = [&](const char* sql) { Register->Execute(QString::fromUtf8(sql)); };
  // Before the gap: lost from the feed, found by the whole read.
  change("UPDATE \"Clients\" SET \"ФИО\" = 'Ёлкин' WHERE \"Номер сумки\" IN ('121', '5')");
  change("DELETE FROM \"Clients\" WHERE \"Номер сумки\" IN ('200', '2')");
  change("INSERT INTO \"Clients\" (\"Номер сумки\") VALUES ('новая')");
  Execute(FeedDropped);
  EXPECT_EQ(Table->Resync().Changed, 0);
  EXPECT_TRUE(Table->Loading());
  EXPECT_EQ(Table->RecordCount(), 300) << "what it held, meanwhile";
  EXPECT_EQ(Table->WholeReads(), 2);
  // During the read: taken from the feed at once, and again after the keys are in.
  change("INSERT INTO \"Clients\" (\"Номер сумки\") VALUES ('во время')");
  change("DELETE FROM \"Clients\" WHERE \"Номер сумки\" = '250'");
  const TResyncResult during = Table->Resync();
  EXPECT_EQ(during.Added, 1);
  EXPECT_EQ(during.Deleted, 1);
  // Another gap while it runs starts no second read; the feed then asks for one after it.
  change("UPDATE \"Clients\" SET \"ФИО\" = 'Ли' WHERE \"Номер сумки\" = '7'");
  Execute(FeedDropped);
  Table->Resync();
  EXPECT_EQ(Table->WholeReads(), 2);
  ASSERT_NO_FATAL_FAILURE(settle());
  Table->Resync();
  ASSERT_NO_FATAL_FAILURE(settle());
  const TResyncResult last = Table->Resync();
  EXPECT_EQ(last.Current, TResyncCurrent::rcChangedWhileEdited);
  EXPECT_EQ(Table->WholeReads(), 3);
  EXPECT_EQ(Table->KeysReadHere(), 50) << "only the first slice, at Open";
  // As stored, but the bag added during the read came in first.
  QStringList stored = StoredBags();
  ASSERT_EQ(stored.mid(stored.size() - 2), (QStringList{u"новая"_qs, u"во время"_qs}));
  stored.move(stored.size() - 1, stored.size() - 2);
  EXPECT_EQ(Bags(), stored);
  EXPECT_EQ(Table->Value(3, FullName), QVariant(u"Ёлкин"_qs));
  EXPECT_EQ(Table->Value(5, FullName), QVariant(u"Ли"_qs));
  EXPECT_EQ(Table->CurrentKey(), edited);
  EXPECT_EQ(Table->State(), TDataSetState::dsEdit);
  EXPECT_EQ(Table->FieldValue(FullName), QVariant(u"набрано"_qs));
  try {
    Table->Post();
    ADD_FAILURE() << "the post overwrote the change made elsewhere";
  } catch (const ERecordConflict& conflict) {
    EXPECT_EQ(conflict.Failure(), TDatabaseFailure::dfChangedOnPost);
  }
  EXPECT_EQ(Table->FieldValue(FullName), QVariant(u"набрано"_qs));
}

INSTANTIATE_TEST_SUITE_P(Engines, Feed, TestedEngines(), EngineName);

}  // namespace
