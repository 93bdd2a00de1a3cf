#include "office/VoucherCells.h"

#include <array>

namespace {

constexpr std::array<TCell, 15> Upper{{
    {TField::BagNumber, "AQ6"},
    {TField::Date, "BN6"},
    {TField::FirmName, "L9"},
    {TField::CashAccount, "CA9"},
    {TField::BagNumberAgain, "EL6"},
    {TField::Recipient, "Q11"},
    {TField::Account, "CA11"},
    {TField::Inn, "I13"},
    {TField::AccountAgain, "BF13"},
    {TField::FullName, "AJ24"},
    {TField::CashSymbol, "DR15"},
    {TField::TotalSecond, "EG15"},
    {TField::TotalFirst, "DR9"},
    {TField::AmountInWords, "W18"},
    {TField::ReceiptName, "AC21"},
}};
constexpr std::array<TCell, 15> Lower{{
    {TField::BagNumber, "AQ36"},
    {TField::Date, "BN36"},
    {TField::FirmName, "L39"},
    {TField::CashAccount, "CA39"},
    {TField::BagNumberAgain, "EL36"},
    {TField::Recipient, "Q41"},
    {TField::Account, "CA41"},
    {TField::Inn, "I43"},
    {TField::AccountAgain, "BF43"},
    {TField::FullName, "AN53"},
    {TField::CashSymbol, "DR45"},
    {TField::TotalSecond, "EG45"},
    {TField::TotalFirst, "DR39"},
    {TField::AmountInWords, "W48"},
    {TField::ReceiptName, "AC50"},
}};
constexpr std::array<TCell, 15> Third{{
    {TField::BagNumber, "AQ3"},
    {TField::Date, "BN3"},
    {TField::BagNumberAgain, "EL3"},
    {TField::FirmName, "L6"},
    {TField::CashAccount, "CA6"},
    {TField::Recipient, "Q8"},
    {TField::Account, "CA8"},
    {TField::Inn, "I10"},
    {TField::AccountAgain, "BF10"},
    {TField::CashSymbol, "DR12"},
    {TField::TotalSecond, "EG12"},
    {TField::AmountInWords, "W15"},
    {TField::ReceiptName, "AC18"},
    {TField::FullName, "AI21"},
    {TField::TotalFirst, "DR6"},
}};

// The template's grid: columns drawn 1.25 mm wide, which the .xls keeps as 1.235 mm (it
// stores widths in its own unit); every field's row is 6.5 mm high.
constexpr double ColumnMm = 1.235;
constexpr double FieldRowMm = 6.5;
constexpr double ScaledSheetMinimumPt = 6.5;

// Numbers and dates keep to one line; only the names and the amount in words wrap.
constexpr TFieldBox OneLine(int columns, double pointSize, bool bold) {
  return {columns * ColumnMm, FieldRowMm, pointSize, bold, 6, 1};
}
constexpr TFieldBox TwoLines(int columns, double pointSize) {
  return {columns * ColumnMm, FieldRowMm, pointSize, false, 6, 2};
}

}  // namespace

std::span<const TCell> UpperCopy() { return Upper; }
std::span<const TCell> LowerCopy() { return Lower; }
std::span<const TCell> ThirdCopy() { return Third; }

TFieldBox FieldBox(TField field, int sheet) {
  TFieldBox box;
  switch (field) {
    case TField::BagNumber:
      box = OneLine(14, 10, true);
      break;  // AQ:BD
    case TField::Date:
      box = OneLine(16, 9, false);
      break;  // BN:CC
    case TField::BagNumberAgain:
      box = OneLine(11, 10, true);
      break;  // EL:EV, "Сумка №"
    case TField::FirmName:
      box = TwoLines(65, 9);
      break;                   // L:BX
    case TField::CashAccount:  // CA:DI
    case TField::Account:      // CA:DI
    case TField::Inn:          // I:AQ
    case TField::AccountAgain:
      box = OneLine(35, 9, false);
      break;  // BF:CN
    case TField::TotalFirst:
      box = OneLine(31, 9, true);
      break;  // DR:EV
    case TField::Recipient:
      box = TwoLines(60, 9);
      break;  // Q:BX
    case TField::CashSymbol:
      box = OneLine(11, 9, false);
      break;  // DR:EB
    case TField::TotalSecond:
      box = OneLine(16, 9, true);
      break;  // EG:EV
    case TField::AmountInWords:
      box = TwoLines(130, 9);
      break;  // W:EV
    case TField::ReceiptName:
      box = TwoLines(124, 9);
      break;  // AC:EV
    case TField::FullName:
      box = TwoLines(61, 9);
      break;  // AJ:CR, AN:CV, AI:CQ
    case TField::ListBagNumber:
      box = OneLine(23, 10, true);
      break;  // DA:DW
  }
  if (sheet == ReceiptSheet) box.MinimumPt = ScaledSheetMinimumPt;
  return box;
}
