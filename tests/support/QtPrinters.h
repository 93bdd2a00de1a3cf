#pragma once

#include <QString>
#include <QVariant>

#include <ostream>

// Lets GoogleTest show Qt values in failure messages: a QString as its text, a QVariant as its
// type and text (NULL when invalid).
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QVariant& value, std::ostream* out) {
  if (!value.isValid())
    *out << "NULL";
  else
    *out << value.typeName() << ' ' << value.toString().toStdString();
}
