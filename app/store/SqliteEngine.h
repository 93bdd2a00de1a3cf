#pragma once

#include "app/store/Sqlite.h"
#include "app/store/StoreEngine.h"

// The register in an SQLite file: rows are found by their rowid; text that is not UTF-8 is
// kept and matched by its bytes (TStoredText). Failures name the file by its full path.
// The change feed is the table "ClientsFeed" (app/upgrade-sqlite-1-feed.sql), whose numbers
// follow each other without a hole: a hole means rows were dropped.
class TSqliteEngine : public TStoreEngine {
public:
  // Opens the file as TSqliteDatabase does (never creating it), waiting up to busyTimeoutMs
  // in each call for another process's lock, with `wait` told of the wait.
  TSqliteEngine(const QString& fileName, int busyTimeoutMs, TBusyWait wait);

  // The file's name without its folder.
  QString Name() const override;
  void CheckColumns(const TTableDef& table) override;
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
  // The first call brings a writable file of an earlier schema up to date
  // (UpgradeSqliteFile); a read-only file, or one another program keeps locked for longer
  // than the busy time-out, is worked with as it is, without a feed.
  bool HasFeed() override;
  bool HasSearch() override;
  TFeedCursor FeedCursor() override;
  TFeedChanges ReadFeed(const TFeedCursor& cursor) override;
  // The same first call as HasFeed decides.
  bool HasHistory() override;
  std::vector<THistoryRecord> ReadBagHistory(const QString& bagNumber) override;
  // Records changed by another program since the last desk's write are counted as not sealed
  // yet (CheckSqliteHistory).
  THistoryCheck CheckHistory() override;
  QSet<QString> HeldTexts(const TTableDef& table, int field, const QStringList& texts) override;
  std::optional<TImportCounts> Import(const TTableDef& table, int matchField,
                                      const std::vector<std::vector<QVariant>>& rows,
                                      TImportExisting existing,
                                      const TImportProgress& progress) override;
  // Polls the file's data version (TSqliteChangeWatcher).
  std::unique_ptr<TChangeWatcher> MakeChangeWatcher(int pollMs) override;

private:
  ERecordConflict Conflict(const TTableDef& table, TRowKey key, bool deleting);
  // The file's schema version, brought up to date on the first call (UpgradeSqliteFile).
  int Version();

  TSqliteDatabase FDb;
  int FBusyTimeoutMs;
  std::optional<int> FVersion;
};
