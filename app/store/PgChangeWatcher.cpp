#include "app/store/PgChangeWatcher.h"

#include <libpq-fe.h>

#include <utility>

#include "app/store/PgConnectParameters.h"
#include "app/store/PgConnection.h"
#include "app/store/PgError.h"

namespace {

const char* const ListenStatement = "LISTEN clients_changed";
// An empty statement: the cheapest exchange that proves the server is still there.
const char* const CheckStatement = "";

QString ConnectionMessage(const PGconn* connection) {
  return connection ? QString::fromUtf8(PQerrorMessage(connection)).trimmed()
                    : QStringLiteral("out of memory");
}

}  // namespace

void TPgChangeWatcher::TFinisher::operator()(pg_conn* connection) const { PQfinish(connection); }

void TPgChangeWatcher::TLaterDeleter::operator()(QSocketNotifier* notifier) const {
  notifier->setEnabled(false);
  notifier->deleteLater();
}

TPgChangeWatcher::TPgChangeWatcher(const QString& conninfo, std::function<int()> ownBackendPid,
                                   int checkMs)
    : FConnInfo(conninfo), FOwnBackendPid(std::move(ownBackendPid)), FCheckMs(checkMs) {
  FRetry.setSingleShot(true);
  FRetry.setInterval(RetryMs);
  QObject::connect(&FRetry, &QTimer::timeout, &FRetry, [this] {
    if (!Connect()) Lose();
  });
  FGiveUp.setSingleShot(true);
  FGiveUp.setInterval(2 * FCheckMs);
  QObject::connect(&FGiveUp, &QTimer::timeout, &FGiveUp, [this] { Lose(); });
  FCheck.setInterval(FCheckMs);
  QObject::connect(&FCheck, &QTimer::timeout, &FCheck, [this] { Check(); });
  FTell.setSingleShot(true);
  FTell.setInterval(CoalesceMs);
  QObject::connect(&FTell, &QTimer::timeout, &FTell, [this] {
    if (!std::exchange(FTellAtEnd, false)) return;
    FTell.start();
    Call();
  });
  if (!Connect()) throw PgError(ConnectionMessage(FConnection.get()));
}

void TPgChangeWatcher::Start(std::function<void()> changed) {
  FChanged = std::move(changed);
  FCheck.start();
  // From the event loop, not from inside the caller's Start.
  if (std::exchange(FToldBeforeStart, false)) {
    FTellAtEnd = true;
    if (!FTell.isActive()) FTell.start();
  }
}

bool TPgChangeWatcher::Connect() {
  const TPgConnectParameters parameters(FConnInfo, TPgConnection::DefaultConnectTimeoutSeconds);
  FConnection.reset(PQconnectStartParams(parameters.Keywords(), parameters.Values(), 1));
  if (PQstatus(FConnection.get()) == CONNECTION_BAD) return false;
  // From now on a send that the socket cannot take at once fails instead of waiting, and so
  // does the goodbye PQfinish sends to a server that went silent.
  PQsetnonblocking(FConnection.get(), 1);
  FState = TState::sConnecting;
  FGiveUp.start();
  // libpq's first step waits for the socket to take data.
  Watch(QSocketNotifier::Write);
  return true;
}

void TPgChangeWatcher::Advance() {
  switch (PQconnectPoll(FConnection.get())) {
    case PGRES_POLLING_READING:
      Watch(QSocketNotifier::Read);
      return;
    case PGRES_POLLING_WRITING:
      Watch(QSocketNotifier::Write);
      return;
    case PGRES_POLLING_OK:
      FState = TState::sSubscribing;
      if (Send(ListenStatement)) Watch(QSocketNotifier::Read);
      return;
    default:
      Lose();
  }
}

void TPgChangeWatcher::SocketActive() {
  if (FState == TState::sConnecting) {
    Advance();
  } else {
    Read();
  }
}

void TPgChangeWatcher::Read() {
  PGconn* connection = FConnection.get();
  if (!PQconsumeInput(connection)) {
    Lose();
    return;
  }
  bool told = false;
  while (FAwaitingAnswer && !PQisBusy(connection)) {
    const std::unique_ptr<PGresult, decltype(&PQclear)> result(PQgetResult(connection), PQclear);
    if (!result) {
      FAwaitingAnswer = false;
      if (FState == TState::sSubscribing) {
        FState = TState::sListening;
        FGiveUp.stop();
        told = true;
      }
    } else if (const ExecStatusType status = PQresultStatus(result.get());
               status != PGRES_COMMAND_OK && status != PGRES_EMPTY_QUERY) {
      Lose();
      return;
    }
  }
  while (PGnotify* raw = PQnotifies(connection)) {
    const std::unique_ptr<PGnotify, decltype(&PQfreemem)> notification(raw, PQfreemem);
    if (FState == TState::sListening && notification->be_pid != FOwnBackendPid()) told = true;
  }
  if (PQstatus(connection) != CONNECTION_OK) Lose();
  // Last: the call may turn an event loop that comes back here.
  if (told) Tell();
}

void TPgChangeWatcher::Check() {
  if (FState != TState::sListening) return;
  // The previous check is still unanswered after a whole interval: the session went silent.
  if (FAwaitingAnswer) {
    Lose();
    return;
  }
  Send(CheckStatement);
}

bool TPgChangeWatcher::Send(const char* sql) {
  if (!PQsendQuery(FConnection.get(), sql) || PQflush(FConnection.get()) != 0) {
    Lose();
    return false;
  }
  FAwaitingAnswer = true;
  return true;
}

void TPgChangeWatcher::Watch(QSocketNotifier::Type type) {
  const int socket = PQsocket(FConnection.get());
  if (socket < 0) {
    Lose();
    return;
  }
  FNotifier.reset(new QSocketNotifier(socket, type));
  QObject::connect(FNotifier.get(), &QSocketNotifier::activated, FNotifier.get(),
                   [this] { SocketActive(); });
}

void TPgChangeWatcher::Tell() {
  if (FTell.isActive()) {
    FTellAtEnd = true;
    return;
  }
  FTell.start();
  Call();
}

void TPgChangeWatcher::Call() {
  if (FChanged)
    FChanged();
  else
    FToldBeforeStart = true;
}

void TPgChangeWatcher::Lose() {
  FNotifier.reset();
  FConnection.reset();
  FState = TState::sDown;
  FAwaitingAnswer = false;
  FGiveUp.stop();
  FRetry.start();
}
