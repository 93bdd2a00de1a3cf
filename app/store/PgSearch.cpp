#include "app/store/PgSearch.h"

#include "app/store/PgTransaction.h"

namespace {

// How many rows a search walks in key order before it asks the indexes: it fills the limit
// when one bag in five or more matches. A row costs the walk about a microsecond, so a rarer
// text loses a few milliseconds here; the indexes would read every bag that holds a common
// one, hundreds of thousands in a large register, to keep the first thousand.
constexpr int SearchWalkRows = 5000;

const QString Names = QStringLiteral("clients_search_names(\"Получатель\", \"ФИО\")");

QString NumbersCondition(const QString& typed) {
  return QStringLiteral(
             "(\"Номер сумки\" LIKE %1 || '%' OR \"Номер пакета\"::text LIKE %1 || '%' OR "
             "clients_search_numbers(\"Инн\", \"Счет\") LIKE '%' || %1 || '%')")
      .arg(typed);
}

QString Typed(int parameter) { return QStringLiteral("$%1::text").arg(parameter); }

}  // namespace

std::vector<TRowKey> ResultKeys(const TPgResult& result) {
  std::vector<TRowKey> keys;
  keys.reserve(result.RowCount());
  for (int row = 0; row < result.RowCount(); ++row)
    keys.push_back(result.Value(row, 0).toLongLong());
  return keys;
}

TPgSearchColumns::TPgSearchColumns(int version)
    : Stored(version >= 6),
      Folded(version >= 6 ? QStringLiteral("\"SearchNames\"") : Names),
      Latin(version >= 6 ? QStringLiteral("\"SearchLatin\"")
                         : QStringLiteral("clients_search_latin(%1)").arg(Names)) {}

QString PgIndexedSearchCondition(const TPgSearchColumns& columns, const TBagSearch& search,
                                 int parameter) {
  const QString typed = Typed(parameter);
  if (search.Kind == TSearchKind::skNumbers) return NumbersCondition(typed);
  return QStringLiteral(
             "(%1 LIKE '%' || clients_search_latin(%2) || '%' AND %3 LIKE '%' || %2 "
             "|| '%')")
      .arg(columns.Latin, typed, columns.Folded);
}

QString PgRowSearchCondition(const TPgSearchColumns& columns, const TBagSearch& search,
                             int parameter) {
  const QString typed = Typed(parameter);
  if (search.Kind == TSearchKind::skNumbers) return NumbersCondition(typed);
  return QStringLiteral("%1 LIKE '%' || %2 || '%'").arg(columns.Folded, typed);
}

QString PgSearchText(const TBagSearch& search) {
  QString text = search.Text;
  text.replace(u'\\', QStringLiteral("\\\\"));
  text.replace(u'%', QStringLiteral("\\%"));
  text.replace(u'_', QStringLiteral("\\_"));
  return text;
}

std::vector<TRowKey> ReadPgSearchKeys(TPgConnection& connection, const QString& quotedTable,
                                      const QString& quotedKey, const TPgSearchColumns& columns,
                                      const TBagSearch& search, TRowKey after, int limit) {
  const std::vector<QVariant> parameters{after, limit, PgSearchText(search)};
  const QString indexed =
      QStringLiteral("SELECT %1 FROM %2 WHERE %1 > $1::bigint AND %3 ORDER BY %1 LIMIT $2")
          .arg(quotedKey, quotedTable, PgIndexedSearchCondition(columns, search, 3));
  // Names folded per bag cost a walk ten times what stored ones do: there the planner chooses,
  // by the statistics that the folded names have of their own.
  if (search.Kind == TSearchKind::skNames && !columns.Stored)
    return ResultKeys(connection.Execute(indexed, parameters));
  // The walk's LIMIT keeps the server from pushing the match into it: it reads that many rows
  // by the key's index at most, and stops as soon as `limit` of them match.
  std::vector<TRowKey> keys = ResultKeys(connection.Execute(
      QStringLiteral("SELECT %1 FROM (SELECT %1, %3 AS found FROM %2 WHERE %1 > $1::bigint "
                     "ORDER BY %1 LIMIT %4) AS walked WHERE found ORDER BY %1 LIMIT $2")
          .arg(quotedKey, quotedTable, PgRowSearchCondition(columns, search, 3),
               QString::number(SearchWalkRows)),
      parameters));
  if (int(keys.size()) == limit) return keys;
  // Fewer bags than that hold the text, or they lie further on: only the search indexes, whose
  // matches are then sorted by key. Left to itself the server may walk the key's index
  // instead, guessing from its statistics that matches come soon, and read most of the table
  // for a text that a bag in a thousand holds.
  TPgTransaction transaction(connection);
  connection.Execute(QStringLiteral(
      "SELECT set_config('enable_seqscan', 'off', true), set_config('enable_indexscan', 'off', "
      "true)"));
  keys = ResultKeys(connection.Execute(indexed, parameters));
  transaction.Commit();
  return keys;
}
