#include "app/BagFields.h"

namespace {

constexpr const char16_t* Names[BagFieldCount] = {
    u"Номер сумки", u"Номер пакета", u"Получатель", u"Счет", u"Инн", u"Символ", u"ФИО"};

}  // namespace

QString BagFieldName(TBagField field) { return QString::fromUtf16(Names[static_cast<int>(field)]); }

std::vector<TFieldDef> ClientsFields() {
  const Qt::Alignment left = Qt::AlignLeft;
  return {
      {BagFieldName(TBagField::BagNumber), TFieldType::ftWideString, 50, 13, left},
      {BagFieldName(TBagField::PackageNumber), TFieldType::ftInteger, 0, 10, left},
      {BagFieldName(TBagField::Recipient), TFieldType::ftWideString, 255, 28, left},
      {BagFieldName(TBagField::Account), TFieldType::ftWideString, 255, 29, left},
      {BagFieldName(TBagField::Inn), TFieldType::ftWideString, 255, 21, left},
      {BagFieldName(TBagField::CashSymbol), TFieldType::ftInteger, 0, 9, Qt::AlignRight},
      {BagFieldName(TBagField::FullName), TFieldType::ftWideString, 100, 23, left},
  };
}
