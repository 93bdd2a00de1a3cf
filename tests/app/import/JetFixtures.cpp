#include "tests/app/import/JetFixtures.h"

#include <gtest/gtest.h>

#include <QFile>

void WriteJetFile(const jet::TDatabase& database, const QString& path) {
  try {
    jet::WriteDatabaseFile(database, QFile::encodeName(path).toStdString());
  } catch (const std::exception& e) {
    ADD_FAILURE() << "cannot write " << path.toStdString() << ": " << e.what();
  }
}

namespace {

QVariant Stored(const jet::TValue& value) {
  if (const auto* number = std::get_if<std::int32_t>(&value)) return qint64(*number);
  if (const auto* text = std::get_if<std::string>(&value)) return QString::fromStdString(*text);
  return QVariant();
}

}  // namespace

TBagRow StoredBag(const jet::TBag& bag) {
  TBagRow row;
  for (const jet::TValue& value : bag) row.push_back(Stored(value));
  return row;
}

std::vector<TBagRow> StoredBags(const std::vector<jet::TBag>& bags) {
  std::vector<TBagRow> rows;
  for (const jet::TBag& bag : bags) rows.push_back(StoredBag(bag));
  return rows;
}

std::vector<TCell> BagCells(const jet::TBag& bag) {
  std::vector<TCell> cells;
  for (const jet::TValue& value : bag) {
    const QVariant stored = Stored(value);
    cells.push_back(stored.isValid() ? TCell(stored.toString()) : std::nullopt);
  }
  return cells;
}
