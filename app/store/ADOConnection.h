#pragma once

#include <QString>

#include <functional>
#include <memory>

#include "app/store/Sqlite.h"
#include "app/store/StoreEngine.h"

// A register on a PostgreSQL server: a libpq connection string or URI without a password
// (libpq's own conventions supply it: ~/.pgpass, PGPASSFILE, PGSERVICE).
struct TServerConnection {
  QString ConnInfo;
};

// The connection to the register's database: a file, or a database on a server.
class TADOConnection {
public:
  // The file `fileName`, resolved against the working directory and opened shared: other
  // processes may read and write it at the same time; their locks are waited for up to
  // busyTimeoutMs in each call, with `wait` told of the wait (see TBusyWait).
  TADOConnection(QString fileName, int busyTimeoutMs, TBusyWait wait = {});
  // The server and database `server` names (TPgEngine), with `wait` told of a wait for a
  // server slow to answer (see TBusyWait).
  explicit TADOConnection(TServerConnection server, TBusyWait wait = {});

  // Opens the file (never creating it) or connects to the server. Throws EDatabaseError
  // (dfCannotOpen for a missing or unreadable file, "unable to open database file", or a
  // server that cannot be reached or refuses the desk). Opening an open connection does
  // nothing.
  void Open();
  // The open database. Precondition: Open() succeeded.
  TStoreEngine& Engine() const { return *FEngine; }

private:
  std::function<std::unique_ptr<TStoreEngine>()> FOpen;
  std::unique_ptr<TStoreEngine> FEngine;
};
