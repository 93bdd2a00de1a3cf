#include "tests/office/OfficeSockets.h"

#include <QByteArrayView>
#include <QCryptographicHash>
#include <QFile>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>

QString OfficePipePath(const QString& pipeName) {
  return QString("/tmp/OSL_PIPE_%1_").arg(getuid()) + pipeName;
}

void RemoveOfficeSockets(const TOfficeLaunch& launch) {
  QFile::remove(OfficePipePath(launch.PipeName));
  if (launch.ProfileURL.isEmpty()) return;
  const QByteArray digest = QCryptographicHash::hash(
      QByteArrayView(reinterpret_cast<const char*>(launch.ProfileURL.utf16()),
                     launch.ProfileURL.size() * 2),
      QCryptographicHash::Md5);
  QString hash;
  for (const char byte : digest) hash += QString::number(static_cast<unsigned char>(byte), 16);
  QFile::remove(OfficePipePath("SingleOfficeIPC_" + hash));
}

TSilentOfficePipe::TSilentOfficePipe(const QString& pipeName)
    : FPath(OfficePipePath(pipeName).toLocal8Bit()) {}

TSilentOfficePipe::~TSilentOfficePipe() {
  if (FConnection >= 0) close(FConnection);
  if (FListener < 0) return;
  close(FListener);
  unlink(FPath.constData());
}

bool TSilentOfficePipe::Listen() {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (static_cast<size_t>(FPath.size()) >= sizeof address.sun_path) return false;
  std::copy(FPath.begin(), FPath.end(), address.sun_path);
  FListener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (FListener < 0) return false;
  if (bind(FListener, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
      listen(FListener, 4) == 0)
    return true;
  close(FListener);
  FListener = -1;
  return false;
}

void TSilentOfficePipe::StopReading() {
  FConnection = accept4(FListener, nullptr, nullptr, SOCK_CLOEXEC);
  if (FConnection >= 0) shutdown(FConnection, SHUT_RD);
}
