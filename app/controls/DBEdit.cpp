#include "app/controls/DBEdit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>

#include "app/controls/TypedChar.h"
#include "app/controls/TypingFilter.h"
#include "app/store/DataSource.h"

TDBEdit::TDBEdit(QWidget* parent)
    : QLineEdit(parent),
      FValidator(new TTypingFilter(
          this, [this](QChar c) { return FilterChar(c); }, [this] { return EffectiveMaxLength(); },
          [this](qsizetype leftOut) { emit TextCut(leftOut); })) {
  setValidator(FValidator);
  connect(this, &QLineEdit::textEdited, this, [this] { TextEdited(); });
}

int TDBEdit::EffectiveMaxLength() const {
  if (FMaxLength > 0) return FMaxLength;
  const TFieldDef* field = Field();
  return field && field->Type == TFieldType::ftWideString ? field->Size : 0;
}

QChar TDBEdit::FilterChar(QChar c) const {
  if (OnKeyPress) OnKeyPress(c);
  return c.isNull() || (Field() && !FieldAcceptsChar(*Field(), c)) ? QChar() : c;
}

void TDBEdit::ShowFieldText(const QString& text) {
  if (text == this->text()) return;
  FValidator->SetShowing(true);
  setText(text);
  FValidator->SetShowing(false);
  setCursorPosition(0);  // a long value shows from its start
}

void TDBEdit::RestoreFocus() {
  selectAll();
  setFocus();
}

void TDBEdit::keyPressEvent(QKeyEvent* event) {
  QChar key = TypedChar(*event);
  // Escape is the edit's own key, never a character for the key filter.
  if (key == QChar(27)) {
    CancelEdit();
    selectAll();
    event->accept();
    return;
  }
  if (key.isNull()) {
    // Delete, Shift+Delete and Shift+Insert change the text without typing a character.
    if (event->key() == Qt::Key_Delete ||
        (event->key() == Qt::Key_Insert && (event->modifiers() & Qt::ShiftModifier)))
      Edit();
    QLineEdit::keyPressEvent(event);
    return;
  }
  if (OnKeyPress) OnKeyPress(key);
  if (!key.isNull() && key >= u' ' && Field() && !FieldAcceptsChar(*Field(), key)) {
    QApplication::beep();
    key = QChar();
  }
  if (key.isNull()) {
    event->accept();
    return;
  }
  if (key >= u' ' || key == QChar(8) || key == QChar(22) || key == QChar(24)) Edit();
  QLineEdit::keyPressEvent(event);
}

void TDBEdit::TextEdited() {
  // Changes that arrive without a key (the context menu, dropping text, undo) still start
  // the edit; an empty data set inserts, which clears the edit, so the typed text is put back.
  if (DataSource() && DataSource()->DataSet().Active() &&
      DataSource()->DataSet().State() == TDataSetState::dsBrowse) {
    const QString typed = text();
    const int cursor = cursorPosition();
    Edit();
    if (text() != typed) {
      setText(typed);
      setCursorPosition(cursor);
    }
  }
  Modified();
}

void TDBEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  StoreOnFocusOut(*this, event->reason());
}
