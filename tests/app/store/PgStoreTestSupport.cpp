#include "tests/app/store/PgStoreTestSupport.h"

std::string Shown(const QVariant& value) {
  if (!value.isValid()) return "NULL";
  if (value.typeId() == QMetaType::LongLong) return "int " + value.toString().toStdString();
  return "text '" + value.toString().toStdString() + "'";
}

std::vector<std::string> ShownRow(const TPgResult& result, int row) {
  std::vector<std::string> values;
  for (int column = 0; column < result.ColumnCount(); ++column)
    values.push_back(Shown(result.Value(row, column)));
  return values;
}

void PrintTo(const TFailure& failure, std::ostream* out) {
  *out << failure.SqlState << " \"" << failure.Message << '"';
}

QString RegisterConnInfo(const QString& role) {
  return TPgTestEnvironment::Cluster().ConnInfo(
      QString::fromLatin1(TPgTestEnvironment::RegisterDatabase), role);
}

void EmptyRegister(TPgConnection& owner) {
  owner.Execute(QStringLiteral("TRUNCATE \"Clients\", \"ClientsFeed\", \"ClientsHistory\", "
                               "\"ClientsHistoryFields\" RESTART IDENTITY"));
  owner.Execute(QStringLiteral("UPDATE \"ClientsHistoryHead\" SET \"Seq\" = 0, \"Digest\" = NULL"));
}

void PgRegisterTest::SetUp() {
  TPgConnection owner(RegisterConnInfo(QStringLiteral("postgres")));
  EmptyRegister(owner);
}
