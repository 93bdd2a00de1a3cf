#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include "tests/qr/ZbarDecode.h"
#include "tests/support/SamplePayload.h"
#include "tests/tools/ToolRun.h"

namespace {

TEST(VoucherToolOracle, BitmapOfTheVoucherPayloadDecodesToTheMarkedUtf8Bytes) {
  const QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const QString path = folder.filePath(QStringLiteral("QR.bmp"));
  const TRun run = RunTool({"qr", "--bmp", path}, QByteArray(SamplePayload));
  ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();

  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray header = file.read(30);
  ASSERT_EQ(header.size(), 30);
  EXPECT_EQ(header[28], 1) << "one bit per pixel";
  EXPECT_EQ(QImage(path).size(), QSize(244, 244));

  const std::optional<QByteArray> decoded = DecodeQRFile(path);
  ASSERT_TRUE(decoded.has_value());
  EXPECT_EQ(decoded->toHex(' '),
            (QByteArray("\xef\xbb\xbf") + QByteArray(SamplePayload)).toHex(' '));
}

}  // namespace
