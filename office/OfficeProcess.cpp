#include "office/OfficeProcess.h"

#include <QElapsedTimer>
#include <QThread>

#include <csignal>
#include <spawn.h>
#include <sys/wait.h>

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
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
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
  QElapsedTimer timer;
  timer.start();
  while (IsRunning() && timer.elapsed() < timeoutMs) QThread::msleep(20);
  if (IsRunning()) {
    kill(-FPid, SIGKILL);
    while (IsRunning()) QThread::msleep(5);
  }
}
