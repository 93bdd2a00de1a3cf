#pragma once

#include <QString>

// The SQL that makes an empty register file: app/schema.sql as it was when the program was
// built, so that a register the program makes itself (the conversion of an old db.mdb) gets
// what a register made by hand gets, wherever the program runs.
QString RegisterSchemaSql();
