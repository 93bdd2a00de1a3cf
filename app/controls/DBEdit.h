#pragma once

#include <QChar>
#include <QLineEdit>

#include <functional>

#include "app/controls/FieldDataLink.h"

class TTypingFilter;

// An edit bound to a field of the current record. The first change the operator makes puts
// the data set in edit mode; the text goes into the field when the edit loses the focus to
// another control of the window or just before a post; Escape shows the stored value again,
// and without a change of its own cancels the record's edit (TFieldDataLink::CancelEdit).
// A text that does not fit the field keeps the focus in the edit, and the click that tried to
// take it away does nothing else (StoreOnFocusOut).
class TDBEdit : public QLineEdit, public TFieldDataLink {
  Q_OBJECT

public:
  explicit TDBEdit(QWidget* parent);

  // At most this many characters (TextLength) can be typed or pasted (a longer stored value is
  // still shown whole); a paste keeps what fits of the characters OnKeyPress and the field
  // admit, its line breaks and tabs made blanks (TTypingFilter), and TextCut tells what it
  // left out. 0, the default, means the field's size for a text field and no limit otherwise.
  void SetMaxLength(int length) { FMaxLength = length; }
  // The limit in force: the length set, or the field's size when it is 0; 0 means none.
  int EffectiveMaxLength() const;

  // Called for every typed character (TypedChar) before the edit acts on it; setting the
  // character to QChar() swallows the key. Keys that type nothing, and Escape, are not
  // reported.
  std::function<void(QChar& key)> OnKeyPress;

signals:
  // A change of the operator's (a paste, a drop, a key) lost `leftOut` > 0 characters to
  // EffectiveMaxLength.
  void TextCut(qsizetype leftOut);

protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

private:
  QString ControlText() const override { return text(); }
  void ShowFieldText(const QString& text) override;
  void RestoreFocus() override;
  void TextEdited();
  // A character after OnKeyPress and the field's rule; QChar() when either refuses it.
  QChar FilterChar(QChar c) const;

  TTypingFilter* FValidator;  // owned through Qt parenthood
  int FMaxLength = 0;
};
