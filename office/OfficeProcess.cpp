#include "office/OfficeProcess.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

extern char** environ;

bool TOfficeProcess::Start(const QString& program, const QStringList& arguments) {
  std::vector<QByteArray> storage;
  storage.push_back(program.toLocal8Bit());
  for (const QString& argument : arguments) storage.push_back(argument.toLocal8Bit());
  std::vector<char*> argv;
  for (QByteArray& item : storage) argv.push_back(item.data());
  argv.push_back(nullptr);

  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  // Its own session: a terminal's Ctrl+C meant for this program must not reach the office.
  // SIGPIPE at its default: this program ignores it (LocalContext), and an ignored signal
  // stays ignored across exec.
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGDEF);
  pid_t pid = 0;
  const int error = posix_spawnp(&pid, argv[0], nullptr, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  if (error != 0) return false;
  FPid = pid;
  FEnded = false;
  FExitCode = -1;
  return true;
}

bool TOfficeProcess::IsRunning() {
  if (FPid == 0 || FEnded) return false;
  int status = 0;
  if (waitpid(FPid, &status, WNOHANG) != FPid) return true;
  FEnded = true;
  FExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return false;
}

void TOfficeProcess::Terminate(int timeoutMs) {
  if (!IsRunning()) return;
  kill(-FPid, SIGTERM);
  // The launcher ends at once, the office itself only when it has shut down; until then it
  // still answers on its pipe and takes over what a new office of its profile is started for.
  const auto anyAlive = [this] { return IsRunning() || GroupHasLiveProcess(FPid); };
  QElapsedTimer timer;
  timer.start();
  while (anyAlive() && timer.elapsed() < timeoutMs) QThread::msleep(20);
  if (anyAlive()) KillGroup();
}

void TOfficeProcess::Kill() {
  if (IsRunning()) KillGroup();
}

void TOfficeProcess::KillGroup() {
  kill(-FPid, SIGKILL);
  while (IsRunning()) QThread::msleep(5);
  // The office itself is a child of the launcher, collected by whoever inherits it: wait a
  // little until every process of the group has ended.
  QElapsedTimer timer;
  timer.start();
  while (GroupHasLiveProcess(FPid) && timer.elapsed() < 5000) QThread::msleep(5);
}

namespace {

// The fields of a stat file after the command: "pid (command) state ppid pgrp ...", where the
// command may hold blanks and parentheses. Empty when the file is gone.
QList<QByteArray> StatFields(const QString& path) {
  QFile stat(path);
  if (!stat.open(QIODevice::ReadOnly)) return {};
  const QByteArray line = stat.readAll();
  return line.mid(line.lastIndexOf(')') + 2).split(' ');
}

// The directory of a thread of the process in directory that has not ended, empty when none
// has. The main thread of a process whose other threads are still ending (a killed office's,
// on a loaded machine) already shows as a zombie, with no command line, while the process still
// holds its files, its listening pipe among them.
QString LiveThread(const QString& directory) {
  for (const QString& task : QDir(directory + "/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
    const QString thread = directory + "/task/" + task;
    const QList<QByteArray> fields = StatFields(thread + "/stat");
    if (!fields.isEmpty() && fields[0] != "Z" && fields[0] != "X") return thread;
  }
  return {};
}

// Calls found(directory, stat fields after the command) for every process that has not ended
// until it returns true; returns whether it did. A process counts until all its threads have
// ended (collected by its parent or not); directory is then that of a thread still running.
template <class F>
bool FindLiveProcess(F found) {
  for (const QString& entry : QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
    bool isPid = false;
    entry.toInt(&isPid);
    if (!isPid) continue;
    QString directory = "/proc/" + entry;
    const QList<QByteArray> fields = StatFields(directory + "/stat");
    if (fields.size() <= 2) continue;
    if (fields[0] == "Z" && (directory = LiveThread(directory)).isEmpty()) continue;
    if (found(directory, fields)) return true;
  }
  return false;
}

}  // namespace

bool TOfficeProcess::GroupHasLiveProcess(pid_t group) {
  return FindLiveProcess([group](const QString&, const QList<QByteArray>& fields) {
    return fields[2].toLongLong() == group;
  });
}

bool TOfficeProcess::UserHasLiveProcessWith(const QString& argument) {
  const QByteArray wanted = argument.toLocal8Bit();
  return FindLiveProcess([&wanted](const QString& directory, const QList<QByteArray>&) {
    if (QFileInfo(directory).ownerId() != getuid()) return false;
    QFile commandLine(directory + "/cmdline");
    return commandLine.open(QIODevice::ReadOnly) && commandLine.readAll().split('\0').contains(wanted);
  });
}
