#include "app/controls/TypingFilter.h"

#include <QLineEdit>

#include "app/store/Field.h"

#include <algorithm>
#include <utility>

namespace {

// A character outside the Basic Multilingual Plane starts at i.
bool IsPair(QStringView text, qsizetype i) {
  return text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
}

// Tabs, line breaks and NULs separate words; a run of them becomes one blank.
bool IsBreak(QChar c) { return c == u'\t' || c == u'\r' || c == u'\n' || c == QChar(0); }

// The first `count` characters of `text`, never half of a surrogate pair.
QStringView FirstCharacters(QStringView text, qsizetype count) {
  qsizetype end = 0;
  for (; end < text.size() && count > 0; --count) end += IsPair(text, end) ? 2 : 1;
  return text.left(end);
}

}  // namespace

TTypingFilter::TTypingFilter(QLineEdit* edit, std::function<QChar(QChar)> filter,
                             std::function<int()> limit, std::function<void(qsizetype)> cut)
    : QValidator(edit),
      FFilter(std::move(filter)),
      FLimit(std::move(limit)),
      FCut(std::move(cut)),
      FAccepted(edit->text()) {
  connect(edit, &QLineEdit::textChanged, this, [this](const QString& text) { FAccepted = text; });
}

QString TTypingFilter::Admitted(QStringView inserted, bool atStart, bool atEnd) const {
  QString kept;
  bool gap = false;  // a run of breaks not yet written as its blank
  // The blank of a run, unless the run starts the whole text.
  const auto closeGap = [&] {
    if (gap && (!atStart || !kept.isEmpty()))
      if (const QChar blank = FFilter(u' '); !blank.isNull()) kept += blank;
    gap = false;
  };
  for (qsizetype i = 0; i < inserted.size(); ++i) {
    const QChar c = inserted[i];
    QString character;
    if (IsBreak(c)) {
      gap = true;
    } else if (IsPair(inserted, i)) {
      if (!FFilter(c).isNull() && !FFilter(inserted[i + 1]).isNull())
        character = inserted.mid(i, 2).toString();
      ++i;
    } else if (c >= u' ' && !c.isSurrogate()) {
      if (const QChar key = FFilter(c); !key.isNull()) character = key;
    }
    if (character.isEmpty()) continue;
    closeGap();
    kept += character;
  }
  if (!atEnd) closeGap();
  return kept;
}

QValidator::State TTypingFilter::validate(QString& input, int& pos) const {
  if (FShowing) return Acceptable;
  // What the change kept of the old text: the part after the cursor (the edit leaves the
  // cursor behind what it inserted) and the longest common start before it, neither of them
  // ending or starting inside a surrogate pair.
  const qsizetype after = std::clamp<qsizetype>(input.size() - pos, 0, FAccepted.size());
  qsizetype suffix = FAccepted.endsWith(QStringView(input).right(after)) ? after : 0;
  if (suffix > 0 && input[input.size() - suffix].isLowSurrogate()) --suffix;
  const qsizetype before = std::min<qsizetype>(input.size() - suffix, FAccepted.size() - suffix);
  qsizetype prefix = 0;
  while (prefix < before && input[prefix] == FAccepted[prefix]) ++prefix;
  if (prefix > 0 && input[prefix - 1].isHighSurrogate()) --prefix;

  const QStringView inserted = QStringView(input).mid(prefix, input.size() - suffix - prefix);
  QString kept = Admitted(inserted, prefix == 0, suffix == 0);
  if (const int limit = FLimit(); limit > 0) {
    const qsizetype room =
        std::max<qsizetype>(std::max<qsizetype>(limit, TextLength(FAccepted)) -
                                TextLength(QStringView(input).left(prefix)) -
                                TextLength(QStringView(input).right(suffix)),
                            0);
    if (const qsizetype count = TextLength(kept); count > room) {
      kept = FirstCharacters(kept, room).toString();
      if (FCut) FCut(count - room);
    }
  }
  if (kept != inserted) {
    input = input.left(prefix) + kept + input.right(suffix);
    pos = static_cast<int>(prefix + kept.size());
  }
  return Acceptable;
}
