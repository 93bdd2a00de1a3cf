#pragma once

#include <span>

#include "office/FieldFit.h"

// The cells of the voucher template that the export writes: the whole contract between the
// program and temp.xls, with the box each field has there (make_temp_fods.py draws them).

// The sheets by position: voucher copies, lists, the copy with the QR picture.
inline constexpr int FormSheet = 0;
inline constexpr int FirstListSheet = 1;
inline constexpr int ReceiptSheet = 2;
inline constexpr int SecondListSheet = 3;

enum class TField {
  BagNumber,
  Date,
  BagNumberAgain,
  FirmName,
  CashAccount,
  TotalFirst,
  Recipient,
  Account,
  Inn,
  AccountAgain,
  CashSymbol,
  TotalSecond,
  AmountInWords,
  ReceiptName,
  FullName,
  ListBagNumber  // the "№" box of a list's heading
};

struct TCell {
  TField Field;
  const char* Address;
};

// The three copies of the voucher, each in the order its cells are written: the upper and the
// lower on FormSheet, the third on ReceiptSheet.
std::span<const TCell> UpperCopy();
std::span<const TCell> LowerCopy();
std::span<const TCell> ThirdCopy();

// The list of counted denominations (FirstListSheet, SecondListSheet): the bag number in the
// heading's box, rows FirstListRow.. for the entries, the total in ListTotalAddress.
inline constexpr const char* ListBagNumberAddress = "DA2";
inline constexpr int FirstListRow = 5;
inline constexpr const char* ListTotalAddress = "DC20";

// The box of a field on a sheet: the third copy's sheet prints scaled to its page (the QR
// picture reaches 290 mm down), so its text keeps 6.5 pt to print at 6 pt and more.
TFieldBox FieldBox(TField field, int sheet);
