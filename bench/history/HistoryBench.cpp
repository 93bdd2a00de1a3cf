// bench-history: the bags' history on both engines, each figure beside a peer of the same run.
//   save: a desk's save (Edit, one field, Post) on a register of 1000 bags with the history and
//         on the same register without the history's triggers; rounds alternate, the ratio is
//         of the median rounds (target <= 1.3), and the history's growth in bytes per change.
//         The test cluster skips syncs; the server's saves are measured again on one that
//         syncs each commit as a server in service does.
//   check: the chain's walk over 10^6 records (records per second).
//   window: "История" opened for a bag with 1000 changes among those 10^6 records, from the
//         window's creation to its table shown (median of 5; target <= 100 ms).
// The big histories are written straight into the tables, chained as the engines chain them.
// Runs without a display unless one is given; takes a few minutes.
#include <QApplication>
#include <QFile>
#include <QWindow>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include "app/BagFields.h"
#include "app/HistoryForm.h"
#include "app/HistoryTable.h"
#include "app/store/ADOConnection.h"
#include "app/store/ADOTable.h"
#include "app/store/HistoryChain.h"
#include "app/store/PgConnection.h"
#include "app/store/Sqlite.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/store/PgTestCluster.h"

namespace {

constexpr int Bags = 1000;
constexpr int Rounds = 7;
constexpr int SavesPerRound = 100;
constexpr qint64 BigHistory = 1000000;
constexpr qint64 BagChangesEvery = 1000;  // bag 1 changes in every 1000th record
// 2026-01-01 00:00:00 UTC, the generated records' first moment; one millisecond apart.
constexpr qint64 BaseMicroseconds = 1767225600000000;

using TClock = std::chrono::steady_clock;

double MsSince(TClock::time_point start) {
  return std::chrono::duration<double, std::milli>(TClock::now() - start).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

QStringList BagFieldNames() {
  QStringList names;
  for (TBagField field : AllBagFields) names << BagFieldName(field);
  return names;
}

// A register a desk saves into: the table open on its connection.
struct TDesk {
  explicit TDesk(TADOConnection&& connection)
      : Connection(std::move(connection)),
        Table(Connection, QStringLiteral("Clients"), ClientsFields()) {
    Table.Open();
  }
  // `count` saves, each one field of the next bag; milliseconds per save.
  double Saves(int count) {
    const auto start = TClock::now();
    for (int save = 0; save < count; ++save) {
      Table.MoveTo(Next % Table.RecordCount());
      Table.Edit();
      Table.SetFieldText(int(TBagField::FullName), QStringLiteral("Кассир %1").arg(++Serial));
      Table.Post();
      ++Next;
    }
    return MsSince(start) / count;
  }
  TADOConnection Connection;
  TADOTable Table;
  int Next = 0;
  int Serial = 0;
};

// Saves on both desks in alternating rounds; prints the medians and their ratio.
void CompareSaves(const char* engine, TDesk& with, TDesk& without) {
  with.Saves(20);  // warm caches and plans alike
  without.Saves(20);
  std::vector<double> withMs, withoutMs;
  for (int round = 0; round < Rounds; ++round) {
    withMs.push_back(with.Saves(SavesPerRound));
    withoutMs.push_back(without.Saves(SavesPerRound));
  }
  const double a = Median(withMs), b = Median(withoutMs);
  std::printf("save, %s: %.3f ms with the history, %.3f ms without; ratio %.2f (target <= 1.3)\n",
              engine, a, b, a / b);
  std::fflush(stdout);
}

// The generated history's record `seq`: bag 1 added with its number, then every 1000th record
// a change of its full name; the others change the full name of bags 2 to 50001.
THistoryRecord Generated(qint64 seq, bool server) {
  THistoryRecord record;
  record.Seq = seq;
  const qint64 micro = BaseMicroseconds + seq * 1000;
  record.Time = server ? QVariant(micro)
                       : QVariant(QDateTime::fromMSecsSinceEpoch(micro / 1000, Qt::UTC)
                                      .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")));
  record.Who = QStringLiteral("desk");
  record.Kind = seq == 1 ? QStringLiteral("INSERT") : QStringLiteral("UPDATE");
  record.FeedSeq = seq;
  record.Id = seq % BagChangesEvery == 1 ? 1 : 2 + seq % 50000;
  if (seq == 1)
    record.Fields = {{QStringLiteral("Номер сумки"), QVariant(), QStringLiteral("Б-1")}};
  else
    record.Fields = {{QStringLiteral("ФИО"), QStringLiteral("имя %1").arg(seq - 1),
                      QStringLiteral("имя %1").arg(seq)}};
  return record;
}

void WriteFileHistory(const QString& path) {
  TSqliteDatabase db(path, 5000);
  TSqliteTransaction transaction(db);
  TSqliteStatement record(db, QStringLiteral("INSERT INTO \"ClientsHistory\" VALUES "
                                             "(?1, ?2, ?3, ?4, ?5, ?6, ?7)"));
  TSqliteStatement field(db, QStringLiteral("INSERT INTO \"ClientsHistoryFields\" VALUES "
                                            "(?1, ?2, ?3, ?4)"));
  QByteArray digest;
  for (qint64 seq = 1; seq <= BigHistory; ++seq) {
    const THistoryRecord r = Generated(seq, false);
    digest = HistoryDigest(digest, r);
    record.Reset();
    const QVariant values[] = {r.Seq, r.Time, r.Who, r.Kind, r.FeedSeq, r.Id, digest};
    for (int i = 0; i < 7; ++i) record.Bind(i + 1, values[i]);
    record.Step();
    for (const THistoryField& f : r.Fields) {
      field.Reset();
      field.Bind(1, r.Seq);
      field.Bind(2, f.Field);
      field.Bind(3, f.Before);
      field.Bind(4, f.After);
      field.Step();
    }
  }
  db.Execute(QStringLiteral("UPDATE sqlite_sequence SET seq = %1 WHERE name = 'ClientsHistory'")
                 .arg(BigHistory));
  transaction.Commit();
}

// The same records on the server, made there in batches from their numbers: only the digests,
// chained here, travel.
void WriteServerHistory(TPgConnection& owner) {
  constexpr qint64 Batch = 20000;
  QByteArray digest;
  for (qint64 first = 1; first <= BigHistory; first += Batch) {
    const qint64 last = std::min(BigHistory, first + Batch - 1);
    QStringList seqs, digests;
    for (qint64 seq = first; seq <= last; ++seq) {
      digest = HistoryDigest(digest, Generated(seq, true));
      seqs << QString::number(seq);
      digests << QString::fromLatin1(digest.toHex());
    }
    owner.Execute(
        QStringLiteral(
            "INSERT INTO \"ClientsHistory\" SELECT s, timestamptz 'epoch' + (%1 + s * 1000) * "
            "interval '1 microsecond', 'desk', CASE WHEN s = 1 THEN 'INSERT' ELSE 'UPDATE' END, s, "
            "CASE WHEN s % %2 = 1 THEN 1 ELSE 2 + s % 50000 END, decode(d, 'hex') "
            "FROM unnest($1::bigint[], $2::text[]) AS u(s, d)")
            .arg(BaseMicroseconds)
            .arg(BagChangesEvery),
        {QString(u'{' + seqs.join(u',') + u'}'), QString(u'{' + digests.join(u',') + u'}')});
    owner.Execute(QStringLiteral(
                      "INSERT INTO \"ClientsHistoryFields\" SELECT s, CASE WHEN s = 1 THEN "
                      "'Номер сумки' ELSE 'ФИО' END, CASE WHEN s = 1 THEN NULL ELSE 'имя ' || "
                      "(s - 1) END, CASE WHEN s = 1 THEN 'Б-1' ELSE 'имя ' || s END "
                      "FROM generate_series($1::bigint, $2::bigint) AS s"),
                  {first, last});
  }
  owner.Execute(QStringLiteral("UPDATE \"ClientsHistoryHead\" SET \"Seq\" = $1"), {BigHistory});
  owner.Execute(QStringLiteral("VACUUM ANALYZE \"ClientsHistory\""));
  owner.Execute(QStringLiteral("VACUUM ANALYZE \"ClientsHistoryFields\""));
}

void MeasureCheck(const char* engine, TStoreEngine& store) {
  const auto start = TClock::now();
  const THistoryCheck check = store.CheckHistory();
  const double ms = MsSince(start);
  std::printf("check, %s: %lld records in %.0f ms, %.0f records/s (%s)\n", engine,
              static_cast<long long>(check.Records), ms, check.Records / ms * 1000.0,
              check.Text().toUtf8().constData());
  std::fflush(stdout);
}

void MeasureWindow(const char* engine, TStoreEngine& store) {
  std::vector<double> times;
  qsizetype rows = 0;
  for (int run = 0; run < 5; ++run) {
    const auto start = TClock::now();
    THistoryForm form(store, BagFieldNames());
    form.Find(QStringLiteral("Б-1"));
    form.show();
    while (!form.windowHandle() || !form.windowHandle()->isExposed())
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QCoreApplication::processEvents();
    times.push_back(MsSince(start));
    rows = form.Model().rowCount();
  }
  std::printf("window, %s: a bag with %lld changes among %lld records: %.1f ms median "
              "(target <= 100)\n",
              engine, static_cast<long long>(rows), static_cast<long long>(BigHistory),
              Median(times));
  std::fflush(stdout);
}

// The feed's own triggers of step 1 in place of the ones that also write the history.
void DropFileHistoryTriggers(const QString& path) {
  QFile step(QStringLiteral(UPGRADE_SQLITE_FEED));
  step.open(QIODevice::ReadOnly);
  const QString sql = QString::fromUtf8(step.readAll());
  const qsizetype from = sql.indexOf(QStringLiteral("CREATE TRIGGER \"clients_feed_insert\""));
  const qsizetype to = sql.indexOf(QStringLiteral("CREATE TRIGGER \"clients_feed_prune\""));
  ExecuteSql(path, QStringLiteral("DROP TRIGGER \"clients_change_insert\"; "
                                  "DROP TRIGGER \"clients_change_update\"; "
                                  "DROP TRIGGER \"clients_change_delete\";") +
                       sql.mid(from, to - from));
}

qint64 FileHistoryBytes(const QString& path) {
  TSqliteDatabase db(path, 5000);
  TSqliteStatement size(db, QStringLiteral("SELECT sum(pgsize) FROM dbstat WHERE name LIKE "
                                           "'ClientsHistory%'"));
  size.Step();
  return size.Column(0).toLongLong();
}

qint64 FileHistoryRecords(const QString& path) {
  TSqliteDatabase db(path, 5000);
  TSqliteStatement count(db, QStringLiteral("SELECT count(*) FROM \"ClientsHistory\""));
  count.Step();
  return count.Column(0).toLongLong();
}

void FileBench() {
  TTempWorkDir with, without;
  const QString withDb = with.Path(QStringLiteral("db.mdb"));
  const QString withoutDb = without.Path(QStringLiteral("db.mdb"));
  for (const QString& db : {withDb, withoutDb}) {
    CreateClientsDatabase(db);
    InsertGeneratedBags(db, Bags);
  }
  {
    TDesk a(TADOConnection(withDb, 5000));
    TDesk b(TADOConnection(withoutDb, 5000));
    DropFileHistoryTriggers(withoutDb);  // after the upgrade the first open made
    CompareSaves("file", a, b);
  }
  std::printf("size, file: %.0f bytes a change (%lld changes)\n",
              double(FileHistoryBytes(withDb)) / double(FileHistoryRecords(withDb)),
              static_cast<long long>(FileHistoryRecords(withDb)));

  TTempWorkDir big;
  const QString bigDb = big.Path(QStringLiteral("db.mdb"));
  CreateClientsDatabase(bigDb);
  {
    TADOConnection upgrade(bigDb, 5000);  // brings the file to the history's schema
    upgrade.Open();
    upgrade.Engine().HasHistory();
  }
  WriteFileHistory(bigDb);
  std::printf("size, file: %.0f bytes a change over %lld generated changes\n",
              double(FileHistoryBytes(bigDb)) / double(BigHistory),
              static_cast<long long>(BigHistory));
  TADOConnection connection(bigDb, 5000);
  connection.Open();
  MeasureCheck("file", connection.Engine());
  MeasureWindow("file", connection.Engine());
}

// A register's desk on a cluster: each register has its own desk role, roles belonging to the
// cluster.
TADOConnection ServerDesk(const TPgTestCluster& cluster, const char* name) {
  return TADOConnection(TServerConnection{
      cluster.ConnInfo(QString::fromLatin1(name), QStringLiteral("desk_") + QLatin1String(name))});
}

void CreateServerRegisters(const TPgTestCluster& cluster) {
  for (const char* name : {"history", "nohistory"}) {
    cluster.CreateRegister(QString::fromLatin1(name), QStringLiteral("desk_") + QLatin1String(name));
    cluster.InsertGeneratedBags(QString::fromLatin1(name), Bags);
  }
  cluster.Psql(QStringLiteral("nohistory"),
               QStringLiteral("DROP TRIGGER clients_history ON \"Clients\""));
}

// The saves once more on a server that syncs each commit, as one in service does: what an
// operator waits for.
void CompareSyncedServerSaves() {
  const TPgTestCluster cluster(TPgTestCluster::TWrites::Synced);
  CreateServerRegisters(cluster);
  TDesk a(ServerDesk(cluster, "history"));
  TDesk b(ServerDesk(cluster, "nohistory"));
  CompareSaves("server syncing its commits", a, b);
}

void ServerBench() {
  const TPgTestCluster cluster;
  CreateServerRegisters(cluster);
  cluster.CreateRegister(QStringLiteral("big"), QStringLiteral("desk_big"));
  const auto desk = [&](const char* name) { return ServerDesk(cluster, name); };
  {
    TDesk a(desk("history"));
    TDesk b(desk("nohistory"));
    CompareSaves("server", a, b);
  }
  TPgConnection with(cluster.ConnInfo(QStringLiteral("history"), QStringLiteral("postgres")));
  with.Execute(QStringLiteral("VACUUM \"ClientsHistory\", \"ClientsHistoryFields\""));
  const TPgResult size = with.Execute(QStringLiteral(
      "SELECT (pg_total_relation_size('\"ClientsHistory\"') + "
      "pg_total_relation_size('\"ClientsHistoryFields\"')), count(*) FROM \"ClientsHistory\""));
  std::printf("size, server: %.0f bytes a change (%lld changes)\n",
              size.Value(0, 0).toDouble() / size.Value(0, 1).toDouble(),
              size.Value(0, 1).toLongLong());

  TPgConnection owner(cluster.ConnInfo(QStringLiteral("big"), QStringLiteral("postgres")));
  WriteServerHistory(owner);
  const TPgResult bigSize = owner.Execute(QStringLiteral(
      "SELECT pg_total_relation_size('\"ClientsHistory\"') + "
      "pg_total_relation_size('\"ClientsHistoryFields\"')"));
  std::printf("size, server: %.0f bytes a change over %lld generated changes\n",
              bigSize.Value(0, 0).toDouble() / double(BigHistory),
              static_cast<long long>(BigHistory));
  TADOConnection connection = desk("big");
  connection.Open();
  MeasureCheck("server", connection.Engine());
  MeasureWindow("server", connection.Engine());
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  const bool file = argc < 2 || std::strcmp(argv[1], "--server") != 0;
  const bool server = argc < 2 || std::strcmp(argv[1], "--file") != 0;
  if (file) FileBench();
  if (server) {
    ServerBench();
    CompareSyncedServerSaves();
  }
  return 0;
}
