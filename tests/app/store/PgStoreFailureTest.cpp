// How the register on a server fails, caused for real on the test's server, and what the
// operator reads of it.
#include <gtest/gtest.h>

#include <functional>

#include "app/DataModuleUnit.h"
#include "app/store/ADOConnection.h"
#include "app/store/ADOTable.h"
#include "tests/app/store/PgStoreTestSupport.h"

namespace {

const TPgTestCluster& Cluster() { return TPgTestEnvironment::Cluster(); }

// Opens the register `dbname` as `role` and returns what the operator reads; "(no error)"
// when it opens.
QString OpeningText(const QString& dbname, const QString& role) {
  TADOConnection connection(TServerConnection{Cluster().ConnInfo(dbname, role)});
  TADOTable table(connection, QStringLiteral("Clients"), ClientsFields());
  try {
    table.Open();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Kind(), TDatabaseKind::dkServer);
    return DatabaseErrorText(e);
  }
  return QStringLiteral("(no error)");
}

QString Server(const QString& dbname) {
  return QStringLiteral("сервер %1:5432, база %2").arg(Cluster().SocketDir(), dbname);
}

TEST(PgStoreFailures, OpeningARegisterThatIsNotThereOrNotForThisDeskSaysWhyAndWhatToDo) {
  Cluster().Psql(QStringLiteral("postgres"), QStringLiteral("CREATE DATABASE unprepared"));
  Cluster().Psql(QStringLiteral("register"), QStringLiteral("CREATE ROLE outsider LOGIN"));
  struct TCase {
    const char* Name;
    std::function<void()> Prepare;
    const char* Database;
    const char* Role;
    QString Sentence;  // the first line
  };
  const TCase cases[] = {
      {"no table", [] {}, "unprepared", "postgres",
       QStringLiteral(
           "В базе данных (%1) нет таблицы Clients. Попросите администратора создать её сценарием "
           "schema-postgresql.sql или проверьте имя базы в database.ini.")
           .arg(Server(QStringLiteral("unprepared")))},
      {"no key column",
       [] {
         Cluster().Psql(
             QStringLiteral("unprepared"),
             QStringLiteral(
                 "CREATE TABLE \"Clients\" (\"Номер сумки\" varchar(50), \"Номер пакета\" "
                 "integer, \"Получатель\" varchar(255), \"Счет\" varchar(255), \"Инн\" "
                 "varchar(255), \"Символ\" integer, \"ФИО\" varchar(100))"));
       },
       "unprepared", "postgres",
       QStringLiteral(
           "В базе данных (%1) в таблице сумок нет столбца «ID». Попросите администратора создать "
           "таблицу сценарием schema-postgresql.sql.")
           .arg(Server(QStringLiteral("unprepared")))},
      {"a role outside the desks' group", [] {}, "register", "outsider",
       QStringLiteral("Роли этого рабочего места не дано прав на таблицу Clients в базе данных "
                      "(%1). Попросите администратора включить роль в группу inkassatsiya_desk "
                      "(сценарий schema-postgresql.sql).")
           .arg(Server(QStringLiteral("register")))},
      {"a database name nobody created", [] {}, "registr", "desk",
       QStringLiteral("Не удалось подключиться к базе данных (%1): на сервере нет базы с таким "
                      "именем. Проверьте имя базы (dbname) в файле database.ini.")
           .arg(Server(QStringLiteral("registr")))},
      {"a register in a database that keeps its text as SQL_ASCII, one bag with a bad byte",
       [] {
         Cluster().Psql(QStringLiteral("postgres"),
                        QStringLiteral("CREATE DATABASE ascii ENCODING 'SQL_ASCII' "
                                       "TEMPLATE template0 LC_COLLATE 'C' LC_CTYPE 'C'"));
         Cluster().RunScript(QStringLiteral("ascii"), QStringLiteral(POSTGRESQL_SCHEMA));
         Cluster().Psql(QStringLiteral("ascii"),
                        // Past the triggers, whose history of the change is UTF-8 text.
                        QStringLiteral("SET session_replication_role = replica; "
                                       "INSERT INTO \"Clients\" (\"Номер сумки\", \"ФИО\") "
                                       "VALUES ('7', E'\\xff')"));
       },
       "ascii", "desk",
       QStringLiteral("База данных (%1) хранит текст в кодировке SQL_ASCII, а не UTF8: русские "
                      "буквы в ней могут испортиться, и программа с ней не работает. Попросите "
                      "администратора создать базу с кодировкой UTF8 (createdb -E UTF8 -T "
                      "template0) и перенести в неё сумки.")
           .arg(Server(QStringLiteral("ascii")))},
      {"an unknown role", [] {}, "register", "nobody_here",
       QStringLiteral(
           "Не удалось подключиться к базе данных (%1): сервер не отвечает или не пускает это "
           "рабочее "
           "место. Проверьте сеть, файл database.ini и пароль в ~/.pgpass, затем повторите.")
           .arg(Server(QStringLiteral("register")))},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    c.Prepare();
    const QString text = OpeningText(QString::fromLatin1(c.Database), QString::fromLatin1(c.Role));
    EXPECT_EQ(text.section(u'\n', 0, 0), c.Sentence) << text.toStdString();
    EXPECT_NE(text.section(u'\n', 1), QString()) << "the server's own message follows";
  }
}

TEST(PgStoreFailures, ANoServerAtTheAddressIsNamedAsTheOperatorWroteIt) {
  const QString nowhere = Cluster().SocketDir() + QStringLiteral("/nowhere");
  TADOConnection connection(
      TServerConnection{QStringLiteral("host=%1 port=5999 dbname=register").arg(nowhere)});
  try {
    connection.Open();
    ADD_FAILURE() << "opened";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Failure(), TDatabaseFailure::dfCannotOpen);
    EXPECT_EQ(e.Database(), QStringLiteral("сервер %1:5999, база register").arg(nowhere));
  }
}

class PgStoreRestart : public PgRegisterTest {};

// A server restart between two posts: the second fails as a lost connection and keeps the
// typing; the one after it connects again and is stored.
TEST_F(PgStoreRestart, ThePostAfterARestartFailsKeepsTheRecordAndTheNextOneIsStored) {
  TADOConnection connection(TServerConnection{RegisterConnInfo()});
  TADOTable table(connection, QStringLiteral("Clients"), ClientsFields());
  table.Open();
  table.Insert();
  table.SetFieldText(0, QStringLiteral("1"));
  table.Post();
  Cluster().Restart();
  table.Edit();
  table.SetFieldText(6, QStringLiteral("Ким"));
  try {
    table.Post();
    ADD_FAILURE() << "posted over a restarted server";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Failure(), TDatabaseFailure::dfConnectionLost) << e.what();
    EXPECT_EQ(
        DatabaseFailureText(e),
        QStringLiteral(
            "Связь с базой данных (%1) прервалась, действие не выполнено; набранное осталось на "
            "экране. Повторите действие: программа подключится снова.")
            .arg(Server(QStringLiteral("register"))));
  }
  EXPECT_EQ(table.State(), TDataSetState::dsEdit);
  EXPECT_EQ(table.FieldValue(6), QVariant(QStringLiteral("Ким")));
  table.Post();
  TPgConnection other(RegisterConnInfo());
  EXPECT_EQ(
      ShownRow(other.Execute(QStringLiteral("SELECT \"Номер сумки\", \"ФИО\" FROM \"Clients\"")),
               0),
      (std::vector<std::string>{"text '1'", "text 'Ким'"}));
}

}  // namespace
