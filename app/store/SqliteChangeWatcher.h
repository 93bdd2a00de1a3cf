#pragma once

#include <QTimer>

#include "app/store/ChangeWatcher.h"
#include "app/store/Sqlite.h"

// Watches an SQLite file through its connection's data version (PRAGMA data_version), which
// moves only when another connection commits a change to the file: this connection's own
// commits go untold. Polled by a timer; a poll costs a few microseconds and never waits: it is
// skipped while the connection is inside a call, and put off to the next tick while another
// connection holds the file locked. A poll that fails for any other reason is told as a
// change, so that the resync meets the failure and reports it.
class TSqliteChangeWatcher : public TChangeWatcher {
public:
  // Reads the data version now. `db` must outlive the watcher; `intervalMs` > 0. Throws
  // EDatabaseError when the file cannot be read.
  TSqliteChangeWatcher(TSqliteDatabase& db, int intervalMs);

  void Start(std::function<void()> changed) override;

private:
  // The data version. Throws EDatabaseError.
  qint64 ReadVersion();
  void Poll();

  TSqliteDatabase& FDb;
  TSqliteStatement FStatement;
  qint64 FVersion;
  QTimer FTimer;
  std::function<void()> FChanged;
};
