#include "tests/support/FaultInjection.h"

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

// The running test program's file; also where no application object exists.
QString ThisProgram() { return QFile::symLinkTarget(QStringLiteral("/proc/self/exe")); }

// Runs the current test alone in `launcher` followed by the test program and its filter;
// fails the current test unless it ran there and passed.
void RunThisTestAgain(const QString& launcher, QStringList arguments, const QString& program,
                      const QString& folder) {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  const QString name =
      QString::fromLatin1(test->test_suite_name()) + '.' + QString::fromLatin1(test->name());
  QProcess child;
  child.setWorkingDirectory(folder);
  child.setProcessChannelMode(QProcess::MergedChannels);
  child.start(launcher, arguments << program << "--gtest_filter=" + name);
  ASSERT_TRUE(child.waitForFinished(60000)) << child.errorString().toStdString();
  const QString output = QString::fromUtf8(child.readAll());
  EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
  EXPECT_TRUE(output.contains("[  PASSED  ] 1 test") && !output.contains("[  SKIPPED ]"))
      << output.toStdString();
}

}  // namespace

void RunThisTestAsNobody() {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const QString program = folder.filePath("tests");
  ASSERT_TRUE(QFile::copy(ThisProgram(), program));
  const auto everyone = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                        QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
  ASSERT_TRUE(QFile::setPermissions(folder.path(), everyone));
  ASSERT_TRUE(QFile::setPermissions(program, everyone));
  RunThisTestAgain("setpriv",
                   {"--reuid=65534", "--regid=65534", "--clear-groups", "--inh-caps=-all"},
                   program, folder.path());
}

void RunThisTestWhereItMayMount() {
  RunThisTestAgain("unshare", {"--user", "--map-root-user", "--mount"},
                   ThisProgram(), QDir::currentPath());
}
