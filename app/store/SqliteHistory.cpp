#include "app/store/SqliteHistory.h"

#include <QSysInfo>

#include <pwd.h>
#include <unistd.h>

#include <functional>
#include <vector>

namespace {

// Every record with Seq above `after`, in order, with its fields and stored digest: records
// and fields are read side by side, both in the order of their keys.
void ReadRecords(TSqliteDatabase& db, qint64 after,
                 const std::function<bool(const THistoryRecord&, const std::optional<QByteArray>&)>&
                     take) {
  TSqliteStatement records(
      db, QStringLiteral("SELECT \"Seq\", \"Time\", \"Who\", \"Kind\", \"FeedSeq\", \"ID\", "
                         "\"Digest\" FROM \"ClientsHistory\" WHERE \"Seq\" > ?1 ORDER BY \"Seq\""));
  records.Bind(1, after);
  TSqliteStatement fields(
      db, QStringLiteral("SELECT \"Seq\", \"Field\", \"Before\", \"After\" FROM "
                         "\"ClientsHistoryFields\" WHERE \"Seq\" > ?1 ORDER BY \"Seq\", \"Field\""));
  fields.Bind(1, after);
  bool field = fields.Step();
  while (records.Step()) {
    THistoryRecord record{records.Column(0).toLongLong(), records.Column(1),
                          records.Column(2).toString(),  records.Column(3).toString(),
                          records.Column(4).toLongLong(), records.Column(5).toLongLong(),
                          {}};
    // Fields of a record that is gone are skipped: the record's absence breaks the chain.
    while (field && fields.Column(0).toLongLong() < record.Seq) field = fields.Step();
    while (field && fields.Column(0).toLongLong() == record.Seq) {
      record.Fields.push_back({fields.Column(1).toString(), fields.Column(2), fields.Column(3)});
      field = fields.Step();
    }
    const QVariant digest = records.Column(6);
    if (!take(record, digest.isNull() ? std::nullopt : std::optional(digest.toByteArray())))
      return;
  }
}

}  // namespace

QString DeskIdentity() {
  QString user = QString::number(geteuid());
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found)
    user = QString::fromLocal8Bit(found->pw_name);
  return user + u'@' + QSysInfo::machineHostName();
}

TSqliteDeskWrite::TSqliteDeskWrite(TSqliteDatabase& db, bool history)
    : FDb(db), FHistory(history), FTransaction(db) {
  if (!FHistory) return;
  TSqliteStatement name(FDb, QStringLiteral("INSERT INTO \"ClientsDesk\" (\"Who\") VALUES (?1)"));
  name.Bind(1, DeskIdentity());
  name.Step();
}

void TSqliteDeskWrite::Commit() {
  if (FHistory) {
    SealSqliteHistory(FDb);
    FDb.Execute(QStringLiteral("DELETE FROM \"ClientsDesk\""));
  }
  FTransaction.Commit();
}

void SealSqliteHistory(TSqliteDatabase& db) {
  TSqliteStatement last(db, QStringLiteral("SELECT \"Seq\", \"Digest\" FROM \"ClientsHistory\" "
                                           "WHERE \"Digest\" IS NOT NULL ORDER BY \"Seq\" DESC "
                                           "LIMIT 1"));
  qint64 after = 0;
  QByteArray previous;
  if (last.Step()) {
    after = last.Column(0).toLongLong();
    previous = last.Column(1).toByteArray();
  }
  // Read first, written after: the reading statements are done before the first update.
  std::vector<std::pair<qint64, QByteArray>> sealed;
  ReadRecords(db, after, [&](const THistoryRecord& record, const std::optional<QByteArray>&) {
    previous = HistoryDigest(previous, record);
    sealed.emplace_back(record.Seq, previous);
    return true;
  });
  TSqliteStatement seal(
      db, QStringLiteral("UPDATE \"ClientsHistory\" SET \"Digest\" = ?2 WHERE \"Seq\" = ?1"));
  for (const auto& [seq, digest] : sealed) {
    seal.Reset();
    seal.Bind(1, seq);
    seal.Bind(2, digest);
    seal.Step();
  }
}

std::vector<THistoryRecord> ReadSqliteBagHistory(TSqliteDatabase& db, const QString& bagNumber) {
  TSqliteStatement rows(
      db, QStringLiteral(
              // Each way a bag is found by its own index: the history's numbers before and
              // after a change (partial indexes), the register's bags.
              "WITH bags AS (SELECT h.\"ID\" FROM \"ClientsHistoryFields\" AS f "
              "JOIN \"ClientsHistory\" AS h ON h.\"Seq\" = f.\"Seq\" "
              "WHERE f.\"Field\" = 'Номер сумки' AND f.\"After\" = ?1 "
              "UNION SELECT h.\"ID\" FROM \"ClientsHistoryFields\" AS f "
              "JOIN \"ClientsHistory\" AS h ON h.\"Seq\" = f.\"Seq\" "
              "WHERE f.\"Field\" = 'Номер сумки' AND f.\"Before\" = ?1 "
              "UNION SELECT rowid FROM \"Clients\" WHERE \"Номер сумки\" = ?1) "
              "SELECT h.\"Seq\", h.\"Time\", h.\"Who\", h.\"Kind\", h.\"FeedSeq\", h.\"ID\", "
              "f.\"Field\", f.\"Before\", f.\"After\" FROM \"ClientsHistory\" AS h "
              "LEFT JOIN \"ClientsHistoryFields\" AS f ON f.\"Seq\" = h.\"Seq\" "
              "WHERE h.\"ID\" IN bags ORDER BY h.\"Seq\" DESC, f.\"Field\""));
  rows.Bind(1, bagNumber);
  std::vector<THistoryRecord> records;
  while (rows.Step()) {
    const qint64 seq = rows.Column(0).toLongLong();
    if (records.empty() || records.back().Seq != seq)
      records.push_back({seq, rows.Column(1), rows.Column(2).toString(), rows.Column(3).toString(),
                         rows.Column(4).toLongLong(), rows.Column(5).toLongLong(), {}});
    if (!rows.Column(6).isNull())
      records.back().Fields.push_back({rows.Column(6).toString(), rows.Column(7), rows.Column(8)});
  }
  return records;
}

THistoryCheck CheckSqliteHistory(TSqliteDatabase& db) {
  // One read transaction, so the records, their fields and the last number agree.
  struct TReading {
    TSqliteDatabase& Db;
    explicit TReading(TSqliteDatabase& db) : Db(db) { Db.Execute(QStringLiteral("BEGIN")); }
    ~TReading() { Db.Execute(QStringLiteral("ROLLBACK")); }
  } reading(db);
  THistoryChain chain;
  ReadRecords(db, 0, [&](const THistoryRecord& record, const std::optional<QByteArray>& digest) {
    return chain.Add(record, digest);
  });
  TSqliteStatement last(
      db, QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = 'ClientsHistory'"));
  return chain.Finish(last.Step() ? last.Column(0).toLongLong() : 0);
}
