#pragma once

#include <QString>

#include <memory>
#include <optional>
#include <vector>

#include "app/import/SourceTable.h"

// Jet and ACE databases (Access files) read through libmdb (mdbtools), a thin RAII layer: the
// library's handles are owned here and its failures become EBagImport, naming the file.

// The file formats libmdb knows: Jet 3 (Access 97), Jet 4 (Access 2000 to 2003, the old
// register's), ACE (.accdb, Access 2007 and later).
enum class TJetVersion { Jet3, Jet4, Ace };

// True when the file `path` begins as a Jet or ACE database does: "Standard Jet DB" or
// "Standard ACE DB" at offset 4. False for a file that cannot be read or is shorter.
bool IsJetFile(const QString& path);

// A table of an open Jet database, read row by row from the first. Its columns keep the
// table's order; every value is read as text, exactly: text columns as the file holds them
// (Jet keeps UCS-2), whole numbers in decimal; a NULL is nothing. Lives no longer than its
// TJetDatabase.
class TJetTable {
public:
  struct TColumn {
    QString Name;
    bool Text = false;     // Text or Memo
    bool Integer = false;  // Byte, Integer or Long Integer
  };

  ~TJetTable();
  TJetTable(const TJetTable&) = delete;
  TJetTable& operator=(const TJetTable&) = delete;

  const std::vector<TColumn>& Columns() const { return FColumns; }
  // How many rows the table's definition says it holds. libmdb ends a table quietly at a page
  // it cannot read: fewer rows than this means a damaged file.
  qint64 StatedRowCount() const;
  // Moves to the next row; false after the last.
  bool Next();
  // The current row's values, one per column. Valid after Next returned true.
  const std::vector<TCell>& Row() const { return FRow; }

private:
  friend class TJetDatabase;
  struct TImpl;  // libmdb's table and where it writes the values
  explicit TJetTable(std::unique_ptr<TImpl> impl);

  std::unique_ptr<TImpl> FImpl;
  std::vector<TColumn> FColumns;
  std::vector<TCell> FRow;
};

class TJetDatabase {
public:
  // Opens `path` for reading. Raises EBagImport naming it when it cannot be read, libmdb
  // does not take it for a database, or it does not end on a page boundary (cut short).
  explicit TJetDatabase(const QString& path);
  ~TJetDatabase();
  TJetDatabase(const TJetDatabase&) = delete;
  TJetDatabase& operator=(const TJetDatabase&) = delete;

  const QString& Path() const { return FPath; }
  TJetVersion Version() const;
  // The user table named `name` (letter case aside, as Jet compares names), or nothing when
  // the file has none. Raises EBagImport when its catalogue or the table's definition cannot
  // be read.
  std::unique_ptr<TJetTable> Table(const QString& name);

private:
  // Raises the refusal of a file that is damaged or cut short; `technical` says how it shows.
  [[noreturn]] void Damaged(const QString& technical) const;

  struct TImpl;  // libmdb's handle, whose type cannot be named before its header
  QString FPath;
  std::unique_ptr<TImpl> FImpl;
};
