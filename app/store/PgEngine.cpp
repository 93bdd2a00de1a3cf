#include "app/store/PgEngine.h"

#include <QStringList>

#include <algorithm>
#include <type_traits>

#include "app/store/PgChangeWatcher.h"
#include "app/store/PgHistory.h"
#include "app/store/PgSearch.h"
#include "app/store/PgTransaction.h"
#include "app/store/SqlDialect.h"

namespace {

const QString KeyColumn = QStringLiteral("ID");

QString ServerName(const QString& host, const QString& port, const QString& databaseName) {
  return QStringLiteral("сервер %1:%2, база %3").arg(host, port, databaseName);
}

// Each parameter cast to its field's column type, so that the server never has to guess it
// (IS NOT DISTINCT FROM a NULL would leave it unknown).
const TSqlDialect Dialect{u'$', QStringLiteral("IS NOT DISTINCT FROM"), QStringLiteral("::integer"),
                          QStringLiteral("::varchar")};

std::vector<QVariant> RowValues(const TPgResult& result, int row, int firstColumn, int count) {
  std::vector<QVariant> values;
  values.reserve(count);
  for (int i = 0; i < count; ++i) values.push_back(result.Value(row, firstColumn + i));
  return values;
}

// Every row of `result`, its key first and then `fieldCount` values.
std::vector<TStoredRow> StoredRows(const TPgResult& result, int fieldCount) {
  std::vector<TStoredRow> rows;
  rows.reserve(result.RowCount());
  for (int row = 0; row < result.RowCount(); ++row)
    rows.push_back({result.Value(row, 0).toLongLong(), RowValues(result, row, 1, fieldCount)});
  return rows;
}

// What a failure the server reported by its SQLSTATE means for the register.
TDatabaseFailure ServerFailure(const QString& sqlState) {
  const QString errorClass = sqlState.left(2);
  if (errorClass == QStringLiteral("08") || sqlState.startsWith(QStringLiteral("57P")))
    return TDatabaseFailure::dfConnectionLost;  // connection exceptions, server shut down
  if (sqlState == QStringLiteral("42P01")) return TDatabaseFailure::dfNoTable;
  if (sqlState == QStringLiteral("42703")) return TDatabaseFailure::dfNoColumn;
  if (sqlState == QStringLiteral("42501") || sqlState == QStringLiteral("25006"))
    return TDatabaseFailure::dfReadOnly;
  if (errorClass == QStringLiteral("23") || errorClass == QStringLiteral("22"))
    return TDatabaseFailure::dfConstraint;
  if (errorClass == QStringLiteral("40") || sqlState == QStringLiteral("55P03") ||
      sqlState == QStringLiteral("57014"))
    return TDatabaseFailure::dfLocked;  // serialisation, deadlock, lock or statement time-out
  if (sqlState == QStringLiteral("53100")) return TDatabaseFailure::dfDiskFull;
  if (sqlState == QStringLiteral("58030")) return TDatabaseFailure::dfIoError;
  if (errorClass == QStringLiteral("XX")) return TDatabaseFailure::dfCorrupt;
  return TDatabaseFailure::dfOther;
}

}  // namespace

TPgEngine::TPgEngine(const QString& conninfo, TBusyWait wait) : FConnInfo(conninfo) {
  try {
    FConnection = std::make_unique<TPgConnection>(
        conninfo, TPgConnection::DefaultConnectTimeoutSeconds, std::move(wait));
  } catch (const EPgConnectFailed& e) {
    FailConnecting(e);
  }
  FName = ServerName(FConnection->Host(), FConnection->Port(), FConnection->DatabaseName());
  // Only a UTF8 database makes sure that what is stored is text: a SQL_ASCII one takes and
  // hands over any bytes, and one that is not UTF-8 would come back to the desks as other
  // text than was stored, on every read and in every comparison of a save.
  const QString encoding = FConnection->ServerEncoding();
  if (encoding != QStringLiteral("UTF8"))
    throw EDatabaseError(TDatabaseFailure::dfNotUtf8,
                         QStringLiteral("server_encoding is %1, not UTF8").arg(encoding), FName,
                         encoding, QString(), TDatabaseKind::dkServer);
}

void TPgEngine::FailConnecting(const EPgConnectFailed& error) {
  if (FName.isEmpty()) FName = ServerName(error.Host(), error.Port(), error.DatabaseName());
  // libpq gives a refused session no SQLSTATE, only the server's sentence, in the server's
  // language (lc_messages): English or Russian.
  const QString message = QString::fromUtf8(error.what());
  const QString quoted = u'"' + error.DatabaseName() + u'"';
  const bool noDatabase =
      message.contains(QStringLiteral("database %1 does not exist").arg(quoted)) ||
      message.contains(QStringLiteral("база данных %1 не существует").arg(quoted));
  throw EDatabaseError(noDatabase ? TDatabaseFailure::dfNoDatabase : TDatabaseFailure::dfCannotOpen,
                       message, FName, QString(), noDatabase ? QStringLiteral("3D000") : QString(),
                       TDatabaseKind::dkServer);
}

void TPgEngine::Fail(const EDatabaseError& error) const {
  // Whatever the server said last, a session that is gone is a lost connection.
  const TDatabaseFailure failure = FConnection->IsConnected() ? ServerFailure(error.SqlState())
                                                              : TDatabaseFailure::dfConnectionLost;
  throw EDatabaseError(failure, QString::fromUtf8(error.what()), FName, QString(), error.SqlState(),
                       TDatabaseKind::dkServer);
}

template <typename TAction>
auto TPgEngine::Guarded(TAction&& action) {
  if (!FConnection->IsConnected()) {
    try {
      FConnection->Reset();
    } catch (const EPgConnectFailed& e) {
      FailConnecting(e);
    }
  }
  try {
    return action();
  } catch (const EDatabaseError& e) {
    if (e.Kind() == TDatabaseKind::dkServer)
      throw;  // already the register's own (a conflict, a missing column)
    Fail(e);
  }
}

template <typename TAction>
auto TPgEngine::Reading(const TTableDef& table, TAction&& action) {
  try {
    return Guarded(std::forward<TAction>(action));
  } catch (const EDatabaseError& e) {
    // A role that may not read the table: nothing was being saved (it happens first at
    // start-up), so the operator reads which table this desk has no rights on.
    if (e.SqlState() != QStringLiteral("42501")) throw;
    throw EDatabaseError(TDatabaseFailure::dfNoRights, QString::fromUtf8(e.what()), FName,
                         table.Name, e.SqlState(), TDatabaseKind::dkServer);
  }
}

template <typename TAction>
auto TPgEngine::Writing(TAction&& action) {
  return Guarded([&] {
    TPgTransaction transaction(*FConnection);
    if constexpr (std::is_void_v<decltype(action())>) {
      action();
      transaction.Commit();
    } else {
      auto result = action();
      transaction.Commit();
      return result;
    }
  });
}

QStringList TPgEngine::QuotedColumns(const TTableDef& table) const {
  QStringList names;
  for (const TFieldDef& field : table.Fields) names << FConnection->QuotedIdentifier(field.Name);
  return names;
}

QString TPgEngine::ColumnList(const TTableDef& table) const {
  return QuotedColumns(table).join(u',');
}

// The row still holds what the data set knows of it.
QString TPgEngine::Condition(const TTableDef& table, int firstParameter) const {
  return MatchCondition(Dialect, table, FConnection->QuotedIdentifier(KeyColumn),
                        QuotedColumns(table), firstParameter);
}

void TPgEngine::CheckColumns(const TTableDef& table) {
  Guarded([&] {
    // One round trip: a row for each column, or one row without a name when the table is not
    // there (its first value then false).
    const TPgResult columns = FConnection->Execute(
        QStringLiteral("SELECT t.r IS NOT NULL, a.attname FROM (SELECT to_regclass($1) AS r) AS t "
                       "LEFT JOIN pg_catalog.pg_attribute AS a "
                       "ON a.attrelid = t.r AND a.attnum > 0 AND NOT a.attisdropped"),
        {FConnection->QuotedIdentifier(table.Name)});
    if (columns.Value(0, 0).toString() != QStringLiteral("t"))
      throw EDatabaseError(TDatabaseFailure::dfNoTable,
                           QStringLiteral("relation \"%1\" does not exist").arg(table.Name), FName,
                           table.Name, QStringLiteral("42P01"), TDatabaseKind::dkServer);
    QStringList names;
    for (int row = 0; row < columns.RowCount(); ++row) names << columns.Value(row, 1).toString();
    QStringList wanted{KeyColumn};
    for (const TFieldDef& field : table.Fields) wanted << field.Name;
    for (const QString& name : wanted)
      if (!names.contains(name))
        throw EDatabaseError(
            TDatabaseFailure::dfNoColumn,
            QStringLiteral("column \"%1\" of relation \"%2\" does not exist").arg(name, table.Name),
            FName, name, QStringLiteral("42703"), TDatabaseKind::dkServer);
  });
}

std::vector<TStoredRow> TPgEngine::FetchAll(const TTableDef& table) {
  return Reading(table, [&] {
    const QString key = FConnection->QuotedIdentifier(KeyColumn);
    const TPgResult result = FConnection->Execute(
        QStringLiteral("SELECT %1,%2 FROM %3 ORDER BY %1")
            .arg(key, ColumnList(table), FConnection->QuotedIdentifier(table.Name)));
    return StoredRows(result, int(table.Fields.size()));
  });
}

std::vector<TRowKey> TPgEngine::ReadKeys(const TTableDef& table, TRowKey after, int limit,
                                         const TRowFilter& filter) {
  return Reading(table, [&] {
    const QString key = FConnection->QuotedIdentifier(KeyColumn);
    const QString tableName = FConnection->QuotedIdentifier(table.Name);
    if (FiltersBags(filter))
      return ReadPgSearchKeys(*FConnection, tableName, key, TPgSearchColumns(SchemaVersion()),
                              ParseBagSearch(filter), after, limit);
    return ResultKeys(FConnection->Execute(
        QStringLiteral("SELECT %1 FROM %2 WHERE %1 > $1::bigint ORDER BY %1 LIMIT $2")
            .arg(key, tableName),
        {after, limit}));
  });
}

std::unique_ptr<TStoreEngine> TPgEngine::OpenAnother() const {
  return std::make_unique<TPgEngine>(FConnInfo);
}

TStoredRow TPgEngine::Insert(const TTableDef& table, const std::vector<QVariant>& values) {
  return Writing([&] {
    const TPgResult result = FConnection->Execute(
        QStringLiteral("INSERT INTO %1 (%2) VALUES (%3) RETURNING %4,%2")
            .arg(FConnection->QuotedIdentifier(table.Name), ColumnList(table),
                 ParameterList(Dialect, table, 1), FConnection->QuotedIdentifier(KeyColumn)),
        values);
    return TStoredRow{result.Value(0, 0).toLongLong(),
                      RowValues(result, 0, 1, int(table.Fields.size()))};
  });
}

std::vector<QVariant> TPgEngine::Update(const TTableDef& table, const TStoredRow& fetched,
                                        const std::vector<QVariant>& values) {
  return Writing([&] {
    const int fieldCount = int(table.Fields.size());
    std::vector<QVariant> parameters = values;
    parameters.push_back(fetched.Key);
    parameters.insert(parameters.end(), fetched.Values.begin(), fetched.Values.end());
    const TPgResult result =
        FConnection->Execute(QStringLiteral("UPDATE %1 SET %2 WHERE %3 RETURNING %4")
                                 .arg(FConnection->QuotedIdentifier(table.Name),
                                      Assignments(Dialect, table, QuotedColumns(table)),
                                      Condition(table, fieldCount + 1), ColumnList(table)),
                             parameters);
    if (result.RowCount() == 0) throw Conflict(table, fetched.Key, false);
    return RowValues(result, 0, 0, fieldCount);
  });
}

void TPgEngine::Delete(const TTableDef& table, const TStoredRow& fetched) {
  Writing([&] {
    std::vector<QVariant> parameters{fetched.Key};
    parameters.insert(parameters.end(), fetched.Values.begin(), fetched.Values.end());
    const TPgResult result = FConnection->Execute(
        QStringLiteral("DELETE FROM %1 WHERE %2")
            .arg(FConnection->QuotedIdentifier(table.Name), Condition(table, 1)),
        parameters);
    if (result.AffectedRows() == 0) throw Conflict(table, fetched.Key, true);
  });
}

std::optional<std::vector<QVariant>> TPgEngine::ReadRow(const TTableDef& table, TRowKey key) {
  return Reading(table, [&]() -> std::optional<std::vector<QVariant>> {
    const TPgResult result =
        FConnection->Execute(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = $1")
                                 .arg(ColumnList(table), FConnection->QuotedIdentifier(table.Name),
                                      FConnection->QuotedIdentifier(KeyColumn)),
                             {key});
    if (result.RowCount() == 0) return std::nullopt;
    return RowValues(result, 0, 0, int(table.Fields.size()));
  });
}

std::vector<TStoredRow> TPgEngine::ReadRows(const TTableDef& table,
                                            const std::vector<TRowKey>& keys,
                                            const TRowFilter& filter) {
  return Guarded([&] {
    QStringList list;
    for (const TRowKey key : keys) list << QString::number(key);
    const QString key = FConnection->QuotedIdentifier(KeyColumn);
    const bool filtered = FiltersBags(filter);
    const TBagSearch search = ParseBagSearch(filter);
    std::vector<QVariant> parameters{QString(u'{' + list.join(u',') + u'}')};
    if (filtered) parameters.push_back(PgSearchText(search));
    // The keys choose the rows: each is tested as it is read, no index of the search needed.
    const TPgResult result = FConnection->Execute(
        QStringLiteral("SELECT %1,%2 FROM %3 WHERE %1 = ANY($1::integer[])%4 ORDER BY %1")
            .arg(key, ColumnList(table), FConnection->QuotedIdentifier(table.Name),
                 filtered ? QStringLiteral(" AND ") +
                                PgRowSearchCondition(TPgSearchColumns(SchemaVersion()), search, 2)
                          : QString()),
        parameters);
    return StoredRows(result, int(table.Fields.size()));
  });
}

int TPgEngine::SchemaVersion() {
  if (!FSchemaVersion) {
    FSchemaVersion = Guarded([&] {
      try {
        return FConnection->Execute(QStringLiteral("SELECT \"Version\" FROM \"ClientsSchema\""))
            .Value(0, 0)
            .toInt();
      } catch (const EDatabaseError& e) {
        // A database made before the versions were kept, or a role that may not read the
        // version, works as with the first schema; its missing right on the bags themselves is
        // then told by the first read of them. Asked outside a transaction (at the data set's
        // opening), so the refused statement spoils nothing.
        if (e.SqlState() == QStringLiteral("42P01") || e.SqlState() == QStringLiteral("42501"))
          return 0;
        throw;
      }
    });
  }
  return *FSchemaVersion;
}

bool TPgEngine::HasFeed() { return SchemaVersion() >= 1; }

bool TPgEngine::HasHistory() { return SchemaVersion() >= 2; }

std::vector<THistoryRecord> TPgEngine::ReadBagHistory(const QString& bagNumber) {
  return Guarded([&] { return ReadPgBagHistory(*FConnection, bagNumber); });
}

THistoryCheck TPgEngine::CheckHistory() {
  return Guarded([&] { return CheckPgHistory(*FConnection); });
}

bool TPgEngine::HasSearch() { return SchemaVersion() >= 4; }

TFeedCursor TPgEngine::FeedCursor() {
  return Guarded([&] {
    const TPgResult now =
        FConnection->Execute(QStringLiteral("SELECT pg_snapshot_xmin(pg_current_snapshot())"));
    return TFeedCursor{now.Value(0, 0).toLongLong(), {}};
  });
}

// One statement, and so one snapshot: the rows of the transactions at or above the cursor's
// xmin, the xmin of this very snapshot (every transaction below it has ended, so its rows, if
// it committed, are among those read) and the boundary below which rows were dropped.
TFeedChanges TPgEngine::ReadFeed(const TFeedCursor& cursor) {
  return Guarded([&] {
    const TPgResult read = FConnection->Execute(
        QStringLiteral(
            "SELECT s.horizon::text, s.pruned::text, f.\"Seq\", f.\"ID\", f.\"Xid\"::text "
            "FROM (SELECT pg_snapshot_xmin(pg_current_snapshot()) AS horizon, "
            "(SELECT \"PrunedBelow\" FROM \"ClientsFeedState\") AS pruned) AS s "
            "LEFT JOIN LATERAL (SELECT \"Seq\", \"ID\", \"Xid\" FROM \"ClientsFeed\" "
            "WHERE \"Xid\" >= $1::text::xid8 ORDER BY \"Seq\" LIMIT $2) AS f ON true "
            "ORDER BY f.\"Seq\""),
        {cursor.Position, FeedReadLimit + 1});
    TFeedChanges changes;
    const qint64 horizon = read.Value(0, 0).toLongLong();
    changes.Next.Position = horizon;
    if (read.Value(0, 1).toLongLong() > cursor.Position || read.RowCount() > FeedReadLimit)
      return changes;  // rows this desk had not taken may be gone, or there are too many
    std::vector<TRowKey> keys;
    for (int row = 0; row < read.RowCount(); ++row) {
      if (read.Value(row, 2).isNull()) break;
      const qint64 number = read.Value(row, 2).toLongLong();
      if (read.Value(row, 4).toLongLong() >= horizon) changes.Next.Taken.push_back(number);
      if (std::find(cursor.Taken.begin(), cursor.Taken.end(), number) == cursor.Taken.end())
        keys.push_back(read.Value(row, 3).toLongLong());
    }
    changes.Complete = true;
    changes.Keys = DistinctKeys(keys);
    return changes;
  });
}

QSet<QString> TPgEngine::HeldTexts(const TTableDef& table, int field, const QStringList& texts) {
  return Reading(table, [&] { return Held(table, field, texts); });
}

QSet<QString> TPgEngine::Held(const TTableDef& table, int field, const QStringList& texts) {
  const TPgResult found =
      FConnection->Execute(QStringLiteral("SELECT DISTINCT %1::text FROM %2 WHERE %1 IN (SELECT "
                                          "json_array_elements_text($1::json))")
                               .arg(FConnection->QuotedIdentifier(table.Fields[field].Name),
                                    FConnection->QuotedIdentifier(table.Name)),
                           {JsonTexts(texts)});
  QSet<QString> held;
  for (int row = 0; row < found.RowCount(); ++row) held.insert(found.Value(row, 0).toString());
  return held;
}

std::optional<TImportCounts> TPgEngine::Import(const TTableDef& table, int matchField,
                                               const std::vector<std::vector<QVariant>>& rows,
                                               TImportExisting existing,
                                               const TImportProgress& progress) {
  return Guarded([&]() -> std::optional<TImportCounts> {
    const QString tableName = FConnection->QuotedIdentifier(table.Name);
    const QString matchColumn = FConnection->QuotedIdentifier(table.Fields[matchField].Name);
    TPgTransaction transaction(*FConnection);
    // Other desks may read meanwhile, but their writes wait: no bag of a number this import
    // found free appears before it commits.
    FConnection->Execute(QStringLiteral("LOCK TABLE %1 IN SHARE ROW EXCLUSIVE MODE").arg(tableName));
    const TImportMatch match = MatchImport(
        rows, matchField, Held(table, matchField, FieldTexts(rows, matchField)), existing);
    // Several rows a statement: one round trip each would cost more than the writing. The
    // server takes at most 65535 parameters a statement.
    constexpr int BatchRows = 500;
    for (qsizetype first = 0; first < match.MatchedTexts.size(); first += BatchRows) {
      const QStringList texts = match.MatchedTexts.mid(first, BatchRows);
      QStringList placeholders;
      std::vector<QVariant> parameters;
      for (const QString& text : texts) {
        parameters.push_back(text);
        placeholders << QStringLiteral("$%1::varchar").arg(parameters.size());
      }
      FConnection->Execute(QStringLiteral("DELETE FROM %1 WHERE %2 IN (%3)")
                               .arg(tableName, matchColumn, placeholders.join(u',')),
                           parameters);
    }
    const int count = int(rows.size());
    int done = 0;
    while (done < count) {
      const int end = std::min(count, done + BatchRows);
      QStringList tuples;
      std::vector<QVariant> parameters;
      for (int i = done; i < end; ++i) {
        if (match.Matches[i] && existing == TImportExisting::ieSkip) continue;
        tuples << u'(' + ParameterList(Dialect, table, int(parameters.size()) + 1) + u')';
        parameters.insert(parameters.end(), rows[i].begin(), rows[i].end());
      }
      if (!tuples.isEmpty())
        FConnection->Execute(QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
                                 .arg(tableName, ColumnList(table), tuples.join(u',')),
                             parameters);
      done = end;
      if (progress && !progress(done)) return std::nullopt;
    }
    transaction.Commit();
    return match.Counts;
  });
}

// A write that touched no row: the row is still there with other values, or gone.
ERecordConflict TPgEngine::Conflict(const TTableDef& table, TRowKey key, bool deleting) {
  const TPgResult found = FConnection->Execute(
      QStringLiteral("SELECT 1 FROM %1 WHERE %2 = $1")
          .arg(FConnection->QuotedIdentifier(table.Name), FConnection->QuotedIdentifier(KeyColumn)),
      {key});
  return RowConflict(deleting, found.RowCount() == 0, FName, TDatabaseKind::dkServer);
}

std::unique_ptr<TChangeWatcher> TPgEngine::MakeChangeWatcher(int) {
  try {
    return std::make_unique<TPgChangeWatcher>(
        FConnInfo, [this] { return FConnection->IsConnected() ? FConnection->BackendPid() : 0; });
  } catch (const EDatabaseError& e) {
    // libpq refused the session on its own side: as when the data set's session is refused.
    if (e.SqlState().isEmpty())
      throw EDatabaseError(TDatabaseFailure::dfCannotOpen, QString::fromUtf8(e.what()), FName,
                           QString(), QString(), TDatabaseKind::dkServer);
    Fail(e);
  }
}
