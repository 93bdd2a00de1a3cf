#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The cash symbols a bag may carry: the reporting code of the kind of receipt. One table feeds
// the cash-symbol list of the main window, its tooltip and the receipt name the voucher carries.

// The list items, in order: "   " (three blanks: no symbol), "2", "11", "19", "32".
QStringList CashSymbolItems();

// The list's tooltip: a line "<code> - <kind of receipt>" for each of 2, 11, 19 and 32, the
// lines separated by one carriage return each (the line of 11 ends in a blank).
QString CashSymbolHint();

// The receipt name for the list item at `index` (of CashSymbolItems): empty for the blank
// item, the kind of receipt for 2, 11 and 19. None for 32, for no selection (-1) and for an
// index past the list: the receipt name shown stays as it is.
std::optional<QString> ReceiptNameForItem(int index);
