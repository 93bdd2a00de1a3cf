#pragma once

#include <QString>

#include "app/import/SourceTable.h"

// The bags of an old register's file `path` (Jet 4, or Jet 3 or ACE as far as libmdb reads
// them): the rows of its table "Clients", each with the seven fields' cells in the register's
// field order (TBagField), in the order the file holds them, numbered from 1. Columns are
// found by name, letter case aside as Jet compares names; other columns are left out. Raises
// EBagImport naming the file and the reason when it cannot be read, has no table "Clients",
// or that table lacks a field's column or has one that holds neither text nor whole numbers.
TSourceTable ReadJetBags(const QString& path);
