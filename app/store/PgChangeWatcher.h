#pragma once

#include <QSocketNotifier>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>

#include "app/store/ChangeWatcher.h"

struct pg_conn;

// Watches the register on a PostgreSQL server through the notifications its trigger sends on
// the channel "clients_changed" at every committed change of "Clients". It listens on a
// session of its own, so that the data set's statements and transactions never meet it.
//
// What is told: each notification sent by a session other than the data set's own (whose
// server process `ownBackendPid` names) makes one call of `changed`, and so does every
// notification when `ownBackendPid` returns 0 (not known). The first is told at once; those
// read in the CoalesceMs after a call make one more call at its end (and so on while they
// come), so a burst of changes costs a resync per CoalesceMs, not one per row, and a lone
// change waits for nothing. A desk's own posts are not told: its data set knows them already.
//
// The session is made in the background: the constructor only starts it, so that a desk's
// start-up does not wait for a second session and its LISTEN. Once it listens, the watcher
// makes one call of `changed`, since what was committed before is not told otherwise; so
// does it each time it listens again after a lost session.
//
// A lost session (a server restart, a broken network) shows as the socket's end, or, for a
// connection that went silent without an end (a dropped TCP connection, a hung server), as a
// check that goes unanswered: every `checkMs` the idle session sends the server an empty
// statement, which must be answered before the next check. Nothing else is relied on: no
// TCP keepalive settings (libpq's own stay as the connection string sets them). The watcher
// then connects again by itself, a try every RetryMs, each try given up after 2 × `checkMs`,
// and so does it when the first session cannot be made (a server full of sessions, say).
//
// Nothing here waits for the server: connecting, listening and reading are
// driven by the socket's readiness from the event loop (libpq's non-blocking calls), so a
// dead or hung server never holds up the thread. The one exception is libpq's own: a host
// given by name is looked up by the system's resolver within the call that starts a
// connection, which a working resolver answers at once (a `hostaddr` in the connection string
// avoids the look-up).
//
// Everything runs in the thread that constructs the watcher and calls Start, from its event
// loop.
class TPgChangeWatcher : public TChangeWatcher {
public:
  static constexpr int RetryMs = 1000;
  static constexpr int DefaultCheckMs = 5000;
  static constexpr int CoalesceMs = 50;

  // Starts connecting with the data set's connection string `conninfo` (libpq's string or
  // URI, as TPgConnection takes it); the session and its LISTEN are made from the event loop,
  // and the first call of `changed` tells that it listens, so that no change committed after
  // the construction goes untold. Throws EDatabaseError with libpq's message when libpq
  // refuses at once (a string it cannot read, a socket that is not there).
  // `ownBackendPid` returns the server process of the data set's session as it is at the time
  // of the call (it changes when that session connects again), 0 when not known; it must not
  // throw. `checkMs` > 0.
  TPgChangeWatcher(const QString& conninfo, std::function<int()> ownBackendPid,
                   int checkMs = DefaultCheckMs);
  TPgChangeWatcher(const TPgChangeWatcher&) = delete;
  TPgChangeWatcher& operator=(const TPgChangeWatcher&) = delete;

  // Called once, soon after the construction.
  void Start(std::function<void()> changed) override;

private:
  enum class TState {
    sDown,         // no session; the next try is due
    sConnecting,   // a connection is being made
    sSubscribing,  // connected, LISTEN sent
    sListening     // told of every change from now on
  };
  struct TFinisher {
    void operator()(pg_conn* connection) const;
  };
  // A notifier may go while it is telling of its socket: it is stopped at once and deleted
  // once control is back in the event loop.
  struct TLaterDeleter {
    void operator()(QSocketNotifier* notifier) const;
  };

  // Starts a session; false when libpq refused it at once.
  bool Connect();
  void Advance();
  void SocketActive();
  void Read();
  void Check();
  // Sends a statement whose answer Read takes; false when the session has failed.
  bool Send(const char* sql);
  // Watches the session's socket for `type` from now on.
  void Watch(QSocketNotifier::Type type);
  // Calls `changed` now, or at the end of the CoalesceMs that follow the last call.
  void Tell();
  // Calls `changed`; one made before Start is made at Start (an event loop may turn before
  // it, in a wait inside the data set's first read).
  void Call();
  void Lose();

  QString FConnInfo;
  std::function<int()> FOwnBackendPid;
  int FCheckMs;
  std::function<void()> FChanged;
  std::unique_ptr<pg_conn, TFinisher> FConnection;
  // Declared after the session, so that it goes before the session closes the socket.
  std::unique_ptr<QSocketNotifier, TLaterDeleter> FNotifier;
  TState FState = TState::sDown;
  bool FToldBeforeStart = false;
  bool FAwaitingAnswer = false;  // a statement was sent and its answer is not all read
  QTimer FRetry;                 // the next try to connect
  QTimer FGiveUp;                // the end of a try to connect
  QTimer FCheck;                 // the next check of a listening session
  QTimer FTell;                  // runs for CoalesceMs after each call
  bool FTellAtEnd = false;       // told while FTell ran: a call is due when it ends
};
