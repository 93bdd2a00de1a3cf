#include "app/import/BagColumns.h"

#include <QDir>

#include <algorithm>

#include "app/BagFields.h"
#include "app/import/ImportError.h"

namespace {

// The field a header cell names, if any.
std::optional<int> NamedField(const TCell& cell) {
  if (!cell) return std::nullopt;
  const QString name = cell->trimmed();
  for (int f = 0; f < BagFieldCount; ++f)
    if (name.compare(BagFieldName(AllBagFields[f]), Qt::CaseInsensitive) == 0) return f;
  return std::nullopt;
}

QString CellCountReason(qsizetype cells, qsizetype wanted) {
  return QStringLiteral("в строке %1 столбцов, а нужно %2").arg(cells).arg(wanted);
}

}  // namespace

TBagCells TakeBagColumns(const TSourceTable& table, const QString& fileName) {
  TBagCells result;
  if (table.empty()) return result;
  // The column of each field: its place in the header, or its place in the register.
  std::vector<qsizetype> columns(BagFieldCount, -1);
  const TSourceRow& first = table.front();
  for (qsizetype c = 0; c < qsizetype(first.Cells.size()); ++c)
    if (const std::optional<int> field = NamedField(first.Cells[c]); field && columns[*field] < 0)
      columns[*field] = c;
  const bool header = std::any_of(columns.begin(), columns.end(), [](qsizetype c) { return c >= 0; });
  if (header) {
    for (int f = 0; f < BagFieldCount; ++f)
      if (columns[f] < 0)
        throw EBagImport(
            QStringLiteral("В первой строке файла %1 названы столбцы, но нет столбца «%2». "
                           "Добавьте его или уберите строку заголовка.")
                .arg(QDir::toNativeSeparators(fileName), BagFieldName(AllBagFields[f])));
  } else {
    for (int f = 0; f < BagFieldCount; ++f) columns[f] = f;
  }
  const qsizetype needed = *std::max_element(columns.begin(), columns.end()) + 1;
  for (auto row = table.begin() + (header ? 1 : 0); row != table.end(); ++row) {
    const qsizetype size = qsizetype(row->Cells.size());
    const bool surplus = !header && std::any_of(row->Cells.begin() + std::min(size, needed),
                                                row->Cells.end(),
                                                [](const TCell& cell) { return cell.has_value(); });
    if (size < needed || surplus) {
      result.Rejected.push_back({row->Line, CellCountReason(size, needed)});
      continue;
    }
    TSourceRow bag{row->Line, {}};
    for (const qsizetype c : columns) bag.Cells.push_back(row->Cells[c]);
    result.Rows.push_back(std::move(bag));
  }
  return result;
}
