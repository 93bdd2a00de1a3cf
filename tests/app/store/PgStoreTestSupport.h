#pragma once

#include <QString>
#include <QVariant>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/store/DatabaseError.h"
#include "app/store/PgConnection.h"
#include "tests/app/store/PgTestCluster.h"

// A value as the tests write it out: "NULL", "int 42" or "text 'Касса'".
std::string Shown(const QVariant& value);
// Row `row` of a result, every column Shown.
std::vector<std::string> ShownRow(const TPgResult& result, int row);

// How a database action failed: the SQLSTATE and the message, or "ok" twice when it did not.
struct TFailure {
  std::string SqlState;
  std::string Message;
  bool operator==(const TFailure&) const = default;
};
void PrintTo(const TFailure& failure, std::ostream* out);

template <typename TAction>
TFailure FailureOf(TAction&& action) {
  try {
    action();
  } catch (const EDatabaseError& e) {
    return {e.SqlState().toStdString(), e.what()};
  }
  return {"ok", "ok"};
}

// The register database of the test cluster as the login role `role`.
QString RegisterConnInfo(const QString& role = QString::fromLatin1(TPgTestEnvironment::DeskRole));

// The path of the program's SQL file `name` beside app/schema-postgresql.sql.
QString ServerSqlFile(const QString& name);
// Creates the database dbname in the test cluster with the register as the program's first
// version made it: app/schema-postgresql.sql without its upgrade steps.
void CreateEarlierRegister(const QString& dbname);
// Brings the register dbname to schema version `version` (>= 1) with the steps of
// app/upgrade-postgresql.sql up to that one, as a program of that version left it.
void UpgradeRegisterTo(const QString& dbname, int version);

// Empties the register through a session of its owner: no bags, no feed, no history, every number from 1 again.
void EmptyRegister(TPgConnection& owner);

// Each test starts from an empty register whose keys count from 1 again.
class PgRegisterTest : public testing::Test {
protected:
  void SetUp() override;
};
