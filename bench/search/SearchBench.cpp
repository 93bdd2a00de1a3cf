// bench-search: finding a bag as the operator types, in a register of 1 000 000 generated bags
// (InsertGeneratedBags; --bags N for another size), on the file db.mdb and on a PostgreSQL
// server (a throw-away cluster on this machine, reached through its Unix socket); --only file
// or --only server measures one of them. The server runs with PostgreSQL's default
// shared_buffers (128 MB, less than a million bags and their indexes take), or with
// --shared-buffers SIZE (e.g. 1GB, as a server kept for the register would be given).
//
// The operator types the numbers of 20 bags chosen at random (e.g. "424242": the package
// number from its start, the INN and account anywhere), then, five times, a word every bag
// holds ("Иванов": the search stops at SearchLimit + 1 bags); each keystroke from the third
// character on is measured from the filter's change (TADOTable::SetFilter) to the register
// grid repainted with the bags found, offscreen. Peer, in the same run: the same match as a
// plain query that reads the table (LIKE on the columns, as many bags at most; on the server
// with index scans switched off), its rows fetched. Prints per engine and kind of search:
//   search <N> bags, <engine>, <numbers|a word every bag holds>: keystroke p50 <ms> ms, p95
//   <ms> ms (<k> keystrokes, <n> bags found in all); plain query p50 <ms> ms, p95 <ms> ms;
//   plain/indexed at p95 <ratio>x
//     slowest: "<typed>" <ms> ms (<n> bags); ... (the five slowest keystrokes)
#include <QApplication>

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>

#include "app/controls/DBGrid.h"
#include "app/store/ADOConnection.h"
#include "app/store/ADOTable.h"
#include "app/store/DataSource.h"
#include "app/store/PgConnection.h"
#include "app/DataModuleUnit.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/store/PgTestCluster.h"

namespace {

using TClock = std::chrono::steady_clock;

double MsSince(TClock::time_point start) {
  return std::chrono::duration<double, std::milli>(TClock::now() - start).count();
}

double Percentile(std::vector<double> ms, double p) {
  std::sort(ms.begin(), ms.end());
  return ms[std::min(ms.size() - 1, std::size_t(p * double(ms.size())))];
}

// What an operator types: the numbers of bags chosen at random, key by key.
std::vector<QString> NumberKeystrokes(int bags) {
  std::mt19937 random(17);
  std::uniform_int_distribution<int> bag(1, bags);
  std::vector<QString> typed;
  for (int i = 0; i < 20; ++i) {
    const QString number = QString::number(bag(random));
    for (int length = SearchMinLength; length <= number.size(); ++length)
      typed.push_back(number.left(length));
  }
  return typed;
}

// A word every bag holds, key by key, five times.
std::vector<QString> WordKeystrokes() {
  const QString word = QStringLiteral("Иванов");
  std::vector<QString> typed;
  for (int i = 0; i < 5; ++i)
    for (int length = SearchMinLength; length <= word.size(); ++length)
      typed.push_back(word.left(length));
  return typed;
}

// The plain query's answer for what was typed: the number of bags it found.
using TPlainQuery = std::function<int(const QString& typed)>;

// The plain query's columns, as the data set reads them.
const char* const Columns =
    "\"Номер сумки\",\"Номер пакета\",\"Получатель\",\"Счет\",\"Инн\",\"Символ\",\"ФИО\"";

// Runs the engine's keystrokes and the peer's plain queries, and prints the figures.
void Measure(const char* engine, int bags, TADOConnection& connection,
             const TPlainQuery& numbersQuery, const TPlainQuery& wordQuery) {
  TADOTable table(connection, QStringLiteral("Clients"), ClientsFields());
  // Opened on a search that finds nothing: the figures are the search's, not the start-up's.
  table.SetFilter({QStringLiteral("нет такой сумки")});
  const auto opening = TClock::now();
  table.Open();
  std::printf("search %d bags, %s: opened (the file's index made first) in %.1f s\n", bags, engine,
              MsSince(opening) / 1000);
  TDataSource source(table);
  TDBGrid grid(nullptr);
  grid.SetDataSource(&source);
  grid.resize(777, 161);
  grid.show();
  QCoreApplication::processEvents();

  const auto measure = [&](const char* kind, const std::vector<QString>& keystrokes,
                           const TPlainQuery& plainQuery) {
    std::vector<double> indexed;
    std::vector<double> plain;
    int found = 0;
    std::vector<int> counts;
    for (const QString& typed : keystrokes) {
      const auto start = TClock::now();
      table.SetFilter({typed});
      grid.repaint();
      indexed.push_back(MsSince(start));
      found += table.RecordCount();
      counts.push_back(table.RecordCount());
      const auto peer = TClock::now();
      if (plainQuery(typed) != table.RecordCount())
        std::printf("  %s: the plain query finds other bags for %s\n", engine, qPrintable(typed));
      plain.push_back(MsSince(peer));
    }
    const double p95 = Percentile(indexed, 0.95);
    std::printf(
        "search %d bags, %s, %s: keystroke p50 %.1f ms, p95 %.1f ms (%zu keystrokes, %d bags "
        "found in all); plain query p50 %.1f ms, p95 %.1f ms; plain/indexed at p95 %.1fx\n",
        bags, engine, kind, Percentile(indexed, 0.5), p95, indexed.size(), found,
        Percentile(plain, 0.5), Percentile(plain, 0.95), Percentile(plain, 0.95) / p95);
    // Which texts cost most: what a plan or an index does badly shows here.
    std::vector<std::size_t> order(indexed.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return indexed[a] > indexed[b]; });
    std::printf("  slowest:");
    for (std::size_t i = 0; i < std::min<std::size_t>(5, order.size()); ++i)
      std::printf(" \"%s\" %.0f ms (%d bags);", qPrintable(keystrokes[order[i]]), indexed[order[i]],
                  counts[order[i]]);
    std::printf("\n");
  };
  measure("numbers", NumberKeystrokes(bags), numbersQuery);
  measure("a word every bag holds", WordKeystrokes(), wordQuery);
  grid.SetDataSource(nullptr);
}

// A statement of the peer's with one text parameter, its rows counted.
class TPeerStatement {
public:
  TPeerStatement(sqlite3* db, const QString& sql) {
    sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &FStatement, nullptr);
  }
  ~TPeerStatement() { sqlite3_finalize(FStatement); }
  TPeerStatement(const TPeerStatement&) = delete;
  TPeerStatement& operator=(const TPeerStatement&) = delete;
  int Rows(const QString& typed) {
    const QByteArray text = typed.toUtf8();
    sqlite3_reset(FStatement);
    sqlite3_bind_text(FStatement, 1, text.constData(), int(text.size()), SQLITE_TRANSIENT);
    int rows = 0;
    while (sqlite3_step(FStatement) == SQLITE_ROW) ++rows;
    return rows;
  }

private:
  sqlite3_stmt* FStatement = nullptr;
};

// The peer's conditions: the numbers from their start, the INN and account anywhere; the names
// anywhere (the generated names are matched in the case typed).
const char* const NumbersMatch =
    "\"Номер сумки\" LIKE %1 || '%' OR CAST(\"Номер пакета\" AS TEXT) LIKE %1 || '%' OR "
    "\"Инн\" LIKE '%' || %1 || '%' OR \"Счет\" LIKE '%' || %1 || '%'";
const char* const WordMatch =
    "\"Получатель\" LIKE '%' || %1 || '%' OR \"ФИО\" LIKE '%' || %1 || '%'";

QString PlainQuery(const char* key, const char* match, const char* parameter) {
  return QStringLiteral("SELECT %1,%2 FROM \"Clients\" WHERE %3 ORDER BY %1 LIMIT %4")
      .arg(QLatin1String(key), QString::fromUtf8(Columns),
           QString::fromUtf8(match).arg(QLatin1String(parameter)))
      .arg(SearchLimit + 1);
}

void OnFile(int bags) {
  TTempWorkDir dir;
  const QString db = dir.Path(QStringLiteral("db.mdb"));
  CreateClientsDatabase(db);
  InsertGeneratedBags(db, bags);
  TADOConnection connection(QStringLiteral("db.mdb"), 5000);
  sqlite3* peer = nullptr;
  sqlite3_open_v2(db.toUtf8().constData(), &peer, SQLITE_OPEN_READONLY, nullptr);
  {
    TPeerStatement numbers(peer, PlainQuery("rowid", NumbersMatch, "?1"));
    TPeerStatement word(peer, PlainQuery("rowid", WordMatch, "?1"));
    Measure(
        "file", bags, connection, [&](const QString& typed) { return numbers.Rows(typed); },
        [&](const QString& typed) { return word.Rows(typed); });
  }
  sqlite3_close(peer);
}

void OnServer(int bags, const char* sharedBuffers) {
  TPgTestCluster cluster;
  if (*sharedBuffers) {
    cluster.Psql(
        QStringLiteral("postgres"),
        QStringLiteral("ALTER SYSTEM SET shared_buffers = '%1'").arg(QLatin1String(sharedBuffers)));
    cluster.Restart();
  }
  const QString name = QStringLiteral("register");
  cluster.CreateRegister(name, QStringLiteral("desk"));
  cluster.InsertGeneratedBags(name, bags);
  // As a server in service holds it: the loading's dirty pages written out, so that a search
  // does not write them in its place when it needs their buffers.
  cluster.Psql(name, QStringLiteral("CHECKPOINT"));
  TADOConnection connection(TServerConnection{cluster.ConnInfo(name, QStringLiteral("desk"))});
  TPgConnection peer(cluster.ConnInfo(name, QStringLiteral("desk")));
  for (const char* scan : {"bitmapscan", "indexscan", "indexonlyscan"})
    peer.Execute(QStringLiteral("SET enable_%1 = off").arg(QLatin1String(scan)));
  const QString numbers = PlainQuery("\"ID\"", NumbersMatch, "$1::text");
  const QString word = PlainQuery("\"ID\"", WordMatch, "$1::text");
  Measure(
      "server", bags, connection,
      [&](const QString& typed) { return peer.Execute(numbers, {typed}).RowCount(); },
      [&](const QString& typed) { return peer.Execute(word, {typed}).RowCount(); });
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM",
          qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  QApplication application(argc, argv);
  std::setvbuf(stdout, nullptr, _IOLBF, 0);  // each figure as soon as it is measured
  int bags = 1000000;
  const char* only = "";
  const char* sharedBuffers = "";
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "--bags") == 0) bags = std::atoi(argv[i + 1]);
    if (std::strcmp(argv[i], "--only") == 0) only = argv[i + 1];
    if (std::strcmp(argv[i], "--shared-buffers") == 0) sharedBuffers = argv[i + 1];
  }
  if (std::strcmp(only, "server") != 0) OnFile(bags);
  if (std::strcmp(only, "file") != 0) OnServer(bags, sharedBuffers);
  return 0;
}
