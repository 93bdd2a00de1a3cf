#include "app/store/SqliteUpgrade.h"

#include <map>
#include <stdexcept>

// Built from app/upgrade-sqlite-*.sql, ended by a step of version 0.
extern const TSqliteUpgradeStep SqliteUpgradeSteps[];

namespace {

// The steps' SQL by version.
const std::map<int, QString>& Steps() {
  static const std::map<int, QString> steps = [] {
    std::map<int, QString> found;
    for (const TSqliteUpgradeStep* step = SqliteUpgradeSteps; step->Version != 0; ++step)
      found.emplace(step->Version, QString::fromUtf8(step->Sql));
    if (found.empty() || found.rbegin()->first != int(found.size()))
      throw std::logic_error("the upgrade steps are not numbered 1..N");
    return found;
  }();
  return steps;
}

bool HasClientsTable(TSqliteDatabase& db) {
  TSqliteStatement find(db, QStringLiteral("SELECT 1 FROM pragma_table_info('Clients')"));
  return find.Step();
}

}  // namespace

int SqliteSchemaVersion() { return int(Steps().size()); }

int SqliteFileVersion(TSqliteDatabase& db) {
  TSqliteStatement version(db, QStringLiteral("PRAGMA user_version"));
  return version.Step() ? version.Column(0).toInt() : 0;
}

int UpgradeSqliteFile(TSqliteDatabase& db) {
  const int latest = SqliteSchemaVersion();
  if (SqliteFileVersion(db) >= latest || db.ReadOnly() || !HasClientsTable(db))
    return SqliteFileVersion(db);
  TSqliteTransaction transaction(db);
  // Another desk may have brought it up to date while this one waited for the lock.
  const int version = SqliteFileVersion(db);
  if (version >= latest) return version;
  for (auto step = Steps().upper_bound(version); step != Steps().end(); ++step)
    db.Execute(step->second);
  db.Execute(QStringLiteral("PRAGMA user_version = %1").arg(latest));
  transaction.Commit();
  return latest;
}
