#include "app/store/ADOTable.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "app/store/DatabaseError.h"

namespace {

// Above this many rows gone at once, the links hear one deRowsReset instead of a removal per
// row: a view's removal of one row costs as much as the register is long (measured: 49 000 of
// 100 000 bags removed one by one took 13 s, in one pass a fraction of a second).
constexpr int RowsResetFrom = 32;

}  // namespace

TADOTable::TADOTable(TADOConnection& connection, QString tableName, std::vector<TFieldDef> fields)
    : FConnection(connection), FTable{std::move(tableName), std::move(fields)} {}

int TADOTable::FieldIndex(const QString& name) const {
  for (int i = 0; i < int(FTable.Fields.size()); ++i)
    if (FTable.Fields[i].Name == name) return i;
  return -1;
}

std::vector<TADOTable::TRecord> TADOTable::FetchAll() {
  TStoreEngine& engine = FConnection.Engine();
  engine.CheckColumns(FTable);
  std::vector<TRecord> rows = engine.FetchAll(FTable, FFilter);
  ++FWholeReads;
  return rows;
}

void TADOTable::Open() {
  if (FActive) return;
  FConnection.Open();
  TStoreEngine& engine = FConnection.Engine();
  // A register that cannot be opened is left as it is, not brought up to date.
  engine.CheckColumns(FTable);
  // Taken before the rows are read: a change in between is read again, never missed.
  if (engine.HasFeed()) FFeed = engine.FeedCursor();
  FRecords = FetchAll();
  FActive = true;
  FRecNo = FRecords.empty() ? -1 : 0;
  Notify(TDataEvent::deDataSetChange);
  Notify(TDataEvent::deScroll, FRecNo);
  Notify(TDataEvent::deUpdateState);
  Notify(TDataEvent::deRecordChange);
}

bool TADOTable::CanSearch() const { return FConnection.Engine().HasSearch(); }

void TADOTable::SetFilter(const TRowFilter& filter) {
  if (filter == FFilter) return;
  if (!FActive) {
    FFilter = filter;  // Open reads with it
    return;
  }
  CheckBrowseMode();
  const TRowKey current = CurrentKey();
  TStoreEngine& engine = FConnection.Engine();
  const TRowFilter before = std::exchange(FFilter, filter);
  try {
    // Taken before the rows are read, as at Open.
    std::optional<TFeedCursor> feed;
    if (FFeed) feed = engine.FeedCursor();
    FRecords = FetchAll();
    if (feed) FFeed = std::move(feed);
  } catch (...) {
    FFilter = before;
    throw;
  }
  FSpared = 0;
  const int row = RowOf(current);
  FRecNo = row >= 0 ? row : FRecords.empty() ? -1 : 0;
  Notify(TDataEvent::deDataSetChange);
  Notify(TDataEvent::deScroll, FRecNo);
  Notify(TDataEvent::deUpdateState);
  Notify(TDataEvent::deRecordChange);
}

TRowKey TADOTable::CurrentKey() const { return FRecNo < 0 ? 0 : FRecords[FRecNo].Key; }

int TADOTable::RowOf(TRowKey key) const {
  if (key == 0) return -1;
  const auto found = std::find_if(FRecords.begin(), FRecords.end(),
                                  [&](const TRecord& record) { return record.Key == key; });
  return found == FRecords.end() ? -1 : int(found - FRecords.begin());
}

bool TADOTable::MoveToKey(TRowKey key) {
  const int row = RowOf(key);
  if (row < 0) return false;
  MoveTo(row);
  return true;
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
  SetFieldValue(field, FieldValueFromText(FTable.Fields[field], text));
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
  record.Values.resize(FTable.Fields.size());
  FRecords.insert(FRecords.begin() + row, std::move(record));
  FBuffer.assign(FTable.Fields.size(), QVariant());
  FRecNo = row;
  FState = TDataSetState::dsInsert;
  FModified = false;
  Notify(TDataEvent::deRowInserted, row);
  Notify(TDataEvent::deScroll, row);
  Notify(TDataEvent::deUpdateState);
  Notify(TDataEvent::deRecordChange);
}

void TADOTable::WriteRecord() {
  TStoreEngine& engine = FConnection.Engine();
  TRecord& record = FRecords[FRecNo];
  if (FState == TDataSetState::dsInsert)
    record = engine.Insert(FTable, FBuffer);
  else
    record.Values = engine.Update(FTable, record, FBuffer);
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
  FConnection.Engine().Delete(FTable, FRecords[FRecNo]);
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
  std::optional<std::vector<QVariant>> stored =
      FConnection.Engine().ReadRow(FTable, FRecords[FRecNo].Key);
  if (!stored) {
    RemoveCurrentRow();
    return false;
  }
  FRecords[FRecNo].Values = std::move(*stored);
  Notify(TDataEvent::deRowChanged, FRecNo);
  Notify(TDataEvent::deRecordChange);
  return true;
}

namespace {

// Equal values of the same type: 2 and 2.0 compare equal but show differently.
bool SameValues(const std::vector<QVariant>& a, const std::vector<QVariant>& b) {
  return std::equal(
      a.begin(), a.end(), b.begin(), b.end(),
      [](const QVariant& x, const QVariant& y) { return x.metaType() == y.metaType() && x == y; });
}

}  // namespace

TResyncResult TADOTable::Resync() {
  if (!FActive) return {};
  if (!FFeed) return MergeFound(FetchAll(), nullptr);
  TStoreEngine& engine = FConnection.Engine();
  TFeedChanges changes = engine.ReadFeed(*FFeed);
  if (FSpared != 0 && changes.Complete &&
      std::find(changes.Keys.begin(), changes.Keys.end(), FSpared) == changes.Keys.end())
    changes.Keys.push_back(FSpared);
  TResyncResult result;
  if (!changes.Complete)
    result = MergeFound(FetchAll(), nullptr);
  else if (!changes.Keys.empty()) {
    // A table changed by hand is told as such, not as a failed read.
    engine.CheckColumns(FTable);
    result = MergeFound(engine.ReadRows(FTable, changes.Keys, FFilter), &changes.Keys);
  }
  // Only once the changes are in: a read that failed is made again from the same place.
  FFeed = std::move(changes.Next);
  return result;
}

TResyncResult TADOTable::MergeFound(std::vector<TRecord> stored,
                                    const std::vector<TRowKey>* scope) {
  if (!FiltersBags(FFilter)) return Merge(std::move(stored), scope);
  std::unordered_set<TRowKey> delivered;
  for (const TRecord& row : stored) delivered.insert(row.Key);
  const std::unordered_set<TRowKey> inScope =
      scope ? std::unordered_set<TRowKey>(scope->begin(), scope->end())
            : std::unordered_set<TRowKey>();
  std::unordered_map<TRowKey, int> held;  // key -> row, for the bags not delivered
  std::vector<TRowKey> keys;
  for (int row = 0; row < RecordCount(); ++row) {
    const TRowKey key = FRecords[row].Key;
    if (key == 0 || delivered.contains(key) || (scope && !inScope.contains(key))) continue;
    held.emplace(key, row);
    keys.push_back(key);
  }
  std::unordered_set<TRowKey> changedAway;
  if (!keys.empty())
    for (TRecord& row : FConnection.Engine().ReadRows(FTable, keys, {})) {
      const int at = held.at(row.Key);
      if ((at == FRecNo && FState == TDataSetState::dsEdit) ||
          SameValues(row.Values, FRecords[at].Values))
        stored.push_back(std::move(row));
      else
        changedAway.insert(row.Key);
    }
  const TRowKey current = CurrentKey();
  TResyncResult result = Merge(std::move(stored), scope);
  if (result.Current == TResyncCurrent::rcDeleted && changedAway.contains(current))
    result.Current = TResyncCurrent::rcLeftSearch;
  return result;
}

TResyncResult TADOTable::Merge(std::vector<TRecord> stored, const std::vector<TRowKey>* scope) {
  const std::unordered_set<TRowKey> inScope =
      scope ? std::unordered_set<TRowKey>(scope->begin(), scope->end())
            : std::unordered_set<TRowKey>();
  std::unordered_map<qint64, std::size_t> storedIndex;
  for (std::size_t i = 0; i < stored.size(); ++i) storedIndex.emplace(stored[i].Key, i);
  std::vector<bool> known(stored.size());
  TResyncResult result;
  const auto noteCurrent = [&](TResyncCurrent what, const std::vector<QVariant>& values) {
    result.Current = what;
    result.CurrentValues = values;
  };
  FSpared = 0;
  std::vector<int> gone;  // ascending
  for (int row = 0; row < RecordCount(); ++row) {
    const bool current = row == FRecNo;
    if (current && FState == TDataSetState::dsInsert) continue;  // not in the table yet
    TRecord& record = FRecords[row];
    if (scope && !inScope.contains(record.Key)) continue;
    const bool edited = current && FState == TDataSetState::dsEdit;
    const auto found = storedIndex.find(record.Key);
    if (found == storedIndex.end()) {
      ++result.Deleted;
      if (edited) {
        noteCurrent(TResyncCurrent::rcDeletedWhileEdited, record.Values);
        FSpared = record.Key;
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
      FSpared = record.Key;
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
    if (result.Current == TResyncCurrent::rcUnchanged)
      result.Current = TResyncCurrent::rcFirstArrived;
  }
  const TResyncCurrent what = result.Current;
  if (what == TResyncCurrent::rcDeleted || what == TResyncCurrent::rcFirstArrived)
    Notify(TDataEvent::deScroll, FRecNo);
  if (what == TResyncCurrent::rcDeleted || what == TResyncCurrent::rcFirstArrived ||
      what == TResyncCurrent::rcReloaded)
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
