#include "app/DenominationGrid.h"

#include "app/controls/StringGrid.h"
#include "texts/NumberFormat.h"

#include <QStringList>
#include <array>

namespace {

constexpr int TypeCol = 1;
constexpr int LastBanknoteRow = 8;

}  // namespace

void SetUpDenominationGrid(TStringGrid& grid) {
  grid.SetColCount(4);
  grid.SetRowCount(17);
  grid.SetFixedCols(1);
  grid.SetFixedRows(1);
  constexpr std::array widths{50, 72, 72, 72};
  for (int col = 0; col < static_cast<int>(widths.size()); ++col) grid.SetColWidth(col, widths[col]);
  grid.SetDefaultRowHeight(20);

  const QStringList headings{"Номинал", "Тип", "Кол-во", "Сумма"};
  for (int col = 0; col < headings.size(); ++col) grid.SetCells(col, 0, headings[col]);

  const QStringList denominations{"5000", "2000", "1000", "500", "200", "100", "50", "10",
                                  "25",   "10",   "5",    "2",   "1",   FormatGeneral(0.5),
                                  FormatGeneral(0.1)};
  for (int row = DenominationFirstRow; row <= DenominationLastRow; ++row) {
    grid.SetCells(0, row, denominations[row - DenominationFirstRow]);
    grid.SetCells(TypeCol, row, row <= LastBanknoteRow ? QStringLiteral("банкнота") : QStringLiteral("монета"));
    grid.SetCells(DenominationCountCol, row, QStringLiteral("0"));
  }
  grid.SetCells(DenominationCountCol, DenominationTotalRow, QStringLiteral("Итого"));

  grid.SetEditLimit(DenominationCountMaxDigits);
  grid.SetEditing(false);
  grid.SetCurrentCell(TypeCol, DenominationFirstRow);
}

bool DenominationKeyPasses(QChar key) { return key == QChar(8) || (key >= u'0' && key <= u'9'); }

bool DenominationCellEditable(int col) { return col != TypeCol && col != DenominationSumCol; }

void RecalculateDenominationGrid(TStringGrid& grid) {
  for (int row = DenominationFirstRow; row <= DenominationLastRow; ++row) {
    const double sum = ParseNumber(grid.Cells(0, row)) * ParseNumber(grid.Cells(DenominationCountCol, row));
    grid.SetCells(DenominationSumCol, row, FormatGeneral(sum));
  }
  double total = 0;
  for (int row = DenominationFirstRow; row <= DenominationLastRow; ++row)
    total += ParseNumber(grid.Cells(DenominationSumCol, row));
  grid.SetCells(DenominationSumCol, DenominationTotalRow, FormatGeneral(total));
}
