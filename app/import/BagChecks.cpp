#include "app/import/BagChecks.h"

#include <QStringList>

#include "app/BagFields.h"
#include "app/CashSymbols.h"
#include "app/store/DatabaseError.h"

namespace {

// Made once: a conversion checks a hundred thousand bags.
const std::vector<TFieldDef>& Fields() {
  static const std::vector<TFieldDef> fields = ClientsFields();
  return fields;
}

// The cash symbols a bag may carry; the list's blank item stands for none, which is a NULL.
const QStringList& Symbols() {
  static const QStringList symbols = CashSymbolItems().mid(1);
  return symbols;
}

}  // namespace

std::variant<TBagValues, QString> CheckedBag(const std::vector<TCell>& cells) {
  const std::vector<TFieldDef>& fields = Fields();
  const QStringList& symbols = Symbols();
  TBagValues values(BagFieldCount);
  QStringList reasons;
  const TCell& bagNumber = cells[int(TBagField::BagNumber)];
  if (!bagNumber || bagNumber->trimmed().isEmpty()) reasons << QStringLiteral("нет номера сумки");
  for (int f = 0; f < BagFieldCount; ++f) {
    const TFieldDef& field = fields[f];
    const TCell& cell = cells[f];
    if (!cell) continue;
    if (field.Type == TFieldType::ftWideString) {
      if (cell->size() > field.Size)
        reasons << QStringLiteral("«%1» длиннее %2 знаков").arg(field.Name).arg(field.Size);
      values[f] = *cell;
      continue;
    }
    if (cell->isEmpty()) continue;
    try {
      values[f] = FieldValueFromText(field, *cell);
    } catch (const EDatabaseError&) {
      reasons << QStringLiteral("«%1» не целое число: «%2»").arg(field.Name, *cell);
      continue;
    }
    if (AllBagFields[f] == TBagField::CashSymbol &&
        !symbols.contains(QString::number(values[f].toLongLong())))
      reasons << QStringLiteral("символа %1 нет в списке (%2)")
                     .arg(values[f].toLongLong())
                     .arg(symbols.join(QStringLiteral(", ")));
  }
  if (!reasons.isEmpty()) return reasons.join(QStringLiteral("; "));
  return values;
}

TBagValues KeptBag(const std::vector<TCell>& cells) {
  const std::vector<TFieldDef>& fields = Fields();
  TBagValues values(BagFieldCount);
  for (int f = 0; f < BagFieldCount; ++f) {
    if (!cells[f]) continue;
    values[f] = *cells[f];
    if (fields[f].Type == TFieldType::ftInteger && !cells[f]->isEmpty()) {
      try {
        values[f] = FieldValueFromText(fields[f], *cells[f]);
      } catch (const EDatabaseError&) {
      }
    }
  }
  return values;
}
