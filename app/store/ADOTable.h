#pragma once

#include <QString>
#include <QVariant>

#include <limits>
#include <memory>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "app/store/ADOConnection.h"
#include "app/store/DatabaseError.h"
#include "app/store/DataLink.h"
#include "app/store/Field.h"
#include "app/store/StoreEngine.h"

class TKeyLoader;
class TKeyReread;
struct TKeyDifference;

enum class TDataSetState { dsBrowse, dsEdit, dsInsert };

// What a resync (TADOTable::Resync) did to the current record.
enum class TResyncCurrent {
  rcUnchanged,           // nothing happened to it elsewhere (or it is a new record)
  rcReloaded,            // browse mode: changed elsewhere; its stored values are shown now
  rcDeleted,             // browse mode: deleted elsewhere; its neighbour is current now
  rcLeftSearch,          // browse mode: changed elsewhere so that the filter no longer finds it;
                         // its neighbour is current now
  rcFirstArrived,        // the register was empty; the first row added elsewhere is current now
  rcChangedWhileEdited,  // edit mode: changed elsewhere; the edit goes on against the values
                         // read before, so that its post is refused (ERecordConflict)
  rcDeletedWhileEdited   // edit mode: deleted elsewhere; it stays until posted (refused) or
                         // cancelled
};

// What a resync found: rows added, changed and deleted elsewhere (the current one included,
// whether or not the data set took its change), and what became of the current record.
struct TResyncResult {
  int Added = 0;
  int Changed = 0;
  int Deleted = 0;
  TResyncCurrent Current = TResyncCurrent::rcUnchanged;
  // The current record's values as the data set held them before the resync (the bag the
  // operator had in front of them); empty for rcUnchanged and rcFirstArrived.
  std::vector<QVariant> CurrentValues;
};

// A table opened by name over either engine of the connection (a file or a server,
// TStoreEngine). The data set does not hold the register: it keeps the key of every row, in
// the order of their keys (the order in which the rows were added), and reads the rows
// themselves as they are asked for, a page of neighbouring rows in one small query, into a
// cache of a few pages; the current record's row stays while it is current. Later changes
// by other processes are taken by Resync (the rows the change feed names, or all keys) and
// RefreshRecord (the current one).
// Optimistic locking: a post or delete touches the row only while it still holds exactly the
// values this data set read (when its row was read, at Resync or RefreshRecord) or last
// posted, compared as the database holds them (text that is not UTF-8 included, see
// TStoredText); otherwise ERecordConflict is raised, telling a row changed elsewhere from one
// deleted elsewhere, and nothing changes on either side.
//
// Invariants: 0 <= RecNo() < RecordCount(), or RecNo() == -1 exactly when RecordCount() == 0.
// In dsInsert the current row is the new one, not yet in the table. Modified() is false in
// dsBrowse. Every change is reported to the attached links (TDataLink) in the order
// before-row events, row events, deScroll, deUpdateState, deRecordChange.
class TADOTable {
public:
  // How many neighbouring rows one read brings, unless told otherwise.
  static constexpr int DefaultPageRows = 100;
  // How many pages of rows the cache keeps at most, besides the current record's row.
  static constexpr int CachePages = 20;

  // `fields` are the columns shown and written, in display order; other columns of the
  // table are neither read nor written (a new row leaves them to the table's defaults).
  // `pageRows` (>= 1) rows are read at a time, and `keySliceRows` (>= 1) keys in one
  // statement.
  TADOTable(TADOConnection& connection, QString tableName, std::vector<TFieldDef> fields,
            int pageRows = DefaultPageRows, int keySliceRows = KeySliceRows);
  // The connection the data set works through.
  TADOConnection& Connection() const { return FConnection; }
  ~TADOTable();
  TADOTable(const TADOTable&) = delete;
  TADOTable& operator=(const TADOTable&) = delete;

  // Opens the connection if needed, checks that the table has every field's column (names
  // compared as the database compares them), reads the rows' keys and the first page; the
  // first row becomes current. With an application object, the keys past the first slice are
  // read on a thread of their own and come from the event loop (Loading()).

  // Throws EDatabaseError when the database or the table cannot be read (dfNoTable, or
  // dfNoColumn naming the first missing column); the database is not written then.
  void Open();
  bool Active() const { return FActive; }
  // True while the keys of a large register are still coming after Open: each slice comes
  // after the last row (deBeforeRowsAppend, deRowsAppended) and RecordCount() grows; the last
  // one is told by deRowsAppended with Loading() false. Meanwhile a change elsewhere to a bag
  // not yet in is taken by the first Resync after that. Also true while a whole re-read that
  // Resync began runs in the background; deRowsAppended (0 rows) with Loading() false tells that
  // its keys are in, and the next Resync takes them.
  bool Loading() const { return FLoading || FRereading; }

  const std::vector<TFieldDef>& Fields() const { return FTable.Fields; }
  // Index of the field called `name`, -1 when there is none.
  int FieldIndex(const QString& name) const;

  int RecordCount() const { return int(FKeys.size()); }
  bool IsEmpty() const { return FKeys.empty(); }
  int RecNo() const { return FRecNo; }
  TDataSetState State() const { return FState; }
  // True when a field of the current record was assigned since it entered edit or insert mode.
  bool Modified() const { return FModified; }

  // Value of `field` in row `row` as the grid shows it: the record buffer for the current row
  // while it is edited or inserted. Preconditions: valid row and field indices. A row not in
  // the cache is read with its page; while that cannot be done (the store fails, or a call
  // into it is waiting) the row shows NULLs, and the links hear deRowChanged for it once the
  // waiting call is over. A row deleted elsewhere and not yet resynced shows NULLs.
  QVariant Value(int row, int field) const;
  // Value of `field` in the current record; NULL when the data set is empty.
  QVariant FieldValue(int field) const;

  // Assigns a field of the current record. Precondition: State() is dsEdit or dsInsert
  // (otherwise EDatabaseError "Dataset not in edit or insert mode").
  void SetFieldValue(int field, const QVariant& value);
  // Converts the text for the field (FieldValueFromText) and assigns it; on a conversion
  // error the field keeps its value.
  void SetFieldText(int field, const QString& text);

  // Puts the current record in edit mode; an empty data set inserts instead. Nothing in edit
  // or insert mode.
  void Edit();
  // Browse-mode check, then a new empty record before the current one (the only one when the
  // data set is empty), in insert mode.
  void Insert();
  // Stores the links' pending changes; writes an edited or inserted record and returns to
  // browse mode. A database refusal or a lost server raises EDatabaseError (ERecordConflict
  // for a row changed or deleted elsewhere) and leaves the mode, the buffer and the modified
  // flag as they were.
  void Post();
  // Drops the changes of the current record; a new record disappears.
  void Cancel();
  // Drops a new record; otherwise deletes the current row from the table at once and makes
  // the next (or, for the last, the previous) row current. Empty data set: EDatabaseError
  // "Cannot perform this operation on an empty dataset". A row changed or deleted elsewhere:
  // ERecordConflict, and the register keeps the row.
  void Delete();
  // Drops the current record's changes as Cancel does, then reads the current row again from
  // the table: its stored values replace what the data set held. A row deleted elsewhere
  // leaves the register and the next (or, for the last, the previous) row becomes current;
  // then the result is false. Nothing happens on an empty data set. Throws EDatabaseError
  // when the table cannot be read; the changes are dropped all the same.
  bool RefreshRecord();
  // Catches up with what other connections did to the table since it was read, without
  // disturbing the operator. A register that keeps a change feed (TStoreEngine::HasFeed) has
  // only the bags changed since the last catch-up read again; one without, or whose feed
  // cannot tell every change since then (rows dropped, a gap, too many), has every row read
  // again: a register of more than one slice of keys, with an application object, has its keys
  // and the rows held read on a thread of their own (Loading()) while it shows what it held, and
  // the Resync after they are in takes them at once, with the changes the feed recorded since
  // the read began (one re-read at a time: a gap meanwhile is covered by the one running).
  // Rows deleted elsewhere leave the register, rows changed elsewhere show their stored
  // values, rows added elsewhere are appended in the order the database delivers them; the
  // other rows keep their places. The current record stays current wherever its row moves. A
  // record being edited or inserted keeps its mode, its buffer and the modified flag, and an
  // edited one also keeps the values its post is checked against (the optimistic lock): a
  // change made elsewhere meanwhile makes that post fail with ERecordConflict instead of
  // overwriting it. In browse mode a current record deleted elsewhere gives way to the next
  // row (the previous one after the last); an empty register makes the first row added
  // elsewhere current. Links hear deRowChanged per row, then deBeforeRowDelete/deRowDeleted
  // per row (or one deRowsReset when many rows went), deBeforeRowInsert/deRowInserted per
  // row (or deBeforeRowsAppend/deRowsAppended when many came), then deScroll when another
  // record became current and deRecordChange when the current record's shown values changed.
  // Under a filter, a bag the filter no longer finds
  // leaves only when it was changed elsewhere (or deleted): one stored with the values this
  // data set holds, as after its own save, stays until the filter changes, and so does the
  // record being edited. Throws EDatabaseError when the table cannot be read, or the
  // background re-read failed; nothing changes then, and the next Resync catches up with the
  // same changes.
  TResyncResult Resync();
  // How many times the whole table's keys (or all the keys a filter finds) were read: at Open,
  // at SetFilter, and at each Resync that could not take the changes from the feed.
  int WholeReads() const { return FWholeReads; }
  // How many keys the data set read on its own thread, as against those its loader and its
  // re-read read on theirs.
  qint64 KeysReadHere() const { return FKeysReadHere; }
  // Whether the register can be searched (TStoreEngine::HasSearch). Precondition: Active().
  bool CanSearch() const;
  // The bags the data set holds: those `filter` finds (at most SearchLimit + 1 of them, the
  // first by key: one more than SearchLimit means that there are others; their keys are read
  // at once, never in the background), every bag for an empty one. Open and Resync keep to
  // it: a bag changed elsewhere so that the filter now finds it arrives as if added, one it no
  // longer finds leaves as if deleted.
  const TRowFilter& Filter() const { return FFilter; }
  // After the browse-mode check, reads the keys of the bags `filter` finds; the current bag
  // stays current when it is among them, otherwise the first one becomes current. The rows
  // held stay held, and the changes made elsewhere since the last Resync are still taken by
  // the next one. Nothing happens for the filter the data set has; a closed data set only
  // keeps it for Open. A filter that leaves bags out needs CanSearch(). Links hear
  // deDataSetChange, deScroll, deUpdateState and deRecordChange. Throws EDatabaseError when
  // the table cannot be read; the data set keeps its rows and filter then.
  void SetFilter(const TRowFilter& filter);
  // The key of the current record; 0 when the data set is empty or the record is new.
  TRowKey CurrentKey() const;
  // Makes the row of `key` current, as MoveTo; false (and nothing happens) when the data set
  // does not hold it.
  bool MoveToKey(TRowKey key);
  // In edit or insert mode: stores the links' pending changes, then posts when modified and
  // cancels otherwise.
  void CheckBrowseMode();
  // Makes row `row` (0 <= row < RecordCount()) current after the browse-mode check. The row
  // is the one that had that index before the check, even when the check dropped a new
  // record before it. A failing check, or a failing read of the row, leaves the current row
  // as it was.
  void MoveTo(int row);
  // Asks every link to store its pending change (TDataLink::UpdateData).
  void UpdateRecord();

  // Links are told of every change; they must outlive the table or be removed first.
  void AddLink(TDataLink* link);
  void RemoveLink(TDataLink* link);

private:
  // A row read from the store, with the time it was last asked for.
  struct TCachedRow {
    std::vector<QVariant> Values;
    quint64 LastUse = 0;
  };
  // Marks a call into the store as running: a row asked for meanwhile (a repaint while the
  // call waits) must not be read through the same connection; it shows as NULLs, and the
  // links hear of it once the call is over.
  class TStoreCall {
  public:
    explicit TStoreCall(const TADOTable& table);
    ~TStoreCall();
    TStoreCall(const TStoreCall&) = delete;
    TStoreCall& operator=(const TStoreCall&) = delete;

  private:
    const TADOTable& FTable;
  };

  void Notify(TDataEvent event, int info = 0) const;
  // Runs `read`, a read of the table's keys or rows. A read that failed because the table was
  // changed by hand (the table or a column gone) is told as such, CheckColumns' failure,
  // instead of as a failed read; any other failure goes on as it came. The columns are not
  // checked before each read: on a server that would be two more round trips for every
  // change another desk makes.
  template <typename TRead>
  auto Checked(TRead&& read);
  // The row of the stored bag `key`; -1 when the data set does not hold it.
  int RowOf(TRowKey key) const;
  // The keys of the table's rows that the filter finds: all of them,
  // or, without a filter, `inBackground` and with an event loop, the first slice while a
  // loader reads the rest.
  std::vector<TRowKey> ReadKeys(bool inBackground);
  void KeysArrived(std::vector<TRowKey> keys, bool last);
  // Stops the loader, and drops a re-read not yet taken: then true, and the rows held may be
  // older than the feed's cursor.
  bool StopLoading();
  // Starts Resync's whole read in the background, the feed standing at `cursor`, unless it is
  // cheap or cannot be had there: a register within one slice, a filter, no event loop, no
  // second connection (then false, and nothing started).
  bool StartReread(const TFeedCursor& cursor);
  // Merges what the re-read found (FRereadFound). The rows of the bags `changes` names were
  // changed since it began: they keep what the data set holds, for the feed's read to follow.
  TResyncResult TakeReread(const TFeedChanges& changes);
  // Resync's read of the bags the feed named (and those put off while loading) and their
  // merge.
  TResyncResult ResyncKeys(const std::vector<TRowKey>& named);
  // The values of row `row` (not the new record) as read: from the cache, or read with its
  // page. Throws EDatabaseError when the page cannot be read, or while a call into the store
  // runs; the reference holds until the next read.
  std::vector<QVariant>& Row(int row) const;
  // Reads the rows of `row`'s page that the cache lacks; a row the table no longer has is
  // cached as NULLs.
  void ReadPage(int row) const;
  // Whether the key at `row` stands outside the ascending order the other keys keep: the new
  // record's 0, or a key in FOutOfOrder.
  bool Misplaced(int row) const;
  // Adds the key at `row`, just set, to FOutOfOrder when it breaks the order of the others.
  void PlaceKey(int row);
  // The same for the keys appended from `row` on, in one pass.
  void PlaceAppended(int row);
  // Drops the rows used longest ago until `room` more fit, never the current record's.
  void MakeRoom(std::size_t room) const;
  // Tells the links of the rows shown as NULLs while a call into the store ran.
  void TellMissedRows() const;
  // Resync's merge of what was read into the register. `arrived` holds the keys of every row
  // of the table, ascending; or, with `scope` (ascending), those still stored among the keys
  // of `scope`, and rows of other keys are left as they are. `fresh` holds the stored values
  // of rows read again (any of `arrived`): a held row whose values differ takes them.
  TResyncResult Merge(const std::vector<TRowKey>& arrived,
                      std::unordered_map<TRowKey, std::vector<QVariant>> fresh,
                      const std::vector<TRowKey>* scope);
  // Merge, for keys read under the filter: first the bags held (in `scope`, when given) that
  // the read did not deliver are read again as stored; those still holding the values cached,
  // and the record being edited, join `arrived` and `fresh` and so stay. A current bag changed
  // elsewhere out of the filter's reach is told as rcLeftSearch.
  TResyncResult MergeFound(std::vector<TRowKey> arrived,
                           std::unordered_map<TRowKey, std::vector<QVariant>> fresh,
                           const std::vector<TRowKey>* scope);
  void WriteRecord();
  void RemoveRow(int row);
  // Drops what the data set keeps of a bag whose row goes.
  void Forget(TRowKey key);
  // Removes the rows at `rows` (ascending indices, the current one only in browse mode); the
  // current record stays current, or the row after it (before it, after the last) when it
  // went.
  void RemoveRows(const std::vector<int>& rows);
  void RemoveCurrentRow();

  TADOConnection& FConnection;
  TTableDef FTable;
  const int FPageRows;
  const int FKeySliceRows;
  // Where the table stands in the register's change feed; none without a feed.
  std::optional<TFeedCursor> FFeed;
  // The key of the record in edit mode whose change elsewhere the last merge spared, 0 for
  // none: read again at the next Resync, whatever the feed says, so that it is taken once the
  // record is back in browse mode.
  TRowKey FSpared = 0;
  int FWholeReads = 0;
  TRowFilter FFilter;
  // Reads the rest of the keys after Open; kept once done.
  std::unique_ptr<TKeyLoader> FLoader;
  bool FLoading = false;
  // The keys up to this one are in FKeys; all of them when not loading.
  TRowKey FLoadedTo = std::numeric_limits<TRowKey>::max();
  // While loading: keys above FLoadedTo that FKeys already holds (bags this desk added),
  // ascending; a slice that brings them again leaves them out.
  std::vector<TRowKey> FBeyond;
  // Bags the feed named whose keys were not in yet: read at the first Resync once they are.
  std::vector<TRowKey> FPostponed;
  // The loader failed, or a re-read was dropped or failed: the next Resync reads every key
  // again.
  bool FKeysMissing = false;
  qint64 FKeysReadHere = 0;
  // Resync's whole read in the background, from its start until the Resync that takes it.
  std::unique_ptr<TKeyReread> FReread;
  bool FRereading = false;  // its keys are still coming
  std::unique_ptr<TKeyDifference> FRereadFound;
  std::optional<EDatabaseError> FRereadFailure;
  // Bags whose rows went while a re-read ran or waited to be taken.
  std::unordered_set<TRowKey> FGoneMeanwhile;
  // A change came while a re-read ran on a register without a feed: another one follows.
  bool FRereadAgain = false;
  // Where the feed stood before the re-read began: the changes since are taken after it.
  TFeedCursor FRereadCursor;
  // One key per row, in the register's order; 0 for the new record in insert mode. Apart from
  // the new record and the keys in FOutOfOrder the keys ascend, so that a row is found by a
  // binary search.
  std::vector<TRowKey> FKeys;
  // Keys that may stand outside that order, each found by a walk: a bag this desk added stays
  // where it was inserted, a bag arriving under a filter after the last. A key may stay here
  // after its neighbours went; it is dropped with its row.
  std::unordered_set<TRowKey> FOutOfOrder;
  mutable std::unordered_map<TRowKey, TCachedRow> FCache;
  mutable quint64 FUses = 0;
  mutable bool FInStore = false;
  // Rows shown as NULLs while a call into the store ran, to be shown again after it.
  mutable std::vector<TRowKey> FMissed;
  std::vector<QVariant> FBuffer;  // the current record's values in edit and insert mode
  std::vector<TDataLink*> FLinks;
  int FRecNo = -1;
  TDataSetState FState = TDataSetState::dsBrowse;
  bool FModified = false;
  bool FActive = false;
};
