#include <QTemporaryDir>
#include <QUrl>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <future>

#include "tests/app/store/PgStoreTestSupport.h"

namespace {

class PgConnection : public PgRegisterTest {};

const TPgTestCluster& Cluster() { return TPgTestEnvironment::Cluster(); }

const QString InsertBag = QStringLiteral(
    "INSERT INTO \"Clients\" (\"Номер сумки\", \"Номер пакета\", \"Получатель\", \"Счет\", "
    "\"Инн\", \"Символ\", "
    "\"ФИО\") VALUES ($1, $2, $3, $4, $5, $6, $7) RETURNING \"ID\"");

std::string Repeated(const std::string& character, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += character;
  return text;
}

// A port on the loopback address that queues connections and never answers them: a server
// that hangs.
class TSilentListener {
public:
  TSilentListener() : FSocket(socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (FSocket < 0 || bind(FSocket, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        listen(FSocket, 8) != 0 ||
        getsockname(FSocket, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
      if (FSocket >= 0) close(FSocket);
      throw std::runtime_error("cannot listen on the loopback address");
    }
    FPort = ntohs(address.sin_port);
  }
  ~TSilentListener() { close(FSocket); }
  TSilentListener(const TSilentListener&) = delete;
  TSilentListener& operator=(const TSilentListener&) = delete;
  int Port() const { return FPort; }

private:
  int FSocket;
  int FPort = 0;
};

// Sets PGPASSFILE for the life of the object.
class TPasswordFile {
public:
  explicit TPasswordFile(const QByteArray& lines) {
    QFile file(FDir.filePath(QStringLiteral("pgpass")));
    // libpq ignores a password file that others may read.
    if (!file.open(QIODevice::WriteOnly) || file.write(lines) != lines.size() || !file.flush() ||
        !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
      throw std::runtime_error("cannot write the password file");
    }
    FFileName = file.fileName().toStdString();
    setenv("PGPASSFILE", FFileName.c_str(), 1);
  }
  ~TPasswordFile() { unsetenv("PGPASSFILE"); }
  TPasswordFile(const TPasswordFile&) = delete;
  TPasswordFile& operator=(const TPasswordFile&) = delete;
  const std::string& FileName() const { return FFileName; }

private:
  QTemporaryDir FDir;
  std::string FFileName;
};

}  // namespace

TEST_F(PgConnection, ConnectsWithAStringOrAUriAndSpeaksUtf8) {
  const QString socketDir = Cluster().SocketDir();
  const QString conninfos[] = {
      RegisterConnInfo(),
      QStringLiteral("postgresql://desk@/register?host=") +
          QString::fromLatin1(QUrl::toPercentEncoding(socketDir)),
      RegisterConnInfo() + QStringLiteral(" client_encoding=LATIN1"),
  };
  for (const QString& conninfo : conninfos) {
    TPgConnection connection(conninfo);
    EXPECT_TRUE(connection.IsConnected());
    EXPECT_EQ(connection.Host().toStdString(), socketDir.toStdString());
    EXPECT_EQ(connection.Port().toStdString(), "5432");
    EXPECT_EQ(connection.DatabaseName().toStdString(), "register");
    EXPECT_EQ(connection.UserName().toStdString(), "desk");
    const TPgResult result = connection.Execute(
        QStringLiteral("SELECT current_user, current_setting('client_encoding'), $1::text"),
        {QStringLiteral("Сумка №1")});
    EXPECT_EQ(ShownRow(result, 0),
              (std::vector<std::string>{"text 'desk'", "text 'UTF8'", "text 'Сумка №1'"}))
        << conninfo.toStdString();
  }
}

TEST_F(PgConnection, RefusedConnectionsCarryLibpqsMessage) {
  const QTemporaryDir nothingListens(QStringLiteral("/tmp/pg-none-XXXXXX"));
  const std::string socket = Cluster().SocketDir().toStdString() + "/.s.PGSQL.5432";
  const std::pair<QString, std::string> cases[] = {
      {QStringLiteral("host=%1 dbname=register user=desk").arg(nothingListens.path()),
       "connection to server on socket \"" + nothingListens.path().toStdString() +
           "/.s.PGSQL.5432\" failed: No such file or directory\n"
           "\tIs the server running locally and accepting connections on that socket?"},
      {Cluster().ConnInfo(QStringLiteral("nosuch"), QStringLiteral("desk")),
       "connection to server on socket \"" + socket +
           "\" failed: FATAL:  database \"nosuch\" does not exist"},
      {RegisterConnInfo(QStringLiteral("nobody")),
       "connection to server on socket \"" + socket +
           "\" failed: FATAL:  role \"nobody\" does not exist"},
  };
  for (const auto& [conninfo, message] : cases) {
    EXPECT_EQ(FailureOf([&] { TPgConnection connection(conninfo); }), (TFailure{"", message}));
  }
}

// A server that takes the connection and never answers: the wait ends after libpq's
// connect_timeout, the string's own or else the one given. Both attempts run at once.
TEST(PgConnectTimeout, EndsTheWaitForAServerThatDoesNotAnswer) {
  const TSilentListener silent;
  const QString address =
      QStringLiteral("host=127.0.0.1 port=%1 dbname=register user=desk").arg(silent.Port());
  const auto attempt = [](const QString& conninfo, int timeoutSeconds) {
    const auto start = std::chrono::steady_clock::now();
    const TFailure failure = FailureOf([&] { TPgConnection connection(conninfo, timeoutSeconds); });
    return std::pair{failure, std::chrono::steady_clock::now() - start};
  };
  auto givenTimeout = std::async(std::launch::async, attempt, address, 2);
  auto stringsTimeout =
      std::async(std::launch::async, attempt, address + QStringLiteral(" connect_timeout=2"), 3600);
  for (auto* outcome : {&givenTimeout, &stringsTimeout}) {
    const auto [failure, waited] = outcome->get();
    EXPECT_EQ(failure,
              (TFailure{"", "connection to server at \"127.0.0.1\", port " +
                                std::to_string(silent.Port()) + " failed: timeout expired"}));
    EXPECT_LT(waited, std::chrono::seconds(8));
  }
}

// The desks' passwords come from libpq's own conventions (here PGPASSFILE), never from
// the connection string.
TEST_F(PgConnection, TakesThePasswordFromLibpqsPasswordFile) {
  Cluster().Psql(
      QStringLiteral("register"),
      QStringLiteral("DROP ROLE IF EXISTS cashier; "
                     "CREATE ROLE cashier LOGIN PASSWORD 'секрет' IN ROLE inkassatsiya_desk"));
  Cluster().SetAuthentication(
      QStringLiteral("local all cashier scram-sha-256\nlocal all all trust\n"));
  const QString cashier = RegisterConnInfo(QStringLiteral("cashier"));
  const std::string socket = Cluster().SocketDir().toStdString() + "/.s.PGSQL.5432";

  EXPECT_EQ(FailureOf([&] { TPgConnection connection(cashier); }),
            (TFailure{"", "connection to server on socket \"" + socket +
                              "\" failed: fe_sendauth: no password supplied"}));
  {
    const TPasswordFile wrong("*:*:*:cashier:secret\n");
    EXPECT_EQ(
        FailureOf([&] { TPgConnection connection(cashier); }),
        (TFailure{"", "connection to server on socket \"" + socket +
                          "\" failed: FATAL:  password authentication failed for user \"cashier\"\n"
                          "password retrieved from file \"" +
                          wrong.FileName() + "\""}));
  }
  const TPasswordFile right("*:*:*:cashier:секрет\n");
  TPgConnection connection(cashier);
  EXPECT_EQ(ShownRow(connection.Execute(QStringLiteral("SELECT current_user")), 0),
            (std::vector<std::string>{"text 'cashier'"}));
}

TEST_F(PgConnection, RoundTripsNullsCyrillicAndLongValuesThroughParameters) {
  TPgConnection desk(RegisterConnInfo());
  const std::vector<QVariant> bags[] = {
      {QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant()},
      {QStringLiteral("0012345"), 17, QStringLiteral("ООО «Ромашка»"),
       QStringLiteral("40702810900000012345"), QStringLiteral("7701234567"), 2,
       QStringLiteral("Иванов И. И.")},
      {QStringLiteral("'); DROP TABLE \"Clients\"; --"), 0, QStringLiteral("$1 \\ ' \" ё"),
       QString(), QString(), -2147483647 - 1, QStringLiteral("\t")},
      {QString(50, u'Щ'), 2147483647, QString(255, u'Ж'), QString(255, u'9'), QString(255, u'0'),
       32, QString(100, u'Я')},
  };
  for (int i = 0; i < 4; ++i) {
    const TPgResult inserted = desk.Execute(InsertBag, bags[i]);
    EXPECT_EQ(inserted.AffectedRows(), 1);
    EXPECT_EQ(ShownRow(inserted, 0), (std::vector<std::string>{"int " + std::to_string(i + 1)}));
  }
  const std::vector<std::string> expected[] = {
      {"int 1", "NULL", "NULL", "NULL", "NULL", "NULL", "NULL", "NULL"},
      {"int 2", "text '0012345'", "int 17", "text 'ООО «Ромашка»'", "text '40702810900000012345'",
       "text '7701234567'", "int 2", "text 'Иванов И. И.'"},
      {"int 3", "text ''); DROP TABLE \"Clients\"; --'", "int 0", "text '$1 \\ ' \" ё'", "text ''",
       "text ''", "int -2147483648", "text '\t'"},
      {"int 4", "text '" + Repeated("Щ", 50) + "'", "int 2147483647",
       "text '" + Repeated("Ж", 255) + "'", "text '" + Repeated("9", 255) + "'",
       "text '" + Repeated("0", 255) + "'", "int 32", "text '" + Repeated("Я", 100) + "'"},
  };
  const TPgResult stored = desk.Execute(
      QStringLiteral("SELECT \"ID\", \"Номер сумки\", \"Номер пакета\", \"Получатель\", "
                     "\"Счет\", \"Инн\", \"Символ\", \"ФИО\" FROM \"Clients\" ORDER BY \"ID\""));
  ASSERT_EQ(stored.RowCount(), 4);
  EXPECT_EQ(stored.ColumnName(2).toStdString(), "Номер пакета");
  for (int i = 0; i < 4; ++i) EXPECT_EQ(ShownRow(stored, i), expected[i]) << "bag " << i + 1;
}

TEST_F(PgConnection, RefusedStatementsCarryTheServersSqlStateAndMessage) {
  TPgConnection desk(RegisterConnInfo());
  const auto bag = [](int field, const QVariant& value) {
    std::vector<QVariant> values(7);
    values[static_cast<std::size_t>(field)] = value;
    return values;
  };
  const struct {
    QString Sql;
    std::vector<QVariant> Parameters;
    TFailure Failure;
  } cases[] = {
      {InsertBag,
       bag(2, QString(256, u'Ж')),
       {"22001", "ERROR:  value too long for type character varying(255)"}},
      {InsertBag,
       bag(0, QString(51, u'1')),
       {"22001", "ERROR:  value too long for type character varying(50)"}},
      {InsertBag,
       bag(1, QStringLiteral("12a")),
       {"22P02",
        "ERROR:  invalid input syntax for type integer: \"12a\"\n"
        "CONTEXT:  unnamed portal parameter $2 = '...'"}},
      {InsertBag,
       bag(5, QStringLiteral("2147483648")),
       {"22003",
        "ERROR:  value \"2147483648\" is out of range for type integer\n"
        "CONTEXT:  unnamed portal parameter $6 = '...'"}},
      {QStringLiteral("SELEC 1"),
       {},
       {"42601", "ERROR:  syntax error at or near \"SELEC\"\nLINE 1: SELEC 1\n        ^"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FailureOf([&] { desk.Execute(c.Sql, c.Parameters); }), c.Failure)
        << c.Sql.toStdString();
  }
  EXPECT_TRUE(desk.IsConnected());
  EXPECT_EQ(ShownRow(desk.Execute(QStringLiteral("SELECT count(*) FROM \"Clients\"")), 0),
            (std::vector<std::string>{"int 0"}));
}

// The desks' group role of the schema may read, add, change and delete bags, and nothing else.
TEST_F(PgConnection, TheDesksRoleMayOnlyReadAndWriteTheBags) {
  TPgConnection desk(RegisterConnInfo());
  desk.Execute(InsertBag, std::vector<QVariant>(7));
  EXPECT_EQ(desk.Execute(QStringLiteral("UPDATE \"Clients\" SET \"ФИО\" = $1 WHERE \"ID\" = $2"),
                         {QStringLiteral("Петров П. П."), 1})
                .AffectedRows(),
            1);
  EXPECT_EQ(desk.Execute(QStringLiteral("SELECT \"ФИО\" FROM \"Clients\"")).AffectedRows(), 1);
  EXPECT_EQ(
      desk.Execute(QStringLiteral("DELETE FROM \"Clients\" WHERE \"ID\" = $1"), {1}).AffectedRows(),
      1);

  const std::pair<QString, TFailure> refused[] = {
      {QStringLiteral("TRUNCATE \"Clients\""),
       {"42501", "ERROR:  permission denied for table Clients"}},
      {QStringLiteral("DROP TABLE \"Clients\""),
       {"42501", "ERROR:  must be owner of table Clients"}},
      {QStringLiteral("ALTER TABLE \"Clients\" ADD COLUMN \"Сумма\" integer"),
       {"42501", "ERROR:  must be owner of table Clients"}},
      {QStringLiteral("CREATE TABLE desk_table (a integer)"),
       {"42501",
        "ERROR:  permission denied for schema public\nLINE 1: CREATE TABLE desk_table (a integer)\n"
        "                     ^"}},
      {QStringLiteral("UPDATE \"Clients\" SET \"ID\" = 5"),
       {"428C9",
        "ERROR:  column \"ID\" can only be updated to DEFAULT\n"
        "DETAIL:  Column \"ID\" is an identity column defined as GENERATED ALWAYS."}},
      {QStringLiteral("INSERT INTO \"Clients\" (\"ID\") VALUES (5)"),
       {"428C9",
        "ERROR:  cannot insert a non-DEFAULT value into column \"ID\"\n"
        "DETAIL:  Column \"ID\" is an identity column defined as GENERATED ALWAYS.\n"
        "HINT:  Use OVERRIDING SYSTEM VALUE to override."}},
  };
  for (const auto& [sql, failure] : refused) {
    EXPECT_EQ(FailureOf([&] { desk.Execute(sql); }), failure) << sql.toStdString();
  }
}
