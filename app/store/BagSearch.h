#pragma once

#include <QString>

// What the register's search field asks of the store (TADOTable::SetFilter): the text the
// operator typed, as typed. Empty: every bag.
struct TRowFilter {
  QString Text;
  friend bool operator==(const TRowFilter&, const TRowFilter&) = default;
};

// The shortest search the store runs: its index is made of three characters in a row, so a
// shorter one could only be answered by reading every bag.
constexpr int SearchMinLength = 3;

// A search reads at most this many bags and one more, the first by key: the one more says that
// there are others, so that a word most bags hold costs a keystroke no more than a search that
// finds a thousand, and the operator is asked to say more.
constexpr int SearchLimit = 1000;

// How the store matches a search.
enum class TSearchKind {
  skEvery,    // nothing typed (or only blanks): every bag
  skWaiting,  // fewer than SearchMinLength characters: every bag, until more are typed
  skNumbers,  // only the digits 0-9: the bag or package number that starts with them, the INN
              // or account that holds them anywhere
  skNames     // anything else: the recipient or full name that holds it anywhere
};

// A search as the engines run it: Text is the typed text without leading and trailing blanks,
// in lower case, with "ё" as "е" (the index keeps the names folded the same way).
struct TBagSearch {
  TSearchKind Kind = TSearchKind::skEvery;
  QString Text;
  friend bool operator==(const TBagSearch&, const TBagSearch&) = default;
};

// Reads what the operator typed.
TBagSearch ParseBagSearch(const TRowFilter& filter);
// True when `filter` leaves bags out, i.e. the engines must run it.
bool FiltersBags(const TRowFilter& filter);
