#pragma once

#include <QImage>
#include <QString>

#include "office/OpenOffice.h"
#include "qr/QRSymbol.h"

// The current bag record as the main window shows it; an empty field is the empty text.
struct TVoucherBag {
  QString BagNumber;   // "Номер сумки"
  QString Recipient;   // "Получатель"
  QString Account;     // "Счет"
  QString Inn;         // "Инн"
  QString CashSymbol;  // "Символ", a whole number in decimal, empty when the field is empty
  QString FullName;    // "ФИО"
};

// One row of the denomination grid: its texts in columns 0, 2 and 3.
struct TDenominationRow {
  QString Denomination;
  QString Count;
  QString Sum;
};

// What the voucher export reads from the main window and how it talks to the operator. The
// window implements it; every getter is read at the moment of the export.
class TVoucherSource {
 public:
  virtual ~TVoucherSource() = default;
  // The firm dialog's editors: firm name (Edit1) and cash account (Edit2).
  virtual QString FirmName() const = 0;
  virtual QString CashAccount() const = 0;
  virtual TVoucherBag Bag() const = 0;
  // Grid row 1 <= row <= 15 of the denomination grid.
  virtual TDenominationRow DenominationRow(int row) const = 0;
  // The grid's total cell (column 3, row 16); empty until the grid is first edited.
  virtual QString Total() const = 0;
  // The receipt name of the bag's cash symbol (the hidden label Label11).
  virtual QString ReceiptName() const = 0;
  // The live QR symbol of the window.
  virtual const TQRSymbol& QRSymbol() const = 0;
  // A plain modal message box with OK, titled with the application title.
  virtual void ShowMessage(const QString& message) = 0;
  // Replaces the clipboard's contents with the picture. The default uses the clipboard of the
  // running QGuiApplication.
  virtual void PutOnClipboard(const QImage& picture);
};

// Exports the current bag into the office suite ("Экспорт в эксель"). In the working
// directory it writes "QR.bmp" (the symbol, 4 pixels per module, one bit per pixel) and
// refreshes "temp1.xls" from "temp.xls"; then it opens that copy through office in a new window
// titled "vedomost.xls", fills three copies of the voucher (sheets 1 and 3), the denomination
// list (sheets 2 and 4) and the QR picture "Graphic1" (sheet 3), puts the picture on the
// clipboard and disconnects, leaving the document open in the suite.
//
// Shows "Добавьте фирму" (nothing written), a refusal of VoucherRefusal (nothing written: no
// QR symbol for the current payload, or a total the amount in words does not cover),
// "Заполните сумму!" (after "QR.bmp" and "temp1.xls") or "no connect" through source and
// returns. Every other failure raises (EOffice for the
// suite's and the wrapper's): the export ends there, what is written stays in the open document.
void ExportVoucher(TOOCalc& office, TVoucherSource& source);
