#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <memory>

#include <pthread.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include "office/OfficeProcess.h"

namespace {

// As the office's launcher does, the started process ends at once on SIGTERM while the process
// it started (here one that ignores SIGTERM) lives on: Terminate returns only when nothing of
// the group is left, or a new office of the same profile would hand its work to the old one.
TEST(OfficeProcess, TerminateEndsTheWholeGroupNotOnlyTheLauncher) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const QString ready = folder.filePath("ready");
  TOfficeProcess process;
  ASSERT_TRUE(process.Start(
      "sh", {"-c", "sh -c 'trap \"\" TERM; touch \"$0\"; exec sleep 30' \"$0\" & wait", ready}));
  const pid_t group = process.Pid();
  QElapsedTimer timer;
  timer.start();
  while (!QFile::exists(ready) && timer.elapsed() < 10000) QThread::msleep(5);
  ASSERT_TRUE(QFile::exists(ready));

  process.Terminate(200);
  const bool left = TOfficeProcess::GroupHasLiveProcess(group);
  if (left) kill(-group, SIGKILL);
  EXPECT_FALSE(left);
  EXPECT_FALSE(process.IsRunning());
}

// The program ignores SIGPIPE (a write to a dead office must not end it); an ignored signal
// stays ignored across exec, and the office must not start with it so.
TEST(OfficeProcess, StartsTheProgramWithSigpipeAtItsDefault) {
  struct sigaction ignore = {};
  struct sigaction previous = {};
  ignore.sa_handler = SIG_IGN;
  ASSERT_EQ(sigaction(SIGPIPE, &ignore, &previous), 0);
  const std::shared_ptr<void> restore(nullptr,
                                      [&](void*) { sigaction(SIGPIPE, &previous, nullptr); });
  TOfficeProcess process;
  ASSERT_TRUE(process.Start("sleep", {"30"}));
  QFile status(QString("/proc/%1/status").arg(process.Pid()));
  ASSERT_TRUE(status.open(QIODevice::ReadOnly));
  const QByteArray text = status.readAll();
  process.Kill();
  const qsizetype at = text.indexOf("SigIgn:");
  ASSERT_GE(at, 0);
  bool parsed = false;
  const qulonglong ignored =
      text.mid(at + 7, text.indexOf('\n', at) - at - 7).trimmed().toULongLong(&parsed, 16);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(ignored & (1ull << (SIGPIPE - 1)), 0u) << text.constData();
}

// A killed office's main thread may show as ended (a zombie) while its other threads, which
// still hold its listening pipe, are ending: the process counts until every thread has ended,
// whether its parent has collected it or not. Here a process of a group of its own whose main
// thread has ended while another one runs.
TEST(OfficeProcess, AProcessCountsUntilItsLastThreadHasEnded) {
  const pid_t child = fork();
  ASSERT_NE(child, -1);
  if (child == 0) {
    setpgid(0, 0);
    pthread_t thread;
    pthread_create(&thread, nullptr, [](void*) -> void* { pause(); return nullptr; }, nullptr);
    syscall(SYS_exit, 0);  // ends this thread alone, without unwinding the test's frames
  }
  const std::shared_ptr<void> collect(nullptr, [child](void*) {
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
  });
  const auto mainThreadEnded = [child] {
    QFile stat(QString("/proc/%1/stat").arg(child));
    if (!stat.open(QIODevice::ReadOnly)) return false;
    const QByteArray line = stat.readAll();
    return line.mid(line.lastIndexOf(')') + 2).startsWith("Z ");
  };
  QElapsedTimer timer;
  timer.start();
  while (!(mainThreadEnded() && getpgid(child) == child) && timer.elapsed() < 10000)
    QThread::msleep(5);
  ASSERT_TRUE(mainThreadEnded());
  EXPECT_TRUE(TOfficeProcess::GroupHasLiveProcess(child));

  // Ended, not yet collected: nothing of it runs.
  kill(child, SIGKILL);
  timer.restart();
  while (TOfficeProcess::GroupHasLiveProcess(child) && timer.elapsed() < 10000) QThread::msleep(5);
  EXPECT_FALSE(TOfficeProcess::GroupHasLiveProcess(child));
}

}  // namespace
