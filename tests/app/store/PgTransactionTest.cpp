#include "app/store/PgTransaction.h"
#include "tests/app/store/PgStoreTestSupport.h"

namespace {

class PgTransaction : public PgRegisterTest {};

const QString InsertBag = QStringLiteral("INSERT INTO \"Clients\" (\"Номер сумки\") VALUES ($1)");

// The bag numbers stored, as another desk sees them.
std::vector<std::string> StoredBags() {
  TPgConnection other(RegisterConnInfo());
  const TPgResult result =
      other.Execute(QStringLiteral("SELECT \"Номер сумки\" FROM \"Clients\" ORDER BY \"ID\""));
  std::vector<std::string> bags;
  for (int row = 0; row < result.RowCount(); ++row) bags.push_back(Shown(result.Value(row, 0)));
  return bags;
}

}  // namespace

TEST_F(PgTransaction, WritesOnlyWhatItCommits) {
  TPgConnection desk(RegisterConnInfo());
  {
    TPgTransaction transaction(desk);
    desk.Execute(InsertBag, {QStringLiteral("брошена")});
    EXPECT_EQ(StoredBags(), std::vector<std::string>{});
  }
  {
    TPgTransaction transaction(desk);
    desk.Execute(InsertBag, {QStringLiteral("сохранена")});
    transaction.Commit();
  }
  EXPECT_EQ(StoredBags(), std::vector<std::string>{"text 'сохранена'"});
}

// A caller that caught a refused statement must not have its commit reported as done: the
// server answers it with ROLLBACK.
TEST_F(PgTransaction, CommitAfterARefusedStatementFailsAndWritesNothing) {
  TPgConnection desk(RegisterConnInfo());
  {
    TPgTransaction transaction(desk);
    desk.Execute(InsertBag, {QStringLiteral("первая")});
    EXPECT_EQ(FailureOf([&] { desk.Execute(InsertBag, {QString(51, u'7')}); }).SqlState, "22001");
    EXPECT_EQ(
        FailureOf([&] { transaction.Commit(); }),
        (TFailure{"25P02", "The transaction was rolled back: a statement in it had failed."}));
  }
  EXPECT_EQ(StoredBags(), std::vector<std::string>{});
  // No transaction is left open on the session.
  desk.Execute(InsertBag, {QStringLiteral("вторая")});
  EXPECT_EQ(StoredBags(), std::vector<std::string>{"text 'вторая'"});
}
