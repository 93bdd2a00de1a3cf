#include "app/store/StoreEngine.h"

#include <unordered_set>

std::vector<TRowKey> DistinctKeys(const std::vector<TRowKey>& keys) {
  std::unordered_set<TRowKey> seen;
  std::vector<TRowKey> distinct;
  for (const TRowKey key : keys)
    if (seen.insert(key).second) distinct.push_back(key);
  return distinct;
}

ERecordConflict RowConflict(bool deleting, bool deleted, const QString& database,
                            TDatabaseKind kind) {
  const TDatabaseFailure failure =
      deleting
          ? (deleted ? TDatabaseFailure::dfDeletedOnDelete : TDatabaseFailure::dfChangedOnDelete)
          : (deleted ? TDatabaseFailure::dfDeletedOnPost : TDatabaseFailure::dfChangedOnPost);
  // The messages ADO gives for a row its optimistic lock no longer finds.
  const QString message =
      deleting
          ? QStringLiteral(
                "Row cannot be located for deleting. Some values may have been changed since it "
                "was last read.")
          : QStringLiteral(
                "Row cannot be located for updating. Some values may have been changed since it "
                "was last read.");
  return ERecordConflict(failure, message, database, kind);
}
