#include "tests/office/VoucherCellMap.h"

#include <gtest/gtest.h>

#include "tests/support/QtPrinters.h"

std::vector<TExpectedCell> ExpectedCopy(int sheet, std::span<const TFieldCell> copy,
                                        const std::map<TField, QString>& texts) {
  std::vector<TExpectedCell> cells;
  for (const TFieldCell& cell : copy) cells.push_back({sheet, cell.Address, texts.at(cell.Field)});
  return cells;
}

std::vector<TExpectedCell> ExpectedList(int sheet, const QString& bagNumber,
                                        const std::vector<TListLine>& lines, const QString& total) {
  std::vector<TExpectedCell> cells{{sheet, ListBagNumberCell.Address, bagNumber}};
  int row = 5;
  for (const TListLine& line : lines) {
    const QString number = QString::number(row++);
    cells.push_back({sheet, "A" + number, line.Denomination});
    cells.push_back({sheet, "BA" + number, line.Count});
    cells.push_back({sheet, "DC" + number, line.Sum});
  }
  cells.push_back({sheet, "DC20", total});
  return cells;
}

void ExpectCells(const std::vector<TExpectedCell>& cells,
                 const std::function<QString(int sheet, const QString& address)>& read) {
  for (const TExpectedCell& cell : cells)
    EXPECT_EQ(read(cell.Sheet, cell.Address), cell.Text)
        << "sheet " << cell.Sheet << " " << cell.Address.toStdString();
}
