#pragma once

#include <QString>
#include <QValidator>

#include <functional>

class QLineEdit;

// A line edit's typing rules, applied also to text that arrives in one piece: a paste (keys,
// context menu, middle click), a drop, an input method. Of the characters a change inserts,
// control characters and those the key filter swallows are dropped, then as many of the rest are
// kept as fit the limit: at most max(limit, length before the change) characters in all, so a
// longer text the program put in stays whole and can still be shortened. A change that keeps
// nothing of what it inserted still applies its removal (a selection pasted over).
//
// `filter` is asked for each printable inserted character, as the edit's key filter is for a
// typed one: it returns the character to insert, or QChar() to drop it. `limit` is read at
// every change, 0 or less meaning none. Text the program sets while Showing is on
// passes unchanged. The filter is a child of the edit.
class TTypingFilter : public QValidator {
public:
  TTypingFilter(QLineEdit* edit, std::function<QChar(QChar)> filter, std::function<int()> limit);

  void SetShowing(bool showing) { FShowing = showing; }

  State validate(QString& input, int& pos) const override;

private:
  std::function<QChar(QChar)> FFilter;
  std::function<int()> FLimit;
  QString FAccepted;  // the edit's text before the change being validated
  bool FShowing = false;
};
