#include "app/store/SqliteEngine.h"

#include <QFileInfo>
#include <QStringList>

#include <algorithm>

#include "app/store/SqlDialect.h"
#include "app/store/SqliteChangeWatcher.h"
#include "app/store/SqliteHistory.h"
#include "app/store/SqliteUpgrade.h"

namespace {

QString Quoted(const QString& name) {
  QString escaped = name;
  escaped.replace(u'"', QStringLiteral("\"\""));
  return u'"' + escaped + u'"';
}

// Parameters bind as they are: a column takes the value as it comes, and IS matches NULL.
const TSqlDialect Dialect{u'?', QStringLiteral("IS"), QString(), QString()};

QStringList QuotedColumns(const TTableDef& table) {
  QStringList names;
  for (const TFieldDef& field : table.Fields) names << Quoted(field.Name);
  return names;
}

QString ColumnList(const TTableDef& table) { return QuotedColumns(table).join(u','); }

// The row still holds what the data set knows of it.
QString Condition(const TTableDef& table, int firstParameter) {
  return MatchCondition(Dialect, table, QStringLiteral("rowid"), QuotedColumns(table),
                        firstParameter);
}

// Every row `select` gives, its key first and then `fieldCount` values.
std::vector<TStoredRow> StoredRows(TSqliteStatement& select, int fieldCount) {
  std::vector<TStoredRow> rows;
  while (select.Step()) {
    TStoredRow row;
    row.Key = select.Column(0).toLongLong();
    row.Values.reserve(fieldCount);
    for (int i = 0; i < fieldCount; ++i) row.Values.push_back(select.Column(i + 1));
    rows.push_back(std::move(row));
  }
  return rows;
}

// The search index's full-text query for a filter that leaves bags out
// (app/upgrade-sqlite-4-search.sql): a phrase, that is the characters typed in a row; the
// numbers' mark char(1) ties it to their start.
QString SearchMatch(const TRowFilter& filter) {
  const TBagSearch search = ParseBagSearch(filter);
  QString phrase = search.Text;
  phrase.replace(u'"', QStringLiteral("\"\""));
  if (search.Kind == TSearchKind::skNumbers)
    return QStringLiteral("{Starts}: \"%1%2\" OR {Numbers}: \"%2\"").arg(QChar(1), phrase);
  return QStringLiteral("{Names}: \"%1\"").arg(phrase);
}

// The keys of the bags the search index finds for the query in parameter ?`parameter`.
QString SearchKeys(int parameter) {
  return QStringLiteral("SELECT rowid FROM \"ClientsSearch\" WHERE \"ClientsSearch\" MATCH ?%1")
      .arg(parameter);
}

void BindValues(TSqliteStatement& statement, int firstParameter,
                const std::vector<QVariant>& values) {
  for (int i = 0; i < int(values.size()); ++i) statement.Bind(firstParameter + i, values[i]);
}

}  // namespace

TSqliteEngine::TSqliteEngine(const QString& fileName, int busyTimeoutMs, TBusyWait wait)
    : FDb(fileName, busyTimeoutMs, std::move(wait)), FBusyTimeoutMs(busyTimeoutMs) {}

bool TSqliteEngine::HasFeed() { return Version() >= 1; }

// A file that keeps the history has every write name this desk and seal the history
// (TSqliteDeskWrite).
bool TSqliteEngine::HasHistory() { return Version() >= 2; }

bool TSqliteEngine::HasSearch() { return Version() >= 4; }

std::vector<THistoryRecord> TSqliteEngine::ReadBagHistory(const QString& bagNumber) {
  return ReadSqliteBagHistory(FDb, bagNumber);
}

THistoryCheck TSqliteEngine::CheckHistory() { return CheckSqliteHistory(FDb); }

int TSqliteEngine::Version() {
  if (FVersion) return *FVersion;
  int version = 0;
  try {
    version = UpgradeSqliteFile(FDb);
  } catch (const EDatabaseError& e) {
    // A file this desk cannot write now is read as it is, with whole re-reads.
    if (e.Failure() != TDatabaseFailure::dfReadOnly && e.Failure() != TDatabaseFailure::dfLocked)
      throw;
    version = SqliteFileVersion(FDb);
  }
  FVersion = version;
  return version;
}

QString TSqliteEngine::Name() const { return QFileInfo(FDb.FileName()).fileName(); }

// An unknown double-quoted name must never be read as a string, which SQLite would do for a
// missing column: every column is looked for before the first row is read.
void TSqliteEngine::CheckColumns(const TTableDef& table) {
  TSqliteStatement info(FDb, QStringLiteral("SELECT name FROM pragma_table_info(?1)"));
  info.Bind(1, table.Name);
  QStringList columns;
  while (info.Step()) columns << info.Column(0).toString();
  if (columns.isEmpty())
    throw EDatabaseError(TDatabaseFailure::dfNoTable,
                         QStringLiteral("no such table: %1").arg(table.Name), FDb.FileName(),
                         table.Name);
  for (const TFieldDef& field : table.Fields)
    if (std::none_of(columns.begin(), columns.end(), [&](const QString& column) {
          return TSqliteDatabase::SameName(column, field.Name);
        }))
      throw EDatabaseError(TDatabaseFailure::dfNoColumn,
                           QStringLiteral("no such column: %1").arg(field.Name), FDb.FileName(),
                           field.Name);
}

std::vector<TStoredRow> TSqliteEngine::FetchAll(const TTableDef& table) {
  TSqliteStatement select(
      FDb, QStringLiteral("SELECT rowid,%1 FROM %2").arg(ColumnList(table), Quoted(table.Name)));
  return StoredRows(select, int(table.Fields.size()));
}

std::vector<TRowKey> TSqliteEngine::ReadKeys(const TTableDef& table, TRowKey after, int limit,
                                             const TRowFilter& filter) {
  // The index is asked for its first keys alone: the bags a common word finds are never all
  // gathered to be cut down afterwards.
  const bool filtered = FiltersBags(filter);
  TSqliteStatement select(
      FDb, filtered ? QStringLiteral("SELECT rowid FROM %1 WHERE rowid IN (%2 AND rowid > ?1 "
                                     "ORDER BY rowid LIMIT ?2) ORDER BY rowid")
                          .arg(Quoted(table.Name), SearchKeys(3))
                    : QStringLiteral("SELECT rowid FROM %1 WHERE rowid > ?1 ORDER BY rowid LIMIT ?2")
                          .arg(Quoted(table.Name)));
  select.Bind(1, after);
  select.Bind(2, limit);
  if (filtered) select.Bind(3, SearchMatch(filter));
  std::vector<TRowKey> keys;
  keys.reserve(limit);
  while (select.Step()) keys.push_back(select.Column(0).toLongLong());
  return keys;
}

std::unique_ptr<TStoreEngine> TSqliteEngine::OpenAnother() const {
  return std::make_unique<TSqliteEngine>(FDb.FileName(), FBusyTimeoutMs, TBusyWait());
}

TStoredRow TSqliteEngine::Insert(const TTableDef& table, const std::vector<QVariant>& values) {
  TSqliteDeskWrite transaction(FDb, HasHistory());
  TSqliteStatement insert(
      FDb, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
               .arg(Quoted(table.Name), ColumnList(table), ParameterList(Dialect, table, 1)));
  BindValues(insert, 1, values);
  insert.Step();
  const TRowKey key = FDb.LastInsertRowId();
  // A trigger of someone else's may have moved the row away: then it keeps what was written.
  TStoredRow stored{key, ReadRow(table, key).value_or(values)};
  transaction.Commit();
  return stored;
}

std::vector<QVariant> TSqliteEngine::Update(const TTableDef& table, const TStoredRow& fetched,
                                            const std::vector<QVariant>& values) {
  const int fieldCount = int(table.Fields.size());
  TSqliteDeskWrite transaction(FDb, HasHistory());
  TSqliteStatement update(
      FDb, QStringLiteral("UPDATE %1 SET %2 WHERE %3")
               .arg(Quoted(table.Name), Assignments(Dialect, table, QuotedColumns(table)),
                    Condition(table, fieldCount + 1)));
  BindValues(update, 1, values);
  update.Bind(fieldCount + 1, fetched.Key);
  BindValues(update, fieldCount + 2, fetched.Values);
  update.Step();
  if (FDb.Changes() == 0) throw Conflict(table, fetched.Key, false);
  std::vector<QVariant> stored = ReadRow(table, fetched.Key).value_or(values);
  transaction.Commit();
  return stored;
}

void TSqliteEngine::Delete(const TTableDef& table, const TStoredRow& fetched) {
  TSqliteDeskWrite transaction(FDb, HasHistory());
  TSqliteStatement remove(
      FDb, QStringLiteral("DELETE FROM %1 WHERE %2").arg(Quoted(table.Name), Condition(table, 1)));
  remove.Bind(1, fetched.Key);
  BindValues(remove, 2, fetched.Values);
  remove.Step();
  if (FDb.Changes() == 0) throw Conflict(table, fetched.Key, true);
  transaction.Commit();
}

std::optional<std::vector<QVariant>> TSqliteEngine::ReadRow(const TTableDef& table, TRowKey key) {
  TSqliteStatement select(FDb, QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?1")
                                   .arg(ColumnList(table), Quoted(table.Name)));
  select.Bind(1, key);
  if (!select.Step()) return std::nullopt;
  std::vector<QVariant> values;
  for (int i = 0; i < int(table.Fields.size()); ++i) values.push_back(select.Column(i));
  return values;
}

std::vector<TStoredRow> TSqliteEngine::ReadRows(const TTableDef& table,
                                                const std::vector<TRowKey>& keys,
                                                const TRowFilter& filter) {
  // carray() is not built into the library: the keys travel as one JSON array.
  QStringList list;
  for (const TRowKey key : keys) list << QString::number(key);
  // Each key looked up in the index on its own: the few keys of a change, not every bag the
  // search finds.
  const bool filtered = FiltersBags(filter);
  TSqliteStatement select(
      FDb,
      QStringLiteral("SELECT rowid,%1 FROM %2 AS c WHERE rowid IN (SELECT value FROM json_each(?1))"
                     "%3 ORDER BY rowid")
          .arg(ColumnList(table), Quoted(table.Name),
               filtered ? QStringLiteral(" AND EXISTS (%1 AND rowid = c.rowid)").arg(SearchKeys(2))
                        : QString()));
  select.Bind(1, QString(u'[' + list.join(u',') + u']'));
  if (filtered) select.Bind(2, SearchMatch(filter));
  return StoredRows(select, int(table.Fields.size()));
}

namespace {

// The last change number drawn; a feed never written to has drawn none.
const char* const LastFeedNumber =
    "coalesce((SELECT seq FROM sqlite_sequence WHERE name = 'ClientsFeed'), 0)";

}  // namespace

TFeedCursor TSqliteEngine::FeedCursor() {
  TSqliteStatement last(FDb, QStringLiteral("SELECT %1").arg(QLatin1String(LastFeedNumber)));
  last.Step();
  return {last.Column(0).toLongLong(), {}};
}

// One statement, and so one consistent view of the file: the rows after the cursor and the
// last number drawn, which they must reach without a hole.
TFeedChanges TSqliteEngine::ReadFeed(const TFeedCursor& cursor) {
  TSqliteStatement read(
      FDb, QStringLiteral("SELECT %1, f.\"Seq\", f.\"ID\" FROM (SELECT 1) LEFT JOIN "
                          "(SELECT \"Seq\", \"ID\" FROM \"ClientsFeed\" WHERE \"Seq\" > ?1 "
                          "ORDER BY \"Seq\" LIMIT ?2) AS f ORDER BY f.\"Seq\"")
               .arg(QLatin1String(LastFeedNumber)));
  read.Bind(1, cursor.Position);
  read.Bind(2, FeedReadLimit + 1);
  TFeedChanges changes;
  qint64 last = cursor.Position;
  qint64 expected = cursor.Position + 1;
  bool continuous = true;
  std::vector<TRowKey> keys;
  while (read.Step()) {
    last = read.Column(0).toLongLong();
    if (read.Column(1).isNull()) break;
    continuous = continuous && read.Column(1).toLongLong() == expected++;
    keys.push_back(read.Column(2).toLongLong());
  }
  if (!continuous || expected - 1 != last || int(keys.size()) > FeedReadLimit) {
    changes.Next = {last, {}};
    return changes;
  }
  changes.Complete = true;
  changes.Keys = DistinctKeys(keys);
  changes.Next = {last, {}};
  return changes;
}

QSet<QString> TSqliteEngine::HeldTexts(const TTableDef& table, int field,
                                       const QStringList& texts) {
  TSqliteStatement select(
      FDb,
      QStringLiteral("SELECT DISTINCT %1 FROM %2 WHERE %1 IN (SELECT value FROM json_each(?1))")
          .arg(Quoted(table.Fields[field].Name), Quoted(table.Name)));
  select.Bind(1, JsonTexts(texts));
  QSet<QString> held;
  while (select.Step())
    if (const QVariant value = select.Column(0); value.typeId() == QMetaType::QString)
      held.insert(value.toString());
  return held;
}

std::optional<TImportCounts> TSqliteEngine::Import(const TTableDef& table, int matchField,
                                                   const std::vector<std::vector<QVariant>>& rows,
                                                   TImportExisting existing,
                                                   const TImportProgress& progress) {
  TSqliteDeskWrite transaction(FDb, HasHistory());
  const QString tableName = Quoted(table.Name);
  const QString matchColumn = Quoted(table.Fields[matchField].Name);
  const TImportMatch match = MatchImport(
      rows, matchField, HeldTexts(table, matchField, FieldTexts(rows, matchField)), existing);
  if (!match.MatchedTexts.isEmpty()) {
    TSqliteStatement remove(
        FDb, QStringLiteral("DELETE FROM %1 WHERE %2 = ?1").arg(tableName, matchColumn));
    for (const QString& text : match.MatchedTexts) {
      remove.Reset();
      remove.Bind(1, text);
      remove.Step();
    }
  }
  TSqliteStatement insert(FDb,
                          QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                              .arg(tableName, ColumnList(table), ParameterList(Dialect, table, 1)));
  const int count = int(rows.size());
  for (int i = 0; i < count; ++i) {
    if (!match.Matches[i] || existing == TImportExisting::ieReplace) {
      insert.Reset();
      BindValues(insert, 1, rows[i]);
      insert.Step();
    }
    // A report costs more than a row: one every thousand rows, and at the end.
    const int done = i + 1;
    if (progress && (done % 1000 == 0 || done == count) && !progress(done)) return std::nullopt;
  }
  transaction.Commit();
  return match.Counts;
}

std::unique_ptr<TChangeWatcher> TSqliteEngine::MakeChangeWatcher(int pollMs) {
  return std::make_unique<TSqliteChangeWatcher>(FDb, pollMs);
}

// A write that touched no row: the row is still there with other values, or gone.
ERecordConflict TSqliteEngine::Conflict(const TTableDef& table, TRowKey key, bool deleting) {
  TSqliteStatement find(
      FDb, QStringLiteral("SELECT 1 FROM %1 WHERE rowid = ?1").arg(Quoted(table.Name)));
  find.Bind(1, key);
  return RowConflict(deleting, !find.Step(), FDb.FileName(), TDatabaseKind::dkFile);
}
