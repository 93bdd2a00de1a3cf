#include "app/controls/TypingFilter.h"

#include <QLineEdit>

#include <algorithm>
#include <utility>

TTypingFilter::TTypingFilter(QLineEdit* edit, std::function<QChar(QChar)> filter,
                             std::function<int()> limit)
    : QValidator(edit),
      FFilter(std::move(filter)),
      FLimit(std::move(limit)),
      FAccepted(edit->text()) {
  connect(edit, &QLineEdit::textChanged, this, [this](const QString& text) { FAccepted = text; });
}

QValidator::State TTypingFilter::validate(QString& input, int& pos) const {
  if (FShowing) return Acceptable;
  // What the change kept of the old text: the part after the cursor (the edit leaves the
  // cursor behind what it inserted) and the longest common start before it.
  const qsizetype after = std::clamp<qsizetype>(input.size() - pos, 0, FAccepted.size());
  const qsizetype suffix = FAccepted.endsWith(QStringView(input).right(after)) ? after : 0;
  const qsizetype before = std::min<qsizetype>(input.size() - suffix, FAccepted.size() - suffix);
  qsizetype prefix = 0;
  while (prefix < before && input[prefix] == FAccepted[prefix]) ++prefix;

  const QStringView inserted = QStringView(input).mid(prefix, input.size() - suffix - prefix);
  QString kept;
  for (const QChar c : inserted)
    if (const QChar key = c >= u' ' ? FFilter(c) : QChar(); !key.isNull()) kept += key;
  if (const int limit = FLimit(); limit > 0) {
    const qsizetype room = std::max<qsizetype>(limit, FAccepted.size()) - prefix - suffix;
    kept.truncate(std::max<qsizetype>(room, 0));
  }
  if (kept != inserted) {
    input = input.left(prefix) + kept + input.right(suffix);
    pos = static_cast<int>(prefix + kept.size());
  }
  return Acceptable;
}
