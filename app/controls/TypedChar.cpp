#include "app/controls/TypedChar.h"

#include <QKeyEvent>

QChar TypedChar(const QKeyEvent& event) {
  const int key = event.key();
  const Qt::KeyboardModifiers modifiers = event.modifiers();
  switch (key) {
    case Qt::Key_Backspace:
      return QChar(8);
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return QChar(13);
    case Qt::Key_Escape:
      return QChar(27);
    default:
      break;
  }
  if ((modifiers & Qt::ControlModifier) && !(modifiers & Qt::AltModifier) && key >= Qt::Key_A &&
      key <= Qt::Key_Z)
    return QChar(key - Qt::Key_A + 1);
  const QString text = event.text();
  if (text.isEmpty() || text[0] == QChar(127)) return QChar();
  return text[0];
}
