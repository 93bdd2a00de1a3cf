#include "app/store/SqlDialect.h"

QString FieldParameter(const TSqlDialect& dialect, const TFieldDef& field, int number) {
  return dialect.ParameterMark + QString::number(number) +
         (field.Type == TFieldType::ftInteger ? dialect.IntegerCast : dialect.TextCast);
}

QString ParameterList(const TSqlDialect& dialect, const TTableDef& table, int firstParameter) {
  QStringList parameters;
  for (int i = 0; i < int(table.Fields.size()); ++i)
    parameters << FieldParameter(dialect, table.Fields[i], firstParameter + i);
  return parameters.join(u',');
}

QString Assignments(const TSqlDialect& dialect, const TTableDef& table,
                    const QStringList& quotedColumns) {
  QStringList assignments;
  for (int i = 0; i < int(table.Fields.size()); ++i)
    assignments << quotedColumns[i] + QStringLiteral(" = ") +
                       FieldParameter(dialect, table.Fields[i], i + 1);
  return assignments.join(u',');
}

QString MatchCondition(const TSqlDialect& dialect, const TTableDef& table,
                       const QString& quotedKey, const QStringList& quotedColumns,
                       int firstParameter) {
  QString condition = quotedKey + QStringLiteral(" = ") + dialect.ParameterMark +
                      QString::number(firstParameter);
  for (int i = 0; i < int(table.Fields.size()); ++i)
    condition += QStringLiteral(" AND %1 %2 %3")
                     .arg(quotedColumns[i], dialect.SameValue,
                          FieldParameter(dialect, table.Fields[i], firstParameter + 1 + i));
  return condition;
}
