// The file's change feed: a file made by the earlier schema gets it on opening, and a file that
// cannot be brought up to date now is caught up by whole reads.
#include <gtest/gtest.h>

#include <QString>
#include <QStringList>

#include <sqlite3.h>

#include <memory>

#include "app/DataModuleUnit.h"
#include "app/store/ADOConnection.h"
#include "app/store/ADOTable.h"
#include "tests/app/AppTestSupport.h"

namespace {

TBagRow Row(const QString& bag) {
  return {bag, QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant()};
}

// The sqlite_master entries of a file: kind, name and SQL, read through a connection of its
// own.
QStringList SchemaOf(const QString& db) {
  QStringList entries;
  const int count = QueryValue(db, QStringLiteral("SELECT count(*) FROM sqlite_master")).toInt();
  for (int i = 0; i < count; ++i)
    entries << QueryValue(db, QStringLiteral("SELECT type || ' ' || name || ': ' || "
                                             "coalesce(sql, '') FROM sqlite_master ORDER BY "
                                             "type, name LIMIT 1 OFFSET %1")
                                  .arg(i))
                   .toString();
  return entries;
}

// Opening brings it to the latest version: the feed, then the bags' history, whose triggers
// take over the feed's.
TEST(FileFeed, AWritableFileOfTheEarlierSchemaGetsTheFeedOnOpeningAndNothingElseChanges) {
  TTempWorkDir dir;
  const QString db = dir.Path(QStringLiteral("db.mdb"));
  const std::vector<TBagRow> bags = {
      Row(u"1"_qs), {u"Ёж"_qs, 5, QVariant(), u"4070"_qs, QVariant(), 32, u"Ли"_qs}};
  CreateClientsDatabase(db, bags);
  const QStringList before = SchemaOf(db);
  ASSERT_EQ(QueryValue(db, QStringLiteral("PRAGMA user_version")), QVariant(qint64(0)));

  TADOConnection connection(QStringLiteral("db.mdb"), 1000);
  TADOTable table(connection, QStringLiteral("Clients"), ClientsFields());
  table.Open();
  EXPECT_EQ(QueryValue(db, QStringLiteral("PRAGMA user_version")), QVariant(qint64(4)));
  EXPECT_EQ(ReadBags(db), bags);
  QStringList after = SchemaOf(db);
  for (const QString& entry : before) EXPECT_TRUE(after.removeOne(entry)) << entry.toStdString();
  QStringList added;
  for (const QString& entry : after) added << entry.section(u':', 0, 0);
  EXPECT_EQ(added, (QStringList{u"index ClientsHistoryBags"_qs,
                                u"index ClientsHistoryNumbersAfter"_qs,
                                u"index ClientsHistoryNumbersBefore"_qs,
                                u"table ClientsDesk"_qs,
                                u"table ClientsFeed"_qs,
                                u"table ClientsHistory"_qs,
                                u"table ClientsHistoryFields"_qs,
                                u"table ClientsSearch"_qs,
                                u"table ClientsSearch_config"_qs,
                                u"table ClientsSearch_content"_qs,
                                u"table ClientsSearch_data"_qs,
                                u"table ClientsSearch_docsize"_qs,
                                u"table ClientsSearch_idx"_qs,
                                u"trigger clients_change_delete"_qs,
                                u"trigger clients_change_insert"_qs,
                                u"trigger clients_change_update"_qs,
                                u"trigger clients_feed_prune"_qs,
                                u"trigger clients_search_delete"_qs,
                                u"trigger clients_search_insert"_qs,
                                u"trigger clients_search_update"_qs,
                                u"view ClientsSearchText"_qs}));

  ExecuteSql(db, QStringLiteral("UPDATE Clients SET \"ФИО\" = 'Ким' WHERE rowid = 1"));
  EXPECT_EQ(table.Resync().Changed, 1);
  EXPECT_EQ(table.WholeReads(), 1);
  // A second desk finds it up to date and changes nothing.
  TADOConnection second(QStringLiteral("db.mdb"), 1000);
  TADOTable other(second, QStringLiteral("Clients"), ClientsFields());
  other.Open();
  EXPECT_EQ(SchemaOf(db).size(), before.size() + 21);
  // The bags held before are in the search index.
  table.SetFilter({u"407"_qs});
  EXPECT_EQ(table.RecordCount(), 1);
}

// A desk that cannot bring the file up to date now (another program holds the write lock
// beyond the busy time-out) works as before: each catch-up reads the whole register.
TEST(FileFeed, AFileThatCannotBeUpgradedNowIsCaughtUpByWholeReads) {
  TTempWorkDir dir;
  const QString db = dir.Path(QStringLiteral("db.mdb"));
  CreateClientsDatabase(db, {Row(u"1"_qs)});
  // A writer in the middle of its transaction: others may read but not write.
  sqlite3* writer = nullptr;
  ASSERT_EQ(sqlite3_open(db.toUtf8().constData(), &writer), SQLITE_OK);
  const std::unique_ptr<sqlite3, decltype(&sqlite3_close)> closer(writer, sqlite3_close);
  ASSERT_EQ(
      sqlite3_exec(writer, "BEGIN IMMEDIATE; INSERT INTO Clients (\"Номер сумки\") VALUES ('2')",
                   nullptr, nullptr, nullptr),
      SQLITE_OK);

  TADOConnection connection(QStringLiteral("db.mdb"), 100);
  TADOTable table(connection, QStringLiteral("Clients"), ClientsFields());
  table.Open();
  EXPECT_EQ(table.RecordCount(), 1);
  ASSERT_EQ(sqlite3_exec(writer, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
  EXPECT_EQ(table.Resync().Added, 1);
  EXPECT_EQ(table.WholeReads(), 2);
  EXPECT_EQ(QueryValue(db, QStringLiteral("PRAGMA user_version")), QVariant(qint64(0)));
}

}  // namespace
