#include "app/CashSymbols.h"

#include <iterator>

namespace {

struct TCashSymbol {
  const char16_t* Code;      // the list item
  const char16_t* Kind;      // the kind of receipt
  bool OnReceipt;            // the voucher names the kind as its receipt name
  const char16_t* HintTail;  // what the tooltip line carries after the kind
};

// 32 ("other receipts") names no receipt: the voucher keeps the name of the symbol chosen
// before. The blank after the line of 11 has always been in the tooltip.
constexpr TCashSymbol CashSymbols[] = {
    {u"2", u"Поступления от продажи товаров", true, u""},
    {u"11", u"Поступления от реализации платных услуг (выполненных работ)", true, u" "},
    {u"19", u"Поступления на счета индивидуальных предпринимателей", true, u""},
    {u"32", u"Прочие поступления", false, u""},
};

constexpr char16_t NoSymbol[] = u"   ";

}  // namespace

QStringList CashSymbolItems() {
  QStringList items{QString::fromUtf16(NoSymbol)};
  for (const TCashSymbol& symbol : CashSymbols) items << QString::fromUtf16(symbol.Code);
  return items;
}

QString CashSymbolHint() {
  QStringList lines;
  for (const TCashSymbol& symbol : CashSymbols)
    lines << QString::fromUtf16(symbol.Code) + QStringLiteral(" - ") +
                 QString::fromUtf16(symbol.Kind) + QString::fromUtf16(symbol.HintTail);
  return lines.join(u'\r');
}

std::optional<QString> ReceiptNameForItem(int index) {
  if (index == 0) return QString();
  if (index < 1 || index > static_cast<int>(std::size(CashSymbols))) return std::nullopt;
  const TCashSymbol& symbol = CashSymbols[index - 1];
  if (!symbol.OnReceipt) return std::nullopt;
  return QString::fromUtf16(symbol.Kind);
}
