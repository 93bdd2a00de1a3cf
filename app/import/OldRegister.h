#pragma once

#include <QString>

#include "app/import/SourceTable.h"

// The register of the program's Windows predecessor: db.mdb in the working folder, a Jet file,
// and its conversion into a register of this program in its place.

// The old register read whole, ready to convert.
struct TOldRegister {
  QString Path;        // the Jet file, db.mdb
  TSourceTable Bags;   // every bag of its table Clients (ReadJetBags)
  QString KeptName;    // the name the old file is to keep beside the new one (KeptOldName)
};

// Reads the old register `path` (ReadJetBags raises what it raises) and picks the name it is
// to keep.
TOldRegister ReadOldRegister(const QString& path);

// The first name of "db.mdb.jet", "db.mdb.1.jet", "db.mdb.2.jet", ... (after `path`'s file
// name) that no file in its folder has.
QString KeptOldName(const QString& path);

// Puts a register of this program in the place of the old one: every bag kept exactly
// (KeptBag), in a new SQLite file made from the program's schema (RegisterSchemaSql) beside it
// under a temporary name, read back and compared with the old file's bags, then the old file
// given KeptName or, when that has been taken meanwhile, the next free name (KeptOldName; never
// overwriting a file), and the new file renamed to the old one's name. db.mdb has a complete
// register under its name at every moment: first the old, then the new. Raises EBagImport
// naming the folder or file and the reason (a folder that cannot be written, a full disk, a
// check that failed) with everything as it was: the old file in place, byte for byte, and no
// file of the conversion left behind. Returns the name the old file keeps.
QString ConvertOldRegister(const TOldRegister& old);
