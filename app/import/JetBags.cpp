#include "app/import/JetBags.h"

#include <QDir>

#include "app/BagFields.h"
#include "app/import/ImportError.h"
#include "app/import/ImportTexts.h"
#include "app/import/JetFile.h"

TSourceTable ReadJetBags(const QString& path) {
  const QString file = QDir::toNativeSeparators(path);
  TJetDatabase database(path);
  const std::unique_ptr<TJetTable> table = database.Table(QStringLiteral("Clients"));
  if (!table)
    throw EBagImport(QStringLiteral("В файле %1 нет таблицы Clients: это не база сумок прежней "
                                    "версии программы. Возьмите её файл db.mdb.")
                         .arg(file));
  std::vector<std::size_t> columns;
  for (const TBagField field : AllBagFields) {
    const QString name = BagFieldName(field);
    const auto& all = table->Columns();
    const auto column = std::find_if(all.begin(), all.end(), [&](const TJetTable::TColumn& c) {
      return c.Name.compare(name, Qt::CaseInsensitive) == 0;
    });
    if (column == all.end())
      throw EBagImport(QStringLiteral("В файле %1 в таблице Clients нет столбца «%2». Возьмите "
                                      "файл db.mdb прежней версии программы целиком.")
                           .arg(file, name));
    if (!column->Text && !column->Integer)
      throw EBagImport(QStringLiteral("В файле %1 в таблице Clients столбец «%2» хранит не текст "
                                      "и не целые числа. Возьмите файл db.mdb прежней версии "
                                      "программы.")
                           .arg(file, name));
    columns.push_back(std::size_t(column - all.begin()));
  }
  TSourceTable rows;
  int line = 0;
  while (table->Next()) {
    TSourceRow row{++line, {}};
    row.Cells.reserve(columns.size());
    for (const std::size_t c : columns) row.Cells.push_back(table->Row()[c]);
    rows.push_back(std::move(row));
  }
  if (qint64(rows.size()) != table->StatedRowCount())
    throw EBagImport(QStringLiteral("Файл %1 повреждён: из таблицы Clients прочитано %2, а в ней "
                                    "%3. Возьмите целую копию файла.")
                         .arg(file, BagCount(qint64(rows.size())), BagCount(table->StatedRowCount())),
                     QStringLiteral("libmdb read %1 of %2 rows")
                         .arg(rows.size())
                         .arg(table->StatedRowCount()));
  return rows;
}
