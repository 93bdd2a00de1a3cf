#pragma once

#include <QString>

#include <optional>

#include "app/store/ADOConnection.h"

// Which register the program opens. Without the settings file, the file db.mdb in the working
// directory. The settings file (database.ini in the working directory) points the desk at a
// PostgreSQL server instead, read with the rules of TIniFile:
//   [server]
//   connection=host=db1 port=5432 dbname=inkassatsiya user=desk1 sslmode=verify-full
// `connection` is a libpq connection string or a postgresql:// URI. The settings are refused
// with EDatabaseError dfBadSettings (Database(): the file's full path; Subject(): the reason,
// in Russian) when the file cannot be read, has no section [server], has a key other than
// `connection` there (names starting with ';' or '#' are comments), gives no or an empty
// connection string, one libpq cannot read (its message never repeats the string), or one
// that carries a password (even an empty one): passwords live where libpq looks for them
// (~/.pgpass), never in the program's settings. Other sections are not read.
std::optional<TServerConnection> ReadStoreSettings(const QString& settingsPath);

// The settings file the program reads: database.ini in the working directory.
QString StoreSettingsPath();
