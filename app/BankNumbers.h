#pragma once

#include <QChar>

// The bank's numbers of a bag as the operator types them: the settlement account (DBEdit3)
// and the taxpayer number INN (DBEdit4).

// Characters of a settlement account: the account editor takes no more, and a save warns
// when it holds another count.
inline constexpr int AccountLength = 20;
// Characters of an INN: a save warns when the INN editor holds another count (the editor
// itself has no limit, so that a longer INN stored by another program shows whole).
inline constexpr int InnLength = 10;

// A character typed into the account or INN editor: digits '0'..'9', Backspace (8) and the
// decimal separator current at the time of the key pass; every other character is
// swallowed (`key` becomes QChar()).
void BankNumberKeyPress(QChar& key);
