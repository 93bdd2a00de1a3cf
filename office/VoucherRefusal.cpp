#include "office/VoucherRefusal.h"

#include "qr/QRSymbol.h"
#include "texts/AmountInWords.h"
#include "texts/NumberFormat.h"

QString VoucherRefusal(const TQRSymbol& symbol, const QString& total) {
  if (symbol.SymbolSize() == 0) {
    if (total.isEmpty()) return QStringLiteral("Заполните сумму!");
    return QStringLiteral(
        "Данные этой сумки не помещаются в QR-код, экспорт отменён.\n"
        "Сократите номер сумки, получателя или счет и повторите экспорт.");
  }
  if (total.isEmpty()) return QString();
  const std::optional<double> amount = TryParseNumber(total);
  if (amount && AmountInWordsCovers(*amount)) return QString();
  return QStringLiteral(
             "Итоговая сумма «%1» не может быть записана прописью, экспорт отменён.\n"
             "Допускаются суммы от 0 до 9 999 999 999 999,99 руб.: проверьте количества в таблице "
             "номиналов.")
      .arg(total);
}
