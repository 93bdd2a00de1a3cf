#pragma once

#include <QString>

#include <array>
#include <functional>
#include <vector>

#include "office/VoucherExport.h"
#include "tests/office/VoucherCellMap.h"
#include "tests/support/QtPrinters.h"

// The main window as the export sees it: a bag, the firm, a grid with counts in rows 2, 5 and
// 11 (row 5 typed as "00"), and the messages and clipboard pictures the export produced.
class TTestVoucherSource : public TVoucherSource {
public:
  TTestVoucherSource() {
    const char* denominations[16] = {"",   "5000", "2000", "1000", "500", "200", "100",  "50",
                                     "10", "5",    "2",    "1",    "0,5", "0,1", "0,05", "0,01"};
    for (int row = 1; row <= 15; ++row) Rows[row] = {denominations[row], "0", "0"};
    Rows[2] = {"2000", "3", "6000"};
    Rows[5] = {"200", "00", "0"};
    Rows[11] = {"1", " 7\t", "7"};
    Symbol.SetText("ST00012|Name=ООО Ромашка|Sum=600700");
  }

  QString FirmName() const override { return Firm; }
  QString CashAccount() const override { return Cash; }
  TVoucherBag Bag() const override { return BagData; }
  TDenominationRow DenominationRow(int row) const override { return Rows.at(row); }
  QString Total() const override { return TotalText; }
  QString ReceiptName() const override { return Receipt; }
  const TQRSymbol& QRSymbol() const override { return Symbol; }
  void ShowMessage(const QString& message) override { Messages.push_back(message); }
  void ShowInformation(const QString& message) override { Information.push_back(message); }
  void PutOnClipboard(const QImage& picture) override {
    Clipboard.push_back(picture);
    if (UseRealClipboard) TVoucherSource::PutOnClipboard(picture);
    if (OnClipboard) OnClipboard();
  }
  void WaitForOffice(TOfficeWork& work) override {
    if (OnWait) OnWait(work);
    work.Wait();
  }

  QString Firm = "ООО «Ромашка» #1";
  QString Cash = "40702810900000012345";
  TVoucherBag BagData{"004512", "ПАО Сбербанк, отделение № 7", "40702810500000054321", "7701234567",
                      "2",      "Иванов Иван Иванович"};
  std::array<TDenominationRow, 16> Rows;  // rows 1 to 15 of the grid
  QString TotalText = "6007";
  QString Receipt = "Поступления от реализации товаров";
  TQRSymbol Symbol;
  // Runs as the picture reaches the clipboard: the office is midway, between the third copy
  // and the picture.
  std::function<void()> OnClipboard;
  // Runs as the export starts to wait for the office (say, to arrange a cancel).
  std::function<void(TOfficeWork&)> OnWait;
  bool UseRealClipboard = false;
  std::vector<QString> Messages;
  std::vector<QString> Information;
  std::vector<QImage> Clipboard;
};

// The cells the export fills with the values of source, in write order: the bag, firm,
// receipt name and total as source holds them; the listed counts and the amount in words as
// the rows and the total "6007" set above give them. date is today's date as the export
// writes it.
std::vector<TExpectedCell> ExpectedCells(const TTestVoucherSource& source, const QString& date);
