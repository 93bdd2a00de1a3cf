#include "app/store/Sqlite.h"

#include <QFileInfo>

#include <sqlite3.h>

#include <thread>

#include "app/store/DatabaseError.h"
#include "app/store/StoredText.h"

namespace {

TDatabaseFailure FailureOf(int code) {
  switch (code & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return TDatabaseFailure::dfLocked;
    case SQLITE_READONLY:
      return TDatabaseFailure::dfReadOnly;
    case SQLITE_CANTOPEN:
      return TDatabaseFailure::dfCannotOpen;
    case SQLITE_NOTADB:
      return TDatabaseFailure::dfNotADatabase;
    case SQLITE_CORRUPT:
      return TDatabaseFailure::dfCorrupt;
    case SQLITE_FULL:
      return TDatabaseFailure::dfDiskFull;
    case SQLITE_IOERR:
      return TDatabaseFailure::dfIoError;
    case SQLITE_CONSTRAINT:
      return TDatabaseFailure::dfConstraint;
    default:
      return TDatabaseFailure::dfOther;
  }
}

// How long the busy handler sleeps between two looks at the lock.
constexpr std::chrono::milliseconds BusyPoll{10};

}  // namespace

// One call into SQLite on a connection: the lock wait it may contain starts afresh and is
// reported over when the call returns, however it returns.
class TSqliteCall {
public:
  explicit TSqliteCall(TSqliteDatabase& db) : FDb(db) {
    FDb.FWaitStart.reset();
    FDb.FInCall = true;
  }
  ~TSqliteCall() {
    FDb.FInCall = false;
    FDb.FWaitStart.reset();
    if (FDb.FWaitShown) {
      FDb.FWaitShown = false;
      FDb.FBusyWait(false);
    }
  }
  TSqliteCall(const TSqliteCall&) = delete;
  TSqliteCall& operator=(const TSqliteCall&) = delete;

private:
  TSqliteDatabase& FDb;
};

void TSqliteDatabase::TCloser::operator()(sqlite3* db) const { sqlite3_close_v2(db); }

TSqliteDatabase::TSqliteDatabase(const QString& fileName, int busyTimeoutMs, TBusyWait wait)
    : FFileName(QFileInfo(fileName).absoluteFilePath()),
      FBusyTimeoutMs(busyTimeoutMs),
      FBusyWait(std::move(wait)) {
  sqlite3* db = nullptr;
  const int rc =
      sqlite3_open_v2(fileName.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
  FDb.reset(db);
  if (rc != SQLITE_OK) Fail(rc);
  sqlite3_extended_result_codes(db, 1);
  sqlite3_busy_handler(db, &BusyHandler, this);
  sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
  sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
  // Connection settings only: the file itself is not written here.
  Execute(QStringLiteral("PRAGMA synchronous = FULL"));
  // The search index's triggers give every row a statement journal: in temporary files they
  // made a statement of 10^5 rows take 25 times as long (78 s instead of 3 s).
  Execute(QStringLiteral("PRAGMA temp_store = MEMORY"));
}

int TSqliteDatabase::BusyHandler(void* self, int) {
  auto& db = *static_cast<TSqliteDatabase*>(self);
  if (db.FNoWait) return 0;
  const auto now = std::chrono::steady_clock::now();
  if (!db.FWaitStart) db.FWaitStart = now;
  if (now - *db.FWaitStart >= std::chrono::milliseconds(db.FBusyTimeoutMs)) return 0;
  if (db.FBusyWait) {
    db.FWaitShown = true;
    db.FBusyWait(true);
  }
  std::this_thread::sleep_for(BusyPoll);
  return 1;
}

void TSqliteDatabase::Fail(int code) const {
  const char* message = FDb ? sqlite3_errmsg(FDb.get()) : sqlite3_errstr(code);
  throw EDatabaseError(FailureOf(code), QString::fromUtf8(message), FFileName);
}

bool TSqliteDatabase::SameName(const QString& a, const QString& b) {
  return sqlite3_stricmp(a.toUtf8().constData(), b.toUtf8().constData()) == 0;
}

void TSqliteDatabase::Execute(const QString& sql) {
  TSqliteCall call(*this);
  const int rc = sqlite3_exec(Handle(), sql.toUtf8().constData(), nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) Fail(rc);
}

qint64 TSqliteDatabase::LastInsertRowId() const { return sqlite3_last_insert_rowid(Handle()); }

int TSqliteDatabase::Changes() const { return sqlite3_changes(Handle()); }

bool TSqliteDatabase::ReadOnly() const { return sqlite3_db_readonly(Handle(), "main") == 1; }

void TSqliteStatement::TFinalizer::operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }

TSqliteStatement::TSqliteStatement(TSqliteDatabase& db, const QString& sql) : FDb(db) {
  TSqliteCall call(FDb);
  sqlite3_stmt* stmt = nullptr;
  const QByteArray utf8 = sql.toUtf8();
  const int rc =
      sqlite3_prepare_v2(db.Handle(), utf8.constData(), int(utf8.size()), &stmt, nullptr);
  if (rc != SQLITE_OK) db.Fail(rc);
  FStmt.reset(stmt);
}

namespace {

int BindText(sqlite3_stmt* stmt, int index, const QByteArray& bytes) {
  return sqlite3_bind_text64(stmt, index, bytes.constData(), sqlite3_uint64(bytes.size()),
                             SQLITE_TRANSIENT, SQLITE_UTF8);
}

}  // namespace

void TSqliteStatement::Bind(int index, const QVariant& value) {
  sqlite3_stmt* stmt = FStmt.get();
  int rc = SQLITE_OK;
  if (!value.isValid() || value.isNull()) {
    rc = sqlite3_bind_null(stmt, index);
  } else if (value.metaType() == QMetaType::fromType<TStoredText>()) {
    rc = BindText(stmt, index, value.value<TStoredText>().Bytes);
  } else {
    switch (value.typeId()) {
      case QMetaType::Int:
      case QMetaType::LongLong:
      case QMetaType::UInt:
        rc = sqlite3_bind_int64(stmt, index, value.toLongLong());
        break;
      case QMetaType::Double:
        rc = sqlite3_bind_double(stmt, index, value.toDouble());
        break;
      case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        rc = sqlite3_bind_blob64(stmt, index, bytes.constData(), sqlite3_uint64(bytes.size()),
                                 SQLITE_TRANSIENT);
        break;
      }
      default:
        rc = BindText(stmt, index, value.toString().toUtf8());
    }
  }
  if (rc != SQLITE_OK) FDb.Fail(rc);
}

void TSqliteStatement::Reset() { sqlite3_reset(FStmt.get()); }

bool TSqliteStatement::Step() {
  TSqliteCall call(FDb);
  const int rc = sqlite3_step(FStmt.get());
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  // The message of the failed step; reset so that the statement may run again.
  const QString message = QString::fromUtf8(sqlite3_errmsg(FDb.Handle()));
  sqlite3_reset(FStmt.get());
  throw EDatabaseError(FailureOf(rc), message, FDb.FileName());
}

QVariant TSqliteStatement::Column(int index) const {
  sqlite3_stmt* stmt = FStmt.get();
  switch (sqlite3_column_type(stmt, index)) {
    case SQLITE_INTEGER:
      return QVariant(qint64(sqlite3_column_int64(stmt, index)));
    case SQLITE_FLOAT:
      return QVariant(sqlite3_column_double(stmt, index));
    case SQLITE_BLOB: {
      const auto* data = static_cast<const char*>(sqlite3_column_blob(stmt, index));
      return QVariant(QByteArray(data, sqlite3_column_bytes(stmt, index)));
    }
    case SQLITE_TEXT: {
      const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(stmt, index));
      const QByteArrayView bytes(data, sqlite3_column_bytes(stmt, index));
      if (!bytes.isValidUtf8()) return QVariant::fromValue(TStoredText{bytes.toByteArray()});
      return QVariant(QString::fromUtf8(bytes));
    }
    default:
      return QVariant();
  }
}

TSqliteTransaction::TSqliteTransaction(TSqliteDatabase& db) : FDb(db) {
  FDb.Execute(QStringLiteral("BEGIN IMMEDIATE"));
}

TSqliteTransaction::~TSqliteTransaction() {
  // A failure may already have ended the transaction inside SQLite.
  if (!FCommitted && !sqlite3_get_autocommit(FDb.Handle())) {
    TSqliteCall call(FDb);
    sqlite3_exec(FDb.Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
  }
}

void TSqliteTransaction::Commit() {
  FDb.Execute(QStringLiteral("COMMIT"));
  FCommitted = true;
}
