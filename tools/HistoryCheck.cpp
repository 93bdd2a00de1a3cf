// history-check: walks the bags' history of a register and says whether it is whole, for the
// administrator.
//   history-check PATH-TO-db.mdb
//   history-check --server "host=… dbname=… user=…"
// Prints one line: "Журнал цел: N записей." (exit 0) or "Журнал нарушен: запись № K …"
// (exit 1). A register that cannot be read, or has no history yet, exits 2 with the reason.
#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>

#include <cstdio>

#include "app/store/DatabaseError.h"
#include "app/store/PgHistory.h"
#include "app/store/SqliteHistory.h"
#include "app/store/SqliteUpgrade.h"

namespace {

int Fail(const QString& text) {
  QTextStream(stderr) << text << Qt::endl;
  return 2;
}

THistoryCheck CheckFile(const QString& path) {
  TSqliteDatabase db(path, 5000);
  if (SqliteFileVersion(db) < 2)
    throw EDatabaseError(QStringLiteral(
        "В регистре «%1» ещё нет журнала изменений: его заводит программа, когда открывает "
        "файл на запись.")
                             .arg(QFileInfo(path).absoluteFilePath()));
  return CheckSqliteHistory(db);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  const QStringList arguments = application.arguments().mid(1);
  const bool server = arguments.value(0) == QStringLiteral("--server");
  if (arguments.size() != (server ? 2 : 1))
    return Fail(QStringLiteral("Укажите регистр: history-check ПУТЬ-К-db.mdb или history-check "
                               "--server \"host=… dbname=… user=…\"."));
  try {
    const THistoryCheck check = server ? [&] {
      TPgConnection connection(arguments[1]);
      return CheckPgHistory(connection);
    }()
                                       : CheckFile(arguments[0]);
    QTextStream(stdout) << check.Text() << Qt::endl;
    return check.Broken ? 1 : 0;
  } catch (const EDatabaseError& e) {
    return Fail(DatabaseErrorText(e));
  }
}
