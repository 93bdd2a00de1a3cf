#pragma once

#include <QString>

#include <vector>

#include "app/import/SourceTable.h"
#include "tests/app/AppTestSupport.h"
#include "tests/support/jet/ClientsRegister.h"

// The old register's files for the import's tests, made by the test-support Jet writer, and
// what the program must read from them, taken from the bags the writer was given.

// Writes `database` as the file `path`; a failure fails the current test.
void WriteJetFile(const jet::TDatabase& database, const QString& path);

// A bag as the register must store it: NULL an invalid QVariant, integers qint64, text QString.
TBagRow StoredBag(const jet::TBag& bag);
std::vector<TBagRow> StoredBags(const std::vector<jet::TBag>& bags);

// A bag as the file's cells: integers in decimal.
std::vector<TCell> BagCells(const jet::TBag& bag);
