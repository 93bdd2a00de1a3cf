#pragma once

#include <QString>

#include <map>

// The parameters a libpq connection string ("host=db1 port=5432 dbname=register user=desk1")
// or URI ("postgresql://desk1@db1:5432/register") sets, as libpq itself reads them
// (PQconninfoParse). Only what the string says: no defaults, environment variables or
// service file are applied, so a parameter the string leaves out reads as null.
class TPgConnInfo {
public:
  // Throws EDatabaseError with libpq's message when libpq cannot read the string (an
  // unterminated quote, an unknown keyword, a malformed URI).
  explicit TPgConnInfo(const QString& conninfo);

  // The value the string gives libpq's keyword ("host", "port", "dbname", "user", ...);
  // a null QString when it gives none, an empty one when it gives an empty value.
  QString Value(const QString& keyword) const;
  // True when the string carries a password, as "password=..." or in a URI's
  // "user:password@", even an empty one.
  bool HasPassword() const;

private:
  std::map<QString, QString> FValues;
};
