#pragma once

#include <QDate>
#include <QImage>
#include <QString>

#include "office/OfficeWork.h"
#include "office/OpenOffice.h"
#include "office/VoucherCells.h"
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
  // The same with the information icon: what the operator chose, no fault.
  virtual void ShowInformation(const QString& message) = 0;
  // Replaces the clipboard's contents with the picture. The default uses the clipboard of the
  // running QGuiApplication.
  virtual void PutOnClipboard(const QImage& picture);
  // Waits while the office part of the export runs on its own thread: must call work.Wait()
  // and may let the operator cancel through work.Cancel() meanwhile (the window shows a modal
  // "Экспорт…" with "Отмена"). The default only waits.
  virtual void WaitForOffice(TOfficeWork& work);
};

// Exports the current bag into the office suite ("Экспорт в эксель"). Runs on the
// user-interface thread; the office is driven from a thread of its own meanwhile (TOfficeWork),
// so the window keeps answering, and the wait for an answer is bounded.
//
// Order: the firm name is checked ("Добавьте фирму", nothing written); a refusal of
// VoucherRefusal (nothing written: no QR symbol for the current payload, or a total the amount
// in words does not cover); "QR.bmp" is written
// (the symbol, 4 pixels per module, one bit per pixel); the template "temp.xls" is checked and
// copied to "temp1.xls" (both writes checked to the last byte: a failure raises EVoucherFile
// naming the file, and nothing reaches the office); "Заполните сумму!" when the grid has no
// total. Then everything the export writes is read from source, and the export's own copy of
// the template and its own picture file are made in "vouchers" beside the template
// (CreateVoucherCopy): the office opens that copy, not temp1.xls, with the "MS Excel 97"
// filter and a handler that lets it ask the operator nothing, hidden, titled "vedomost.xls";
// the export checks that it is the voucher template (four sheets at least, every cell it fills
// the first of a field's merged block) before it writes anything, then fills three copies of the
// voucher (sheets 1 and 3), the denomination list with its bag number (sheets 2 and 4) and the
// QR picture "Graphic1" (sheet 3), and only then shows its window: the operator sees the
// finished voucher, never its making. Every field of
// the copies and the lists' bag number is written as FitFieldText fits it into its box
// (FieldBox): whole, or cut with "…", and where it needs a smaller size than the template's,
// with that size set on the cell; the denomination rows and the total are written as they
// are. The picture goes on the clipboard from this thread while the office works; the
// connection drops its references and the document stays open in the suite.
//
// A suite that cannot be reached: a message with "no connect" as its technical line, through
// source. The operator's cancel: "Экспорт отменён." through ShowInformation. Every other
// failure raises EVoucherFile (files) or EOffice (the office: refused, died, or gave no answer
// for AnswerTimeout; a damaged template) with a Russian sentence and the technical text
// (TechnicalLine) on a second line. An export that did not reach the showing of its voucher
// closes the hidden document where the office still answers and removes its copy; a voucher
// that was shown is never removed.
void ExportVoucher(TOOCalc& office, TVoucherSource& source);

// The text of a field of the voucher before it is fitted to its box, read from source now:
// bag is source.Bag(), date the day of the export ("dd.mm.yyyy"); the amount in words is
// that of source.Total(), which must be a number the words cover.
QString VoucherFieldValue(TField field, const TVoucherSource& source, const TVoucherBag& bag,
                          const QDate& date);
