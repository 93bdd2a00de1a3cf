#include "office/VoucherRefusal.h"

#include "qr/QRSymbol.h"

QString VoucherRefusal(const TQRSymbol& symbol, const QString& total) {
  if (symbol.SymbolSize() != 0) return QString();
  if (total.isEmpty()) return QStringLiteral("Заполните сумму!");
  return QStringLiteral(
      "Данные этой сумки не помещаются в QR-код, экспорт отменён.\n"
      "Сократите номер сумки, получателя или счет и повторите экспорт.");
}
