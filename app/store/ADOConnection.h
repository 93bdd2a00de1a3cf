#pragma once

#include <QString>

#include <memory>

#include "app/store/Sqlite.h"

// The connection to the register's database file. The file name is resolved against the
// working directory. The file is opened shared: other processes may read and write it at the
// same time; their locks are waited for up to BusyTimeoutMs in each call, with `wait` told of
// the wait (see TBusyWait).
class TADOConnection {
public:
  TADOConnection(QString fileName, int busyTimeoutMs, TBusyWait wait = {});

  // Opens the file; never creates it. Throws EDatabaseError (dfCannotOpen, "unable to open
  // database file", for a missing or unreadable file). Opening an open connection does nothing.
  void Open();
  // The open database. Precondition: Open() succeeded.
  TSqliteDatabase& Database() const { return *FDatabase; }

private:
  QString FFileName;
  int FBusyTimeoutMs;
  TBusyWait FBusyWait;
  std::unique_ptr<TSqliteDatabase> FDatabase;
};
