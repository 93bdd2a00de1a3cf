#pragma once

#include <QString>
#include <QVariant>

#include <memory>

struct pg_result;

// The successful result of one statement (libpq's PGresult), fetched whole, in text format.
// Rows and columns count from 0; callers keep them below RowCount() and ColumnCount().
class TPgResult {
public:
  // Takes ownership of a result that is not null.
  explicit TPgResult(pg_result* result);

  int RowCount() const;
  int ColumnCount() const;
  QString ColumnName(int column) const;
  // NULL is an invalid QVariant; a value of the integer types (smallint, integer, bigint) a
  // qint64; any other value its text, decoded from UTF-8, as a QString.
  QVariant Value(int row, int column) const;
  // The command tag: "SELECT 3", "INSERT 0 1", "COMMIT", "ROLLBACK", ...
  QString CommandStatus() const;
  // Rows the INSERT, UPDATE, DELETE, SELECT or FETCH touched; 0 for other commands.
  int AffectedRows() const;

private:
  struct TClearer {
    void operator()(pg_result* result) const;
  };
  std::unique_ptr<pg_result, TClearer> FResult;
};
