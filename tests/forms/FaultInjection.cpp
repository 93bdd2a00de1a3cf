#include "tests/forms/FaultInjection.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

TSmallDisk::TSmallDisk(const QString& folder) : FFolder(folder) {
  QDir().mkpath(folder);
  FMounted = ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, "size=64k") == 0;
  if (!FMounted) ADD_FAILURE() << "cannot mount a tmpfs on " << folder.toStdString() << ": " << std::strerror(errno);
}

TSmallDisk::~TSmallDisk() {
  if (FMounted) ::umount2(QFile::encodeName(FFolder).constData(), MNT_DETACH);
}

QString TSmallDisk::Path(const QString& name) const { return name.isEmpty() ? FFolder : FFolder + '/' + name; }

void TSmallDisk::Fill() const {
  const int fd = ::open(QFile::encodeName(Path("filler")).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  ASSERT_GE(fd, 0);
  const char page[4096] = {};
  while (::write(fd, page, sizeof page) > 0) {
  }
  const int error = errno;
  ::close(fd);
  EXPECT_EQ(error, ENOSPC);
}
