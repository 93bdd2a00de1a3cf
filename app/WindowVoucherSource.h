#pragma once

#include "office/VoucherExport.h"

class TADOTable;
enum class TBagField;
class TForm1;
class TForm4;

// What the voucher export reads, taken from the main window at the moment it asks: the firm
// dialog's editors, the current bag record (with changes not yet posted), the denomination
// grid, Label11 and the window's QR symbol. Messages go through the program's message boxes.
class TWindowVoucherSource : public TVoucherSource {
public:
  TWindowVoucherSource(const TForm1& window, const TForm4& firmDialog, const TADOTable& register_);

  QString FirmName() const override;
  QString CashAccount() const override;
  TVoucherBag Bag() const override;
  TDenominationRow DenominationRow(int row) const override;
  QString Total() const override;
  QString ReceiptName() const override;
  const TQRSymbol& QRSymbol() const override;
  void ShowMessage(const QString& message) override;

private:
  QString FieldText(TBagField name) const;

  const TForm1& FWindow;
  const TForm4& FFirmDialog;
  const TADOTable& FRegister;
};
