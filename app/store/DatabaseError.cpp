#include "app/store/DatabaseError.h"

// Out of line and never inlined, so that the return address is the place of the error.
__attribute__((noinline)) EDatabaseError::EDatabaseError(const QString& message)
    : std::runtime_error(message.toStdString()),
      FFailure(TDatabaseFailure::dfDataSet),
      FAddress(__builtin_return_address(0)) {}

__attribute__((noinline)) EDatabaseError::EDatabaseError(TDatabaseFailure failure, const QString& message,
                                                         const QString& database, const QString& subject,
                                                         const QString& sqlState)
    : std::runtime_error(message.toStdString()),
      FFailure(failure),
      FDatabase(database),
      FSubject(subject),
      FSqlState(sqlState),
      FAddress(__builtin_return_address(0)) {}

ERecordConflict::ERecordConflict(TDatabaseFailure failure, const QString& message, const QString& database)
    : EDatabaseError(failure, message, database) {}

bool ERecordConflict::RowDeleted() const {
  return Failure() == TDatabaseFailure::dfDeletedOnPost || Failure() == TDatabaseFailure::dfDeletedOnDelete;
}

QString DatabaseFailureText(TDatabaseFailure failure, const QString& database, const QString& subject) {
  switch (failure) {
    case TDatabaseFailure::dfDataSet:
      return QString();
    case TDatabaseFailure::dfCannotOpen:
      return QStringLiteral("Не удалось открыть базу данных %1: файла нет или к нему нет доступа. "
                            "Запустите программу из папки с файлом db.mdb или проверьте права на него.")
          .arg(database);
    case TDatabaseFailure::dfNotADatabase:
      return QStringLiteral("Файл %1 не является базой данных программы. "
                            "Восстановите db.mdb из резервной копии.")
          .arg(database);
    case TDatabaseFailure::dfCorrupt:
      return QStringLiteral("База данных %1 повреждена. Восстановите db.mdb из резервной копии.").arg(database);
    case TDatabaseFailure::dfNoTable:
      return QStringLiteral("В базе данных %1 нет таблицы %2. Проверьте, что это файл db.mdb этой программы.")
          .arg(database, subject);
    case TDatabaseFailure::dfNoColumn:
      return QStringLiteral("В базе данных %1 в таблице сумок нет столбца «%2». "
                            "Верните столбец или возьмите файл db.mdb этой программы.")
          .arg(database, subject);
    case TDatabaseFailure::dfLocked:
      return QStringLiteral("База данных %1 занята другой программой или другим рабочим местом. "
                            "Подождите немного и повторите действие.")
          .arg(database);
    case TDatabaseFailure::dfReadOnly:
      return QStringLiteral("В базу данных %1 нельзя записать: файл или его папка открыты только для чтения. "
                            "Изменения не сохранены; разрешите запись и повторите.")
          .arg(database);
    case TDatabaseFailure::dfDiskFull:
      return QStringLiteral("На диске с базой данных %1 не хватает места, изменения не сохранены. "
                            "Освободите место и повторите.")
          .arg(database);
    case TDatabaseFailure::dfIoError:
      return QStringLiteral("Ошибка диска при работе с базой данных %1. Проверьте диск и повторите действие.")
          .arg(database);
    case TDatabaseFailure::dfConstraint:
      return QStringLiteral("База данных %1 не приняла запись: она нарушает правило таблицы "
                            "(например, такой номер сумки уже есть). Исправьте данные и сохраните снова.")
          .arg(database);
    case TDatabaseFailure::dfChangedOnPost:
      return QStringLiteral("Эту сумку изменили на другом рабочем месте, пока вы её правили: "
                            "ваши изменения не сохранены.");
    case TDatabaseFailure::dfDeletedOnPost:
      return QStringLiteral("Эту сумку удалили на другом рабочем месте, пока вы её правили: "
                            "ваши изменения не сохранены.");
    case TDatabaseFailure::dfChangedOnDelete:
      return QStringLiteral("Эту сумку изменили на другом рабочем месте, поэтому она не удалена. "
                            "Проверьте её новые данные и удалите снова, если нужно.");
    case TDatabaseFailure::dfDeletedOnDelete:
      return QStringLiteral("Эту сумку уже удалили на другом рабочем месте.");
    case TDatabaseFailure::dfOther:
      break;
  }
  return QStringLiteral("Ошибка базы данных %1. Повторите действие; если ошибка не уходит, "
                        "обратитесь к администратору.")
      .arg(database);
}

QString DatabaseErrorText(const EDatabaseError& error) {
  const QString technical = QString::fromUtf8(error.what());
  const QString sentence = DatabaseFailureText(error.Failure(), error.Database(), error.Subject());
  return sentence.isEmpty() ? technical : sentence + u'\n' + technical;
}
