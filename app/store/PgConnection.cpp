#include "app/store/PgConnection.h"

#include <libpq-fe.h>

#include "app/store/PgConnectParameters.h"
#include "app/store/PgError.h"

namespace {

QString ConnectionMessage(const PGconn* connection) {
  return QString::fromUtf8(PQerrorMessage(connection)).trimmed();
}

}  // namespace

EPgConnectFailed::EPgConnectFailed(const QString& message, QString host, QString port,
                                   QString databaseName)
    : EDatabaseError(TDatabaseFailure::dfOther, message, QString()),
      FHost(std::move(host)),
      FPort(std::move(port)),
      FDatabaseName(std::move(databaseName)) {}

void TPgConnection::TFinisher::operator()(pg_conn* connection) const { PQfinish(connection); }

TPgConnection::TPgConnection(const QString& conninfo, int connectTimeoutSeconds) {
  const TPgConnectParameters parameters(conninfo, connectTimeoutSeconds);
  FConnection.reset(PQconnectdbParams(parameters.Keywords(), parameters.Values(), 1));
  if (!FConnection) throw PgError(QStringLiteral("out of memory"));
  if (PQstatus(FConnection.get()) != CONNECTION_OK) FailConnecting();
}

// libpq reports the target of a failed attempt too (the last host it tried).
void TPgConnection::FailConnecting() const {
  throw EPgConnectFailed(ConnectionMessage(FConnection.get()), Host(), Port(), DatabaseName());
}

TPgResult TPgConnection::Execute(const QString& sql, const std::vector<QVariant>& parameters) {
  std::vector<QByteArray> texts;
  texts.reserve(parameters.size());
  std::vector<const char*> values;
  values.reserve(parameters.size());
  for (const QVariant& parameter : parameters) {
    if (!parameter.isValid() || parameter.isNull()) {
      values.push_back(nullptr);
    } else {
      texts.push_back(parameter.toString().toUtf8());
      values.push_back(texts.back().constData());
    }
  }
  PGresult* raw =
      PQexecParams(FConnection.get(), sql.toUtf8().constData(), static_cast<int>(values.size()),
                   nullptr, values.data(), nullptr, nullptr, 0);
  if (!raw) throw PgError(ConnectionMessage(FConnection.get()));
  TPgResult result(raw);
  const ExecStatusType status = PQresultStatus(raw);
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
    throw PgError(QString::fromUtf8(PQresultErrorMessage(raw)).trimmed(),
                  QString::fromUtf8(PQresultErrorField(raw, PG_DIAG_SQLSTATE)));
  }
  return result;
}

bool TPgConnection::IsConnected() const { return PQstatus(FConnection.get()) == CONNECTION_OK; }

void TPgConnection::Reset() {
  PQreset(FConnection.get());
  if (!IsConnected()) FailConnecting();
}

QString TPgConnection::QuotedIdentifier(const QString& name) const {
  const QByteArray bytes = name.toUtf8();
  const std::unique_ptr<char, decltype(&PQfreemem)> quoted(
      PQescapeIdentifier(FConnection.get(), bytes.constData(),
                         static_cast<std::size_t>(bytes.size())),
      PQfreemem);
  if (!quoted) throw PgError(ConnectionMessage(FConnection.get()));
  return QString::fromUtf8(quoted.get());
}

void TPgConnection::Listen(const QString& channel) {
  Execute(QStringLiteral("LISTEN ") + QuotedIdentifier(channel));
}

int TPgConnection::Socket() const { return PQsocket(FConnection.get()); }

std::vector<TPgNotification> TPgConnection::ConsumeNotifications() {
  if (!PQconsumeInput(FConnection.get())) throw PgError(ConnectionMessage(FConnection.get()));
  std::vector<TPgNotification> notifications;
  while (PGnotify* raw = PQnotifies(FConnection.get())) {
    const std::unique_ptr<PGnotify, decltype(&PQfreemem)> notification(raw, PQfreemem);
    notifications.push_back({QString::fromUtf8(notification->relname),
                             QString::fromUtf8(notification->extra), notification->be_pid});
  }
  return notifications;
}

QString TPgConnection::Host() const { return QString::fromUtf8(PQhost(FConnection.get())); }

QString TPgConnection::Port() const { return QString::fromUtf8(PQport(FConnection.get())); }

QString TPgConnection::DatabaseName() const { return QString::fromUtf8(PQdb(FConnection.get())); }

QString TPgConnection::UserName() const { return QString::fromUtf8(PQuser(FConnection.get())); }

int TPgConnection::BackendPid() const { return PQbackendPID(FConnection.get()); }
