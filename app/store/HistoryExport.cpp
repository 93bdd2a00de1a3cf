#include "app/store/HistoryExport.h"

#include <QStringList>

#include "app/store/HistoryChain.h"
#include "app/store/PgTransaction.h"

namespace {

// Records per query on the server.
constexpr int PageSize = 10000;

QByteArray Cell(const QString& text) {
  QByteArray bytes = text.toUtf8();
  if (bytes.contains(',') || bytes.contains('"') || bytes.contains('\n') || bytes.contains('\r'))
    bytes = '"' + bytes.replace('"', "\"\"") + '"';
  return bytes;
}

QByteArray Line(const QStringList& cells) {
  QByteArray line;
  for (qsizetype i = 0; i < cells.size(); ++i) line += (i > 0 ? "," : "") + Cell(cells[i]);
  return line + "\r\n";
}

// One line from the eight columns as read: seq, time, who, kind, key, field, before, after.
QByteArray Row(const std::vector<QVariant>& columns) {
  QStringList cells;
  for (const QVariant& column : columns) cells << (column.isNull() ? QString() : column.toString());
  cells[3] = HistoryKindText(cells[3]);
  return Line(cells);
}

const QStringList Header{QStringLiteral("Запись"), QStringLiteral("Время (UTC)"),
                         QStringLiteral("Кто"),    QStringLiteral("Изменение"),
                         QStringLiteral("Сумка"),  QStringLiteral("Поле"),
                         QStringLiteral("Было"),   QStringLiteral("Стало")};

}  // namespace

void ExportSqliteHistory(TSqliteDatabase& db, QDate from, QDate to, const THistoryCsvWrite& write) {
  TSqliteStatement rows(
      db, QStringLiteral(
              "SELECT h.\"Seq\", substr(h.\"Time\", 1, 23), h.\"Who\", h.\"Kind\", h.\"ID\", "
              "f.\"Field\", f.\"Before\", f.\"After\" FROM \"ClientsHistory\" AS h "
              "LEFT JOIN \"ClientsHistoryFields\" AS f ON f.\"Seq\" = h.\"Seq\" "
              "WHERE h.\"Time\" >= ?1 AND h.\"Time\" < ?2 ORDER BY h.\"Seq\", f.\"Field\""));
  rows.Bind(1, from.toString(Qt::ISODate));
  rows.Bind(2, to.addDays(1).toString(Qt::ISODate));
  write(Line(Header));
  while (rows.Step()) {
    std::vector<QVariant> columns;
    for (int i = 0; i < 8; ++i) columns.push_back(rows.Column(i));
    write(Row(columns));
  }
}

void ExportPgHistory(TPgConnection& connection, QDate from, QDate to,
                     const THistoryCsvWrite& write) {
  TPgTransaction snapshot(connection);
  connection.Execute(QStringLiteral("SET TRANSACTION ISOLATION LEVEL REPEATABLE READ, READ ONLY"));
  const QString start = from.toString(Qt::ISODate) + QStringLiteral(" 00:00:00+00");
  const QString end = to.addDays(1).toString(Qt::ISODate) + QStringLiteral(" 00:00:00+00");
  write(Line(Header));
  for (qint64 after = 0;;) {
    const TPgResult rows = connection.Execute(
        QStringLiteral(
            "SELECT h.\"Seq\", to_char(h.\"Time\" AT TIME ZONE 'UTC', 'YYYY-MM-DD HH24:MI:SS.MS'), "
            "h.\"Who\", h.\"Kind\", h.\"ID\", f.\"Field\", f.\"Before\", f.\"After\" "
            "FROM (SELECT * FROM \"ClientsHistory\" WHERE \"Time\" >= $1::timestamptz "
            "AND \"Time\" < $2::timestamptz AND \"Seq\" > $3 ORDER BY \"Seq\" LIMIT %1) AS h "
            "LEFT JOIN \"ClientsHistoryFields\" AS f ON f.\"Seq\" = h.\"Seq\" "
            "ORDER BY h.\"Seq\", f.\"Field\" COLLATE \"C\"")
            .arg(PageSize),
        {start, end, after});
    if (rows.RowCount() == 0) break;
    qint64 records = 0;
    for (int row = 0; row < rows.RowCount(); ++row) {
      std::vector<QVariant> columns;
      for (int i = 0; i < 8; ++i) columns.push_back(rows.Value(row, i));
      const qint64 seq = columns[0].toLongLong();
      if (seq != after) ++records;
      after = seq;
      write(Row(columns));
    }
    if (records < PageSize) break;
  }
}
