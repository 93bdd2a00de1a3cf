#include "app/store/PgConnection.h"

#include <libpq-fe.h>
#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "app/store/PgConnectParameters.h"
#include "app/store/PgError.h"

namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

QString ConnectionMessage(const PGconn* connection) {
  return QString::fromUtf8(PQerrorMessage(connection)).trimmed();
}

// How often a wait that is shown tells of itself.
constexpr milliseconds ShownWaitPoll{10};

// One wait of the caller's thread for a session's socket: told to `wait` once it has lasted
// WaitShownAfterMs, and over, however it ends, when the object goes.
class TSocketWait {
public:
  TSocketWait(const TBusyWait& wait, milliseconds limit)
      : FWait(wait), FStart(steady_clock::now()), FLimit(limit), FDeadline(FStart + limit) {}
  ~TSocketWait() {
    if (FShown) FWait(false);
  }
  TSocketWait(const TSocketWait&) = delete;
  TSocketWait& operator=(const TSocketWait&) = delete;

  // Waits until `socket` is ready for `events` (POLLIN, POLLOUT); false once the limit has
  // passed with nothing from the server. Whatever the server sends gives it the whole limit
  // again, so a long answer that keeps coming is never cut.
  bool Ready(int socket, short events) {
    for (;;) {
      const steady_clock::time_point now = steady_clock::now();
      if (FLimit.count() > 0 && now >= FDeadline) return false;
      milliseconds slice = FLimit.count() > 0 ? std::chrono::ceil<milliseconds>(FDeadline - now)
                                              : milliseconds(1000);
      if (FWait) {
        const milliseconds untilShown = std::chrono::ceil<milliseconds>(
            FStart + milliseconds(TPgConnection::WaitShownAfterMs) - now);
        slice = std::min(slice, std::max(untilShown, ShownWaitPoll));
      }
      pollfd watched{socket, events, 0};
      const int ready = poll(&watched, 1, int(slice.count()));
      if (ready != 0) {
        // An error on the socket is libpq's to find and report.
        if (ready > 0 && (watched.revents & POLLIN)) FDeadline = steady_clock::now() + FLimit;
        if (ready > 0 || errno != EINTR) return true;
      }
      if (FWait && steady_clock::now() - FStart >= milliseconds(TPgConnection::WaitShownAfterMs)) {
        FShown = true;
        FWait(true);
      }
    }
  }

private:
  const TBusyWait& FWait;
  const steady_clock::time_point FStart;
  const milliseconds FLimit;  // 0: no limit
  steady_clock::time_point FDeadline;
  bool FShown = false;
};

// The connect time-out in force for `connection`: the connection string's, or else the one the
// program gave; 0 for none, as libpq reads it.
int ConnectTimeoutSeconds(PGconn* connection) {
  const std::unique_ptr<PQconninfoOption, decltype(&PQconninfoFree)> options(PQconninfo(connection),
                                                                             PQconninfoFree);
  for (const PQconninfoOption* option = options.get(); option && option->keyword; ++option)
    if (std::strcmp(option->keyword, "connect_timeout") == 0 && option->val)
      return std::max(0, std::atoi(option->val));
  return 0;
}

}  // namespace

EPgConnectFailed::EPgConnectFailed(const QString& message, QString host, QString port,
                                   QString databaseName)
    : EDatabaseError(TDatabaseFailure::dfOther, message, QString()),
      FHost(std::move(host)),
      FPort(std::move(port)),
      FDatabaseName(std::move(databaseName)) {}

void TPgConnection::TFinisher::operator()(pg_conn* connection) const { PQfinish(connection); }

TPgConnection::TPgConnection(const QString& conninfo, int connectTimeoutSeconds, TBusyWait wait)
    : FWait(std::move(wait)) {
  const TPgConnectParameters parameters(conninfo, connectTimeoutSeconds);
  FConnection.reset(PQconnectdbParams(parameters.Keywords(), parameters.Values(), 1));
  if (!FConnection) throw PgError(QStringLiteral("out of memory"));
  if (PQstatus(FConnection.get()) != CONNECTION_OK) FailConnecting();
  FConnectTimeoutSeconds = ConnectTimeoutSeconds(FConnection.get());
  // A statement that the socket cannot take at once waits in AwaitAnswer, where the wait is
  // bounded, and so does the goodbye to a server that went silent.
  PQsetnonblocking(FConnection.get(), 1);
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
  if (FAbandoned) throw PgError(QStringLiteral("no connection to the server"));
  if (!PQsendQueryParams(FConnection.get(), sql.toUtf8().constData(),
                         static_cast<int>(values.size()), nullptr, values.data(), nullptr, nullptr,
                         0))
    throw PgError(ConnectionMessage(FConnection.get()));
  // The answer is read to its end, a failure included, so that the session is ready for the
  // next statement.
  std::optional<TPgResult> result;
  std::optional<EDatabaseError> failure;
  for (;;) {
    AwaitAnswer();
    PGresult* raw = PQgetResult(FConnection.get());
    if (!raw) break;
    TPgResult taken(raw);
    const ExecStatusType status = PQresultStatus(raw);
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK)
      result.emplace(std::move(taken));
    else if (!failure)
      failure = PgError(QString::fromUtf8(PQresultErrorMessage(raw)).trimmed(),
                        QString::fromUtf8(PQresultErrorField(raw, PG_DIAG_SQLSTATE)));
  }
  if (failure) throw *failure;
  if (!result) throw PgError(ConnectionMessage(FConnection.get()));
  return std::move(*result);
}

void TPgConnection::AwaitAnswer() {
  PGconn* connection = FConnection.get();
  TSocketWait wait(FWait, std::chrono::seconds(SilenceLimitSeconds));
  for (;;) {
    const int flushed = PQflush(connection);
    if (flushed < 0) return;  // PQgetResult reports the failure
    if (flushed == 0 && !PQisBusy(connection)) return;
    if (!wait.Ready(PQsocket(connection), flushed ? POLLIN | POLLOUT : POLLIN))
      Abandon(QStringLiteral("the server has not answered for %1 s").arg(SilenceLimitSeconds));
    if (!PQconsumeInput(connection)) return;
  }
}

void TPgConnection::Abandon(const QString& message) {
  // The next Reset closes the socket; until then nothing more is sent on it.
  FAbandoned = true;
  throw PgError(message);
}

bool TPgConnection::IsConnected() const {
  return !FAbandoned && PQstatus(FConnection.get()) == CONNECTION_OK;
}

void TPgConnection::Reset() {
  PGconn* connection = FConnection.get();
  FAbandoned = false;
  if (!PQresetStart(connection)) FailConnecting();
  TSocketWait wait(FWait, std::chrono::seconds(FConnectTimeoutSeconds));
  for (PostgresPollingStatusType status = PGRES_POLLING_WRITING; status != PGRES_POLLING_OK;
       status = PQresetPoll(connection)) {
    if (status == PGRES_POLLING_FAILED) FailConnecting();
    if (!wait.Ready(PQsocket(connection), status == PGRES_POLLING_READING ? POLLIN : POLLOUT))
      throw EPgConnectFailed(QStringLiteral("timeout expired"), Host(), Port(), DatabaseName());
  }
  PQsetnonblocking(connection, 1);
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

QString TPgConnection::ServerEncoding() const {
  return QString::fromUtf8(PQparameterStatus(FConnection.get(), "server_encoding"));
}

int TPgConnection::BackendPid() const { return PQbackendPID(FConnection.get()); }
