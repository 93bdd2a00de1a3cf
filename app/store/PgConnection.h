#pragma once

#include <QString>
#include <QVariant>

#include <memory>
#include <vector>

#include "app/store/DatabaseError.h"
#include "app/store/PgResult.h"
#include "app/store/StoreWait.h"

struct pg_conn;

// A notification received on a channel this connection listens to.
struct TPgNotification {
  QString Channel;
  QString Payload;
  int BackendPid = 0;  // the server process of the session that sent it
};

// A session libpq could not open (or reopen), with what libpq reports it tried to reach: the
// last host name, address or socket directory, its port and the database name.
class EPgConnectFailed : public EDatabaseError {
public:
  EPgConnectFailed(const QString& message, QString host, QString port, QString databaseName);
  const QString& Host() const { return FHost; }
  const QString& Port() const { return FPort; }
  const QString& DatabaseName() const { return FDatabaseName; }

private:
  QString FHost;
  QString FPort;
  QString FDatabaseName;
};

// One open session with a PostgreSQL server through libpq, speaking UTF-8, with the session
// settings of TPgConnectParameters (its lock and statement time-outs). Every failure raises
// EDatabaseError with libpq's message and, where the server reported one, its SQLSTATE.
// Statements run one at a time; the caller's thread waits for the server's answer, telling
// `wait` of a wait longer than WaitShownAfterMs, and gives the server up when it has sent
// nothing for SilenceLimitSeconds (a stopped or unreachable server, which its own time-outs
// cannot end).
//
// A lost server (restart, network, silence) surfaces as an EDatabaseError from the next
// Execute or ConsumeNotifications; IsConnected() is false from then on until Reset() succeeds.
class TPgConnection {
public:
  static constexpr int DefaultConnectTimeoutSeconds = 10;
  // Longer than the server's lock time-out, so that a lock held elsewhere ends as that.
  static constexpr int SilenceLimitSeconds = 10;
  static constexpr int WaitShownAfterMs = 100;

  // Connects with a libpq connection string or URI, passed to libpq as it is (its own
  // conventions supply what the string leaves out: ~/.pgpass, PGPASSFILE, PGSERVICE, ...).
  // The connection attempt is bounded by the string's connect_timeout, or else by
  // connectTimeoutSeconds (libpq waits at least 2 s; 0 would wait without end). Throws
  // EPgConnectFailed when no session opens.
  explicit TPgConnection(const QString& conninfo,
                         int connectTimeoutSeconds = DefaultConnectTimeoutSeconds,
                         TBusyWait wait = {});

  // Runs one statement with the parameters $1, $2, ... bound to `parameters` in order, in
  // text format: an invalid or null QVariant is NULL, anything else its toString() in UTF-8.
  // Throws EDatabaseError when the server refuses the statement or the connection fails.
  TPgResult Execute(const QString& sql, const std::vector<QVariant>& parameters = {});

  // Whether the session is usable as far as libpq knows; a server that went away is only
  // noticed by the next exchange with it.
  bool IsConnected() const;
  // Closes the session and opens a new one with the same parameters, waiting as Execute
  // does, at most the connect time-out; throws EPgConnectFailed when that fails. The new
  // session listens to nothing, and its Socket() may differ.
  void Reset();

  // `name` quoted as an SQL identifier (libpq's PQescapeIdentifier): "Clients" for Clients.
  QString QuotedIdentifier(const QString& name) const;
  // LISTEN to `channel` (any text; quoted as an identifier by libpq).
  void Listen(const QString& channel);
  // The session's socket, to be watched for reading (e.g. by a QSocketNotifier); -1 while
  // not connected.
  int Socket() const;
  // Reads what the server has sent without waiting, and returns the notifications
  // received since the last call, oldest first (none when nothing arrived). Throws
  // EDatabaseError when the connection is lost; a server that ends the session may first
  // send its reason, so the loss can show only at the socket's next activity.
  // Notifications that arrive while a statement runs are read with its answer and leave
  // nothing on the socket: call this after Execute too, not only when the socket stirs.
  std::vector<TPgNotification> ConsumeNotifications();

  // What the session is connected to, as libpq reports it: the host name, address or
  // socket directory, the port, the database and the user name.
  QString Host() const;
  QString Port() const;
  QString DatabaseName() const;
  QString UserName() const;
  // The encoding the database keeps its text in, as the server announced it at connecting
  // ("UTF8", "SQL_ASCII", "WIN1251", ...).
  QString ServerEncoding() const;
  // The server process serving this session (compare TPgNotification::BackendPid).
  int BackendPid() const;

private:
  [[noreturn]] void FailConnecting() const;
  // Sends what libpq holds and waits until the whole answer is read; throws, the session
  // given up, when the server stays silent.
  void AwaitAnswer();
  // Gives the session up: IsConnected() is false until Reset().
  [[noreturn]] void Abandon(const QString& message);

  struct TFinisher {
    void operator()(pg_conn* connection) const;
  };
  std::unique_ptr<pg_conn, TFinisher> FConnection;
  int FConnectTimeoutSeconds;
  TBusyWait FWait;
  bool FAbandoned = false;
};
