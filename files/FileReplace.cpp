#include "files/FileReplace.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstring>
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

// Writes every byte; false (errno set) when a write fails or the disk takes nothing more.
bool WriteAll(int fd, const QByteArray& bytes) {
  const char* data = bytes.constData();
  qsizetype left = bytes.size();
  while (left > 0) {
    const ssize_t written = ::write(fd, data, static_cast<std::size_t>(left));
    if (written < 0 && errno == EINTR) continue;
    if (written == 0) errno = ENOSPC;
    if (written <= 0) return false;
    data += written;
    left -= written;
  }
  return true;
}

QString Reason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

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

// Fills the new file and closes it: the errno of the step that failed, 0 when every one
// passed. `mode`, when given, is the mode the file takes.
int Fill(TFileDescriptor& fd, const mode_t* mode, const QByteArray& contents) {
  if (mode && ::fchmod(fd.Get(), *mode & 07777) != 0) return errno;
  if (!WriteAll(fd.Get(), contents)) return errno;
  if (::fsync(fd.Get()) != 0) return errno;
  if (!fd.Close()) return errno;
  return 0;
}

}  // namespace

std::optional<QString> ReplaceFile(const QString& path, const QByteArray& contents) {
  const QByteArray target = QFile::encodeName(path);
  QByteArray sibling;
  TFileDescriptor fd = CreateSibling(target, sibling);
  if (!fd.Valid()) return Reason(errno);

  // The mode of the file being replaced; through a link, of the file it points to (which
  // stays where it is, unwritten).
  struct stat old {};
  const bool keepMode = ::stat(target.constData(), &old) == 0 && S_ISREG(old.st_mode);
  int error = Fill(fd, keepMode ? &old.st_mode : nullptr, contents);
  if (error == 0 && std::rename(sibling.constData(), target.constData()) != 0) error = errno;
  if (error != 0) {
    ::unlink(sibling.constData());
    return Reason(error);
  }
  SyncFolder(path);
  return std::nullopt;
}
