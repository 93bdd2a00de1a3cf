#pragma once

// What a data set tells the objects that show its records.
enum class TDataEvent {
  deDataSetChange,     // the data set was opened: every row may differ
  deRecordChange,      // the current record is another one, or all its values were replaced
  deFieldChange,       // info: index of the one field of the current record that was assigned
  deUpdateState,       // the mode (browse, edit, insert) or the modified flag changed
  deBeforeRowInsert,   // info: index the new row is about to take
  deRowInserted,       // info: index of the new row
  deBeforeRowDelete,   // info: index of the row about to go
  deRowDeleted,        // info: index of the row that went
  deRowChanged,        // info: index of a row whose shown values changed
  deBeforeRowsAppend,  // info: how many rows (> 0) are about to come after the last, as the
                       // keys of a large register are loaded
  deRowsAppended,      // info: how many rows came after the last (0 only for the last keys)
  deRowsReset,         // many rows went at once: any row may have another index now; the
                       // current record is the one it was unless deScroll follows
  deScroll             // info: index of the new current row, -1 when the data set is empty
};

// Anything attached to a data set: a bound control, the register grid, a data source.
class TDataLink {
public:
  virtual ~TDataLink() = default;
  // Reacts to a change of the data set. Must not throw.
  virtual void DataEvent(TDataEvent event, int info) = 0;
  // Stores a change the operator made in the control into its field. Does nothing when there
  // is none. Throws EDatabaseError when the text does not fit the field; the change is then
  // kept in the control.
  virtual void UpdateData() = 0;
};
