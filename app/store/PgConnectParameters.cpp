#include "app/store/PgConnectParameters.h"

#include "app/store/DatabaseError.h"
#include "app/store/PgConnInfo.h"

namespace {

// The server options of the program's sessions, then those the connection string gives, or
// else the environment's PGOPTIONS, as libpq would have used them: the server takes the last
// value a setting is given.
QByteArray SessionOptions(const QString& conninfo) {
  QByteArray options = QStringLiteral("-c lock_timeout=%1s -c statement_timeout=%2s")
                           .arg(TPgConnectParameters::LockTimeoutSeconds)
                           .arg(TPgConnectParameters::StatementTimeoutSeconds)
                           .toUtf8();
  QByteArray given;
  try {
    given = TPgConnInfo(conninfo).Value(QStringLiteral("options")).toUtf8();
  } catch (const EDatabaseError&) {
    // libpq refuses the string itself when it connects, with its own message.
  }
  if (given.isEmpty()) given = qgetenv("PGOPTIONS");
  if (!given.isEmpty()) options += ' ' + given;
  return options;
}

}  // namespace

TPgConnectParameters::TPgConnectParameters(const QString& conninfo, int connectTimeoutSeconds)
    : FTimeout(QByteArray::number(connectTimeoutSeconds)),
      FExpanded(conninfo.toUtf8()),
      FOptions(SessionOptions(conninfo)) {}
