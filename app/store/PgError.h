#pragma once

#include <QString>

#include "app/store/DatabaseError.h"

// A failure libpq or the server reported, with libpq's message and, where the server sent one,
// its SQLSTATE. What kind of failure it is for the operator is decided by the register's store.
inline EDatabaseError PgError(const QString& message, const QString& sqlState = QString()) {
  return EDatabaseError(TDatabaseFailure::dfOther, message, QString(), QString(), sqlState);
}
