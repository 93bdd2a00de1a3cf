#pragma once

#include <QByteArray>
#include <QString>

#include "app/import/SourceTable.h"

// CSV files the old register was exported to (by Access, by a spreadsheet, by mdb-export).

// The text of a CSV file: UTF-8 when its bytes are valid UTF-8 (a leading byte-order mark
// dropped), otherwise Windows-1251, the code page of the old register's Windows.
QString DecodeCsvText(const QByteArray& bytes);

// The rows of CSV text. The separator is whichever of ';', ',' and a tab the first line holds
// most often outside quotes (';' on a tie, ',' when it holds none). A field in double quotes
// may hold separators, line breaks and doubled quotes ("" for one); a quoted field is text
// even when empty (""), an empty unquoted field is NULL; nothing is trimmed. A line break is
// CR LF, LF or CR; empty lines are left out. Each row carries the line it starts on.
// Raises EBagImport naming `fileName` when a quote is never closed.
TSourceTable ParseCsv(const QString& text, const QString& fileName);

// Reads, decodes and parses the file `path`. Raises EBagImport naming it when it cannot be
// read, and as ParseCsv.
TSourceTable ReadCsvFile(const QString& path);
