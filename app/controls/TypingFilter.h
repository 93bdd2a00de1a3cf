#pragma once

#include <QString>
#include <QStringView>
#include <QValidator>

#include <functional>

class QLineEdit;

// A line edit's typing rules, applied also to text that arrives in one piece: a paste (keys,
// context menu, middle click), a drop, an input method. Of the characters a change inserts:
// - each run of tabs, line breaks (CR, LF) and NULs becomes one blank, so that the words of a
//   copied table or of several lines stay apart ("tab\rcr" gives "tab cr"); a run at the start
//   or the end of the whole text is dropped, as a blank there would only be invisible;
// - other control characters, lone surrogates and the characters the key filter swallows are
//   dropped;
// - then as many of the rest are kept as fit the limit: at most max(limit, length before the
//   change) characters in all, so a longer text the program put in stays whole and can still be
//   shortened or retyped in place.
// Characters are counted as the store counts them (TextLength: a character outside the Basic
// Multilingual Plane, an emoji, is one, not two UTF-16 units), and a change is never cut inside
// one. A change that keeps nothing of what it inserted still applies its removal (a
// selection pasted over).
//
// `filter` is asked for each printable inserted character, as the edit's key filter is for a
// typed one: it returns the character to insert, or QChar() to drop it (a surrogate pair passes
// when both of its halves do). `limit` is read at every change, 0 or less meaning none. `cut`,
// when set, hears how many characters of a change the limit left out. Text the program sets
// while Showing is on passes unchanged. The filter is a child of the edit.
class TTypingFilter : public QValidator {
public:
  TTypingFilter(QLineEdit* edit, std::function<QChar(QChar)> filter, std::function<int()> limit,
                std::function<void(qsizetype leftOut)> cut = {});

  void SetShowing(bool showing) { FShowing = showing; }

  State validate(QString& input, int& pos) const override;

private:
  // What the change admits of `inserted`: see the class comment; `atStart` and `atEnd` say
  // whether it begins or ends the whole text.
  QString Admitted(QStringView inserted, bool atStart, bool atEnd) const;

  std::function<QChar(QChar)> FFilter;
  std::function<int()> FLimit;
  std::function<void(qsizetype)> FCut;
  QString FAccepted;  // the edit's text before the change being validated
  bool FShowing = false;
};
