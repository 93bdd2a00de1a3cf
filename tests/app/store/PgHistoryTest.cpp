// The server's history against a desk's role: it may read the history but never rewrite it,
// divert it, or choose a bag's key; desks writing at once chain without a fork or a hole.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "app/store/PgHistory.h"
#include "tests/app/store/PgStoreTestSupport.h"

namespace {

// The server's own: what a desk's role may not do to the history or to a bag's key, each
// tried in a session of the desk's login role.
class PgHistory : public PgRegisterTest {};

TEST_F(PgHistory, ADeskMayReadTheHistoryButNeverRewriteItNorChooseABagsKey) {
  TPgConnection desk(RegisterConnInfo());
  desk.Execute(u"INSERT INTO \"Clients\" (\"Номер сумки\") VALUES ('1')"_qs);
  const struct {
    const char* Sql;
    TFailure Refusal;
  } attempts[] = {
      {"INSERT INTO \"ClientsHistory\" VALUES (2, now(), 'desk', 'INSERT', 1, 1, '')",
       {"42501", "ERROR:  permission denied for table ClientsHistory"}},
      {"UPDATE \"ClientsHistory\" SET \"Who\" = 'кто-то'",
       {"42501", "ERROR:  permission denied for table ClientsHistory"}},
      {"DELETE FROM \"ClientsHistory\"",
       {"42501", "ERROR:  permission denied for table ClientsHistory"}},
      {"TRUNCATE \"ClientsHistory\"",
       {"42501", "ERROR:  permission denied for table ClientsHistory"}},
      {"ALTER TABLE \"ClientsHistory\" DROP COLUMN \"Who\"",
       {"42501", "ERROR:  must be owner of table ClientsHistory"}},
      {"DROP TABLE \"ClientsHistory\"",
       {"42501", "ERROR:  must be owner of table ClientsHistory"}},
      {"UPDATE \"ClientsHistoryFields\" SET \"After\" = '2'",
       {"42501", "ERROR:  permission denied for table ClientsHistoryFields"}},
      {"DELETE FROM \"ClientsHistoryFields\"",
       {"42501", "ERROR:  permission denied for table ClientsHistoryFields"}},
      {"TRUNCATE \"ClientsHistoryFields\"",
       {"42501", "ERROR:  permission denied for table ClientsHistoryFields"}},
      {"UPDATE \"ClientsHistoryHead\" SET \"Seq\" = 0",
       {"42501", "ERROR:  permission denied for table ClientsHistoryHead"}},
      {"ALTER TABLE \"Clients\" DISABLE TRIGGER clients_history",
       {"42501", "ERROR:  must be owner of table Clients"}},
      {"INSERT INTO \"Clients\" (\"ID\", \"Номер сумки\") OVERRIDING SYSTEM VALUE "
       "VALUES (1000, 'подложная')",
       {"42501", "ERROR:  permission denied for table Clients"}},
      {"UPDATE \"Clients\" SET \"ID\" = DEFAULT",
       {"42501", "ERROR:  permission denied for table Clients"}},
  };
  for (const auto& attempt : attempts) {
    SCOPED_TRACE(attempt.Sql);
    EXPECT_EQ(FailureOf([&] { desk.Execute(QString::fromUtf8(attempt.Sql)); }), attempt.Refusal);
  }
  // A session's own tables of the same names stand in for nothing: the triggers look in the
  // register's schema only.
  desk.Execute(u"CREATE TEMP TABLE \"ClientsHistory\" (LIKE \"ClientsHistory\")"_qs);
  desk.Execute(u"CREATE TEMP TABLE \"ClientsHistoryHead\" (LIKE \"ClientsHistoryHead\")"_qs);
  desk.Execute(u"CREATE TEMP TABLE \"ClientsFeed\" (LIKE \"ClientsFeed\")"_qs);
  desk.Execute(u"UPDATE \"Clients\" SET \"ФИО\" = 'Ли'"_qs);
  desk.Execute(u"DELETE FROM \"Clients\""_qs);
  TPgConnection owner(RegisterConnInfo(u"postgres"_qs));
  EXPECT_EQ(ShownRow(owner.Execute(u"SELECT string_agg(\"Kind\" || ' ' || \"Who\" || ' ' || "
                                   "\"FeedSeq\", ', ' ORDER BY \"Seq\") FROM \"ClientsHistory\""_qs),
                     0),
            std::vector<std::string>{"text 'INSERT desk 1, UPDATE desk 2, DELETE desk 3'"});
  EXPECT_EQ(CheckPgHistory(desk).Text(), u"Журнал цел: 3 записи."_qs);
}

// Desks that write at the same moment chain one after the other: no fork, no hole.
TEST_F(PgHistory, ConcurrentWritersChainInTheOrderTheyCommit) {
  constexpr int Writers = 4;
  constexpr int Changes = 50;
  std::vector<std::thread> writers;
  for (int writer = 0; writer < Writers; ++writer)
    writers.emplace_back([writer] {
      TPgConnection desk(RegisterConnInfo());
      for (int change = 0; change < Changes; ++change)
        desk.Execute(u"INSERT INTO \"Clients\" (\"Номер сумки\") VALUES ($1)"_qs,
                     {QStringLiteral("%1-%2").arg(writer).arg(change)});
    });
  for (std::thread& writer : writers) writer.join();
  TPgConnection desk(RegisterConnInfo());
  EXPECT_EQ(CheckPgHistory(desk).Text(), u"Журнал цел: 200 записей."_qs);
}

// A register that holds records of the earlier triggers, one transaction's among them, goes on
// with the single trigger as one chain: its records after the upgrade follow on, whether a
// change comes alone, after a rolled-back savepoint or in a long transaction, from a desk or
// from psql.
TEST_F(PgHistory, ARegisterUpgradedWithEarlierRecordsGoesOnAsOneWholeChain) {
  const TPgTestCluster& cluster = TPgTestEnvironment::Cluster();
  const QString name = QStringLiteral("chained");
  ASSERT_NO_FATAL_FAILURE(CreateEarlierRegister(name));
  ASSERT_NO_FATAL_FAILURE(UpgradeRegisterTo(name, 4));
  TPgConnection desk(cluster.ConnInfo(name, QString::fromLatin1(TPgTestEnvironment::DeskRole)));
  desk.Execute(u"BEGIN"_qs);
  desk.Execute(u"INSERT INTO \"Clients\" (\"Номер сумки\") VALUES ('1'), ('2')"_qs);
  desk.Execute(u"UPDATE \"Clients\" SET \"ФИО\" = 'Ёлкин' WHERE \"ID\" = 1"_qs);
  desk.Execute(u"COMMIT"_qs);
  cluster.Psql(name, u"UPDATE \"Clients\" SET \"Символ\" = 7 WHERE \"ID\" = 2"_qs);

  cluster.RunScript(name, ServerSqlFile(u"upgrade-postgresql.sql"_qs));
  desk.Execute(u"UPDATE \"Clients\" SET \"Номер пакета\" = 5, \"ФИО\" = NULL WHERE \"ID\" = 1"_qs);
  desk.Execute(u"BEGIN"_qs);
  desk.Execute(u"INSERT INTO \"Clients\" (\"Получатель\") SELECT 'ООО ' || n "
               "FROM generate_series(1, 300) AS n"_qs);
  // The head names the last record as soon as it is written, the transaction's own included.
  EXPECT_EQ(ShownRow(desk.Execute(u"SELECT \"Seq\" FROM \"ClientsHistoryHead\""_qs), 0),
            std::vector<std::string>{"int 305"});
  desk.Execute(u"SAVEPOINT before"_qs);
  desk.Execute(u"DELETE FROM \"Clients\" WHERE \"ID\" = 2"_qs);
  desk.Execute(u"ROLLBACK TO SAVEPOINT before"_qs);
  desk.Execute(u"UPDATE \"Clients\" SET \"Счет\" = '40702' WHERE \"ID\" = 2"_qs);
  desk.Execute(u"COMMIT"_qs);
  cluster.Psql(name, u"DELETE FROM \"Clients\" WHERE \"ID\" = 1"_qs);

  EXPECT_EQ(CheckPgHistory(desk).Text(), u"Журнал цел: 307 записей."_qs);
  EXPECT_EQ(
      ShownRow(desk.Execute(u"SELECT string_agg(h.\"Seq\" || ' ' || h.\"Kind\" || ' ' || h.\"Who\" "
                            "|| ' ' || h.\"ID\" || coalesce(' ' || f.\"Field\" || ' ' || "
                            "coalesce(f.\"Before\", '-') || ' ' || coalesce(f.\"After\", '-'), ''), "
                            "', ' ORDER BY h.\"Seq\", f.\"Field\" COLLATE \"C\") "
                            "FROM \"ClientsHistory\" AS h LEFT JOIN \"ClientsHistoryFields\" AS f "
                            "USING (\"Seq\") WHERE h.\"Seq\" NOT BETWEEN 7 AND 305"_qs),
               0),
      std::vector<std::string>{
          "text '1 INSERT desk 1 Номер сумки - 1, 2 INSERT desk 2 Номер сумки - 2, "
          "3 UPDATE desk 1 ФИО - Ёлкин, 4 UPDATE postgres 2 Символ - 7, "
          "5 UPDATE desk 1 Номер пакета - 5, 5 UPDATE desk 1 ФИО Ёлкин -, "
          "6 INSERT desk 3 Получатель - ООО 1, 306 UPDATE desk 2 Счет - 40702, "
          "307 DELETE postgres 1 Номер пакета 5 -, 307 DELETE postgres 1 Номер сумки 1 -'"});
  EXPECT_EQ(ShownRow(desk.Execute(u"SELECT \"Seq\" FROM \"ClientsHistoryHead\""_qs), 0),
            std::vector<std::string>{"int 307"});
}

}  // namespace
