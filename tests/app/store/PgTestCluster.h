#pragma once

#include <QString>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

class QProcess;

// A throw-away PostgreSQL cluster for tests: a fresh folder under /tmp holds its data and the
// only socket it listens on (no TCP), so parallel runs never meet. The server refuses to run
// as root, so under root the folder and the server belong to the "postgres" user. The
// superuser is "postgres", trusted on the socket.
//
// The folder goes with the object: a guardian process, started first, stops the server and
// removes the folder once this process closes its end of a pipe, which happens on
// destruction and also when the process dies without unwinding (a crash, a kill).
class TPgTestCluster {
public:
  // How the server writes: Fast skips every sync (nothing here must survive a crash of the
  // machine); Synced syncs each commit as a server in service does (fsync and
  // synchronous_commit on, the defaults), for benchmarks of what an operator waits for.
  enum class TWrites { Fast, Synced };
  // initdb and start; throws std::runtime_error with the failing tool's output.
  explicit TPgTestCluster(TWrites writes = TWrites::Fast);
  ~TPgTestCluster();
  TPgTestCluster(const TPgTestCluster&) = delete;
  TPgTestCluster& operator=(const TPgTestCluster&) = delete;

  // The socket folder: libpq's host parameter for this server.
  const QString& SocketDir() const { return FDir; }
  // "host=<SocketDir> dbname=<dbname> user=<user>".
  QString ConnInfo(const QString& dbname, const QString& user) const;

  // Creates database dbname and runs app/schema-postgresql.sql in it with psql as the
  // administrator does, then creates the login role deskRole in the desks' group role.
  void CreateRegister(const QString& dbname, const QString& deskRole) const;
  // Runs the SQL file `path` through psql as the superuser in dbname, as the administrator
  // runs the program's scripts (psql's own commands such as \ir work), stopping at the first
  // error; throws std::runtime_error with psql's output when it fails.
  void RunScript(const QString& dbname, const QString& path) const;
  // Inserts `count` generated bags into the register dbname, the same InsertGeneratedBags
  // (tests/app/AppTestSupport.h) writes into a file, and has the server analyse the table.
  void InsertGeneratedBags(const QString& dbname, int count) const;
  // Runs SQL through psql as the superuser in dbname, stopping at the first error; throws
  // std::runtime_error with psql's output when it fails.
  void Psql(const QString& dbname, const QString& sql) const;
  // Replaces the client authentication rules (pg_hba.conf) and has the server read them.
  void SetAuthentication(const QString& rules) const;
  // Stops the server, ending every session, and starts it again; returns once it accepts
  // connections.
  void Restart() const;

private:
  void RunAsOwner(const QString& program, const QStringList& arguments) const;

  QString FDir;
  std::unique_ptr<QProcess> FGuardian;
};

// The cluster's server and every session's process stopped (SIGSTOP) while the object lives, as
// a hung machine holds them: connections stay open and nothing answers. They go on (SIGCONT)
// when it goes, a failed test included.
class TStoppedServer {
public:
  explicit TStoppedServer(const TPgTestCluster& cluster);
  ~TStoppedServer();
  TStoppedServer(const TStoppedServer&) = delete;
  TStoppedServer& operator=(const TStoppedServer&) = delete;

private:
  std::vector<int> FProcesses;
};

// One cluster for the whole test program, holding the register database "register" with
// the login role "desk"; created before the first test and removed after the last.
class TPgTestEnvironment : public testing::Environment {
public:
  static constexpr const char* RegisterDatabase = "register";
  static constexpr const char* DeskRole = "desk";

  void SetUp() override;
  void TearDown() override;
  // The running cluster; only between SetUp and TearDown.
  static const TPgTestCluster& Cluster();
};
