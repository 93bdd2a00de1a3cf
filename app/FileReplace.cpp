#include "app/FileReplace.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

// An open descriptor that is closed when it goes out of scope unless Close() took it.
class TFileDescriptor {
public:
  explicit TFileDescriptor(int fd) : FFd(fd) {}
  ~TFileDescriptor() {
    if (FFd >= 0) ::close(FFd);
  }
  TFileDescriptor(TFileDescriptor&& other) noexcept : FFd(std::exchange(other.FFd, -1)) {}
  TFileDescriptor& operator=(TFileDescriptor&&) = delete;

  int Get() const { return FFd; }
  bool Valid() const { return FFd >= 0; }
  // Closes and reports whether the close succeeded (some file systems report a failed write
  // only here).
  bool Close() { return ::close(std::exchange(FFd, -1)) == 0; }

private:
  int FFd;
};

bool WriteAll(int fd, const QByteArray& bytes) {
  const char* data = bytes.constData();
  qsizetype left = bytes.size();
  while (left > 0) {
    const ssize_t written = ::write(fd, data, static_cast<std::size_t>(left));
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data += written;
    left -= written;
  }
  return true;
}

// A new file beside `target` with a name nobody uses: "<target>.new-<8 hex digits>".
TFileDescriptor CreateSibling(const QByteArray& target, QByteArray& name) {
  for (int attempt = 0; attempt < 16; ++attempt) {
    name = target + ".new-" + QByteArray::number(QRandomGenerator::global()->generate(), 16);
    TFileDescriptor fd(::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (fd.Valid() || errno != EEXIST) return fd;
  }
  return TFileDescriptor(-1);
}

// Makes the rename itself survive a power cut; the file is in place whatever this reports.
void SyncFolder(const QString& path) {
  const TFileDescriptor folder(::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(),
                                      O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.Valid()) ::fsync(folder.Get());
}

}  // namespace

bool ReplaceFile(const QString& path, const QByteArray& contents) {
  const QByteArray target = QFile::encodeName(path);
  QByteArray sibling;
  TFileDescriptor fd = CreateSibling(target, sibling);
  if (!fd.Valid()) return false;

  struct stat old {};
  const bool keepMode = ::lstat(target.constData(), &old) == 0 && S_ISREG(old.st_mode);
  const bool written = (!keepMode || ::fchmod(fd.Get(), old.st_mode & 07777) == 0) &&
                       WriteAll(fd.Get(), contents) && ::fsync(fd.Get()) == 0;
  if (!fd.Close() || !written || std::rename(sibling.constData(), target.constData()) != 0) {
    ::unlink(sibling.constData());
    return false;
  }
  SyncFolder(path);
  return true;
}
