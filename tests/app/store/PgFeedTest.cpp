// The server's change feed: transactions that commit out of the order of their numbers, one
// that rolls back, and a database of the earlier schema brought up to date by the
// administrator's script.
#include <gtest/gtest.h>

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

// Met by two real sessions beside the desk.
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
  ASSERT_NO_FATAL_FAILURE(CreateEarlierRegister(name));
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

  // A desk of a register whose search does not yet keep the names folded in the row finds
  // what it finds after that step, before and after it.
  ASSERT_NO_FATAL_FAILURE(UpgradeRegisterTo(name, 5));
  TADOConnection atFive(TServerConnection{desk});
  std::unique_ptr<TADOTable> five = open(atFive);
  five->SetFilter({QStringLiteral("ЛКИН")});
  EXPECT_EQ(five->RecordCount(), 1);

  const QString upgrade = ServerSqlFile(QStringLiteral("upgrade-postgresql.sql"));
  cluster.RunScript(name, upgrade);
  cluster.RunScript(name, upgrade);
  TPgConnection admin(cluster.ConnInfo(name, QStringLiteral("postgres")));
  EXPECT_EQ(
      ShownRow(
          admin.Execute(QStringLiteral(
              "SELECT \"Version\", (SELECT count(*) FROM \"Clients\") FROM \"ClientsSchema\"")),
          0),
      (std::vector<std::string>{"int 6", "int 2"}));

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
  // Only the upgraded register can be searched.
  EXPECT_FALSE(old->CanSearch());
  ASSERT_TRUE(current->CanSearch());
  cluster.Psql(name, QStringLiteral("INSERT INTO \"Clients\" (\"ФИО\") VALUES ('Ёлкина')"));
  current->SetFilter({QStringLiteral("ЛКИН")});
  EXPECT_EQ(current->RecordCount(), 1);
  five->SetFilter({QStringLiteral("лкин")});
  EXPECT_EQ(five->RecordCount(), 1);
}

}  // namespace
