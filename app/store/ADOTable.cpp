#include "app/store/ADOTable.h"

#include <QCoreApplication>

#include <algorithm>
#include <numeric>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "app/store/DatabaseError.h"
#include "app/store/KeyLoader.h"
#include "app/store/KeyReread.h"

namespace {

// Above this many rows gone at once, the links hear one deRowsReset instead of a removal per
// row: a view's removal of one row costs as much as the register is long (measured: 49 000 of
// 100 000 bags removed one by one took 13 s, in one pass a fraction of a second).
constexpr int RowsResetFrom = 32;

// What two merges of one resync found together: the later one tells of the current record,
// unless nothing happened to it there.
TResyncResult Combined(const TResyncResult& first, TResyncResult second) {
  second.Added += first.Added;
  second.Changed += first.Changed;
  second.Deleted += first.Deleted;
  if (second.Current == TResyncCurrent::rcUnchanged) {
    second.Current = first.Current;
    second.CurrentValues = first.CurrentValues;
  }
  return second;
}

}  // namespace

TADOTable::TADOTable(TADOConnection& connection, QString tableName, std::vector<TFieldDef> fields,
                     int pageRows, int keySliceRows)
    : FConnection(connection),
      FTable{std::move(tableName), std::move(fields)},
      FPageRows(std::max(pageRows, 1)),
      FKeySliceRows(std::max(keySliceRows, 1)) {}

TADOTable::TStoreCall::TStoreCall(const TADOTable& table) : FTable(table) {
  FTable.FInStore = true;
}

TADOTable::TStoreCall::~TStoreCall() {
  FTable.FInStore = false;
  FTable.TellMissedRows();
}

int TADOTable::FieldIndex(const QString& name) const {
  for (int i = 0; i < int(FTable.Fields.size()); ++i)
    if (FTable.Fields[i].Name == name) return i;
  return -1;
}

TADOTable::~TADOTable() = default;

template <typename TRead>
auto TADOTable::Checked(TRead&& read) {
  try {
    return read();
  } catch (const EDatabaseError&) {
    try {
      FConnection.Engine().CheckColumns(FTable);
    } catch (const EDatabaseError& e) {
      if (e.Failure() == TDatabaseFailure::dfNoTable ||
          e.Failure() == TDatabaseFailure::dfNoColumn)
        throw;
    }
    throw;
  }
}

std::vector<TRowKey> TADOTable::ReadKeys(bool inBackground) {
  // Keys read again leave the rows held as they were: a re-read dropped still owes them.
  FKeysMissing = StopLoading();
  TStoreEngine& engine = FConnection.Engine();
  std::vector<TRowKey> keys;
  {
    const TStoreCall call(*this);
    ++FWholeReads;
    constexpr TRowKey first = std::numeric_limits<TRowKey>::min();
    // A search finds few enough bags to be read at once.
    if (FiltersBags(FFilter))
      keys = Checked([&] { return engine.ReadKeys(FTable, first, SearchLimit + 1, FFilter); });
    // Without an event loop the rest could never come.
    else if (!inBackground || !QCoreApplication::instance())
      keys = Checked([&] { return ReadAllKeys(engine, FTable, first, FKeySliceRows); });
    else
      keys = Checked([&] { return engine.ReadKeys(FTable, first, FKeySliceRows, {}); });
    FKeysReadHere += qint64(keys.size());
    if (FiltersBags(FFilter) || !inBackground || int(keys.size()) < FKeySliceRows) return keys;
  }
  std::unique_ptr<TStoreEngine> another;
  {
    const TStoreCall call(*this);
    try {
      another = engine.OpenAnother();
    } catch (const EDatabaseError&) {
      // No second connection: the rest is read here, as before there was a loader.
      std::vector<TRowKey> rest = ReadAllKeys(engine, FTable, keys.back(), FKeySliceRows);
      FKeysReadHere += qint64(rest.size());
      keys.insert(keys.end(), rest.begin(), rest.end());
      return keys;
    }
  }
  FLoading = true;
  FLoadedTo = keys.back();
  FLoader = std::make_unique<TKeyLoader>(
      std::move(another), FTable, FKeySliceRows, keys.back(),
      [this](std::vector<TRowKey> slice, bool last) { KeysArrived(std::move(slice), last); },
      [this](const EDatabaseError&) {
        // What is in stays; the next resync reads every key again.
        FLoading = false;
        FLoadedTo = std::numeric_limits<TRowKey>::max();
        FKeysMissing = true;
        Notify(TDataEvent::deRowsAppended, 0);
      });
  return keys;
}

void TADOTable::KeysArrived(std::vector<TRowKey> keys, bool last) {
  const TRowKey loadedTo = last || keys.empty() ? std::numeric_limits<TRowKey>::max() : keys.back();
  std::erase_if(keys, [this](TRowKey key) {
    return std::binary_search(FBeyond.begin(), FBeyond.end(), key);
  });
  std::erase_if(FBeyond, [loadedTo](TRowKey key) { return key <= loadedTo; });
  FLoadedTo = loadedTo;
  FLoading = !last;
  if (!keys.empty()) Notify(TDataEvent::deBeforeRowsAppend, int(keys.size()));
  const int from = RecordCount();
  FKeys.insert(FKeys.end(), keys.begin(), keys.end());
  PlaceAppended(from);
  if (!keys.empty() || last) Notify(TDataEvent::deRowsAppended, int(keys.size()));
}

bool TADOTable::StopLoading() {
  FLoader.reset();
  FLoading = false;
  FLoadedTo = std::numeric_limits<TRowKey>::max();
  FBeyond.clear();
  // A whole read follows, which takes these too.
  FPostponed.clear();
  const bool dropped = FReread || FRereadFound;
  FReread.reset();
  FRereading = false;
  FRereadFound.reset();
  FRereadFailure.reset();
  FGoneMeanwhile.clear();
  return dropped;
}

bool TADOTable::StartReread(const TFeedCursor& cursor) {
  if (FiltersBags(FFilter) || !QCoreApplication::instance() || RecordCount() < FKeySliceRows)
    return false;
  TStoreEngine& engine = FConnection.Engine();
  std::unique_ptr<TStoreEngine> another;
  {
    const TStoreCall call(*this);
    try {
      another = engine.OpenAnother();
    } catch (const EDatabaseError&) {
      return false;  // read here, as before there was a re-read in the background
    }
  }
  // The re-read brings the keys still loading too.
  StopLoading();
  ++FWholeReads;
  FKeysMissing = false;
  FRereadAgain = false;
  FRereadCursor = cursor;
  std::vector<TRowKey> cached;
  cached.reserve(FCache.size());
  for (const auto& [key, row] : FCache) cached.push_back(key);
  std::sort(cached.begin(), cached.end());
  FRereading = true;
  FReread = std::make_unique<TKeyReread>(
      std::move(another), FTable, FKeySliceRows, FKeys, std::move(cached),
      [this](TKeyDifference found) {
        FRereading = false;
        FRereadFound = std::make_unique<TKeyDifference>(std::move(found));
        Notify(TDataEvent::deRowsAppended, 0);
      },
      [this](const EDatabaseError& error) {
        FRereading = false;
        FRereadFailure = error;
        Notify(TDataEvent::deRowsAppended, 0);
      });
  return true;
}

void TADOTable::Open() {
  if (FActive) return;
  FConnection.Open();
  TStoreEngine& engine = FConnection.Engine();
  {
    const TStoreCall call(*this);
    // A register that cannot be opened is left as it is, not brought up to date.
    engine.CheckColumns(FTable);
    // Taken before the keys are read: a change in between is read again, never missed.
    if (engine.HasFeed()) FFeed = engine.FeedCursor();
  }
  FKeys = ReadKeys(true);
  FOutOfOrder.clear();
  FCache.clear();
  FRecNo = FKeys.empty() ? -1 : 0;
  if (FRecNo == 0) Row(0);  // a table whose rows cannot be read fails here, not in the grid
  FActive = true;
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
  const TRowFilter before = std::exchange(FFilter, filter);
  const bool wasLoading = Loading() || FRereadFound;
  std::vector<TRowKey> keys;
  try {
    keys = ReadKeys(true);
  } catch (const EDatabaseError&) {
    FFilter = before;
    // The loader stopped with the keys half read: the next resync reads them all.
    if (wasLoading) {
      FKeysMissing = true;
      Notify(TDataEvent::deRowsAppended, 0);
    }
    throw;
  }
  // The feed's cursor and the rows held stay: what changed elsewhere since the last resync is
  // taken by the next one, whichever bags the filter finds.
  FKeys = std::move(keys);
  FOutOfOrder.clear();
  const int row = RowOf(current);
  FRecNo = row >= 0 ? row : FKeys.empty() ? -1 : 0;
  Notify(TDataEvent::deDataSetChange);
  Notify(TDataEvent::deScroll, FRecNo);
  Notify(TDataEvent::deUpdateState);
  Notify(TDataEvent::deRecordChange);
  // A re-read dropped for the filter's keys is made again by the next resync.
  if (FKeysMissing && !Loading()) Notify(TDataEvent::deRowsAppended, 0);
}

TRowKey TADOTable::CurrentKey() const { return FRecNo < 0 ? 0 : FKeys[FRecNo]; }

bool TADOTable::Misplaced(int row) const {
  return FKeys[row] == 0 || (!FOutOfOrder.empty() && FOutOfOrder.contains(FKeys[row]));
}

int TADOTable::RowOf(TRowKey key) const {
  if (key == 0) return -1;
  if (FOutOfOrder.contains(key)) {
    const auto found = std::find(FKeys.begin(), FKeys.end(), key);
    return found == FKeys.end() ? -1 : int(found - FKeys.begin());
  }
  // A binary search over the keys in order: a probe that meets a misplaced key takes the first
  // key in order after it instead.
  int low = 0;
  int high = RecordCount();
  while (low < high) {
    const int middle = low + (high - low) / 2;
    int probe = middle;
    while (probe < high && Misplaced(probe)) ++probe;
    if (probe < high && FKeys[probe] == key) return probe;
    if (probe < high && FKeys[probe] < key)
      low = probe + 1;
    else
      high = middle;
  }
  return -1;
}

void TADOTable::PlaceKey(int row) {
  const TRowKey key = FKeys[row];
  int before = row - 1;
  while (before >= 0 && Misplaced(before)) --before;
  int after = row + 1;
  while (after < RecordCount() && Misplaced(after)) ++after;
  if ((before >= 0 && FKeys[before] >= key) || (after < RecordCount() && FKeys[after] <= key))
    FOutOfOrder.insert(key);
}

void TADOTable::PlaceAppended(int row) {
  int last = row - 1;
  while (last >= 0 && Misplaced(last)) --last;
  TRowKey top = last >= 0 ? FKeys[last] : std::numeric_limits<TRowKey>::min();
  for (; row < RecordCount(); ++row) {
    if (FKeys[row] > top)
      top = FKeys[row];
    else
      FOutOfOrder.insert(FKeys[row]);
  }
}

bool TADOTable::MoveToKey(TRowKey key) {
  const int row = RowOf(key);
  if (row < 0) return false;
  MoveTo(row);
  return true;
}

std::vector<QVariant>& TADOTable::Row(int row) const {
  const TRowKey key = FKeys[row];
  auto found = FCache.find(key);
  if (found == FCache.end()) {
    if (FInStore) {
      FMissed.push_back(key);
      throw EDatabaseError(QStringLiteral("The row is read once the call into the store ends"));
    }
    ReadPage(row);
    found = FCache.find(key);
  }
  found->second.LastUse = ++FUses;
  return found->second.Values;
}

void TADOTable::ReadPage(int row) const {
  const int first = row / FPageRows * FPageRows;
  const int end = std::min(first + FPageRows, RecordCount());
  std::vector<TRowKey> keys;
  for (int i = first; i < end; ++i)
    if (FKeys[i] != 0 && !FCache.contains(FKeys[i])) keys.push_back(FKeys[i]);
  std::vector<TStoredRow> stored;
  {
    const TStoreCall call(*this);
    stored = FConnection.Engine().ReadRows(FTable, keys, {});
  }
  MakeRoom(keys.size());
  for (TStoredRow& read : stored) FCache[read.Key].Values = std::move(read.Values);
  // Deleted elsewhere: NULLs until a resync takes the row away, and a post or delete of it is
  // refused as one of a row deleted elsewhere.
  for (const TRowKey key : keys)
    if (!FCache.contains(key)) FCache[key].Values.assign(FTable.Fields.size(), QVariant());
}

void TADOTable::MakeRoom(std::size_t room) const {
  const std::size_t capacity = std::size_t(CachePages) * FPageRows;
  if (FCache.size() + room <= capacity) return;
  const TRowKey current = FRecNo >= 0 ? FKeys[FRecNo] : 0;
  std::vector<std::pair<quint64, TRowKey>> uses;
  uses.reserve(FCache.size());
  for (const auto& [key, row] : FCache)
    if (key != current) uses.push_back({row.LastUse, key});
  // Down to half the capacity, so that the next pages fit without another sort.
  const std::size_t keep = std::min(uses.size(), capacity / 2);
  const std::size_t drop = uses.size() - keep;
  std::nth_element(uses.begin(), uses.begin() + drop, uses.end());
  for (std::size_t i = 0; i < drop; ++i) FCache.erase(uses[i].second);
}

void TADOTable::TellMissedRows() const {
  if (FMissed.empty()) return;
  std::vector<int> rows;
  for (const TRowKey key : DistinctKeys(std::exchange(FMissed, {})))
    if (const int row = RowOf(key); row >= 0) rows.push_back(row);
  std::sort(rows.begin(), rows.end());
  for (const int row : rows) Notify(TDataEvent::deRowChanged, row);
}

QVariant TADOTable::Value(int row, int field) const {
  if (row == FRecNo && FState != TDataSetState::dsBrowse) return FBuffer[field];
  try {
    return Row(row)[field];
  } catch (const EDatabaseError&) {
    return QVariant();  // shown again once it can be read
  }
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
  if (FKeys.empty()) {
    Insert();
    return;
  }
  FBuffer = Row(FRecNo);
  FState = TDataSetState::dsEdit;
  FModified = false;
  Notify(TDataEvent::deUpdateState);
}

void TADOTable::Insert() {
  CheckBrowseMode();
  const int row = std::max(FRecNo, 0);
  Notify(TDataEvent::deBeforeRowInsert, row);
  FKeys.insert(FKeys.begin() + row, 0);
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
  if (FState == TDataSetState::dsInsert) {
    TStoredRow stored;
    {
      const TStoreCall call(*this);
      stored = engine.Insert(FTable, FBuffer);
    }
    FKeys[FRecNo] = stored.Key;
    PlaceKey(FRecNo);
    if (stored.Key > FLoadedTo)
      FBeyond.insert(std::upper_bound(FBeyond.begin(), FBeyond.end(), stored.Key), stored.Key);
    FCache[stored.Key] = {std::move(stored.Values), ++FUses};
    return;
  }
  std::vector<QVariant>& values = Row(FRecNo);
  std::vector<QVariant> stored;
  {
    const TStoreCall call(*this);
    stored = engine.Update(FTable, {FKeys[FRecNo], values}, FBuffer);
  }
  values = std::move(stored);
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
  Forget(FKeys[row]);
  FKeys.erase(FKeys.begin() + row);
  if (row < FRecNo || FRecNo >= RecordCount()) --FRecNo;
  Notify(TDataEvent::deRowDeleted, row);
}

void TADOTable::Forget(TRowKey key) {
  FCache.erase(key);
  FOutOfOrder.erase(key);
  if (key != 0 && (FReread || FRereadFound)) FGoneMeanwhile.insert(key);
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
  if (FKeys.empty())
    throw EDatabaseError(QStringLiteral("Cannot perform this operation on an empty dataset"));
  const TStoredRow fetched{FKeys[FRecNo], Row(FRecNo)};
  {
    const TStoreCall call(*this);
    FConnection.Engine().Delete(FTable, fetched);
  }
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
  if (FKeys.empty()) return true;
  const TRowKey key = FKeys[FRecNo];
  std::optional<std::vector<QVariant>> stored;
  {
    const TStoreCall call(*this);
    stored = FConnection.Engine().ReadRow(FTable, key);
  }
  if (!stored) {
    RemoveCurrentRow();
    return false;
  }
  FCache[key] = {std::move(*stored), ++FUses};
  Notify(TDataEvent::deRowChanged, FRecNo);
  Notify(TDataEvent::deRecordChange);
  return true;
}

TResyncResult TADOTable::Resync() {
  if (!FActive) return {};
  if (FReread && !FRereading) {
    FReread.reset();  // its thread is done
    if (FRereadFailure) {
      // The next resync reads every key again.
      FKeysMissing = true;
      const EDatabaseError error = *std::exchange(FRereadFailure, std::nullopt);
      // A table changed by hand is told as such, not as a failed read.
      const TStoreCall call(*this);
      Checked([&] { throw error; });
    }
    // The changes since it began follow it.
    if (FFeed) FFeed = FRereadCursor;
  }
  TStoreEngine& engine = FConnection.Engine();
  TFeedChanges changes;
  if (FFeed) {
    const TStoreCall call(*this);
    // After a failed load every key is read again, from a cursor taken before.
    if (FKeysMissing)
      changes.Next = engine.FeedCursor();
    else
      changes = engine.ReadFeed(*FFeed);
  }
  const bool took = FRereadFound != nullptr;
  const TResyncResult swapped = took ? TakeReread(changes) : TResyncResult();
  TResyncResult result;
  if (changes.Complete) {
    if (FSpared != 0 &&
        std::find(changes.Keys.begin(), changes.Keys.end(), FSpared) == changes.Keys.end())
      changes.Keys.push_back(FSpared);
    result = ResyncKeys(changes.Keys);
  } else if (FReread) {
    // One re-read at a time: the feed's changes since it began follow it; without a feed
    // another one follows, since this change may have come after it read its keys.
    FRereadAgain = true;
  } else if (took && !FFeed && !std::exchange(FRereadAgain, false)) {
    // The re-read just taken was this catch-up.
  } else if (!StartReread(changes.Next)) {
    std::vector<TRowKey> keys = ReadKeys(false);
    // The rows held are read again, so that what is shown catches up; the others are read
    // when they are asked for.
    std::vector<TRowKey> held;
    held.reserve(FCache.size());
    for (const auto& [key, row] : FCache) held.push_back(key);
    std::vector<TStoredRow> stored;
    {
      const TStoreCall call(*this);
      stored = engine.ReadRows(FTable, held, {});
    }
    std::unordered_map<TRowKey, std::vector<QVariant>> fresh;
    for (TStoredRow& row : stored) fresh.emplace(row.Key, std::move(row.Values));
    result = MergeFound(std::move(keys), std::move(fresh), nullptr);
  }
  // Only once the changes are in: a read that failed is made again from the same place.
  if (FFeed) FFeed = std::move(changes.Next);
  return Combined(swapped, std::move(result));
}

TResyncResult TADOTable::TakeReread(const TFeedChanges& changes) {
  const std::unique_ptr<TKeyDifference> found = std::move(FRereadFound);
  // Bags that left the register since it began were read before they went.
  const std::unordered_set<TRowKey> gone = std::exchange(FGoneMeanwhile, {});
  std::erase_if(found->Added, [&](TRowKey key) { return gone.contains(key); });
  std::erase_if(found->Held, [&](const TStoredRow& row) { return gone.contains(row.Key); });
  std::vector<TRowKey> named = changes.Keys;
  std::sort(named.begin(), named.end());
  std::vector<TRowKey> held;
  std::unordered_map<TRowKey, std::vector<QVariant>> fresh;
  for (TStoredRow& row : found->Held) {
    held.push_back(row.Key);
    if (!std::binary_search(named.begin(), named.end(), row.Key))
      fresh.emplace(row.Key, std::move(row.Values));
  }
  // Each list ascends, and no key is in two of them.
  std::vector<TRowKey> arrived;
  std::merge(found->Added.begin(), found->Added.end(), held.begin(), held.end(),
             std::back_inserter(arrived));
  std::vector<TRowKey> scope;
  std::merge(arrived.begin(), arrived.end(), found->Removed.begin(), found->Removed.end(),
             std::back_inserter(scope));
  // A change the record being edited was spared before is still owed to it.
  const TRowKey spared = FSpared;
  TResyncResult result = Merge(arrived, std::move(fresh), &scope);
  if (FSpared == 0) FSpared = spared;
  return result;
}

TResyncResult TADOTable::ResyncKeys(const std::vector<TRowKey>& named) {
  // Bags whose keys are not in yet wait for them; those put off before and now in are due.
  std::vector<TRowKey> due;
  std::vector<TRowKey> postponed;
  std::vector<TRowKey> keys = FPostponed;
  keys.insert(keys.end(), named.begin(), named.end());
  for (const TRowKey key : keys)
    (key > FLoadedTo && !std::binary_search(FBeyond.begin(), FBeyond.end(), key) ? postponed : due)
        .push_back(key);
  due = DistinctKeys(due);
  TResyncResult result;
  if (!due.empty()) {
    std::vector<TStoredRow> stored;
    {
      const TStoreCall call(*this);
      stored = Checked([&] { return FConnection.Engine().ReadRows(FTable, due, FFilter); });
    }
    std::vector<TRowKey> arrived;
    std::unordered_map<TRowKey, std::vector<QVariant>> fresh;
    for (TStoredRow& row : stored) {
      arrived.push_back(row.Key);
      fresh.emplace(row.Key, std::move(row.Values));
    }
    std::sort(arrived.begin(), arrived.end());
    std::sort(due.begin(), due.end());
    result = MergeFound(std::move(arrived), std::move(fresh), &due);
  }
  FPostponed = DistinctKeys(postponed);
  return result;
}

namespace {

// Equal values of the same type: 2 and 2.0 compare equal but show differently.
bool SameValues(const std::vector<QVariant>& a, const std::vector<QVariant>& b) {
  return std::equal(
      a.begin(), a.end(), b.begin(), b.end(),
      [](const QVariant& x, const QVariant& y) { return x.metaType() == y.metaType() && x == y; });
}

}  // namespace

TResyncResult TADOTable::MergeFound(std::vector<TRowKey> arrived,
                                    std::unordered_map<TRowKey, std::vector<QVariant>> fresh,
                                    const std::vector<TRowKey>* scope) {
  if (!FiltersBags(FFilter)) return Merge(arrived, std::move(fresh), scope);
  // Under a filter the data set holds few bags: each is looked for in the lists.
  std::vector<TRowKey> missing;
  for (const TRowKey key : FKeys)
    if (key != 0 && !std::binary_search(arrived.begin(), arrived.end(), key) &&
        (!scope || std::binary_search(scope->begin(), scope->end(), key)))
      missing.push_back(key);
  std::vector<TStoredRow> stored;
  if (!missing.empty()) {
    const TStoreCall call(*this);
    stored = FConnection.Engine().ReadRows(FTable, missing, {});
  }
  const TRowKey edited = FState == TDataSetState::dsEdit ? FKeys[FRecNo] : 0;
  std::unordered_set<TRowKey> changedAway;
  for (TStoredRow& row : stored) {
    const auto held = FCache.find(row.Key);
    if (row.Key == edited || (held != FCache.end() && SameValues(row.Values, held->second.Values))) {
      arrived.push_back(row.Key);
      fresh[row.Key] = std::move(row.Values);
    } else {
      changedAway.insert(row.Key);
    }
  }
  std::sort(arrived.begin(), arrived.end());
  const TRowKey current = CurrentKey();
  TResyncResult result = Merge(arrived, std::move(fresh), scope);
  if (result.Current == TResyncCurrent::rcDeleted && changedAway.contains(current))
    result.Current = TResyncCurrent::rcLeftSearch;
  return result;
}

TResyncResult TADOTable::Merge(const std::vector<TRowKey>& arrived,
                               std::unordered_map<TRowKey, std::vector<QVariant>> fresh,
                               const std::vector<TRowKey>* scope) {
  // The rows to look at: with a scope only those of its keys, found each by a search, so that
  // a few changes cost what they are, not what the register is.
  std::vector<int> rows;
  if (scope) {
    for (const TRowKey key : *scope)
      if (const int row = RowOf(key); row >= 0) rows.push_back(row);
    std::sort(rows.begin(), rows.end());
  } else {
    rows.resize(FKeys.size());
    std::iota(rows.begin(), rows.end(), 0);
  }
  std::vector<bool> known(arrived.size());
  TResyncResult result;
  const auto noteCurrent = [&](TResyncCurrent what, int row) {
    result.Current = what;
    try {
      result.CurrentValues = Row(row);
    } catch (const EDatabaseError&) {
      result.CurrentValues.assign(FTable.Fields.size(), QVariant());
    }
  };
  FSpared = 0;
  std::vector<int> gone;  // ascending
  for (const int row : rows) {
    const TRowKey key = FKeys[row];
    if (key == 0) continue;  // the new record, not in the table yet
    const bool current = row == FRecNo;
    const bool edited = current && FState == TDataSetState::dsEdit;
    const auto found = std::lower_bound(arrived.begin(), arrived.end(), key);
    if (found == arrived.end() || *found != key) {
      ++result.Deleted;
      if (edited) {
        noteCurrent(TResyncCurrent::rcDeletedWhileEdited, row);
        FSpared = key;
        continue;
      }
      if (current) noteCurrent(TResyncCurrent::rcDeleted, row);
      gone.push_back(row);
      continue;
    }
    known[found - arrived.begin()] = true;
    const auto read = fresh.find(key);
    if (read == fresh.end()) continue;  // not held and not read: it is read when asked for
    const auto held = FCache.find(key);
    if (held != FCache.end() && SameValues(read->second, held->second.Values)) continue;
    ++result.Changed;
    // The values an edit started from stay: they are what its post must still find.
    if (edited) {
      noteCurrent(TResyncCurrent::rcChangedWhileEdited, row);
      FSpared = key;
      continue;
    }
    if (current) noteCurrent(TResyncCurrent::rcReloaded, row);
    // A row not held is shown by a read when it is asked for again; only those held change.
    if (held != FCache.end()) held->second.Values = std::move(read->second);
    Notify(TDataEvent::deRowChanged, row);
  }
  RemoveRows(gone);
  std::vector<TRowKey> added;
  for (std::size_t i = 0; i < arrived.size(); ++i)
    if (!known[i]) added.push_back(arrived[i]);
  // Many rows come as one append, which a view takes in one step.
  const bool many = int(added.size()) > RowsResetFrom;
  const int from = RecordCount();
  if (many) Notify(TDataEvent::deBeforeRowsAppend, int(added.size()));
  for (const TRowKey key : added) {
    const int row = RecordCount();
    if (!many) Notify(TDataEvent::deBeforeRowInsert, row);
    FKeys.push_back(key);
    if (!many) Notify(TDataEvent::deRowInserted, row);
  }
  PlaceAppended(from);
  if (many) Notify(TDataEvent::deRowsAppended, int(added.size()));
  result.Added += int(added.size());
  if (FRecNo < 0 && !FKeys.empty()) {
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
  std::vector<TRowKey> kept;
  kept.reserve(FKeys.size() - rows.size());
  int recNo = 0;
  auto next = rows.begin();
  for (int row = 0; row < RecordCount(); ++row) {
    if (row == FRecNo) recNo = int(kept.size());
    if (next != rows.end() && *next == row) {
      ++next;
      Forget(FKeys[row]);
    } else {
      kept.push_back(FKeys[row]);
    }
  }
  FKeys = std::move(kept);
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
  Row(row);  // read before it becomes current: a failing read leaves the current row
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

void TADOTable::Notify(TDataEvent event, int info) const {
  const std::vector<TDataLink*> links = FLinks;
  for (TDataLink* link : links) link->DataEvent(event, info);
}
