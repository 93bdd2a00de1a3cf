#pragma once

#include <QChar>
#include <QString>
#include <QStringList>

#include "app/store/StoreEngine.h"

// What differs between the engines' SQL in the statements both write alike: how a parameter
// is marked and typed, and which comparison takes NULL as equal to NULL. Names come in
// already quoted, each engine quoting them its own way.
struct TSqlDialect {
  QChar ParameterMark;  // '?' (?1, ?2, ...) or '$' ($1, $2, ...)
  QString SameValue;    // the equality that holds for NULL and NULL: IS, IS NOT DISTINCT FROM
  QString IntegerCast;  // appended to an integer field's parameter; empty for none
  QString TextCast;     // appended to a text field's parameter; empty for none
};

// Parameter `number` (>= 1) for a value of `field`, typed as the dialect types it.
QString FieldParameter(const TSqlDialect& dialect, const TFieldDef& field, int number);

// "p1,p2,...": one parameter a field of `table`, in its order, numbered from
// `firstParameter` (>= 1) on.
QString ParameterList(const TSqlDialect& dialect, const TTableDef& table, int firstParameter);

// "c1 = p1,c2 = p2,...": each field set to a parameter, numbered from 1 in the table's order.
// `quotedColumns` are the fields' column names as SQL, one a field, in that order.
QString Assignments(const TSqlDialect& dialect, const TTableDef& table,
                    const QStringList& quotedColumns);

// The optimistic lock's condition: the row whose key (`quotedKey`) is parameter
// `firstParameter` (>= 1) still holds, in every field of `table` from the first on, the value
// of the parameters after it, NULL matching NULL. `quotedColumns` as for Assignments.
QString MatchCondition(const TSqlDialect& dialect, const TTableDef& table,
                       const QString& quotedKey, const QStringList& quotedColumns,
                       int firstParameter);
