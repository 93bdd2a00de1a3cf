#include "app/store/SqliteChangeWatcher.h"

#include <QFileInfo>

#include "app/store/DatabaseError.h"

TSqliteChangeWatcher::TSqliteChangeWatcher(TSqliteDatabase& db, int intervalMs)
    : FDb(db),
      FStatement(db, QStringLiteral("PRAGMA data_version")),
      FVersion(ReadVersion()),
      FWal(db.FileName() + QStringLiteral("-wal")) {
  FTimer.setInterval(intervalMs);
  QObject::connect(&FTimer, &QTimer::timeout, &FTimer, [this] { Look(); });
  FRetry.setSingleShot(true);
  FRetry.setInterval(RetryMs);
  QObject::connect(&FRetry, &QTimer::timeout, &FRetry, [this] { Look(); });
}

void TSqliteChangeWatcher::Start(std::function<void()> changed) {
  FChanged = std::move(changed);
  FTimer.start();
  // A path the system cannot watch leaves the interval alone to find the changes.
  FFiles.addPath(FDb.FileName());
  FFiles.addPath(QFileInfo(FDb.FileName()).absolutePath());
  if (QFileInfo::exists(FWal)) FFiles.addPath(FWal);
  QObject::connect(&FFiles, &QFileSystemWatcher::fileChanged, &FTimer, [this] { Look(); });
  QObject::connect(&FFiles, &QFileSystemWatcher::directoryChanged, &FTimer,
                   [this] { FolderChanged(); });
}

qint64 TSqliteChangeWatcher::ReadVersion() {
  FStatement.Step();
  const qint64 version = FStatement.Column(0).toLongLong();
  // Stepped to its end, the statement lets go of the file.
  FStatement.Step();
  return version;
}

void TSqliteChangeWatcher::FolderChanged() {
  if (!FFiles.files().contains(FWal) && QFileInfo::exists(FWal)) FFiles.addPath(FWal);
  Look();
}

void TSqliteChangeWatcher::Look() {
  if (FDb.InCall()) {
    FRetry.start();
    return;
  }
  try {
    TSqliteNoWait noWait(FDb);
    const qint64 version = ReadVersion();
    if (version == FVersion) return;
    FVersion = version;
  } catch (const EDatabaseError& e) {
    if (e.Failure() == TDatabaseFailure::dfLocked) {
      FRetry.start();
      return;
    }
  }
  FRetry.stop();
  FChanged();
}
