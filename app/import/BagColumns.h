#pragma once

#include <QString>

#include <vector>

#include "app/import/SourceTable.h"

// The bag fields' cells of a table read from a CSV file or a spreadsheet.
struct TBagCells {
  // Rows with their seven cells in the register's field order (TBagField), in file order.
  TSourceTable Rows;
  // Rows whose cells do not line up with the fields.
  std::vector<TRejectedRow> Rejected;
};

// Takes the seven fields from each row of `table`. When a cell of the first row names a field
// ("Номер сумки", "Номер пакета", "Получатель", "Счет", "Инн", "Символ", "ФИО"; letter case and
// blanks around it aside), that row is the header: each field comes from the column of its
// name, other columns are left out, and a row too short for a named column cannot be taken.
// Without a header each row holds the seven fields in that order; a row with fewer cells, or
// with a non-empty cell past the seventh, cannot be taken. Raises EBagImport naming `fileName`
// when the header lacks a field.
TBagCells TakeBagColumns(const TSourceTable& table, const QString& fileName);
