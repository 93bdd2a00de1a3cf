#pragma once

#include <QString>

#include <optional>
#include <vector>

// A cell as a file holds it: nothing for NULL (an empty unquoted CSV field, an empty
// spreadsheet cell, a NULL of the Jet file), otherwise its text exactly, blanks and leading
// zeros included.
using TCell = std::optional<QString>;

// One row of a file, and where the operator finds it there: the line of a CSV file where the
// row starts, the row of a spreadsheet, the record of a Jet table, counted from 1.
struct TSourceRow {
  int Line = 0;
  std::vector<TCell> Cells;
};

using TSourceTable = std::vector<TSourceRow>;

// A row of a file that cannot become a bag, and why (a Russian phrase for the operator).
struct TRejectedRow {
  int Line = 0;
  QString Reason;
  friend bool operator==(const TRejectedRow&, const TRejectedRow&) = default;
};
