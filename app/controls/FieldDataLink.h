#pragma once

#include <QString>
#include <Qt>

#include "app/store/DataLink.h"
#include "app/store/Field.h"

class TDataSource;

// The part of a bound control that ties it to one field of the current record: it shows the
// field's text in the control whenever the record or the field changes, remembers whether
// the operator changed the control, and stores that change into the field on request.
class TFieldDataLink : public TDataLink {
public:
  TFieldDataLink() = default;
  ~TFieldDataLink() override;
  TFieldDataLink(const TFieldDataLink&) = delete;
  TFieldDataLink& operator=(const TFieldDataLink&) = delete;

  // The field shown, by name; set before the data source.
  const QString& DataField() const { return FDataField; }
  void SetDataField(const QString& name) { FDataField = name; }

  // Attaches to `source` (null detaches) and shows the current value.
  TDataSource* DataSource() const { return FDataSource; }
  void SetDataSource(TDataSource* source);

  // The field's definition; null while detached or when the data set has no such field.
  const TFieldDef* Field() const;

  // Puts the data set in edit mode (an empty one inserts) before the operator's change.
  void Edit();
  // Marks the control as changed by the operator.
  void Modified() { FModified = true; }
  bool IsModified() const { return FModified; }
  // Shows the field's value again and forgets the operator's change.
  void Reset();
  // Escape in the control: a change of the control not yet stored is forgotten (Reset);
  // without one, the record's changes are dropped and its stored values read again, as by
  // Escape in the register (TADOTable::RefreshRecord). Throws what that throws.
  void CancelEdit();

  void DataEvent(TDataEvent event, int info) override;
  // Stores the changed text into the field. On a conversion error the control keeps its
  // text and the focus (RestoreFocus) and the error is rethrown.
  void UpdateData() override;

protected:
  virtual QString ControlText() const = 0;
  virtual void ShowFieldText(const QString& text) = 0;
  virtual void RestoreFocus() = 0;

private:
  TDataSource* FDataSource = nullptr;
  QString FDataField;
  int FFieldIndex = -1;
  bool FModified = false;
};

// True when a bound control losing the focus for `reason` stores its change: the focus moves
// to another control of the window. A box, a popup or the menu opening does not store.
bool StoresOnFocusOut(Qt::FocusReason reason);

// What a bound control does as it loses the focus for `reason`: stores `link`'s change when
// StoresOnFocusOut. A failure is shown in the error box (the control keeps the focus), and when
// a mouse press moved the focus, that press goes no further: the click that caused the failure
// neither moves the register nor presses a button, so one failure shows one box. Needs the
// QApplication.
void StoreOnFocusOut(TFieldDataLink& link, Qt::FocusReason reason);
