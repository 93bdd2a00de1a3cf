#include "tests/office/TestVoucherSource.h"

std::vector<TExpectedCell> ExpectedCells(const TTestVoucherSource& s, const QString& date) {
  const TVoucherBag& b = s.BagData;
  const std::map<TField, QString> texts{
      {TField::BagNumber, b.BagNumber},
      {TField::Date, date},
      {TField::BagNumberAgain, b.BagNumber},
      {TField::FirmName, s.Firm},
      {TField::CashAccount, s.Cash},
      {TField::TotalFirst, s.TotalText},
      {TField::Recipient, b.Recipient},
      {TField::Account, b.Account},
      {TField::Inn, b.Inn},
      {TField::AccountAgain, b.Account},
      {TField::CashSymbol, b.CashSymbol},
      {TField::TotalSecond, s.TotalText},
      {TField::AmountInWords, "шесть тысяч семь рублей 00 копеек"},
      {TField::ReceiptName, s.Receipt},
      {TField::FullName, b.FullName}};
  const std::vector<TListLine> lines{{"2000", "3", "6000"}, {"200", "00", "0"}, {"1", " 7\t", "7"}};
  std::vector<TExpectedCell> cells;
  for (const std::vector<TExpectedCell>& part :
       {ExpectedCopy(0, UpperCopyCells, texts), ExpectedCopy(0, LowerCopyCells, texts),
        ExpectedList(1, b.BagNumber, lines, s.TotalText), ExpectedCopy(2, ThirdCopyCells, texts),
        ExpectedList(3, b.BagNumber, lines, s.TotalText)})
    cells.insert(cells.end(), part.begin(), part.end());
  return cells;
}
