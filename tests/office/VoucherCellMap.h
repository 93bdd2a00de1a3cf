#pragma once

#include <QString>

#include <functional>
#include <map>
#include <span>
#include <vector>

#include "office/VoucherCells.h"

// The cells of temp.xls that the export writes, written out as the voucher form lays them out.
// The tests hold the export to this table; it is deliberately not office/VoucherCells, whose
// addresses are what is under test. TField only names the fields.

struct TFieldCell {
  TField Field;
  const char* Address;
};

// The three copies of the voucher, each in the order the export writes its cells: the upper
// and the lower copy on sheet 0, the third on sheet 2. The lower copy lies 30 rows below the
// upper one (29 for the receipt name and the full name, which also moves to AN), the third 3
// rows above it (the full name in AI).
inline constexpr TFieldCell UpperCopyCells[] = {
    {TField::BagNumber, "AQ6"},      {TField::Date, "BN6"},
    {TField::FirmName, "L9"},        {TField::CashAccount, "CA9"},
    {TField::BagNumberAgain, "EL6"}, {TField::Recipient, "Q11"},
    {TField::Account, "CA11"},       {TField::Inn, "I13"},
    {TField::AccountAgain, "BF13"},  {TField::FullName, "AJ24"},
    {TField::CashSymbol, "DR15"},    {TField::TotalSecond, "EG15"},
    {TField::TotalFirst, "DR9"},     {TField::AmountInWords, "W18"},
    {TField::ReceiptName, "AC21"}};
inline constexpr TFieldCell LowerCopyCells[] = {
    {TField::BagNumber, "AQ36"},      {TField::Date, "BN36"},
    {TField::FirmName, "L39"},        {TField::CashAccount, "CA39"},
    {TField::BagNumberAgain, "EL36"}, {TField::Recipient, "Q41"},
    {TField::Account, "CA41"},        {TField::Inn, "I43"},
    {TField::AccountAgain, "BF43"},   {TField::FullName, "AN53"},
    {TField::CashSymbol, "DR45"},     {TField::TotalSecond, "EG45"},
    {TField::TotalFirst, "DR39"},     {TField::AmountInWords, "W48"},
    {TField::ReceiptName, "AC50"}};
inline constexpr TFieldCell ThirdCopyCells[] = {
    {TField::BagNumber, "AQ3"},    {TField::Date, "BN3"},         {TField::BagNumberAgain, "EL3"},
    {TField::FirmName, "L6"},      {TField::CashAccount, "CA6"},  {TField::Recipient, "Q8"},
    {TField::Account, "CA8"},      {TField::Inn, "I10"},          {TField::AccountAgain, "BF10"},
    {TField::CashSymbol, "DR12"},  {TField::TotalSecond, "EG12"}, {TField::AmountInWords, "W15"},
    {TField::ReceiptName, "AC18"}, {TField::FullName, "AI21"},    {TField::TotalFirst, "DR6"}};
// The "№" box in the heading of each denomination list (sheets 1 and 3).
inline constexpr TFieldCell ListBagNumberCell{TField::ListBagNumber, "DA2"};

// One cell the export writes and the text it holds afterwards.
struct TExpectedCell {
  int Sheet;
  QString Address;
  QString Text;
};

// The cells of one copy on sheet, in write order, each with the text of its field in texts
// (which must name every field of the copy).
std::vector<TExpectedCell> ExpectedCopy(int sheet, std::span<const TFieldCell> copy,
                                        const std::map<TField, QString>& texts);

// One listed denomination: the texts of columns A, BA and DC.
struct TListLine {
  QString Denomination;
  QString Count;
  QString Sum;
};
// The cells of the denomination list on sheet, in write order: the bag number in DA2, the lines
// from row 5 down, the total in DC20.
std::vector<TExpectedCell> ExpectedList(int sheet, const QString& bagNumber,
                                        const std::vector<TListLine>& lines, const QString& total);

// Expects every cell to hold its text, as read(sheet, address) gives it.
void ExpectCells(const std::vector<TExpectedCell>& cells,
                 const std::function<QString(int sheet, const QString& address)>& read);
