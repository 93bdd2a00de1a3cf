#include "tests/office/TestVoucherSource.h"

std::vector<TExpectedCell> ExpectedCells(const TTestVoucherSource& s, const QString& date) {
  const TVoucherBag& b = s.BagData;
  const QString words = "шесть тысяч семь рублей 00 копеек";
  std::vector<TExpectedCell> cells{
      {0, "AQ6", b.BagNumber},    {0, "BN6", date},         {0, "L9", s.Firm},
      {0, "CA9", s.Cash},         {0, "EL6", b.BagNumber},  {0, "Q11", b.Recipient},
      {0, "CA11", b.Account},     {0, "I13", b.Inn},        {0, "BF13", b.Account},
      {0, "AJ24", b.FullName},    {0, "DR15", b.CashSymbol}, {0, "EG15", s.TotalText},
      {0, "DR9", s.TotalText},    {0, "W18", words},        {0, "AC21", s.Receipt},
      {0, "AQ36", b.BagNumber},   {0, "BN36", date},        {0, "L39", s.Firm},
      {0, "CA39", s.Cash},        {0, "EL36", b.BagNumber}, {0, "Q41", b.Recipient},
      {0, "CA41", b.Account},     {0, "I43", b.Inn},        {0, "BF43", b.Account},
      {0, "AN53", b.FullName},    {0, "DR45", b.CashSymbol}, {0, "EG45", s.TotalText},
      {0, "DR39", s.TotalText},   {0, "W48", words},        {0, "AC50", s.Receipt}};
  const auto list = [&](int sheet) {
    cells.insert(cells.end(), {{sheet, "DA2", b.BagNumber},
                               {sheet, "A5", "2000"}, {sheet, "BA5", "3"}, {sheet, "DC5", "6000"},
                               {sheet, "A6", "200"},  {sheet, "BA6", "00"}, {sheet, "DC6", "0"},
                               {sheet, "A7", "1"},    {sheet, "BA7", " 7\t"}, {sheet, "DC7", "7"},
                               {sheet, "DC20", s.TotalText}});
  };
  list(1);
  cells.insert(cells.end(),
               {{2, "AQ3", b.BagNumber},  {2, "BN3", date},         {2, "EL3", b.BagNumber},
                {2, "L6", s.Firm},        {2, "CA6", s.Cash},       {2, "Q8", b.Recipient},
                {2, "CA8", b.Account},    {2, "I10", b.Inn},        {2, "BF10", b.Account},
                {2, "DR12", b.CashSymbol}, {2, "EG12", s.TotalText}, {2, "W15", words},
                {2, "AC18", s.Receipt},   {2, "AI21", b.FullName},  {2, "DR6", s.TotalText}});
  list(3);
  return cells;
}
