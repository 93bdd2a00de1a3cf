// bench-search: finding a bag as the operator types, in a register of 1 000 000 generated bags
// (InsertGeneratedBags; --bags N for another size), on the file db.mdb and on a PostgreSQL
// server (a throw-away cluster on this machine, reached through its Unix socket).
//
// The operator types the numbers of 20 bags chosen at random (e.g. "424242": the package
// number from its start, the INN and account anywhere); each keystroke from the third
// character on is measured from the filter's change (TADOTable::SetFilter) to the register
// grid repainted with the bags found, offscreen. Peer, in the same run: the same match as a
// plain query that reads the table (LIKE on the columns; on the server with index scans
// switched off), its rows fetched. Then one search for a word every bag holds ("Иванов"), the
// worst case, which shows every bag. Prints per engine:
//   search <N> bags, <engine>: keystroke p50 <ms> ms, p95 <ms> ms (<k> keystrokes); plain
//   query p50 <ms> ms, p95 <ms> ms; plain/indexed at p95 <ratio>x
//   search <N> bags, <engine>: a word every bag holds: <ms> ms
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
std::vector<QString> Keystrokes(int bags) {
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

// The plain query's columns, as the data set reads them.
const char* const Columns =
    "\"Номер сумки\",\"Номер пакета\",\"Получатель\",\"Счет\",\"Инн\",\"Символ\",\"ФИО\"";

// Runs the engine's keystrokes and the peer's plain queries, and prints the figures.
void Measure(const char* engine, int bags, TADOConnection& connection,
             const std::function<int(const QString& digits)>& plainQuery) {
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

  std::vector<double> indexed;
  std::vector<double> plain;
  int found = 0;
  for (const QString& typed : Keystrokes(bags)) {
    const auto start = TClock::now();
    table.SetFilter({typed});
    grid.repaint();
    indexed.push_back(MsSince(start));
    found += table.RecordCount();
    const auto peer = TClock::now();
    if (plainQuery(typed) != table.RecordCount())
      std::printf("  %s: the plain query finds other bags for %s\n", engine, qPrintable(typed));
    plain.push_back(MsSince(peer));
  }
  const double p95 = Percentile(indexed, 0.95);
  std::printf(
      "search %d bags, %s: keystroke p50 %.1f ms, p95 %.1f ms (%zu keystrokes, %d bags found in "
      "all); plain query p50 %.1f ms, p95 %.1f ms; plain/indexed at p95 %.0fx\n",
      bags, engine, Percentile(indexed, 0.5), p95, indexed.size(), found, Percentile(plain, 0.5),
      Percentile(plain, 0.95), Percentile(plain, 0.95) / p95);
  const auto start = TClock::now();
  table.SetFilter({QStringLiteral("Иванов")});
  grid.repaint();
  std::printf("search %d bags, %s: a word every bag holds: %.0f ms for %d bags\n", bags, engine,
              MsSince(start), table.RecordCount());
  grid.SetDataSource(nullptr);
}

void OnFile(int bags) {
  TTempWorkDir dir;
  const QString db = dir.Path(QStringLiteral("db.mdb"));
  CreateClientsDatabase(db);
  InsertGeneratedBags(db, bags);
  TADOConnection connection(QStringLiteral("db.mdb"), 5000);
  sqlite3* peer = nullptr;
  sqlite3_open_v2(db.toUtf8().constData(), &peer, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* select = nullptr;
  sqlite3_prepare_v2(
      peer,
      QStringLiteral("SELECT rowid,%1 FROM Clients WHERE \"Номер сумки\" LIKE ?1 || '%' OR "
                     "CAST(\"Номер пакета\" AS TEXT) LIKE ?1 || '%' OR \"Инн\" LIKE '%' || ?1 || "
                     "'%' OR \"Счет\" LIKE '%' || ?1 || '%'")
          .arg(QString::fromUtf8(Columns))
          .toUtf8()
          .constData(),
      -1, &select, nullptr);
  Measure("file", bags, connection, [&](const QString& digits) {
    const QByteArray text = digits.toUtf8();
    sqlite3_reset(select);
    sqlite3_bind_text(select, 1, text.constData(), int(text.size()), SQLITE_TRANSIENT);
    int rows = 0;
    while (sqlite3_step(select) == SQLITE_ROW) ++rows;
    return rows;
  });
  sqlite3_finalize(select);
  sqlite3_close(peer);
}

void OnServer(int bags) {
  TPgTestCluster cluster;
  const QString name = QStringLiteral("register");
  cluster.CreateRegister(name, QStringLiteral("desk"));
  cluster.InsertGeneratedBags(name, bags);
  TADOConnection connection(TServerConnection{cluster.ConnInfo(name, QStringLiteral("desk"))});
  TPgConnection peer(cluster.ConnInfo(name, QStringLiteral("desk")));
  for (const char* scan : {"bitmapscan", "indexscan", "indexonlyscan"})
    peer.Execute(QStringLiteral("SET enable_%1 = off").arg(QLatin1String(scan)));
  const QString sql =
      QStringLiteral(
          "SELECT \"ID\",%1 FROM \"Clients\" WHERE \"Номер сумки\" LIKE $1 || '%' OR "
          "\"Номер пакета\"::text LIKE $1 || '%' OR \"Инн\" LIKE '%' || $1 || '%' OR "
          "\"Счет\" LIKE '%' || $1 || '%' ORDER BY \"ID\"")
          .arg(QString::fromUtf8(Columns));
  Measure("server", bags, connection,
          [&](const QString& digits) { return peer.Execute(sql, {digits}).RowCount(); });
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM",
          qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  QApplication application(argc, argv);
  int bags = 1000000;
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], "--bags") == 0) bags = std::atoi(argv[i + 1]);
  OnFile(bags);
  OnServer(bags);
  return 0;
}
