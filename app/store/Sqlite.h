#pragma once

#include <QString>
#include <QVariant>

#include <chrono>
#include <memory>
#include <optional>

#include "app/store/StoreWait.h"

struct sqlite3;
struct sqlite3_stmt;

// A connection to an existing SQLite file, shared with other processes. Opening never creates
// the file. Every failure raises EDatabaseError with SQLite's own message, its kind
// (TDatabaseFailure) and the file's full path. A double-quoted name is always a name: one
// that the table does not have is an error, never read as a string.
class TSqliteDatabase {
public:
  // Opens `fileName` (relative names resolve against the working directory) read-write,
  // waiting up to `busyTimeoutMs` (>= 0) in each call for locks other processes hold, with
  // `wait` told of the wait, and with the rollback journal synced to disk on every commit.
  TSqliteDatabase(const QString& fileName, int busyTimeoutMs, TBusyWait wait = {});
  // The busy handler holds the address.
  TSqliteDatabase(const TSqliteDatabase&) = delete;
  TSqliteDatabase& operator=(const TSqliteDatabase&) = delete;

  sqlite3* Handle() const { return FDb.get(); }
  // The file's full path, as the operator's messages name it.
  const QString& FileName() const { return FFileName; }
  // Throws EDatabaseError for `code`, a failed call's result code, with the connection's
  // message for it.
  [[noreturn]] void Fail(int code) const;
  // True when SQLite takes `a` and `b` for the same table or column name: letters compared
  // without case in ASCII only.
  static bool SameName(const QString& a, const QString& b);
  // Runs SQL without results (no parameters).
  void Execute(const QString& sql);
  // Row id of the last successful INSERT on this connection.
  qint64 LastInsertRowId() const;
  // Rows changed by the last INSERT, UPDATE or DELETE on this connection.
  int Changes() const;
  // True when the file could only be opened for reading (its permissions, a read-only medium).
  bool ReadOnly() const;
  // True while a call into SQLite runs on this connection. Only a wait for another
  // connection's lock lets the event loop run meanwhile (see TBusyWait); whatever runs from
  // there must leave the connection alone.
  bool InCall() const { return FInCall; }

private:
  friend class TSqliteCall;
  friend class TSqliteNoWait;
  struct TCloser {
    void operator()(sqlite3* db) const;
  };
  static int BusyHandler(void* self, int count);

  QString FFileName;
  int FBusyTimeoutMs;
  TBusyWait FBusyWait;
  std::optional<std::chrono::steady_clock::time_point> FWaitStart;  // of the current call
  bool FWaitShown = false;
  bool FInCall = false;
  bool FNoWait = false;
  std::unique_ptr<sqlite3, TCloser> FDb;
};

// A prepared statement. Values cross as QVariant: an invalid QVariant is NULL, integers bind
// as 64-bit integers, doubles as reals, byte arrays as blobs, a TStoredText as text of its
// very bytes, everything else as UTF-8 text.
class TSqliteStatement {
public:
  TSqliteStatement(TSqliteDatabase& db, const QString& sql);

  // Binds parameter `index` (1-based) for the next Step.
  void Bind(int index, const QVariant& value);
  // Makes the statement ready to run again from its start, for new bindings (the old ones
  // stay until replaced).
  void Reset();
  // Runs one step: true while a row is available, false when done. Throws on failure.
  bool Step();
  // Column `index` (0-based) of the current row, with SQLite's own storage class; text that
  // is not valid UTF-8 comes as a TStoredText.
  QVariant Column(int index) const;

private:
  struct TFinalizer {
    void operator()(sqlite3_stmt* stmt) const;
  };
  TSqliteDatabase& FDb;
  std::unique_ptr<sqlite3_stmt, TFinalizer> FStmt;
};

// While it lives, a call on the connection that meets another connection's lock fails at
// once (EDatabaseError dfLocked) instead of waiting: for work that may as well be done later.
class TSqliteNoWait {
public:
  explicit TSqliteNoWait(TSqliteDatabase& db) : FDb(db), FPrevious(db.FNoWait) {
    FDb.FNoWait = true;
  }
  ~TSqliteNoWait() { FDb.FNoWait = FPrevious; }
  TSqliteNoWait(const TSqliteNoWait&) = delete;
  TSqliteNoWait& operator=(const TSqliteNoWait&) = delete;

private:
  TSqliteDatabase& FDb;
  bool FPrevious;
};

// A write transaction (BEGIN IMMEDIATE) that rolls back unless committed.
class TSqliteTransaction {
public:
  explicit TSqliteTransaction(TSqliteDatabase& db);
  TSqliteTransaction(const TSqliteTransaction&) = delete;
  TSqliteTransaction& operator=(const TSqliteTransaction&) = delete;
  ~TSqliteTransaction();
  // Makes the writes durable; throws EDatabaseError when the commit fails (then rolled back).
  void Commit();

private:
  TSqliteDatabase& FDb;
  bool FCommitted = false;
};
