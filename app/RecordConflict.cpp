#include "app/RecordConflict.h"

#include "app/controls/Dialogs.h"
#include "app/store/ADOTable.h"
#include "app/store/DatabaseError.h"

void ResolveRecordConflict(const ERecordConflict& conflict, TADOTable& dataSet) {
  const QString happened = DatabaseFailureText(conflict);
  if (dataSet.State() == TDataSetState::dsBrowse) {
    dataSet.RefreshRecord();
    ShowMessageBox(
        {TApplication::Title(), happened, TMsgDlgType::mtInformation, TMsgDlgButtons::mbOK});
    return;
  }
  const bool deleted = conflict.RowDeleted();
  const QString question =
      deleted
          ? QStringLiteral("Убрать сумку из списка (всё набранное пропадёт) или продолжить правку?")
          : QStringLiteral(
                "Загрузить сохранённые данные сумки (всё набранное пропадёт) или продолжить "
                "правку?");
  const QString reload = deleted ? QStringLiteral("Убрать из списка") : QStringLiteral("Загрузить");
  // Enter or closing the box keeps the typing: nothing is lost by a box dismissed in haste.
  if (ShowMessageBox({TApplication::Title(),
                      happened + u'\n' + question,
                      TMsgDlgType::mtWarning,
                      TMsgDlgButtons::mbOKCancel,
                      {reload, QStringLiteral("Продолжить правку")},
                      TModalResult::mrCancel}) == TModalResult::mrOk)
    dataSet.RefreshRecord();
}

TExceptionHandler RecordConflictHandler(TADOTable& dataSet) {
  return [&dataSet](std::exception_ptr error) {
    try {
      std::rethrow_exception(error);
    } catch (const ERecordConflict& conflict) {
      ResolveRecordConflict(conflict, dataSet);
    } catch (...) {
      TApplication::ShowException(error);
    }
  };
}
