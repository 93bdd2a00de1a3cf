#include "app/store/StoreEngine.h"

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
