#include "app/store/PgResult.h"

#include <libpq-fe.h>

namespace {

// Type OIDs of the built-in integer types; fixed in every PostgreSQL release.
constexpr Oid Int8Oid = 20;
constexpr Oid Int2Oid = 21;
constexpr Oid Int4Oid = 23;

}  // namespace

void TPgResult::TClearer::operator()(pg_result* result) const { PQclear(result); }

TPgResult::TPgResult(pg_result* result) : FResult(result) {}

int TPgResult::RowCount() const { return PQntuples(FResult.get()); }

int TPgResult::ColumnCount() const { return PQnfields(FResult.get()); }

QString TPgResult::ColumnName(int column) const {
  return QString::fromUtf8(PQfname(FResult.get(), column));
}

QVariant TPgResult::Value(int row, int column) const {
  if (PQgetisnull(FResult.get(), row, column)) return QVariant();
  const char* text = PQgetvalue(FResult.get(), row, column);
  const Oid type = PQftype(FResult.get(), column);
  if (type == Int2Oid || type == Int4Oid || type == Int8Oid)
    return QVariant(QByteArray(text).toLongLong());
  return QVariant(QString::fromUtf8(text));
}

QString TPgResult::CommandStatus() const { return QString::fromUtf8(PQcmdStatus(FResult.get())); }

int TPgResult::AffectedRows() const { return QByteArray(PQcmdTuples(FResult.get())).toInt(); }
