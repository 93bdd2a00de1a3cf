#include "app/WindowVoucherSource.h"

#include <QLabel>
#include <QLineEdit>

#include "app/store/ADOTable.h"
#include "app/DenominationGrid.h"
#include "app/Application.h"
#include "app/ExportBusyDialog.h"
#include "app/MainForm.h"
#include "app/Reg.h"
#include "app/controls/StringGrid.h"

TWindowVoucherSource::TWindowVoucherSource(TForm1& window, const TForm4& firmDialog,
                                           const TADOTable& register_)
    : FWindow(window), FFirmDialog(firmDialog), FRegister(register_) {}

QString TWindowVoucherSource::FirmName() const { return FFirmDialog.Edit1->text(); }

QString TWindowVoucherSource::CashAccount() const { return FFirmDialog.Edit2->text(); }

QString TWindowVoucherSource::FieldText(const char16_t* name) const {
  const int field = FRegister.FieldIndex(QString::fromUtf16(name));
  return field < 0 ? QString() : FieldDisplayText(FRegister.FieldValue(field));
}

TVoucherBag TWindowVoucherSource::Bag() const {
  return {FieldText(u"Номер сумки"), FieldText(u"Получатель"), FieldText(u"Счет"),
          FieldText(u"Инн"),         FieldText(u"Символ"),     FieldText(u"ФИО")};
}

TDenominationRow TWindowVoucherSource::DenominationRow(int row) const {
  const TStringGrid& grid = *FWindow.StringGrid1;
  return {grid.Cells(0, row), grid.Cells(DenominationCountCol, row), grid.Cells(DenominationSumCol, row)};
}

QString TWindowVoucherSource::Total() const {
  return FWindow.StringGrid1->Cells(DenominationSumCol, DenominationTotalRow);
}

QString TWindowVoucherSource::ReceiptName() const { return FWindow.Label11->text(); }

const TQRSymbol& TWindowVoucherSource::QRSymbol() const { return FWindow.QRSymbol(); }

void TWindowVoucherSource::ShowMessage(const QString& message) { ::ShowMessage(message); }

void TWindowVoucherSource::WaitForOffice(TOfficeWork& work) { WaitBehindBusyDialog(&FWindow, work); }
