#include "app/store/PgTransaction.h"

#include "app/store/PgError.h"
#include "app/store/PgConnection.h"

namespace {

// The SQLSTATE the server gives statements in a transaction after one of them failed.
const QString InFailedTransaction = QStringLiteral("25P02");

}  // namespace

TPgTransaction::TPgTransaction(TPgConnection& connection) : FConnection(connection) {
  FConnection.Execute(QStringLiteral("BEGIN"));
}

TPgTransaction::~TPgTransaction() {
  if (FEnded) return;
  try {
    FConnection.Execute(QStringLiteral("ROLLBACK"));
  } catch (const EDatabaseError&) {
  }
}

void TPgTransaction::Commit() {
  FEnded = true;
  const TPgResult result = FConnection.Execute(QStringLiteral("COMMIT"));
  if (result.CommandStatus() != QStringLiteral("COMMIT")) {
    throw PgError(QStringLiteral("The transaction was rolled back: a statement in it had failed."),
                  InFailedTransaction);
  }
}
