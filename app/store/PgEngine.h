#pragma once

#include <memory>
#include <optional>

#include "app/store/PgConnection.h"
#include "app/store/StoreEngine.h"

// The register on a PostgreSQL server, reached through libpq: rows are found by the
// identity column "ID" (app/schema-postgresql.sql), each write is one statement and so one
// transaction, and values are compared with IS NOT DISTINCT FROM on typed parameters.
// SQLSTATEs and lost connections are mapped onto TDatabaseFailure; failures name the server
// as "сервер <host>:<port>, база <dbname>" (libpq's view, never a password) with the kind
// dkServer.
//
// The change feed is the table "ClientsFeed" (app/upgrade-postgresql-1-feed.sql, which says
// how it is read without skipping a late commit or waiting on a hole); a database of an
// earlier schema version has none until the administrator upgrades it.
//
// A lost connection (server restart, network) fails the action that meets it with
// dfConnectionLost; the next action connects again first (dfCannotOpen when that fails).
class TPgEngine : public TStoreEngine {
public:
  // Connects with a libpq connection string or URI; throws dfCannotOpen when no session
  // opens (bounded by the string's connect_timeout, else TPgConnection's default), and
  // dfNotUtf8 naming the database's encoding when its text is not kept in UTF8. Each call
  // waits for the server as TPgConnection does, telling `wait` of a long wait: a lock held
  // elsewhere fails as dfLocked after the session's lock time-out, a server silent for
  // TPgConnection::SilenceLimitSeconds as dfConnectionLost.
  explicit TPgEngine(const QString& conninfo, TBusyWait wait = {});

  QString Name() const override { return FName; }
  // The table's columns and the key column "ID" are looked for, names compared exactly.
  void CheckColumns(const TTableDef& table) override;
  // Ordered by "ID": the order in which the rows were added.
  std::vector<TStoredRow> FetchAll(const TTableDef& table) override;
  std::vector<TRowKey> ReadKeys(const TTableDef& table, TRowKey after, int limit,
                                const TRowFilter& filter) override;
  std::unique_ptr<TStoreEngine> OpenAnother() const override;
  TStoredRow Insert(const TTableDef& table, const std::vector<QVariant>& values) override;
  std::vector<QVariant> Update(const TTableDef& table, const TStoredRow& fetched,
                               const std::vector<QVariant>& values) override;
  void Delete(const TTableDef& table, const TStoredRow& fetched) override;
  std::optional<std::vector<QVariant>> ReadRow(const TTableDef& table, TRowKey key) override;
  std::vector<TStoredRow> ReadRows(const TTableDef& table, const std::vector<TRowKey>& keys,
                                   const TRowFilter& filter) override;
  // Both asked of the server once (the schema's version in "ClientsSchema").
  bool HasFeed() override;
  // Asked with HasFeed.
  bool HasHistory() override;
  std::vector<THistoryRecord> ReadBagHistory(const QString& bagNumber) override;
  THistoryCheck CheckHistory() override;
  bool HasSearch() override;
  TFeedCursor FeedCursor() override;
  TFeedChanges ReadFeed(const TFeedCursor& cursor) override;
  QSet<QString> HeldTexts(const TTableDef& table, int field, const QStringList& texts) override;
  std::optional<TImportCounts> Import(const TTableDef& table, int matchField,
                                      const std::vector<std::vector<QVariant>>& rows,
                                      TImportExisting existing,
                                      const TImportProgress& progress) override;
  // Listens to the server's notifications on a session of its own (TPgChangeWatcher) and
  // leaves out those of this engine's session, whichever it is at the time. Throws
  // dfCannotOpen when that session does not open.
  std::unique_ptr<TChangeWatcher> MakeChangeWatcher(int pollMs) override;

private:
  // Runs `action` on a connected session, turning what libpq or the server reports into the
  // register's failures.
  template <typename TAction>
  auto Guarded(TAction&& action);
  // Guarded, for a read of `table`: a role without the right to read it fails as dfNoRights
  // naming the table, not as a refused change.
  template <typename TAction>
  auto Reading(const TTableDef& table, TAction&& action);
  // Guarded, for a change of a bag: in a transaction of its own, committed only once the
  // statement's answer has come. A session given up while the server was silent thus never
  // commits the change later, once the server goes on, after the operator was told it was not
  // made.
  template <typename TAction>
  auto Writing(TAction&& action);
  [[noreturn]] void Fail(const EDatabaseError& error) const;
  [[noreturn]] void FailConnecting(const EPgConnectFailed& error);
  QString ColumnList(const TTableDef& table) const;
  QStringList QuotedColumns(const TTableDef& table) const;
  QString Condition(const TTableDef& table, int firstParameter) const;
  ERecordConflict Conflict(const TTableDef& table, TRowKey key, bool deleting);
  // HeldTexts on the session as it is (inside another call's transaction).
  QSet<QString> Held(const TTableDef& table, int field, const QStringList& texts);

  QString FConnInfo;
  std::unique_ptr<TPgConnection> FConnection;
  // The schema's version, asked of the server once: 0 for a role that may not read it.
  int SchemaVersion();

  std::optional<int> FSchemaVersion;
  QString FName;
};
