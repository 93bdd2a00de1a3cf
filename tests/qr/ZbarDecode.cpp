#include "tests/qr/ZbarDecode.h"

#include <QProcess>
#include <QTemporaryDir>

std::optional<QByteArray> DecodeQRFile(const QString& path) {
  QProcess zbar;
  zbar.start(QStringLiteral("zbarimg"), {QStringLiteral("--quiet"), QStringLiteral("--raw"),
                                         QStringLiteral("-Sbinary"), path});
  if (!zbar.waitForFinished(30000) || zbar.exitStatus() != QProcess::NormalExit ||
      zbar.exitCode() != 0)
    return std::nullopt;
  // With -Sbinary zbarimg adds no line feed of its own: the output is the content.
  return zbar.readAllStandardOutput();
}

std::optional<QByteArray> DecodeQRImage(const QImage& image) {
  const QTemporaryDir folder;
  const QString path = folder.filePath(QStringLiteral("symbol.bmp"));
  if (!folder.isValid() || !image.save(path, "BMP")) return std::nullopt;
  return DecodeQRFile(path);
}
