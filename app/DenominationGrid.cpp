#include "app/DenominationGrid.h"

#include "app/controls/StringGrid.h"
#include "texts/NumberFormat.h"

#include <QStringList>
#include <array>

namespace {

constexpr int TypeCol = 1;
constexpr int LastBanknoteRow = 8;

}  // namespace

void TDenominationGrid::SetUp() {
  FGrid.SetColCount(4);
  FGrid.SetRowCount(17);
  FGrid.SetFixedCols(1);
  FGrid.SetFixedRows(1);
  constexpr std::array widths{50, 72, 72, 72};
  for (int col = 0; col < static_cast<int>(widths.size()); ++col)
    FGrid.SetColWidth(col, widths[col]);
  FGrid.SetDefaultRowHeight(20);

  const QStringList headings{"Номинал", "Тип", "Кол-во", "Сумма"};
  for (int col = 0; col < headings.size(); ++col) FGrid.SetCells(col, 0, headings[col]);

  const QStringList denominations{"5000",
                                  "2000",
                                  "1000",
                                  "500",
                                  "200",
                                  "100",
                                  "50",
                                  "10",
                                  "25",
                                  "10",
                                  "5",
                                  "2",
                                  "1",
                                  FormatGeneral(0.5),
                                  FormatGeneral(0.1)};
  for (int row = DenominationFirstRow; row <= DenominationLastRow; ++row) {
    FGrid.SetCells(0, row, denominations[row - DenominationFirstRow]);
    FGrid.SetCells(TypeCol, row,
                   row <= LastBanknoteRow ? QStringLiteral("банкнота") : QStringLiteral("монета"));
    FGrid.SetCells(DenominationCountCol, row, QStringLiteral("0"));
  }
  FGrid.SetCells(DenominationCountCol, DenominationTotalRow, QStringLiteral("Итого"));

  FGrid.SetEditLimit(DenominationCountMaxDigits);
  FGrid.SetEditing(false);
  FGrid.SetCurrentCell(TypeCol, DenominationFirstRow);
}

void TDenominationGrid::KeyPress(QChar& key) const {
  if (key != QChar(8) && (key < u'0' || key > u'9')) key = QChar();
}

void TDenominationGrid::SelectCell(int col, int) {
  FGrid.SetEditing(col != TypeCol && col != DenominationSumCol);
}

void TDenominationGrid::SetEditText(int, int, const QString&) {
  for (int row = DenominationFirstRow; row <= DenominationLastRow; ++row) {
    const double sum =
        ParseNumber(FGrid.Cells(0, row)) * ParseNumber(FGrid.Cells(DenominationCountCol, row));
    FGrid.SetCells(DenominationSumCol, row, FormatGeneral(sum));
  }
  double total = 0;
  for (int row = DenominationFirstRow; row <= DenominationLastRow; ++row)
    total += ParseNumber(FGrid.Cells(DenominationSumCol, row));
  FGrid.SetCells(DenominationSumCol, DenominationTotalRow, FormatGeneral(total));
}
