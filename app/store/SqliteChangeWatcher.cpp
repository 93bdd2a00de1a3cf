#include "app/store/SqliteChangeWatcher.h"

#include "app/store/DatabaseError.h"

TSqliteChangeWatcher::TSqliteChangeWatcher(TSqliteDatabase& db, int intervalMs)
    : FDb(db), FStatement(db, QStringLiteral("PRAGMA data_version")), FVersion(ReadVersion()) {
  FTimer.setInterval(intervalMs);
  QObject::connect(&FTimer, &QTimer::timeout, &FTimer, [this] { Poll(); });
}

void TSqliteChangeWatcher::Start(std::function<void()> changed) {
  FChanged = std::move(changed);
  FTimer.start();
}

qint64 TSqliteChangeWatcher::ReadVersion() {
  FStatement.Step();
  const qint64 version = FStatement.Column(0).toLongLong();
  // Stepped to its end, the statement lets go of the file.
  FStatement.Step();
  return version;
}

void TSqliteChangeWatcher::Poll() {
  if (FDb.InCall()) return;
  try {
    TSqliteNoWait noWait(FDb);
    const qint64 version = ReadVersion();
    if (version == FVersion) return;
    FVersion = version;
  } catch (const EDatabaseError& e) {
    if (e.Failure() == TDatabaseFailure::dfLocked) return;
  }
  FChanged();
}
