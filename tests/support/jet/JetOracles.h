#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

#include <vector>

// The two independent readers of Jet files the fixtures are checked with, run as the operator
// of this machine would: mdbtools' command-line tools and npm's mdb-reader under Node.

// A table as a reader gave it: column names in order, rows of values (NULL as an invalid
// QVariant, integers as qlonglong, text as QString).
struct TTableRead {
  QStringList Columns;
  std::vector<QVariantList> Rows;
  // The reader's complaint (its stderr), and whether it ended in failure.
  QString Errors;
  bool Failed = false;
};

// mdb-export FILE TABLE, with separators no value holds and NULL marked apart from text.
TTableRead ReadWithMdbTools(const QString& file, const QString& table);
// mdb-reader's getTable(TABLE).getData(), through oracle/read-jet.mjs.
TTableRead ReadWithMdbReader(const QString& file, const QString& table);

// The user tables each reader lists: mdb-tables -1, and mdb-reader's getTableNames().
QStringList TablesByMdbTools(const QString& file);
QStringList TablesByMdbReader(const QString& file);

// mdb-reader's column list: "name type size" per column.
QStringList ColumnsByMdbReader(const QString& file, const QString& table);

// The standard output of a command (UTF-8), failing the current test when it does not run.
QString RunTool(const QString& program, const QStringList& arguments);
