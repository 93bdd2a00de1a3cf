#pragma once

#include <QComboBox>

#include "app/controls/FieldDataLink.h"

// A drop-down list bound to a field of the current record. It shows the item whose text
// equals the field's text, or no selection when there is none. Choosing an item puts the data
// set in edit mode; the item's text goes into the field when the list loses the focus to
// another control of the window or just before a post (no selection stores NULL). Escape shows
// the stored value again, and without a change of its own cancels the record's edit
// (TFieldDataLink::CancelEdit).
class TDBComboBox : public QComboBox, public TFieldDataLink {
  Q_OBJECT

public:
  explicit TDBComboBox(QWidget* parent);

protected:
  // Shows the tooltip with each carriage return as a line break, as classic tooltips do.
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

private:
  QString ControlText() const override;
  void ShowFieldText(const QString& text) override;
  void RestoreFocus() override { setFocus(); }
  void Chosen(int index);
};
