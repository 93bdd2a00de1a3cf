// The register's change feed on both engines: another desk's changes are taken from the feed
// without reading the whole register, a feed that cannot tell every change falls back to a
// whole read with nothing lost, the server's late commits and rolled-back holes, and
// registers of the earlier schema brought up to date (a file on opening, a server database by
// the administrator's script).
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <functional>
#include <memory>

#include "app/DataModuleUnit.h"
#include "app/store/ADOConnection.h"
#include "app/store/ADOTable.h"
#include "app/store/PgTransaction.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/store/PgStoreTestSupport.h"
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

struct TEngine {
  const char* Name;
  bool Server;
  std::function<std::unique_ptr<TRegister>()> Make;
};

void PrintTo(const TEngine& engine, std::ostream* out) { *out << engine.Name; }

class Feed : public testing::TestWithParam<TEngine> {
protected:
  void Open(const std::vector<TBagRow>& rows) {
    Table.reset();
    Register.reset();
    Register = GetParam().Make();
    Register->Create(rows);
    Table = std::make_unique<TADOTable>(Register->Connection(), QStringLiteral("Clients"),
                                        ClientsFields());
    Table->Open();
  }
  void Execute(const TDialects& sql) {
    Register->Execute(QString::fromUtf8(GetParam().Server ? sql.Server : sql.File));
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
    if (!(GetParam().Server ? c.Sql.Server : c.Sql.File)) continue;
    Open({Row(u"1"_qs), Row(u"2"_qs)});
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

INSTANTIATE_TEST_SUITE_P(
    Engines, Feed,
    testing::Values(TEngine{"SqliteFile", false, [] { return std::make_unique<TFileRegister>(); }},
                    TEngine{"PostgresqlServer", true,
                            [] { return std::make_unique<TServerRegister>(); }}),
    [](const testing::TestParamInfo<TEngine>& info) { return std::string(info.param.Name); });

// The file's own: what a file made by the earlier schema becomes on opening.

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
  EXPECT_EQ(QueryValue(db, QStringLiteral("PRAGMA user_version")), QVariant(qint64(2)));
  EXPECT_EQ(ReadBags(db), bags);
  QStringList after = SchemaOf(db);
  for (const QString& entry : before) EXPECT_TRUE(after.removeOne(entry)) << entry.toStdString();
  QStringList added;
  for (const QString& entry : after) added << entry.section(u':', 0, 0);
  EXPECT_EQ(added,
            (QStringList{u"table ClientsDesk"_qs, u"table ClientsFeed"_qs,
                         u"table ClientsHistory"_qs, u"table ClientsHistoryFields"_qs,
                         u"trigger clients_change_delete"_qs, u"trigger clients_change_insert"_qs,
                         u"trigger clients_change_update"_qs, u"trigger clients_feed_prune"_qs}));

  ExecuteSql(db, QStringLiteral("UPDATE Clients SET \"ФИО\" = 'Ким' WHERE rowid = 1"));
  EXPECT_EQ(table.Resync().Changed, 1);
  EXPECT_EQ(table.WholeReads(), 1);
  // A second desk finds it up to date and changes nothing.
  TADOConnection second(QStringLiteral("db.mdb"), 1000);
  TADOTable other(second, QStringLiteral("Clients"), ClientsFields());
  other.Open();
  EXPECT_EQ(SchemaOf(db).size(), before.size() + 8);
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

// The server's own: transactions that commit out of the order of their numbers, and one that
// rolls back, met by two real sessions beside the desk.
class PgFeed : public PgRegisterTest {};

TEST_F(PgFeed, ALateCommitIsNeverSkippedAndARolledBackNumberIsNeverWaitedFor) {
  TServerRegister reg;
  reg.Create({});
  // The history's lock makes the second writer wait for the first one's commit, but a writer
  // draws its feed number before it takes that lock, so numbers may still commit out of
  // order; the history's trigger is off here to show that order at will.
  TPgConnection admin(RegisterConnInfo(QStringLiteral("postgres")));
  admin.Execute(QStringLiteral("ALTER TABLE \"Clients\" DISABLE TRIGGER clients_history"));
  struct TEnable {
    TPgConnection& Admin;
    ~TEnable() {
      Admin.Execute(QStringLiteral("ALTER TABLE \"Clients\" ENABLE TRIGGER clients_history"));
    }
  } enable{admin};
  TADOTable table(reg.Connection(), QStringLiteral("Clients"), ClientsFields());
  table.Open();
  TPgConnection first(RegisterConnInfo());
  TPgConnection second(RegisterConnInfo());
  const QString insert = QStringLiteral("INSERT INTO \"Clients\" (\"Номер сумки\") VALUES ($1)");
  auto bags = [&] {
    QStringList shown;
    for (int row = 0; row < table.RecordCount(); ++row)
      shown << FieldDisplayText(table.Value(row, Bag));
    return shown;
  };

  auto late = std::make_unique<TPgTransaction>(first);
  first.Execute(insert, {QStringLiteral("поздняя")});  // number 1, not yet committed
  second.Execute(insert, {QStringLiteral("ранняя")});  // number 2, committed
  table.Resync();
  EXPECT_EQ(bags(), QStringList{u"ранняя"_qs});
  const TResyncResult meanwhile = table.Resync();
  EXPECT_EQ(meanwhile.Added + meanwhile.Changed, 0) << "what was taken is not taken twice";
  late->Commit();
  late.reset();
  table.Resync();
  EXPECT_EQ(bags(), (QStringList{u"ранняя"_qs, u"поздняя"_qs}));

  {
    TPgTransaction abandoned(first);
    first.Execute(insert, {QStringLiteral("никогда")});  // a number that stays a hole
  }
  second.Execute(insert, {QStringLiteral("после")});
  table.Resync();
  EXPECT_EQ(bags(), (QStringList{u"ранняя"_qs, u"поздняя"_qs, u"после"_qs}));
  EXPECT_EQ(table.WholeReads(), 1);
}

// A database made with the earlier app/schema-postgresql.sql: the desk works as before (whole
// reads) until the administrator runs upgrade-postgresql.sql, which keeps every bag and may
// be run again; desks started after it take changes from the feed.
TEST_F(PgFeed, AnUpgradedDatabaseKeepsItsBagsAndFeedsTheDesksStartedAfter) {
  const TPgTestCluster& cluster = TPgTestEnvironment::Cluster();
  const QString name = QStringLiteral("earlier");
  QFile schema(QStringLiteral(POSTGRESQL_SCHEMA));
  ASSERT_TRUE(schema.open(QIODevice::ReadOnly));
  // The earlier schema is the current one without its upgrade steps.
  const QByteArray text = schema.readAll();
  const qsizetype steps = text.indexOf("\\ir upgrade-postgresql.sql");
  ASSERT_GT(steps, 0);
  QTemporaryDir dir;
  QFile earlier(dir.filePath(QStringLiteral("schema-earlier.sql")));
  ASSERT_TRUE(earlier.open(QIODevice::WriteOnly) && earlier.write(text.left(steps)) == steps);
  earlier.close();
  QFile::setPermissions(dir.path(),
                        QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
  QFile::setPermissions(earlier.fileName(), QFile::ReadOwner | QFile::ReadOther);
  cluster.Psql(QStringLiteral("postgres"), QStringLiteral("CREATE DATABASE earlier"));
  cluster.RunScript(name, earlier.fileName());
  cluster.Psql(name, QStringLiteral("INSERT INTO \"Clients\" (\"Номер сумки\", \"ФИО\") "
                                    "VALUES ('1', 'Ёлкин'), ('2', NULL)"));
  const QString desk = cluster.ConnInfo(name, QString::fromLatin1(TPgTestEnvironment::DeskRole));
  auto open = [&](TADOConnection& connection) {
    auto table =
        std::make_unique<TADOTable>(connection, QStringLiteral("Clients"), ClientsFields());
    table->Open();
    return table;
  };

  TADOConnection before(TServerConnection{desk});
  std::unique_ptr<TADOTable> old = open(before);
  cluster.Psql(name, QStringLiteral("UPDATE \"Clients\" SET \"ФИО\" = 'Ли' WHERE \"ID\" = 2"));
  EXPECT_EQ(old->Resync().Changed, 1);
  EXPECT_EQ(old->WholeReads(), 2);

  const QString upgrade = QFileInfo(QStringLiteral(POSTGRESQL_SCHEMA))
                              .dir()
                              .filePath(QStringLiteral("upgrade-postgresql.sql"));
  cluster.RunScript(name, upgrade);
  cluster.RunScript(name, upgrade);
  TPgConnection admin(cluster.ConnInfo(name, QStringLiteral("postgres")));
  EXPECT_EQ(
      ShownRow(
          admin.Execute(QStringLiteral(
              "SELECT \"Version\", (SELECT count(*) FROM \"Clients\") FROM \"ClientsSchema\"")),
          0),
      (std::vector<std::string>{"int 2", "int 2"}));

  TADOConnection after(TServerConnection{desk});
  std::unique_ptr<TADOTable> current = open(after);
  EXPECT_EQ(FieldDisplayText(current->Value(0, FullName)), QStringLiteral("Ёлкин"));
  EXPECT_EQ(FieldDisplayText(current->Value(1, FullName)), QStringLiteral("Ли"));
  cluster.Psql(name, QStringLiteral("DELETE FROM \"Clients\" WHERE \"ID\" = 1"));
  EXPECT_EQ(current->Resync().Deleted, 1);
  EXPECT_EQ(current->WholeReads(), 1);
  // The desk opened before the upgrade goes on as before.
  EXPECT_EQ(old->Resync().Deleted, 1);
  EXPECT_EQ(old->WholeReads(), 3);
}

}  // namespace
