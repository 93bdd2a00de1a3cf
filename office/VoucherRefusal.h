#pragma once

#include <QString>

class TQRSymbol;

// Why the voucher export must not write anything for the bag at hand, as the message the
// operator reads; an empty text when nothing stands in the way here. Asked before the export
// writes a file:
// - the window's symbol is empty (SymbolSize() 0): the window empties it when the current
//   payload fits no QR version, so the export would otherwise place the previous bag's code.
//   With the total still empty too (a window whose grid was never edited, on an empty register,
//   has built no symbol yet), the answer is "Заполните сумму!" as at the export's own step;
// - the total is not empty and is not an amount the words cover (AmountInWordsCovers): an
//   unreadable number ("INF"), a negative one or one from ten trillion rubles up.
QString VoucherRefusal(const TQRSymbol& symbol, const QString& total);
