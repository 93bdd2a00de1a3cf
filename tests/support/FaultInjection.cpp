#include "tests/support/FaultInjection.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

TSmallDisk::TSmallDisk(const QString& folder) : FFolder(folder) {
  QDir().mkpath(folder);
  FMounted = ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, "size=64k") == 0;
  if (!FMounted)
    ADD_FAILURE() << "cannot mount a tmpfs on " << folder.toStdString() << ": "
                  << std::strerror(errno);
}

TSmallDisk::~TSmallDisk() {
  if (FMounted) ::umount2(QFile::encodeName(FFolder).constData(), MNT_DETACH);
}

QString TSmallDisk::Path(const QString& name) const {
  return name.isEmpty() ? FFolder : FFolder + '/' + name;
}

void TSmallDisk::Fill(qint64 left) const {
  const int fd = ::open(QFile::encodeName(Path("filler")).constData(),
                        O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  ASSERT_GE(fd, 0);
  const char page[4096] = {};
  off_t written = 0;
  for (ssize_t n; (n = ::write(fd, page, sizeof page)) > 0;) written += n;
  const int error = errno;
  if (left > 0) {
    EXPECT_EQ(::ftruncate(fd, written - left), 0);
  }
  ::close(fd);
  EXPECT_EQ(error, ENOSPC);
}

namespace {

QString CurrentTestName() {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  return QString::fromLatin1(test->test_suite_name()) + '.' + QString::fromLatin1(test->name());
}

// Expects the child to have run exactly the one test, and passed it.
void ExpectChildPassed(QProcess& child) {
  const QString output = QString::fromUtf8(child.readAll());
  EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
  EXPECT_TRUE(output.contains("[  PASSED  ] 1 test") && !output.contains("[  SKIPPED ]"))
      << output.toStdString();
}

}  // namespace

bool RunThisTestAsNamespaceRoot() {
  if (geteuid() == 0) return false;
  QProcess child;
  child.setProcessChannelMode(QProcess::MergedChannels);
  child.start("unshare", {"--user", "--map-root-user", "--mount",
                          QCoreApplication::applicationFilePath(),
                          "--gtest_filter=" + CurrentTestName()});
  EXPECT_TRUE(child.waitForFinished(60000)) << child.errorString().toStdString();
  ExpectChildPassed(child);
  return true;
}

void RunThisTestAsNobody() {
  const QString name = CurrentTestName();
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const QString program = folder.filePath("tests");
  ASSERT_TRUE(QFile::copy(QCoreApplication::applicationFilePath(), program));
  const auto everyone = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                        QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
  ASSERT_TRUE(QFile::setPermissions(folder.path(), everyone));
  ASSERT_TRUE(QFile::setPermissions(program, everyone));

  QProcess child;
  child.setWorkingDirectory(folder.path());
  child.setProcessChannelMode(QProcess::MergedChannels);
  child.start("setpriv", {"--reuid=65534", "--regid=65534", "--clear-groups", "--inh-caps=-all",
                          program, "--gtest_filter=" + name});
  ASSERT_TRUE(child.waitForFinished(60000)) << child.errorString().toStdString();
  ExpectChildPassed(child);
}
