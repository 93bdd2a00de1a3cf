#include "tests/app/store/PgTestCluster.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <algorithm>

#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

namespace {

const QString Superuser = QStringLiteral("postgres");

QString PgBin(const char* tool) {
  return QStringLiteral(PG_BIN_DIR "/") + QString::fromLatin1(tool);
}

bool RunningAsRoot() { return geteuid() == 0; }

// Runs a program to its end; throws with its output unless it exits with 0.
void Run(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.start(program, arguments);
  const bool finished = process.waitForFinished(120000);
  if (!finished || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
    throw std::runtime_error((program + u' ' + arguments.join(u' ') + QStringLiteral(" failed:\n") +
                              QString::fromLocal8Bit(process.readAll()) + process.errorString())
                                 .toStdString());
  }
}

std::unique_ptr<TPgTestCluster> TheCluster;

}  // namespace

TPgTestCluster::TPgTestCluster(TWrites writes) {
  // Under /tmp rather than $TMPDIR: the socket's path must stay below 108 bytes.
  QByteArray pattern("/tmp/pg-test-XXXXXX");
  if (!mkdtemp(pattern.data()))
    throw std::runtime_error("cannot create a folder for the test cluster");
  FDir = QString::fromLocal8Bit(pattern);

  // The guardian waits for the end of its input, then stops whatever runs and removes the
  // folder. Its own session keeps it out of a kill aimed at the test's process group.
  const QString stop = (RunningAsRoot() ? QStringLiteral("runuser -u postgres -- ") : QString()) +
                       PgBin("pg_ctl") + QStringLiteral(" -D \"$1/data\" -m immediate stop");
  FGuardian = std::make_unique<QProcess>();
  FGuardian->setChildProcessModifier([] { setsid(); });
  FGuardian->start(QStringLiteral("/bin/sh"),
                   {QStringLiteral("-c"),
                    QStringLiteral("cat >/dev/null; ") + stop +
                        QStringLiteral(" >/dev/null 2>&1; rm -rf \"$1\""),
                    QStringLiteral("pg-test-guardian"), FDir});
  if (!FGuardian->waitForStarted())
    throw std::runtime_error("cannot start the test cluster's guardian");

  if (RunningAsRoot()) {
    const passwd* owner = getpwnam("postgres");
    if (!owner || chown(pattern.constData(), owner->pw_uid, owner->pw_gid) != 0) {
      throw std::runtime_error("cannot hand the test cluster's folder to the user postgres");
    }
  }
  chmod(pattern.constData(), 0700);
  RunAsOwner(PgBin("initdb"),
             {QStringLiteral("-D"), FDir + QStringLiteral("/data"), QStringLiteral("-U"), Superuser,
              QStringLiteral("-A"), QStringLiteral("trust"), QStringLiteral("-E"),
              QStringLiteral("UTF8"), QStringLiteral("--locale=C"), QStringLiteral("--no-sync")});
  RunAsOwner(PgBin("pg_ctl"),
             {QStringLiteral("-D"), FDir + QStringLiteral("/data"), QStringLiteral("-l"),
              FDir + QStringLiteral("/log"), QStringLiteral("-o"),
              QStringLiteral("-k %1 -c listen_addresses=''").arg(FDir) +
                  (writes == TWrites::Fast ? QStringLiteral(" -c fsync=off") : QString()),
              QStringLiteral("-w"), QStringLiteral("start")});
}

TPgTestCluster::~TPgTestCluster() {
  FGuardian->closeWriteChannel();
  FGuardian->waitForFinished(120000);
}

QString TPgTestCluster::ConnInfo(const QString& dbname, const QString& user) const {
  return QStringLiteral("host=%1 dbname=%2 user=%3").arg(FDir, dbname, user);
}

void TPgTestCluster::CreateRegister(const QString& dbname, const QString& deskRole) const {
  Psql(QStringLiteral("postgres"), QStringLiteral("CREATE DATABASE %1").arg(dbname));
  RunScript(dbname, QStringLiteral(POSTGRESQL_SCHEMA));
  Psql(dbname, QStringLiteral("CREATE ROLE %1 LOGIN IN ROLE inkassatsiya_desk").arg(deskRole));
}

void TPgTestCluster::RunScript(const QString& dbname, const QString& path) const {
  Run(PgBin("psql"), {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-v"),
                      QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-d"),
                      ConnInfo(dbname, Superuser), QStringLiteral("-f"), path});
}

void TPgTestCluster::InsertGeneratedBags(const QString& dbname, int count) const {
  // In slices: with the triggers and the search's indexes a million bags in one statement take
  // longer than a psql call may.
  constexpr int SliceBags = 100000;
  for (int first = 1; first <= count; first += SliceBags)
    Psql(dbname,
         QStringLiteral(
             "INSERT INTO \"Clients\" (\"Номер сумки\", \"Номер пакета\", \"Получатель\", "
             "\"Счет\", \"Инн\", \"Символ\", \"ФИО\") SELECT 'bag-' || n, n, "
             "'ООО Получатель ' || n, '407028109' || lpad(n::text, 11, '0'), "
             "'77' || lpad(n::text, 8, '0'), 2, 'Иванов ' || n FROM generate_series(%1, %2) AS n")
             .arg(first)
             .arg(std::min(count, first + SliceBags - 1)));
  Psql(dbname, QStringLiteral("VACUUM ANALYZE \"Clients\""));
}

void TPgTestCluster::Psql(const QString& dbname, const QString& sql) const {
  Run(PgBin("psql"), {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-v"),
                      QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-d"),
                      ConnInfo(dbname, Superuser), QStringLiteral("-c"), sql});
}

void TPgTestCluster::SetAuthentication(const QString& rules) const {
  QFile hba(FDir + QStringLiteral("/data/pg_hba.conf"));
  if (!hba.open(QIODevice::WriteOnly | QIODevice::Truncate) || hba.write(rules.toUtf8()) < 0 ||
      !hba.flush()) {
    throw std::runtime_error("cannot write pg_hba.conf of the test cluster");
  }
  hba.close();
  Psql(QStringLiteral("postgres"), QStringLiteral("SELECT pg_reload_conf()"));
}

void TPgTestCluster::Restart() const {
  // The server keeps the options it was started with; its output goes to the same log.
  RunAsOwner(PgBin("pg_ctl"),
             {QStringLiteral("-D"), FDir + QStringLiteral("/data"), QStringLiteral("-l"),
              FDir + QStringLiteral("/log"), QStringLiteral("-m"), QStringLiteral("fast"),
              QStringLiteral("-w"), QStringLiteral("restart")});
}

void TPgTestCluster::RunAsOwner(const QString& program, const QStringList& arguments) const {
  if (RunningAsRoot()) {
    Run(QStringLiteral("runuser"), QStringList{QStringLiteral("-u"), QStringLiteral("postgres"),
                                               QStringLiteral("--"), program} +
                                       arguments);
  } else {
    Run(program, arguments);
  }
}

TStoppedServer::TStoppedServer(const TPgTestCluster& cluster) {
  QFile pidFile(cluster.SocketDir() + QStringLiteral("/data/postmaster.pid"));
  if (!pidFile.open(QIODevice::ReadOnly)) throw std::runtime_error("no postmaster.pid");
  const int server = pidFile.readLine().trimmed().toInt();
  // The server first, so that it starts no process meanwhile; then its children, found by
  // the parent each one's stat names (the fourth field, after the name in parentheses).
  if (kill(server, SIGSTOP) != 0) throw std::runtime_error("cannot stop the test server");
  FProcesses.push_back(server);
  for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
    if (!stat.open(QIODevice::ReadOnly)) continue;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> after = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (after.size() > 1 && after[1].toInt() == server && kill(entry.toInt(), SIGSTOP) == 0)
      FProcesses.push_back(entry.toInt());
  }
}

TStoppedServer::~TStoppedServer() {
  for (const int process : FProcesses) kill(process, SIGCONT);
}

void TPgTestEnvironment::SetUp() {
  TheCluster = std::make_unique<TPgTestCluster>();
  TheCluster->CreateRegister(QString::fromLatin1(RegisterDatabase), QString::fromLatin1(DeskRole));
}

void TPgTestEnvironment::TearDown() { TheCluster.reset(); }

const TPgTestCluster& TPgTestEnvironment::Cluster() { return *TheCluster; }
