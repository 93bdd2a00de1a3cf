#include "app/controls/DBComboBox.h"

#include <QApplication>
#include <QFocusEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QToolTip>

#include "app/controls/TypedChar.h"
#include "app/store/DataSource.h"

TDBComboBox::TDBComboBox(QWidget* parent) : QComboBox(parent) {
  connect(this, &QComboBox::activated, this, [this](int index) { Chosen(index); });
}

QString TDBComboBox::ControlText() const {
  return currentIndex() < 0 ? QString() : itemText(currentIndex());
}

void TDBComboBox::ShowFieldText(const QString& text) {
  setCurrentIndex(findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
}

void TDBComboBox::Chosen(int index) {
  // An empty data set inserts, which clears the selection: the choice is put back.
  Edit();
  if (currentIndex() != index) setCurrentIndex(index);
  Modified();
}

bool TDBComboBox::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip && toolTip().contains(u'\r')) {
    QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(),
                       QString(toolTip()).replace(u'\r', u'\n'), this);
    return true;
  }
  return QComboBox::event(event);
}

void TDBComboBox::keyPressEvent(QKeyEvent* event) {
  const QChar key = TypedChar(*event);
  if (key == QChar(27)) {
    CancelEdit();
    event->accept();
    return;
  }
  if (!key.isNull() && key >= u' ' && Field() && !FieldAcceptsChar(*Field(), key)) {
    QApplication::beep();
    event->accept();
    return;
  }
  QComboBox::keyPressEvent(event);
}

void TDBComboBox::focusOutEvent(QFocusEvent* event) {
  QComboBox::focusOutEvent(event);
  StoreOnFocusOut(*this, event->reason());
}
