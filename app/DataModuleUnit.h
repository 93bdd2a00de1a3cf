#pragma once

#include <memory>

#include "app/BagFields.h"
#include "app/store/ADOConnection.h"
#include "app/store/ADOTable.h"
#include "app/Application.h"
#include "app/store/DataSource.h"

class TForm1;
class TLiveRegister;

// The data module: the connection to the register (the file "db.mdb" in the working directory,
// or the server that database.ini names, see ReadStoreSettings), the table "Clients" with the
// seven bag fields, and the data source every data-aware control of the main window
// is attached to. While it lives, a wait for a lock held by another desk, or for a server slow to
// answer, shows in the windows (ShowDatabaseWait) and a post or delete refused because another desk
// changed or deleted the bag is resolved with the operator (RecordConflictHandler), and what other
// desks do to the register shows in the window within a second (TLiveRegister,
// TForm1::RegisterResynced).
class TForm2 {
public:
  // Opens the connection and the table (all rows fetched, the first current), names the
  // register in the main window's title ("ТОРВИ Инкассация 2019 — db.mdb", or "— сервер
  // <host>:<port>, база <dbname>"), then attaches the main window's data-aware controls.
  // Throws EDatabaseError when the settings are refused, the file is missing or unreadable,
  // the server cannot be reached, or the register has no table "Clients" or lacks one of
  // its columns; the register is then left untouched and the window is not attached.
  explicit TForm2(TForm1& form1);
  // Detaches the window's controls; a record still being edited is dropped. The exception
  // handler it replaced is back.
  ~TForm2();
  TForm2(const TForm2&) = delete;
  TForm2& operator=(const TForm2&) = delete;

  std::unique_ptr<TADOConnection> ADOConnection1;
  std::unique_ptr<TADOTable> ADOTable1;
  std::unique_ptr<TDataSource> DataSource1;

private:
  TForm1& FForm1;
  TExceptionHandler FPreviousOnException;
  std::unique_ptr<TLiveRegister> FLiveRegister;
};
