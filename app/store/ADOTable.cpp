#include "app/store/ADOTable.h"

#include <algorithm>
#include <unordered_map>

#include "app/store/DatabaseError.h"
#include "app/store/Sqlite.h"

namespace {

QString Quoted(const QString& name) {
  QString escaped = name;
  escaped.replace(u'"', QStringLiteral("\"\""));
  return u'"' + escaped + u'"';
}

const QString RowChangedForUpdate = QStringLiteral(
    "Row cannot be located for updating. Some values may have been changed since it was last read.");
const QString RowChangedForDelete = QStringLiteral(
    "Row cannot be located for deleting. Some values may have been changed since it was last read.");

// Above this many rows gone at once, the links hear one deRowsReset instead of a removal per
// row: a view's removal of one row costs as much as the register is long (measured: 49 000 of
// 100 000 bags removed one by one took 13 s, in one pass a fraction of a second).
constexpr int RowsResetFrom = 32;

}  // namespace

TADOTable::TADOTable(TADOConnection& connection, QString tableName, std::vector<TFieldDef> fields)
    : FConnection(connection), FTableName(std::move(tableName)), FFields(std::move(fields)) {}

int TADOTable::FieldIndex(const QString& name) const {
  for (int i = 0; i < int(FFields.size()); ++i)
    if (FFields[i].Name == name) return i;
  return -1;
}

QString TADOTable::ColumnList() const {
  QStringList names;
  for (const TFieldDef& field : FFields) names << Quoted(field.Name);
  return names.join(u',');
}

// "rowid = ?n AND "f1" IS ?n+1 AND ...": the row still holds what this data set knows of it.
QString TADOTable::MatchCondition(int firstParameter) const {
  QString condition = QStringLiteral("rowid = ?%1").arg(firstParameter);
  for (int i = 0; i < int(FFields.size()); ++i)
    condition += QStringLiteral(" AND %1 IS ?%2").arg(Quoted(FFields[i].Name)).arg(firstParameter + 1 + i);
  return condition;
}

void TADOTable::BindValues(TSqliteStatement& statement, int firstParameter,
                           const std::vector<QVariant>& values) const {
  for (int i = 0; i < int(values.size()); ++i) statement.Bind(firstParameter + i, values[i]);
}

// An unknown double-quoted name must never be read as a string, which SQLite would do for a
// missing column: every column is looked for before the first row is read.
void TADOTable::CheckColumns() const {
  TSqliteDatabase& db = FConnection.Database();
  TSqliteStatement info(db, QStringLiteral("SELECT name FROM pragma_table_info(?1)"));
  info.Bind(1, FTableName);
  QStringList columns;
  while (info.Step()) columns << info.Column(0).toString();
  if (columns.isEmpty())
    throw EDatabaseError(TDatabaseFailure::dfNoTable, QStringLiteral("no such table: %1").arg(FTableName),
                         db.FileName(), FTableName);
  for (const TFieldDef& field : FFields)
    if (std::none_of(columns.begin(), columns.end(),
                     [&](const QString& column) { return TSqliteDatabase::SameName(column, field.Name); }))
      throw EDatabaseError(TDatabaseFailure::dfNoColumn, QStringLiteral("no such column: %1").arg(field.Name),
                           db.FileName(), field.Name);
}

std::vector<TADOTable::TRecord> TADOTable::FetchAll() const {
  TSqliteStatement select(FConnection.Database(),
                          QStringLiteral("SELECT rowid,%1 FROM %2").arg(ColumnList(), Quoted(FTableName)));
  const int fieldCount = int(FFields.size());
  std::vector<TRecord> records;
  while (select.Step()) {
    TRecord record;
    record.RowId = select.Column(0).toLongLong();
    record.Values.reserve(fieldCount);
    for (int i = 0; i < fieldCount; ++i) record.Values.push_back(select.Column(i + 1));
    records.push_back(std::move(record));
  }
  return records;
}

void TADOTable::Open() {
  if (FActive) return;
  FConnection.Open();
  CheckColumns();
  FRecords = FetchAll();
  FActive = true;
  FRecNo = FRecords.empty() ? -1 : 0;
  Notify(TDataEvent::deDataSetChange);
  Notify(TDataEvent::deScroll, FRecNo);
  Notify(TDataEvent::deUpdateState);
  Notify(TDataEvent::deRecordChange);
}

const QVariant& TADOTable::Value(int row, int field) const {
  if (row == FRecNo && FState != TDataSetState::dsBrowse) return FBuffer[field];
  return FRecords[row].Values[field];
}

QVariant TADOTable::FieldValue(int field) const {
  return FRecNo < 0 ? QVariant() : Value(FRecNo, field);
}

void TADOTable::SetFieldValue(int field, const QVariant& value) {
  if (FState == TDataSetState::dsBrowse)
    throw EDatabaseError(QStringLiteral("Dataset not in edit or insert mode"));
  FBuffer[field] = value;
  const bool wasModified = FModified;
  FModified = true;
  Notify(TDataEvent::deRowChanged, FRecNo);
  if (!wasModified) Notify(TDataEvent::deUpdateState);
  Notify(TDataEvent::deFieldChange, field);
}

void TADOTable::SetFieldText(int field, const QString& text) {
  SetFieldValue(field, FieldValueFromText(FFields[field], text));
}

void TADOTable::Edit() {
  if (FState != TDataSetState::dsBrowse) return;
  if (FRecords.empty()) {
    Insert();
    return;
  }
  FBuffer = FRecords[FRecNo].Values;
  FState = TDataSetState::dsEdit;
  FModified = false;
  Notify(TDataEvent::deUpdateState);
}

void TADOTable::Insert() {
  CheckBrowseMode();
  const int row = std::max(FRecNo, 0);
  Notify(TDataEvent::deBeforeRowInsert, row);
  TRecord record;
  record.Values.resize(FFields.size());
  FRecords.insert(FRecords.begin() + row, std::move(record));
  FBuffer.assign(FFields.size(), QVariant());
  FRecNo = row;
  FState = TDataSetState::dsInsert;
  FModified = false;
  Notify(TDataEvent::deRowInserted, row);
  Notify(TDataEvent::deScroll, row);
  Notify(TDataEvent::deUpdateState);
  Notify(TDataEvent::deRecordChange);
}

std::optional<std::vector<QVariant>> TADOTable::ReadRow(qint64 rowId) const {
  TSqliteStatement select(FConnection.Database(), QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?1")
                                                      .arg(ColumnList(), Quoted(FTableName)));
  select.Bind(1, rowId);
  if (!select.Step()) return std::nullopt;
  std::vector<QVariant> values;
  for (int i = 0; i < int(FFields.size()); ++i) values.push_back(select.Column(i));
  return values;
}

// A write that touched no row: the row is still there with other values, or gone.
ERecordConflict TADOTable::Conflict(qint64 rowId, bool deleting) const {
  TSqliteStatement find(FConnection.Database(),
                        QStringLiteral("SELECT 1 FROM %1 WHERE rowid = ?1").arg(Quoted(FTableName)));
  find.Bind(1, rowId);
  const bool deleted = !find.Step();
  const TDatabaseFailure failure =
      deleting ? (deleted ? TDatabaseFailure::dfDeletedOnDelete : TDatabaseFailure::dfChangedOnDelete)
               : (deleted ? TDatabaseFailure::dfDeletedOnPost : TDatabaseFailure::dfChangedOnPost);
  return ERecordConflict(failure, deleting ? RowChangedForDelete : RowChangedForUpdate,
                         FConnection.Database().FileName());
}

void TADOTable::WriteRecord() {
  TSqliteDatabase& db = FConnection.Database();
  TRecord& record = FRecords[FRecNo];
  const int fieldCount = int(FFields.size());
  TSqliteTransaction transaction(db);
  qint64 rowId = record.RowId;
  if (FState == TDataSetState::dsInsert) {
    QStringList parameters;
    for (int i = 1; i <= fieldCount; ++i) parameters << QStringLiteral("?%1").arg(i);
    TSqliteStatement insert(db, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                    .arg(Quoted(FTableName), ColumnList(), parameters.join(u',')));
    BindValues(insert, 1, FBuffer);
    insert.Step();
    rowId = db.LastInsertRowId();
  } else {
    QStringList assignments;
    for (int i = 0; i < fieldCount; ++i)
      assignments << QStringLiteral("%1 = ?%2").arg(Quoted(FFields[i].Name)).arg(i + 1);
    TSqliteStatement update(db, QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                                    .arg(Quoted(FTableName), assignments.join(u','),
                                         MatchCondition(fieldCount + 1)));
    BindValues(update, 1, FBuffer);
    update.Bind(fieldCount + 1, rowId);
    BindValues(update, fieldCount + 2, record.Values);
    update.Step();
    if (db.Changes() == 0) throw Conflict(rowId, false);
  }
  // A trigger of someone else's may have moved the row away: then it keeps what was written.
  std::vector<QVariant> stored = ReadRow(rowId).value_or(FBuffer);
  transaction.Commit();
  record.RowId = rowId;
  record.Values = std::move(stored);
}

void TADOTable::Post() {
  UpdateRecord();
  if (FState == TDataSetState::dsBrowse) return;
  // An edit that assigned nothing has nothing to write.
  if (FState == TDataSetState::dsInsert || FModified) WriteRecord();
  FState = TDataSetState::dsBrowse;
  FModified = false;
  Notify(TDataEvent::deRowChanged, FRecNo);
  Notify(TDataEvent::deUpdateState);
  Notify(TDataEvent::deRecordChange);
}

void TADOTable::RemoveRow(int row) {
  Notify(TDataEvent::deBeforeRowDelete, row);
  FRecords.erase(FRecords.begin() + row);
  if (row < FRecNo || FRecNo >= RecordCount()) --FRecNo;
  Notify(TDataEvent::deRowDeleted, row);
}

void TADOTable::Cancel() {
  if (FState == TDataSetState::dsBrowse) return;
  const bool inserting = FState == TDataSetState::dsInsert;
  FState = TDataSetState::dsBrowse;
  FModified = false;
  if (inserting) {
    RemoveRow(FRecNo);
    Notify(TDataEvent::deScroll, FRecNo);
  } else {
    Notify(TDataEvent::deRowChanged, FRecNo);
  }
  Notify(TDataEvent::deUpdateState);
  Notify(TDataEvent::deRecordChange);
}

void TADOTable::Delete() {
  if (FState == TDataSetState::dsInsert) {
    Cancel();
    return;
  }
  if (FRecords.empty())
    throw EDatabaseError(QStringLiteral("Cannot perform this operation on an empty dataset"));
  TSqliteDatabase& db = FConnection.Database();
  const TRecord& record = FRecords[FRecNo];
  TSqliteStatement remove(db, QStringLiteral("DELETE FROM %1 WHERE %2").arg(Quoted(FTableName), MatchCondition(1)));
  remove.Bind(1, record.RowId);
  BindValues(remove, 2, record.Values);
  remove.Step();
  if (db.Changes() == 0) throw Conflict(record.RowId, true);
  RemoveCurrentRow();
}

void TADOTable::RemoveCurrentRow() {
  FState = TDataSetState::dsBrowse;
  FModified = false;
  RemoveRow(FRecNo);
  Notify(TDataEvent::deScroll, FRecNo);
  Notify(TDataEvent::deUpdateState);
  Notify(TDataEvent::deRecordChange);
}

bool TADOTable::RefreshRecord() {
  Cancel();
  if (FRecords.empty()) return true;
  std::optional<std::vector<QVariant>> stored = ReadRow(FRecords[FRecNo].RowId);
  if (!stored) {
    RemoveCurrentRow();
    return false;
  }
  FRecords[FRecNo].Values = std::move(*stored);
  Notify(TDataEvent::deRowChanged, FRecNo);
  Notify(TDataEvent::deRecordChange);
  return true;
}

TResyncResult TADOTable::Resync() {
  if (!FActive) return {};
  return Merge(FetchAll());
}

namespace {

// Equal values of the same type: 2 and 2.0 compare equal but show differently.
bool SameValues(const std::vector<QVariant>& a, const std::vector<QVariant>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](const QVariant& x, const QVariant& y) { return x.metaType() == y.metaType() && x == y; });
}

}  // namespace

TResyncResult TADOTable::Merge(std::vector<TRecord> stored) {
  std::unordered_map<qint64, std::size_t> storedIndex;
  for (std::size_t i = 0; i < stored.size(); ++i) storedIndex.emplace(stored[i].RowId, i);
  std::vector<bool> known(stored.size());
  TResyncResult result;
  const auto noteCurrent = [&](TResyncCurrent what, const std::vector<QVariant>& values) {
    result.Current = what;
    result.CurrentValues = values;
  };
  std::vector<int> gone;  // ascending
  for (int row = 0; row < RecordCount(); ++row) {
    const bool current = row == FRecNo;
    if (current && FState == TDataSetState::dsInsert) continue;  // not in the table yet
    TRecord& record = FRecords[row];
    const bool edited = current && FState == TDataSetState::dsEdit;
    const auto found = storedIndex.find(record.RowId);
    if (found == storedIndex.end()) {
      ++result.Deleted;
      if (edited) {
        noteCurrent(TResyncCurrent::rcDeletedWhileEdited, record.Values);
        continue;
      }
      if (current) noteCurrent(TResyncCurrent::rcDeleted, record.Values);
      gone.push_back(row);
      continue;
    }
    known[found->second] = true;
    std::vector<QVariant>& values = stored[found->second].Values;
    if (SameValues(values, record.Values)) continue;
    ++result.Changed;
    // The values an edit started from stay: they are what its post must still find.
    if (edited) {
      noteCurrent(TResyncCurrent::rcChangedWhileEdited, record.Values);
      continue;
    }
    if (current) noteCurrent(TResyncCurrent::rcReloaded, record.Values);
    record.Values = std::move(values);
    Notify(TDataEvent::deRowChanged, row);
  }
  RemoveRows(gone);
  for (std::size_t i = 0; i < stored.size(); ++i) {
    if (known[i]) continue;
    const int row = RecordCount();
    Notify(TDataEvent::deBeforeRowInsert, row);
    FRecords.push_back(std::move(stored[i]));
    Notify(TDataEvent::deRowInserted, row);
    ++result.Added;
  }
  if (FRecNo < 0 && !FRecords.empty()) {
    FRecNo = 0;
    if (result.Current == TResyncCurrent::rcUnchanged) result.Current = TResyncCurrent::rcFirstArrived;
  }
  const TResyncCurrent what = result.Current;
  if (what == TResyncCurrent::rcDeleted || what == TResyncCurrent::rcFirstArrived) Notify(TDataEvent::deScroll, FRecNo);
  if (what == TResyncCurrent::rcDeleted || what == TResyncCurrent::rcFirstArrived || what == TResyncCurrent::rcReloaded)
    Notify(TDataEvent::deRecordChange);
  return result;
}

void TADOTable::RemoveRows(const std::vector<int>& rows) {
  if (int(rows.size()) <= RowsResetFrom) {
    // From the last back, so that each index still holds the row meant.
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) RemoveRow(*row);
    return;
  }
  // One pass; the current record, or the row after it when it went, keeps its place.
  std::vector<TRecord> kept;
  kept.reserve(FRecords.size() - rows.size());
  int recNo = 0;
  auto next = rows.begin();
  for (int row = 0; row < RecordCount(); ++row) {
    if (row == FRecNo) recNo = int(kept.size());
    if (next != rows.end() && *next == row)
      ++next;
    else
      kept.push_back(std::move(FRecords[row]));
  }
  FRecords = std::move(kept);
  FRecNo = std::min(recNo, RecordCount() - 1);
  Notify(TDataEvent::deRowsReset);
}

void TADOTable::CheckBrowseMode() {
  if (FState == TDataSetState::dsBrowse) return;
  UpdateRecord();
  if (FModified)
    Post();
  else
    Cancel();
}

void TADOTable::MoveTo(int row) {
  if (row == FRecNo) return;
  const int count = RecordCount();
  const int newRow = FState == TDataSetState::dsInsert ? FRecNo : -1;
  CheckBrowseMode();
  // The check may have dropped the new record that stood before the target.
  if (RecordCount() < count && row > newRow) --row;
  if (row < 0 || row >= RecordCount() || row == FRecNo) return;
  FRecNo = row;
  Notify(TDataEvent::deScroll, row);
  Notify(TDataEvent::deRecordChange);
}

void TADOTable::UpdateRecord() {
  const std::vector<TDataLink*> links = FLinks;
  for (TDataLink* link : links) link->UpdateData();
}

void TADOTable::AddLink(TDataLink* link) { FLinks.push_back(link); }

void TADOTable::RemoveLink(TDataLink* link) { std::erase(FLinks, link); }

void TADOTable::Notify(TDataEvent event, int info) {
  const std::vector<TDataLink*> links = FLinks;
  for (TDataLink* link : links) link->DataEvent(event, info);
}
