#pragma once

#include <QObject>
#include <QString>

#include "app/store/DataLink.h"

class EDatabaseError;
class QStatusBar;
class TADOTable;
struct TResyncResult;

// What the status line (StatusBar1) says, and for how long. Two kinds of note:
// - the register's note, which stays as long as it is true: what another desk did to the bag
//   on screen (ResyncNote) goes when another bag becomes current or the bag's values are read
//   again; what it did to the bag being edited ("сохранить правку не выйдет") also goes when the
//   edit ends (saved, dropped, reloaded, deleted); that the register could not catch up
//   (ResyncFailureNote) goes when a resync goes through;
// - a passing note about what the operator just did (Tell), shown for PassingNoteMs, after
//   which the register's note shows again.
// Attached to the data set as a link (TDataSource::AddLink) so that it hears the current record
// and the mode change.
class TStatusNotes : public QObject, public TDataLink {
public:
  static constexpr int PassingNoteMs = 10000;

  explicit TStatusNotes(QStatusBar& bar);

  // The data set whose mode the notes follow; null while there is none.
  void SetDataSet(const TADOTable* dataSet) { FDataSet = dataSet; }

  void Resynced(const TResyncResult& result);
  void ResyncFailed(const EDatabaseError& error);
  void Tell(const QString& note);

  void DataEvent(TDataEvent event, int info) override;
  void UpdateData() override {}

private:
  enum class TKind { nkNone, nkBag, nkEdit, nkFailure };
  void Stand(const QString& note, TKind kind);
  void Drop();

  QStatusBar& FBar;
  const TADOTable* FDataSet = nullptr;
  QString FNote;  // the register's note, empty when there is none
  TKind FKind = TKind::nkNone;
};

// The passing note on a paste that did not fit: "Вставлено не всё: поле «<field>» вмещает
// <limit> символов, не поместилось: <leftOut> символа." (the word for characters agreeing with
// each number).
QString TextCutNote(const QString& field, int limit, qsizetype leftOut);
