#include "tests/tools/ToolRun.h"

#include <gtest/gtest.h>

#include <QProcess>

const QByteArray VoucherPayload(
    "№ сумки:1234;\r\n№ пакета:5678;\r\nПолучатель:ООО Ромашка;\r\n"
    "Транзитный счет:40702810900000000001;\r\nСумма:15000,7 руб.;\r\nКассовый символ:2;\r\n");

TRun RunTool(const QStringList& arguments, const QByteArray& input) {
  QProcess tool;
  tool.start(QStringLiteral(VOUCHER_TOOL), arguments);
  EXPECT_TRUE(tool.waitForStarted());
  tool.write(input);
  tool.closeWriteChannel();
  EXPECT_TRUE(tool.waitForFinished(60000));
  return {tool.exitCode(), tool.readAllStandardOutput(), tool.readAllStandardError()};
}
