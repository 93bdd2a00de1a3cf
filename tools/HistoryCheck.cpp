// history-check: walks the bags' history of a register and says whether it is whole, or exports
// a date range of it as CSV, for the administrator.
//   history-check [--export FROM TO] PATH-TO-db.mdb
//   history-check [--export FROM TO] --server "host=… dbname=… user=…"
// The check prints one line: "Журнал цел: N записей." (exit 0) or "Журнал нарушен: запись № K …"
// (exit 1). The export writes the records made from FROM to TO (dates YYYY-MM-DD, UTC,
// inclusive) to standard output (HistoryExport.h) and exits 0. A register that cannot be read,
// or has no history yet, and wrong arguments exit 2 with the reason.
#include <QCoreApplication>
#include <QDate>
#include <QFileInfo>
#include <QTextStream>

#include <cstdio>
#include <functional>
#include <optional>

#include "app/store/DatabaseError.h"
#include "app/store/HistoryExport.h"
#include "app/store/PgHistory.h"
#include "app/store/SqliteHistory.h"
#include "app/store/SqliteUpgrade.h"

namespace {

int Fail(const QString& text) {
  QTextStream(stderr) << text << Qt::endl;
  return 2;
}

void RequireHistory(TSqliteDatabase& db, const QString& path) {
  if (SqliteFileVersion(db) < 2)
    throw EDatabaseError(QStringLiteral(
        "В регистре «%1» ещё нет журнала изменений: его заводит программа, когда открывает "
        "файл на запись.")
                             .arg(QFileInfo(path).absoluteFilePath()));
}

void WriteOut(const QByteArray& bytes) {
  if (std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) != size_t(bytes.size()))
    throw EDatabaseError(QStringLiteral("Не удалось записать выгрузку журнала в стандартный вывод."));
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  QStringList arguments = application.arguments().mid(1);
  std::optional<std::pair<QDate, QDate>> range;
  if (arguments.value(0) == QStringLiteral("--export")) {
    range.emplace(QDate::fromString(arguments.value(1), Qt::ISODate),
                  QDate::fromString(arguments.value(2), Qt::ISODate));
    if (!range->first.isValid() || !range->second.isValid() || range->first > range->second)
      return Fail(QStringLiteral("Укажите даты выгрузки в виде ГГГГ-ММ-ДД, первую не позже "
                                 "второй: history-check --export 2026-01-01 2026-12-31 …"));
    arguments = arguments.mid(3);
  }
  const bool server = arguments.value(0) == QStringLiteral("--server");
  if (arguments.size() != (server ? 2 : 1))
    return Fail(QStringLiteral("Укажите регистр: history-check ПУТЬ-К-db.mdb или history-check "
                               "--server \"host=… dbname=… user=…\"."));
  try {
    // The register's two roads, as one check and one export over whichever it is.
    std::function<THistoryCheck()> check;
    std::function<void(QDate, QDate)> exportRange;
    std::optional<TPgConnection> connection;
    std::optional<TSqliteDatabase> db;
    if (server) {
      connection.emplace(arguments[1]);
      check = [&] { return CheckPgHistory(*connection); };
      exportRange = [&](QDate from, QDate to) { ExportPgHistory(*connection, from, to, WriteOut); };
    } else {
      db.emplace(arguments[0], 5000);
      RequireHistory(*db, arguments[0]);
      check = [&] { return CheckSqliteHistory(*db); };
      exportRange = [&](QDate from, QDate to) { ExportSqliteHistory(*db, from, to, WriteOut); };
    }
    if (range) {
      exportRange(range->first, range->second);
      return std::fflush(stdout) == 0 ? 0 : 2;
    }
    const THistoryCheck result = check();
    QTextStream(stdout) << result.Text() << Qt::endl;
    return result.Broken ? 1 : 0;
  } catch (const EDatabaseError& e) {
    return Fail(DatabaseErrorText(e));
  }
}
