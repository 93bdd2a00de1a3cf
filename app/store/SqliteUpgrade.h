#pragma once

#include "app/store/Sqlite.h"

// The file register's schema version (PRAGMA user_version): 0 as the first version of the
// program made it (app/schema.sql), N after the step app/upgrade-sqlite-N-<what>.sql. The
// steps are built into the program, numbered 1, 2, ... without a hole.

// One step: the version it brings a file to, and its SQL.
struct TSqliteUpgradeStep {
  int Version;
  const char* Sql;
};

// The version this program brings a file to: the number of the last step.
int SqliteSchemaVersion();
// The version of the open file `db`.
int SqliteFileVersion(TSqliteDatabase& db);
// Brings a file of an earlier version up to date: every missing step, in order, in one write
// transaction, which also sets the version; nothing else in the file changes. A file that
// has no "Clients" table, is read-only or is newer than this program is left as it is.
// Returns the file's version afterwards. Throws EDatabaseError when the upgrade fails
// (nothing of it stays then).
int UpgradeSqliteFile(TSqliteDatabase& db);
