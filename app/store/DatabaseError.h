#pragma once

#include <QString>

#include <stdexcept>

// What went wrong in the bag register's store, in terms any database engine can report: the
// engine's layer maps its own codes onto these, and the operator's text follows from them
// (DatabaseFailureText).
enum class TDatabaseFailure {
  dfOther,         // anything not listed below
  dfDataSet,       // a rule of the data set itself (nothing to delete, a text a field cannot
                   // hold): its message is meant for the operator as it is
  dfCannotOpen,    // the database is missing or cannot be reached
  dfNotADatabase,  // the file is not a database
  dfCorrupt,       // the database is damaged
  dfNoTable,       // Subject(): the table that is missing
  dfNoColumn,      // Subject(): the column that is missing from the table
  dfLocked,        // another connection held a lock for longer than the wait
  dfReadOnly,      // the database (or, for a file, its folder) cannot be written
  dfDiskFull,
  dfIoError,          // reading or writing failed below the database
  dfConstraint,       // a rule of the table refused the values (e.g. a unique bag number)
  dfChangedOnPost,    // the row being posted was changed elsewhere since it was read
  dfDeletedOnPost,    // the row being posted was deleted elsewhere
  dfChangedOnDelete,  // the row being deleted was changed elsewhere since it was read
  dfDeletedOnDelete,  // the row being deleted was already deleted elsewhere
  dfConnectionLost,   // the server went away during the action (restart, network); the next
                      // action connects again
  dfBadSettings,      // the settings that choose the register were refused; Database() is the
                      // settings file, Subject() the reason for the operator, in Russian
  dfNoDatabase,       // the server has no database of the name the settings give
  dfNoRights,         // Subject(): the table this desk's role may not read
  dfNotUtf8           // Subject(): the encoding the server's database keeps its text in, when it
                      // is not UTF8
};

// Where the register lives: a file on this machine, or a database on a server.
enum class TDatabaseKind { dkFile, dkServer };

// A failure of the bag register's store: opening, reading, posting or deleting, or a text a
// field cannot hold. what() is the technical message (the database layer's own, in UTF-8);
// Failure() says what happened, Database() where, Kind() whether that is a file or a server.
class EDatabaseError : public std::runtime_error {
public:
  // A rule of the data set (dfDataSet) with its message for the operator.
  explicit EDatabaseError(const QString& message);
  // `database`: what the operator knows the database by (for a file, its full path; for a
  // server "сервер <host>:<port>, база <dbname>"), empty when unknown; `subject`: the table or
  // column a dfNoTable or dfNoColumn is about; `sqlState`: the five-character SQLSTATE a PostgreSQL
  // server reported ("22001", "57P01"), empty where there is none (SQLite, or a failure libpq met
  // on its own side such as a refused connection); `kind`: whether `database` is a file or a
  // server.
  EDatabaseError(TDatabaseFailure failure, const QString& message, const QString& database,
                 const QString& subject = QString(), const QString& sqlState = QString(),
                 TDatabaseKind kind = TDatabaseKind::dkFile);

  TDatabaseFailure Failure() const { return FFailure; }
  const QString& Database() const { return FDatabase; }
  const QString& Subject() const { return FSubject; }
  const QString& SqlState() const { return FSqlState; }
  TDatabaseKind Kind() const { return FKind; }
  // The return address inside the function that constructed the error (for the start-up
  // failure box); never null.
  const void* Address() const { return FAddress; }

private:
  TDatabaseFailure FFailure;
  QString FDatabase;
  QString FSubject;
  QString FSqlState;
  TDatabaseKind FKind;
  const void* FAddress;
};

// A post or delete refused because another desk changed or deleted the row since this data
// set read it (Failure() is one of dfChangedOnPost, dfDeletedOnPost, dfChangedOnDelete,
// dfDeletedOnDelete). Nothing was written; the record keeps its mode and its changes.
class ERecordConflict : public EDatabaseError {
public:
  ERecordConflict(TDatabaseFailure failure, const QString& message, const QString& database,
                  TDatabaseKind kind = TDatabaseKind::dkFile);
  // True when the row is no longer in the table.
  bool RowDeleted() const;
};

// The Russian sentence that tells the operator what happened and what to do, naming the
// error's database (the file, or the server and its database) where the failure is about it;
// its subject fills dfNoTable, dfNoColumn and dfBadSettings. Empty for dfDataSet, whose
// technical message is already the operator's text.
QString DatabaseFailureText(const EDatabaseError& error);

// What an error box shows for `error`: the Russian sentence, then the technical message on a
// second line as TechnicalLine words it; a dfDataSet message alone.
QString DatabaseErrorText(const EDatabaseError& error);
