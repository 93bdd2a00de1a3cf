#include "texts/VoucherPayload.h"

namespace {

QString PayloadLine(const char* label, const QString& value, const char* terminator) {
  return QString::fromUtf8(label) + value + QString::fromUtf8(terminator) + QStringLiteral("\r\n");
}

}  // namespace

QString ComposeVoucherPayload(const TVoucherPayloadFields& fields) {
  return PayloadLine("№ сумки:", fields.BagNumber, ";") +
         PayloadLine("№ пакета:", fields.PackageNumber, ";") +
         PayloadLine("Получатель:", fields.Recipient, ";") +
         PayloadLine("Транзитный счет:", fields.Account, ";") +
         PayloadLine("Сумма:", fields.Total, " руб.;") +
         PayloadLine("Кассовый символ:", fields.CashSymbol, ";");
}

QString QRMetricsLine(int symbolSize, int quietZoneWidth) {
  if (symbolSize == 0) return QStringLiteral("Данные не помещаются в QR-код");
  const int inner = symbolSize - 2 * quietZoneWidth;
  return QStringLiteral("%1x%1 (%2x%2)").arg(symbolSize).arg(inner);
}
