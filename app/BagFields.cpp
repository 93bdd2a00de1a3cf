#include "app/BagFields.h"

namespace {

constexpr const char16_t* Names[BagFieldCount] = {
    u"Номер сумки", u"Номер пакета", u"Получатель", u"Счет", u"Инн", u"Символ", u"ФИО"};

}  // namespace

QString BagFieldName(TBagField field) { return QString::fromUtf16(Names[static_cast<int>(field)]); }
