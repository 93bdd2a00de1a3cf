#pragma once

#include <QString>

#include <vector>

#include "app/store/Field.h"

// The seven fields of a bag record, in the register's column order. Code names a field
// through this enumeration, so that a misspelt field does not compile; app/schema.sql declares
// the same columns (a test holds the two together).
enum class TBagField { BagNumber, PackageNumber, Recipient, Account, Inn, CashSymbol, FullName };

inline constexpr int BagFieldCount = 7;

inline constexpr TBagField AllBagFields[BagFieldCount] = {
    TBagField::BagNumber, TBagField::PackageNumber, TBagField::Recipient, TBagField::Account,
    TBagField::Inn,       TBagField::CashSymbol,    TBagField::FullName};

// The field's column name in the table "Clients", also the register grid's column title:
// "Номер сумки", "Номер пакета", "Получатель", "Счет", "Инн", "Символ", "ФИО".
QString BagFieldName(TBagField field);

// The seven fields of a bag record, in the register's column order: the definition of the
// field `f` stands at index int(f) and carries the name BagFieldName(f).
std::vector<TFieldDef> ClientsFields();
