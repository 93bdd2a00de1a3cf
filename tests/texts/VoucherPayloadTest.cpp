#include "texts/VoucherPayload.h"

#include <gtest/gtest.h>

namespace {

TEST(VoucherPayload, ComposesSixLinesWithCrLf) {
  const TVoucherPayloadFields fields{"1234",    "5678", "ООО Ромашка", "40702810900000000001",
                                     "15000,7", "2"};
  EXPECT_EQ(ComposeVoucherPayload(fields).toStdString(),
            "№ сумки:1234;\r\n"
            "№ пакета:5678;\r\n"
            "Получатель:ООО Ромашка;\r\n"
            "Транзитный счет:40702810900000000001;\r\n"
            "Сумма:15000,7 руб.;\r\n"
            "Кассовый символ:2;\r\n");
}

TEST(VoucherPayload, CopiesValuesUnchanged) {
  const TVoucherPayloadFields fields{" 1 ", "", "А;Б\r\nВ", "", "", "   "};
  EXPECT_EQ(ComposeVoucherPayload(fields).toStdString(),
            "№ сумки: 1 ;\r\n"
            "№ пакета:;\r\n"
            "Получатель:А;Б\r\nВ;\r\n"
            "Транзитный счет:;\r\n"
            "Сумма: руб.;\r\n"
            "Кассовый символ:   ;\r\n");
}

TEST(VoucherPayload, MetricsLine) {
  EXPECT_EQ(QRMetricsLine(61, 4), QStringLiteral("61x61 (53x53)"));
  EXPECT_EQ(QRMetricsLine(177, 0), QStringLiteral("177x177 (177x177)"));
  EXPECT_EQ(QRMetricsLine(23, 1), QStringLiteral("23x23 (21x21)"));
  EXPECT_EQ(QRMetricsLine(0, 4), QStringLiteral("Данные не помещаются в QR-код"));
}

}  // namespace
