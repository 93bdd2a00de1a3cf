#include "tests/app/store/TestRegisters.h"

#include "tests/app/store/PgStoreTestSupport.h"

namespace {

const QString BagColumns = QStringLiteral(
    "\"Номер сумки\",\"Номер пакета\",\"Получатель\",\"Счет\",\"Инн\",\"Символ\",\"ФИО\"");

}  // namespace

TServerRegister::TServerRegister()
    : FOther(RegisterConnInfo(QStringLiteral("postgres"))),
      FConnection(TServerConnection{RegisterConnInfo()}) {
  Execute(QStringLiteral("SET client_min_messages = warning"));
}

void TServerRegister::Create(const std::vector<TBagRow>& rows) {
  Execute(QStringLiteral("DROP INDEX IF EXISTS \"BagNumbers\""));
  EmptyRegister(FOther);
  for (const TBagRow& row : rows)
    FOther.Execute(QStringLiteral("INSERT INTO \"Clients\" (%1) VALUES ($1,$2,$3,$4,$5,$6,$7)")
                       .arg(BagColumns),
                   row);
}

std::vector<TBagRow> TServerRegister::Rows() {
  const TPgResult result =
      FOther.Execute(QStringLiteral("SELECT %1 FROM \"Clients\" ORDER BY \"ID\"").arg(BagColumns));
  std::vector<TBagRow> rows;
  for (int row = 0; row < result.RowCount(); ++row) {
    TBagRow values;
    for (int column = 0; column < result.ColumnCount(); ++column)
      values.push_back(result.Value(row, column));
    rows.push_back(values);
  }
  return rows;
}

void PrintTo(const TRegisterEngine& engine, std::ostream* out) { *out << engine.Name; }

std::string EngineName(const testing::TestParamInfo<TRegisterEngine>& info) {
  return info.param.Name;
}
