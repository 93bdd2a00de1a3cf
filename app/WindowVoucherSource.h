#pragma once

#include "office/VoucherExport.h"

class TADOTable;
enum class TBagField;
class TForm1;
class TForm4;

// What the voucher export reads, taken from the main window at the moment it asks: the firm
// dialog's editors, the current bag record (with changes not yet posted), the denomination
// grid, Label11 and the window's QR symbol. Messages go through the program's message boxes;
// the office part is waited for behind the window's busy box.
class TWindowVoucherSource : public TVoucherSource {
public:
  TWindowVoucherSource(TForm1& window, const TForm4& firmDialog, const TADOTable& register_);

  QString FirmName() const override;
  QString CashAccount() const override;
  TVoucherBag Bag() const override;
  TDenominationRow DenominationRow(int row) const override;
  QString Total() const override;
  QString ReceiptName() const override;
  const TQRSymbol& QRSymbol() const override;
  void ShowMessage(const QString& message) override;
  void ShowInformation(const QString& message) override;
  // Behind the window's busy box ("Экспорт…", "Отмена").
  void WaitForOffice(TOfficeWork& work) override;

private:
  QString FieldText(TBagField name) const;

  TForm1& FWindow;
  const TForm4& FFirmDialog;
  const TADOTable& FRegister;
};
