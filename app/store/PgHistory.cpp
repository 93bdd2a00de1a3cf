#include "app/store/PgHistory.h"

#include "app/store/PgTransaction.h"

namespace {

// Records read per query: memory stays bounded however long the history grows.
constexpr int PageSize = 10000;

QByteArray Bytes(const QVariant& hex) {
  return QByteArray::fromHex(hex.toString().mid(2).toLatin1());
}

}  // namespace

THistoryCheck CheckPgHistory(TPgConnection& connection) {
  TPgTransaction snapshot(connection);
  connection.Execute(QStringLiteral("SET TRANSACTION ISOLATION LEVEL REPEATABLE READ, READ ONLY"));
  // The session's own temporary tables of the same names must not stand in for the register's.
  connection.Execute(QStringLiteral(
      "SELECT set_config('search_path', quote_ident(current_schema()) || ', pg_temp', true)"));
  THistoryChain chain;
  qint64 after = 0;
  for (bool more = true; more;) {
    const TPgResult records = connection.Execute(
        QStringLiteral("SELECT \"Seq\", (extract(epoch FROM \"Time\") * 1000000)::bigint, \"Who\", "
                       "\"Kind\", \"FeedSeq\", \"ID\", \"Digest\" FROM \"ClientsHistory\" "
                       "WHERE \"Seq\" > $1 ORDER BY \"Seq\" LIMIT %1")
            .arg(PageSize),
        {after});
    if (records.RowCount() == 0) break;
    const qint64 last = records.Value(records.RowCount() - 1, 0).toLongLong();
    const TPgResult fields = connection.Execute(
        QStringLiteral("SELECT \"Seq\", \"Field\", \"Before\", \"After\" FROM "
                       "\"ClientsHistoryFields\" WHERE \"Seq\" > $1 AND \"Seq\" <= $2 "
                       "ORDER BY \"Seq\", \"Field\" COLLATE \"C\""),
        {after, last});
    int field = 0;
    for (int row = 0; row < records.RowCount() && more; ++row) {
      THistoryRecord record{records.Value(row, 0).toLongLong(), records.Value(row, 1),
                            records.Value(row, 2).toString(),  records.Value(row, 3).toString(),
                            records.Value(row, 4).toLongLong(), records.Value(row, 5).toLongLong(),
                            {}};
      while (field < fields.RowCount() && fields.Value(field, 0).toLongLong() < record.Seq)
        ++field;
      for (; field < fields.RowCount() && fields.Value(field, 0).toLongLong() == record.Seq;
           ++field)
        record.Fields.push_back(
            {fields.Value(field, 1).toString(), fields.Value(field, 2), fields.Value(field, 3)});
      more = chain.Add(record, Bytes(records.Value(row, 6)));
    }
    after = last;
    more = more && records.RowCount() == PageSize;
  }
  const TPgResult head =
      connection.Execute(QStringLiteral("SELECT \"Seq\" FROM \"ClientsHistoryHead\""));
  return chain.Finish(head.RowCount() > 0 ? head.Value(0, 0).toLongLong() : 0);
}

std::vector<THistoryRecord> ReadPgBagHistory(TPgConnection& connection, const QString& bagNumber) {
  const TPgResult rows = connection.Execute(
      QStringLiteral(
          "SELECT h.\"Seq\", (extract(epoch FROM h.\"Time\") * 1000000)::bigint, h.\"Who\", "
          "h.\"Kind\", h.\"FeedSeq\", h.\"ID\", f.\"Field\", f.\"Before\", f.\"After\" "
          "FROM \"ClientsHistory\" AS h "
          "LEFT JOIN \"ClientsHistoryFields\" AS f ON f.\"Seq\" = h.\"Seq\" "
          // Each way a bag is found by its own index: the history's numbers before and after
          // a change (partial indexes), the register's bags.
          "WHERE h.\"ID\" IN (SELECT b.\"ID\" FROM \"ClientsHistoryFields\" AS n "
          "JOIN \"ClientsHistory\" AS b ON b.\"Seq\" = n.\"Seq\" "
          "WHERE n.\"Field\" = 'Номер сумки' AND n.\"After\" = $1 "
          "UNION SELECT b.\"ID\" FROM \"ClientsHistoryFields\" AS n "
          "JOIN \"ClientsHistory\" AS b ON b.\"Seq\" = n.\"Seq\" "
          "WHERE n.\"Field\" = 'Номер сумки' AND n.\"Before\" = $1 "
          "UNION SELECT \"ID\" FROM \"Clients\" WHERE \"Номер сумки\" = $1) "
          "ORDER BY h.\"Seq\" DESC, f.\"Field\" COLLATE \"C\""),
      {bagNumber});
  std::vector<THistoryRecord> records;
  for (int row = 0; row < rows.RowCount(); ++row) {
    const qint64 seq = rows.Value(row, 0).toLongLong();
    if (records.empty() || records.back().Seq != seq)
      records.push_back({seq, rows.Value(row, 1), rows.Value(row, 2).toString(),
                         rows.Value(row, 3).toString(), rows.Value(row, 4).toLongLong(),
                         rows.Value(row, 5).toLongLong(), {}});
    if (!rows.Value(row, 6).isNull())
      records.back().Fields.push_back(
          {rows.Value(row, 6).toString(), rows.Value(row, 7), rows.Value(row, 8)});
  }
  return records;
}
