#include "app/StatusNotes.h"

#include <QStatusBar>

#include "app/RegisterNotes.h"
#include "app/store/ADOTable.h"
#include "texts/Plural.h"

#include <utility>

TStatusNotes::TStatusNotes(QStatusBar& bar) : FBar(bar) {
  // A passing note gone (its time is up): the register's note, if any, shows again.
  connect(&FBar, &QStatusBar::messageChanged, this, [this](const QString& message) {
    if (message.isEmpty() && !FNote.isEmpty()) FBar.showMessage(FNote);
  });
}

void TStatusNotes::Resynced(const TResyncResult& result) {
  const QString note = ResyncNote(result);
  if (!note.isEmpty())
    Stand(note, result.Current == TResyncCurrent::rcChangedWhileEdited ||
                        result.Current == TResyncCurrent::rcDeletedWhileEdited
                    ? TKind::nkEdit
                    : TKind::nkBag);
  else if (FKind == TKind::nkFailure)
    Drop();
}

void TStatusNotes::ResyncFailed(const EDatabaseError& error) {
  Stand(ResyncFailureNote(error), TKind::nkFailure);
}

void TStatusNotes::Tell(const QString& note) { FBar.showMessage(note, PassingNoteMs); }

void TStatusNotes::DataEvent(TDataEvent event, int) {
  const bool otherValues =
      event == TDataEvent::deRecordChange || event == TDataEvent::deDataSetChange;
  const bool editEnded = event == TDataEvent::deUpdateState && FDataSet &&
                         FDataSet->State() == TDataSetState::dsBrowse;
  if ((FKind == TKind::nkBag && otherValues) ||
      (FKind == TKind::nkEdit && (otherValues || editEnded)))
    Drop();
}

void TStatusNotes::Stand(const QString& note, TKind kind) {
  FNote = note;
  FKind = kind;
  FBar.showMessage(note);
}

void TStatusNotes::Drop() {
  const QString shown = std::exchange(FNote, QString());
  FKind = TKind::nkNone;
  if (FBar.currentMessage() == shown) FBar.clearMessage();
}

QString TextCutNote(const QString& field, int limit, qsizetype leftOut) {
  const auto characters = [](qint64 n) {
    return QString::number(n) + u' ' +
           QString::fromUtf8(PluralForm(n, "символ", "символа", "символов"));
  };
  return QStringLiteral("Вставлено не всё: поле «%1» вмещает %2, не поместилось: %3.")
      .arg(field, characters(limit), characters(leftOut));
}
