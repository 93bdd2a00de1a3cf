#pragma once

#include <QString>
#include <QTemporaryDir>
#include <QVariant>

#include <deque>
#include <vector>

#include "app/controls/Dialogs.h"
#include "tests/support/QtPrinters.h"

// A fresh temporary folder that is the working directory while the object lives.
class TTempWorkDir {
public:
  TTempWorkDir();
  ~TTempWorkDir();
  TTempWorkDir(const TTempWorkDir&) = delete;
  TTempWorkDir& operator=(const TTempWorkDir&) = delete;
  QString Path(const QString& name = QString()) const;
  // Names of the files in the folder, sorted.
  QStringList Files() const;

private:
  QTemporaryDir FDir;
  QString FPrevious;
};

// One bag: the seven fields in register order; an invalid QVariant is NULL.
using TBagRow = std::vector<QVariant>;

// Two sample bags the window tests share: "1234" of ООО Ромашка (cash symbol 11) and "77" of
// ИП Петров (cash symbol 19, no full name).
extern const TBagRow Bag1234;
extern const TBagRow Bag77;

// Creates `path` with the program's own schema (app/schema.sql) and the given rows.
void CreateClientsDatabase(const QString& path, const std::vector<TBagRow>& rows = {});
// Inserts `count` generated bags ("bag-<n>", n, "recipient <n>", ...) in one transaction.
void InsertGeneratedBags(const QString& path, int count);
// Every bag of the file, in rowid order, read through a connection of its own.
std::vector<TBagRow> ReadBags(const QString& path);
// Runs SQL on the file through a connection of its own (another writer); creates the file.
void ExecuteSql(const QString& path, const QString& sql);
// Result of a one-value query, through a connection of its own.
QVariant QueryValue(const QString& path, const QString& sql);

// Writes database.ini into `folder`, pointing a desk working there at the server `conninfo`.
void WriteDatabaseIni(const QString& folder, const QString& conninfo);

// A connection of its own to `path` that holds the write lock (BEGIN EXCLUSIVE), as another
// desk in the middle of a write does, until Release or its end.
class TWriteLock {
public:
  explicit TWriteLock(const QString& path);
  ~TWriteLock();
  TWriteLock(const TWriteLock&) = delete;
  TWriteLock& operator=(const TWriteLock&) = delete;
  void Release();

private:
  struct sqlite3* FDb = nullptr;
};

// Takes the place of the modal boxes while it lives: records every box and answers from a
// queue of results (OK when the queue is empty).
class TMessageRecorder {
public:
  TMessageRecorder();
  ~TMessageRecorder();
  TMessageRecorder(const TMessageRecorder&) = delete;
  TMessageRecorder& operator=(const TMessageRecorder&) = delete;

  std::vector<TMessageBoxRequest> Boxes;
  std::deque<TModalResult> Answers;

  // Texts of the boxes shown so far; Clear forgets them.
  QStringList Texts() const;
  void Clear() { Boxes.clear(); }

private:
  TMessagePresenter FPrevious;
};
