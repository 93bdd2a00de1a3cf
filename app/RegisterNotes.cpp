#include "app/RegisterNotes.h"

#include "app/BagFields.h"
#include "app/store/ADOTable.h"
#include "app/store/DatabaseError.h"

namespace {

// "Сумку 1234" or, without a number, "Сумку без номера".
QString Bag(const TResyncResult& result) {
  const QString number = FieldDisplayText(result.CurrentValues[int(TBagField::BagNumber)]);
  return number.isEmpty() ? QStringLiteral("Сумку без номера")
                          : QStringLiteral("Сумку %1").arg(number);
}

}  // namespace

QString ResyncNote(const TResyncResult& result) {
  switch (result.Current) {
    case TResyncCurrent::rcUnchanged:
    case TResyncCurrent::rcFirstArrived:
      return QString();
    case TResyncCurrent::rcReloaded:
      return Bag(result) +
             QStringLiteral(" изменили на другом рабочем месте: показаны её новые данные");
    case TResyncCurrent::rcDeleted:
      return Bag(result) + QStringLiteral(" удалили на другом рабочем месте");
    case TResyncCurrent::rcLeftSearch:
      return Bag(result) +
             QStringLiteral(" изменили на другом рабочем месте, и поиск её больше не находит");
    case TResyncCurrent::rcChangedWhileEdited:
      return Bag(result) + QStringLiteral(
                               ", которую вы правите, изменили на другом рабочем месте: "
                               "сохранить правку не выйдет, загрузите новые данные сумки");
    case TResyncCurrent::rcDeletedWhileEdited:
      return Bag(result) + QStringLiteral(
                               ", которую вы правите, удалили на другом рабочем месте: "
                               "сохранить правку не выйдет");
  }
  return QString();
}

QString ResyncFailureNote(const EDatabaseError& error) {
  // The operator did nothing that failed: the action sentence ("…действие не выполнено,
  // повторите действие") would send them looking for one.
  if (error.Failure() == TDatabaseFailure::dfConnectionLost)
    return QStringLiteral(
               "Список сумок не обновился: связь с базой данных (%1) прервалась. Программа "
               "подключится снова сама.")
        .arg(error.Database());
  const QString sentence = DatabaseFailureText(error);
  const QString what = QStringLiteral("Список сумок не обновился, программа попробует снова.");
  return sentence.isEmpty() ? what : what + u' ' + sentence;
}
