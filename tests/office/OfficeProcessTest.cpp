#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>

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

}  // namespace
