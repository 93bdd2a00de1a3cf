#pragma once

#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <stop_token>
#include <vector>

#include "app/store/BagSearch.h"
#include "app/store/ChangeWatcher.h"
#include "app/store/DatabaseError.h"
#include "app/store/HistoryChain.h"
#include "app/store/Field.h"

// The table a data set works on: its name and the fields it reads and writes, in that order.
// Other columns of the table are neither read nor written.
struct TTableDef {
  QString Name;
  std::vector<TFieldDef> Fields;
};

// The key by which an engine finds a row again: SQLite's rowid, the server's "ID". Never 0
// for a stored row.
using TRowKey = qint64;

// A row as the store holds it: its key and its fields' values in the table's field order (an
// invalid QVariant is NULL, integers are qint64, text a QString or, from a file, a
// TStoredText).
struct TStoredRow {
  TRowKey Key = 0;
  std::vector<QVariant> Values;
};

// Where a reader of the register's change feed stands: every change before it has been
// taken. What the numbers mean is the engine's own (a file: the last change number taken; a
// server: the oldest transaction that may still add changes, and the numbers at or above it
// already taken); a caller only keeps the cursor and hands it back.
struct TFeedCursor {
  qint64 Position = 0;
  std::vector<qint64> Taken;
};

// How many keys a statement of ReadAllKeys reads at most: neither the statement's time nor
// the memory of its answer grows with the register.
constexpr int KeySliceRows = 100000;

// Beyond this many changes since a cursor, reading the whole register again is the cheaper
// way to catch up.
constexpr int FeedReadLimit = 10000;

// What a read of the change feed found since a cursor.
struct TFeedChanges {
  // False when the feed cannot tell every change since the cursor (older rows dropped, a gap,
  // too many changes): then the whole register must be read again, and Next is a cursor
  // taken before that read.
  bool Complete = false;
  // The keys of the bags added, changed or deleted since the cursor, each once, in the order
  // of their first change; empty when !Complete.
  std::vector<TRowKey> Keys;
  // The cursor after these changes, to be kept once they are applied.
  TFeedCursor Next;
};

// How an import treats a bag whose number the register already holds.
enum class TImportExisting {
  ieSkip,    // the register's bag stays, the imported one is left out
  ieReplace  // the register's bags of that number go, the imported one comes in
};

// What an import did.
struct TImportCounts {
  int Added = 0;     // bags whose number the register did not hold
  int Replaced = 0;  // bags that took the place of the register's bags of their number
  int Skipped = 0;   // bags left out because the register held their number
  friend bool operator==(const TImportCounts&, const TImportCounts&) = default;
};

// Told during an import how many of its rows are done (0 < done <= rows); returns false to
// give the import up.
using TImportProgress = std::function<bool(int done)>;

// The register's database as the data set (TADOTable) needs it, whatever engine keeps it.
// Every failure raises EDatabaseError with the engine's message, its kind (TDatabaseFailure)
// and the database named for the operator. A write is one transaction: when it fails,
// nothing of it is stored. Optimistic locking: Update and Delete touch the row only while it
// still holds `fetched.Values`, compared as the database holds them (NULL equal to NULL);
// otherwise they raise ERecordConflict, telling a row changed elsewhere from one deleted
// elsewhere, and change nothing.
class TStoreEngine {
public:
  virtual ~TStoreEngine() = default;

  // What the operator knows the register by: "db.mdb", or "сервер <host>:<port>, база <dbname>".
  virtual QString Name() const = 0;
  // Checks that the table exists (dfNoTable) and has every field's column (dfNoColumn naming
  // the first missing one), names compared as the database compares them. Writes nothing.
  virtual void CheckColumns(const TTableDef& table) = 0;
  // Every row, in the order the database delivers it.
  virtual std::vector<TStoredRow> FetchAll(const TTableDef& table) = 0;
  // The keys above `after`, ascending (the order in which the register shows its rows), at
  // most `limit` (> 0) of them: a slice of the register's keys read in one statement. With a
  // `filter` that leaves bags out (FiltersBags), only the keys of the bags it finds, looked up
  // in the register's search index. Precondition for such a filter: HasSearch().
  virtual std::vector<TRowKey> ReadKeys(const TTableDef& table, TRowKey after, int limit,
                                        const TRowFilter& filter) = 0;
  // Another engine on the same database, over a connection of its own, for another thread (a
  // wait there is told to no one). Throws EDatabaseError as opening the database does.
  virtual std::unique_ptr<TStoreEngine> OpenAnother() const = 0;
  // Adds a row with `values` (other columns take their defaults); returns its key and the
  // values as stored (a trigger may have changed them).
  virtual TStoredRow Insert(const TTableDef& table, const std::vector<QVariant>& values) = 0;
  // Writes `values` over the row `fetched`; returns the values as stored.
  virtual std::vector<QVariant> Update(const TTableDef& table, const TStoredRow& fetched,
                                       const std::vector<QVariant>& values) = 0;
  // Deletes the row `fetched`.
  virtual void Delete(const TTableDef& table, const TStoredRow& fetched) = 0;
  // The stored values of the row with `key`; none when the table no longer has it.
  virtual std::optional<std::vector<QVariant>> ReadRow(const TTableDef& table, TRowKey key) = 0;
  // The stored rows among `keys` that `filter` finds (as FetchAll), in the order the database
  // delivers the whole table (by key); keys the table no longer has are left out.
  virtual std::vector<TStoredRow> ReadRows(const TTableDef& table, const std::vector<TRowKey>& keys,
                                           const TRowFilter& filter) = 0;
  // Whether the register keeps the search index (app/upgrade-*-4-search.sql), kept by the
  // database on every change, whoever makes it. A register made by an earlier version has
  // none until it is brought up to date, and cannot be searched until then.
  virtual bool HasSearch() = 0;

  // Whether the register keeps a change feed: every insert, update and delete of a bag is
  // recorded in it by the database, whoever makes it (app/upgrade-*-1-feed.sql). A register
  // made by an earlier version has none until it is brought up to date.
  virtual bool HasFeed() = 0;
  // A cursor standing at the feed's present: take it before the rows it guards are read.
  // Precondition: HasFeed().
  virtual TFeedCursor FeedCursor() = 0;
  // The changes recorded since `cursor`, read in one small query; `cursor` itself is left as
  // it was. Precondition: HasFeed().
  virtual TFeedChanges ReadFeed(const TFeedCursor& cursor) = 0;
  // Whether the register keeps the bags' history (app/upgrade-*-2-history.sql): every change
  // recorded by the database with who, when and each changed field, chained by SHA-256. A
  // register made by an earlier version has none until it is brought up to date.
  virtual bool HasHistory() = 0;
  // The history of the bags that bear or ever bore the number `bagNumber` (a bag unchanged
  // since the register began its history is found by its number now), deleted ones included,
  // newest record first, each with its changed fields. Nothing else reads the history: the
  // register is never slowed by it. Precondition: HasHistory().
  virtual std::vector<THistoryRecord> ReadBagHistory(const QString& bagNumber) = 0;
  // Walks the whole chain of the history (THistoryChain) and says whether it is whole or
  // which record breaks it. Precondition: HasHistory().
  virtual THistoryCheck CheckHistory() = 0;
  // The texts among `texts` that field `field` (an index into the fields) holds in some row,
  // compared exactly (NULL never matches): one query, whatever the register's size.
  virtual QSet<QString> HeldTexts(const TTableDef& table, int field, const QStringList& texts) = 0;
  // Adds `rows` (values in the table's field order) in one transaction: all of them, or
  // nothing when a write fails (raised) or `progress` gives the import up (nullopt). A row
  // whose field `matchField` (an index into the fields) holds the text of that field in rows
  // the table held before the import is skipped or replaces those rows, as `existing` says;
  // rows of the import do not match each other. Other desks' writes wait until the import
  // ends, so what it found held stays true until it commits.
  virtual std::optional<TImportCounts> Import(const TTableDef& table, int matchField,
                                              const std::vector<std::vector<QVariant>>& rows,
                                              TImportExisting existing,
                                              const TImportProgress& progress) = 0;
  // A watcher of the changes other connections commit to the register, from now on; make it
  // before the rows it guards are read. An engine that must look for changes (a file) looks
  // every pollMs (> 0). The watcher must not outlive the engine. Throws EDatabaseError when
  // the database cannot be watched.
  virtual std::unique_ptr<TChangeWatcher> MakeChangeWatcher(int pollMs) = 0;
};

// The keys above `after`, ascending, read `sliceRows` (>= 1) at a time; a change made between
// two slices is caught by the change feed (take the cursor first). Once `stop` is requested
// no other slice is read, and what was read is returned.
std::vector<TRowKey> ReadAllKeys(TStoreEngine& engine, const TTableDef& table,
                                 TRowKey after = std::numeric_limits<TRowKey>::min(),
                                 int sliceRows = KeySliceRows, std::stop_token stop = {});

// `keys` without repeats, each at its first place.
std::vector<TRowKey> DistinctKeys(const std::vector<TRowKey>& keys);
// For the engines' Import: which of `rows` match, by their field `matchField`, a text of
// `held` (the texts that field holds in the table before the import; NULL never matches),
// and what the import will count with `existing`.
struct TImportMatch {
  std::vector<bool> Matches;  // one per row
  QStringList MatchedTexts;   // the distinct texts of `held` that rows match
  TImportCounts Counts;
};
TImportMatch MatchImport(const std::vector<std::vector<QVariant>>& rows, int matchField,
                         const QSet<QString>& held, TImportExisting existing);
// The texts of field `field` among `rows`, as HeldTexts asks for them; NULLs left out.
QStringList FieldTexts(const std::vector<std::vector<QVariant>>& rows, int field);
// `texts` as one JSON array of strings: how the engines take a list in one parameter.
QString JsonTexts(const QStringList& texts);

// The refusal of an Update (deleting false) or Delete (true) that touched no row: `deleted`
// tells whether the row is gone or holds other values. `database` and `kind` as in
// EDatabaseError.
ERecordConflict RowConflict(bool deleting, bool deleted, const QString& database,
                            TDatabaseKind kind);
