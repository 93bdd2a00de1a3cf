#pragma once

#include <QChar>
#include <QString>

class TStringGrid;

// The denomination grid of the main window: 4 columns x 17 rows, fixed first row and column.
// Rows 1..15 hold denomination (column 0), type (1), count (2) and sum (3); row 16 holds
// "Итого" in column 2 and the total in column 3. Numbers are written in the general number
// format of texts/NumberFormat.h with the separator current at the time of writing.
inline constexpr int DenominationFirstRow = 1;
inline constexpr int DenominationLastRow = 15;
inline constexpr int DenominationTotalRow = 16;
inline constexpr int DenominationCountCol = 2;
inline constexpr int DenominationSumCol = 3;

// The most digits a count can have. Even every row at 999 999 999 keeps the total below 10^13,
// where the total's fifteen digits and its amount in words are exact to the kopeck
// (AmountInWordsCovers); a longer count could reach totals the voucher cannot carry.
inline constexpr int DenominationCountMaxDigits = 9;

// The denomination grid's rules on the string grid that shows it: its set-up and the handlers
// of the grid's key, select-cell and edit-text events, which the window hands on to it. The
// string grid must outlive this object; the handlers may run before SetUp.
class TDenominationGrid {
public:
  explicit TDenominationGrid(TStringGrid& grid) : FGrid(grid) {}
  TDenominationGrid(const TDenominationGrid&) = delete;
  TDenominationGrid& operator=(const TDenominationGrid&) = delete;

  // Builds the grid: size, widths 50/72/72/72, rows 20 px, headings, denominations, types,
  // counts "0", "Итого"; sums and total empty; at most DenominationCountMaxDigits characters in
  // the cell editor. Leaves editing off and (1, 1) current, so only the count column is ever
  // editable.
  void SetUp();

  // A character typed in the grid or its cell editor: only digits '0'..'9' and Backspace (8)
  // pass; every other character, Enter included, is swallowed (`key` becomes QChar()).
  void KeyPress(QChar& key) const;
  // The operator moved to a cell: editing goes off in the type column (1) and the sum column
  // (3), on in every other.
  void SelectCell(int col, int row);
  // A cell's text changed through the cell editor: writes denomination x count into the sum of
  // rows 1..15, then the total of the sums as displayed (each read back from its text) into
  // row 16. Unreadable texts count as 0.
  void SetEditText(int col, int row, const QString& value);

private:
  TStringGrid& FGrid;
};
