#pragma once

#include <QString>

#include <vector>

#include "app/store/HistoryChain.h"
#include "app/store/Sqlite.h"

// The bags' history in a file register (app/upgrade-sqlite-2-history.sql): the triggers record
// every change, naming the desk that wrote "ClientsDesk" in the same transaction; the desk
// chains (seals) the records, since SQL in SQLite has no SHA-256.

// This desk as the history names it: "<login name of the process's user>@<host name>".
QString DeskIdentity();

// A write of this desk: one write transaction (BEGIN IMMEDIATE, rolled back unless
// committed) in which the history records DeskIdentity() as the writer; Commit seals every
// record not yet sealed, this write's and any other program's before it, and takes the name
// away again. On a file without the history it is a plain write transaction.
class TSqliteDeskWrite {
public:
  TSqliteDeskWrite(TSqliteDatabase& db, bool history);
  TSqliteDeskWrite(const TSqliteDeskWrite&) = delete;
  TSqliteDeskWrite& operator=(const TSqliteDeskWrite&) = delete;
  // Throws EDatabaseError when sealing or the commit fails; then nothing of the write stays.
  void Commit();

private:
  TSqliteDatabase& FDb;
  bool FHistory;
  TSqliteTransaction FTransaction;
};

// Seals, in order of Seq, every record after the last sealed one, chaining from its digest.
// Runs inside the caller's write transaction.
void SealSqliteHistory(TSqliteDatabase& db);
// Every record of the bags that bear or ever bore the number `bagNumber` (the register's
// "Номер сумки", or the history's before or after a change, compared as text), deleted bags
// included: newest first, each with its changed fields. One statement, so one read
// transaction.
std::vector<THistoryRecord> ReadSqliteBagHistory(TSqliteDatabase& db, const QString& bagNumber);
// Walks the whole history of the file in one read transaction (THistoryChain).
THistoryCheck CheckSqliteHistory(TSqliteDatabase& db);
