#include "tests/tools/ToolRun.h"

#include <gtest/gtest.h>

#include <QProcess>

TRun RunTool(const QStringList& arguments, const QByteArray& input) {
  QProcess tool;
  tool.start(QStringLiteral(VOUCHER_TOOL), arguments);
  EXPECT_TRUE(tool.waitForStarted());
  tool.write(input);
  tool.closeWriteChannel();
  EXPECT_TRUE(tool.waitForFinished(60000));
  return {tool.exitCode(), tool.readAllStandardOutput(), tool.readAllStandardError()};
}
