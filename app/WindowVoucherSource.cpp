#include "app/WindowVoucherSource.h"

#include <QLabel>
#include <QLineEdit>

#include "app/store/ADOTable.h"
#include "app/BagFields.h"
#include "app/DenominationGrid.h"
#include "app/Application.h"
#include "app/ExportBusyDialog.h"
#include "app/MainForm.h"
#include "app/Reg.h"
#include "app/controls/Dialogs.h"
#include "app/controls/StringGrid.h"
#include "ui_MainForm.h"

TWindowVoucherSource::TWindowVoucherSource(TForm1& window, const TForm4& firmDialog,
                                           const TADOTable& register_)
    : FWindow(window), FFirmDialog(firmDialog), FRegister(register_) {}

QString TWindowVoucherSource::FirmName() const { return FFirmDialog.FirmName(); }

QString TWindowVoucherSource::CashAccount() const { return FFirmDialog.CashAccount(); }

QString TWindowVoucherSource::FieldText(TBagField name) const {
  const int field = FRegister.FieldIndex(BagFieldName(name));
  return field < 0 ? QString() : FieldDisplayText(FRegister.FieldValue(field));
}

TVoucherBag TWindowVoucherSource::Bag() const {
  return {FieldText(TBagField::BagNumber),  FieldText(TBagField::Recipient),
          FieldText(TBagField::Account),    FieldText(TBagField::Inn),
          FieldText(TBagField::CashSymbol), FieldText(TBagField::FullName)};
}

TDenominationRow TWindowVoucherSource::DenominationRow(int row) const {
  const TStringGrid& grid = *FWindow.Controls().StringGrid1;
  return {grid.Cells(0, row), grid.Cells(DenominationCountCol, row),
          grid.Cells(DenominationSumCol, row)};
}

QString TWindowVoucherSource::Total() const {
  return FWindow.Controls().StringGrid1->Cells(DenominationSumCol, DenominationTotalRow);
}

QString TWindowVoucherSource::ReceiptName() const { return FWindow.Controls().Label11->text(); }

const TQRSymbol& TWindowVoucherSource::QRSymbol() const { return FWindow.QRSymbol(); }

void TWindowVoucherSource::ShowMessage(const QString& message) { ::ShowMessage(message); }

void TWindowVoucherSource::ShowInformation(const QString& message) {
  ShowMessageBox(
      {TApplication::Title(), message, TMsgDlgType::mtInformation, TMsgDlgButtons::mbOK});
}

void TWindowVoucherSource::WaitForOffice(TOfficeWork& work) {
  WaitBehindBusyDialog(&FWindow, work);
}
