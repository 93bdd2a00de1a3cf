#pragma once

#include <QFileSystemWatcher>
#include <QTimer>

#include "app/store/ChangeWatcher.h"
#include "app/store/Sqlite.h"

// Watches an SQLite file through its connection's data version (PRAGMA data_version), which
// moves only when another connection commits a change to the file: this connection's own
// commits go untold. A look costs a few microseconds and never waits: it is skipped while the
// connection is inside a call, and put off while another connection holds the file locked.
// A look that fails for any other reason is told as a change, so that the resync meets the
// failure and reports it.
//
// When to look: at once when the system tells that the file or its folder changed (every
// commit writes the file and, with a rollback journal, ends by deleting "<file>-journal"; in
// WAL mode it writes "<file>-wal"), and again every `intervalMs` in any case, since a file on
// a network share gets no such word for another machine's writes. A look put off (the file
// locked by a writer that has not finished, the connection busy) is tried again after
// RetryMs, not at the next interval: four desks saving at once hold the file's one write lock
// most of the time, and a change must not wait a whole interval for each of them.
class TSqliteChangeWatcher : public TChangeWatcher {
public:
  static constexpr int RetryMs = 5;

  // Reads the data version now. `db` must outlive the watcher; `intervalMs` > 0. Throws
  // EDatabaseError when the file cannot be read.
  TSqliteChangeWatcher(TSqliteDatabase& db, int intervalMs);

  void Start(std::function<void()> changed) override;

private:
  // The data version. Throws EDatabaseError.
  qint64 ReadVersion();
  void Look();
  // The folder changed: a WAL file that came since is watched too.
  void FolderChanged();

  TSqliteDatabase& FDb;
  TSqliteStatement FStatement;
  qint64 FVersion;
  QTimer FTimer;
  QTimer FRetry;
  QFileSystemWatcher FFiles;
  QString FWal;
  std::function<void()> FChanged;
};
