#include "tests/app/store/PgStoreTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

std::string Shown(const QVariant& value) {
  if (!value.isValid()) return "NULL";
  if (value.typeId() == QMetaType::LongLong) return "int " + value.toString().toStdString();
  return "text '" + value.toString().toStdString() + "'";
}

std::vector<std::string> ShownRow(const TPgResult& result, int row) {
  std::vector<std::string> values;
  for (int column = 0; column < result.ColumnCount(); ++column)
    values.push_back(Shown(result.Value(row, column)));
  return values;
}

void PrintTo(const TFailure& failure, std::ostream* out) {
  *out << failure.SqlState << " \"" << failure.Message << '"';
}

QString RegisterConnInfo(const QString& role) {
  return TPgTestEnvironment::Cluster().ConnInfo(
      QString::fromLatin1(TPgTestEnvironment::RegisterDatabase), role);
}

QString ServerSqlFile(const QString& name) {
  return QFileInfo(QStringLiteral(POSTGRESQL_SCHEMA)).dir().filePath(name);
}

namespace {

// Runs the program's SQL file `name` in dbname up to the first `end`, its own files included
// from where they are.
void RunLeadingPart(const QString& dbname, const QString& name, const QByteArray& end) {
  QFile script(ServerSqlFile(name));
  ASSERT_TRUE(script.open(QIODevice::ReadOnly));
  QByteArray text = script.readAll();
  const qsizetype length = text.indexOf(end);
  ASSERT_GT(length, 0) << end.toStdString();
  text.truncate(length);
  text.replace("\\ir ", "\\ir " + QFileInfo(script).absolutePath().toUtf8() + '/');
  QTemporaryDir dir;
  QFile part(dir.filePath(QStringLiteral("part.sql")));
  ASSERT_TRUE(part.open(QIODevice::WriteOnly) && part.write(text) == text.size());
  part.close();
  QFile::setPermissions(dir.path(),
                        QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
  QFile::setPermissions(part.fileName(), QFile::ReadOwner | QFile::ReadOther);
  TPgTestEnvironment::Cluster().RunScript(dbname, part.fileName());
}

}  // namespace

void CreateEarlierRegister(const QString& dbname) {
  TPgTestEnvironment::Cluster().Psql(QStringLiteral("postgres"),
                                     QStringLiteral("CREATE DATABASE %1").arg(dbname));
  RunLeadingPart(dbname, QStringLiteral("schema-postgresql.sql"), "\\ir upgrade-postgresql.sql");
}

void UpgradeRegisterTo(const QString& dbname, int version) {
  RunLeadingPart(dbname, QStringLiteral("upgrade-postgresql.sql"),
                 QStringLiteral("SELECT \"Version\" < %1 AS step").arg(version + 1).toUtf8());
}

void EmptyRegister(TPgConnection& owner) {
  owner.Execute(QStringLiteral("TRUNCATE \"Clients\", \"ClientsFeed\", \"ClientsHistory\", "
                               "\"ClientsHistoryFields\" RESTART IDENTITY"));
  owner.Execute(QStringLiteral("UPDATE \"ClientsHistoryHead\" SET \"Seq\" = 0, \"Digest\" = NULL"));
}

void PgRegisterTest::SetUp() {
  TPgConnection owner(RegisterConnInfo(QStringLiteral("postgres")));
  EmptyRegister(owner);
}
