// Posts new bags into db.mdb of the working directory through the register's data set,
// writing the bag number to standard output after each post has returned: "bag-<n>\n".
// Arguments: how many bags (until killed, in practice), the number of the first. A refused post
// ends it with exit code 1 and the operator's text of the failure on standard error.
#include <QString>

#include <cstdio>
#include <cstdlib>

#include "app/DataModuleUnit.h"
#include "app/store/ADOConnection.h"
#include "app/store/ADOTable.h"
#include "app/store/DatabaseError.h"

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 1000;
  const QString first = argc > 2 ? QString::fromLatin1(argv[2]) : QStringLiteral("0");
  TADOConnection connection(QStringLiteral("db.mdb"), 5000);
  TADOTable table(connection, QStringLiteral("Clients"), ClientsFields());
  try {
    table.Open();
    for (int n = first.toInt(); n < first.toInt() + count; ++n) {
      const QString bag = QStringLiteral("bag-%1").arg(n);
      table.Insert();
      table.SetFieldText(0, bag);
      table.SetFieldText(2, QStringLiteral("Получатель %1 ").repeated(10).arg(n));
      table.SetFieldText(6, QStringLiteral("ФИО %1").arg(n));
      table.Post();
      std::printf("%s\n", bag.toUtf8().constData());
      std::fflush(stdout);
    }
  } catch (const EDatabaseError& e) {
    std::fprintf(stderr, "%s\n", DatabaseErrorText(e).toUtf8().constData());
    return 1;
  }
  return 0;
}
