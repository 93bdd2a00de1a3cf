#pragma once

#include <QString>

// The six values the voucher's QR code describes, exactly as the window's controls display
// them: no trimming and no reformatting happen on the way into the payload.
struct TVoucherPayloadFields {
  QString BagNumber;      // bag-number editor (field "Номер сумки")
  QString PackageNumber;  // package-number editor (field "Номер пакета")
  QString Recipient;      // recipient editor (field "Получатель")
  QString Account;        // account editor (field "Счет")
  QString Total;          // text of the grid's total cell; empty before the first recalculation
  QString CashSymbol;     // text shown by the cash-symbol list
};

// Composes the payload text: six lines "label value terminator CR LF", the last one ending in
// CR LF too, with no blank between label and value:
//   "№ сумки:<bag>;" "№ пакета:<package>;" "Получатель:<recipient>;"
//   "Транзитный счет:<account>;" "Сумма:<total> руб.;" "Кассовый символ:<symbol>;"
// A value holding ";" or a line break is copied as it is, so such a payload has more
// separators or lines than six.
QString ComposeVoucherPayload(const TVoucherPayloadFields& fields);

// The size line shown under the preview: "<size>x<size> (<inner>x<inner>)" where size is the
// symbol's side with its quiet zone and inner = size - 2 * quietZoneWidth, e.g. 61, 4 gives
// "61x61 (53x53)". A symbolSize of 0, no symbol after an attempt to encode, means that the
// payload fits no QR version: the line then says so, "Данные не помещаются в QR-код". For any
// other size the numbers are written as given.
QString QRMetricsLine(int symbolSize, int quietZoneWidth);
