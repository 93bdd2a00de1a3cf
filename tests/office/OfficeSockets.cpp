#include "tests/office/OfficeSockets.h"

#include <QByteArrayView>
#include <QCryptographicHash>
#include <QFile>

#include <unistd.h>

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
