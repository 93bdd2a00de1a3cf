#include "app/store/DatabaseError.h"

#include <optional>

#include "texts/TechnicalLine.h"

// Out of line and never inlined, so that the return address is the place of the error.
__attribute__((noinline)) EDatabaseError::EDatabaseError(const QString& message)
    : std::runtime_error(message.toStdString()),
      FFailure(TDatabaseFailure::dfDataSet),
      FKind(TDatabaseKind::dkFile),
      FAddress(__builtin_return_address(0)) {}

__attribute__((noinline))
EDatabaseError::EDatabaseError(TDatabaseFailure failure, const QString& message,
                               const QString& database, const QString& subject,
                               const QString& sqlState, TDatabaseKind kind)
    : std::runtime_error(message.toStdString()),
      FFailure(failure),
      FDatabase(database),
      FSubject(subject),
      FSqlState(sqlState),
      FKind(kind),
      FAddress(__builtin_return_address(0)) {}

ERecordConflict::ERecordConflict(TDatabaseFailure failure, const QString& message,
                                 const QString& database, TDatabaseKind kind)
    : EDatabaseError(failure, message, database, QString(), QString(), kind) {}

bool ERecordConflict::RowDeleted() const {
  return Failure() == TDatabaseFailure::dfDeletedOnPost ||
         Failure() == TDatabaseFailure::dfDeletedOnDelete;
}

namespace {

// What the operator reads of a failure that is the same wherever the register lives.
std::optional<QString> CommonFailureText(TDatabaseFailure failure) {
  switch (failure) {
    case TDatabaseFailure::dfDataSet:
      return QString();
    case TDatabaseFailure::dfChangedOnPost:
      return QStringLiteral(
          "Эту сумку изменили на другом рабочем месте, пока вы её правили: "
          "ваши изменения не сохранены.");
    case TDatabaseFailure::dfDeletedOnPost:
      return QStringLiteral(
          "Эту сумку удалили на другом рабочем месте, пока вы её правили: "
          "ваши изменения не сохранены.");
    case TDatabaseFailure::dfChangedOnDelete:
      return QStringLiteral(
          "Эту сумку изменили на другом рабочем месте, поэтому она не удалена. "
          "Проверьте её новые данные и удалите снова, если нужно.");
    case TDatabaseFailure::dfDeletedOnDelete:
      return QStringLiteral("Эту сумку уже удалили на другом рабочем месте.");
    case TDatabaseFailure::dfBadSettings:
      return QStringLiteral(
          "Файл настроек базы данных %1 не принят: %2. Исправьте его и запустите программу снова.");
    default:
      return std::nullopt;
  }
}

QString FileFailureText(TDatabaseFailure failure) {
  switch (failure) {
    case TDatabaseFailure::dfCannotOpen:
      return QStringLiteral(
          "Не удалось открыть базу данных %1: файла нет или к нему нет доступа. "
          "Запустите программу из папки с файлом db.mdb или проверьте права на него.");
    case TDatabaseFailure::dfNotADatabase:
      return QStringLiteral(
          "Файл %1 не является базой данных программы. "
          "Восстановите db.mdb из резервной копии.");
    case TDatabaseFailure::dfCorrupt:
      return QStringLiteral("База данных %1 повреждена. Восстановите db.mdb из резервной копии.");
    case TDatabaseFailure::dfNoTable:
      return QStringLiteral(
          "В базе данных %1 нет таблицы %2. Проверьте, что это файл db.mdb этой программы.");
    case TDatabaseFailure::dfNoColumn:
      return QStringLiteral(
          "В базе данных %1 в таблице сумок нет столбца «%2». "
          "Верните столбец или возьмите файл db.mdb этой программы.");
    case TDatabaseFailure::dfLocked:
      return QStringLiteral(
          "База данных %1 занята другой программой или другим рабочим местом. "
          "Подождите немного и повторите действие.");
    case TDatabaseFailure::dfReadOnly:
      return QStringLiteral(
          "В базу данных %1 нельзя записать: файл или его папка открыты только для чтения. "
          "Изменения не сохранены; разрешите запись и повторите.");
    case TDatabaseFailure::dfDiskFull:
      return QStringLiteral(
          "На диске с базой данных %1 не хватает места, изменения не сохранены. "
          "Освободите место и повторите.");
    case TDatabaseFailure::dfIoError:
      return QStringLiteral(
          "Ошибка диска при работе с базой данных %1. Проверьте диск и повторите действие.");
    case TDatabaseFailure::dfConstraint:
      return QStringLiteral(
          "База данных %1 не приняла запись: она нарушает правило таблицы "
          "(например, такой номер сумки уже есть). Исправьте данные и сохраните снова.");
    default:
      return QStringLiteral(
          "Ошибка базы данных %1. Повторите действие; если ошибка не уходит, "
          "обратитесь к администратору.");
  }
}

// %1 reads "сервер <host>:<port>, база <dbname>".
QString ServerFailureText(TDatabaseFailure failure) {
  switch (failure) {
    case TDatabaseFailure::dfCannotOpen:
      return QStringLiteral(
          "Не удалось подключиться к базе данных (%1): сервер не отвечает или не пускает "
          "это рабочее место. Проверьте сеть, файл database.ini и пароль в ~/.pgpass, "
          "затем повторите.");
    case TDatabaseFailure::dfConnectionLost:
      return QStringLiteral(
          "Связь с базой данных (%1) прервалась, действие не выполнено; набранное осталось "
          "на экране. Повторите действие: программа подключится снова.");
    case TDatabaseFailure::dfNoDatabase:
      return QStringLiteral(
          "Не удалось подключиться к базе данных (%1): на сервере нет базы с таким именем. "
          "Проверьте имя базы (dbname) в файле database.ini.");
    case TDatabaseFailure::dfNoRights:
      return QStringLiteral(
          "Роли этого рабочего места не дано прав на таблицу %2 в базе данных (%1). Попросите "
          "администратора включить роль в группу inkassatsiya_desk (сценарий "
          "schema-postgresql.sql).");
    case TDatabaseFailure::dfNotUtf8:
      return QStringLiteral(
          "База данных (%1) хранит текст в кодировке %2, а не UTF8: русские буквы в ней могут "
          "испортиться, и программа с ней не работает. Попросите администратора создать базу "
          "с кодировкой UTF8 (createdb -E UTF8 -T template0) и перенести в неё сумки.");
    case TDatabaseFailure::dfNoTable:
      return QStringLiteral(
          "В базе данных (%1) нет таблицы %2. Попросите администратора создать её "
          "сценарием schema-postgresql.sql или проверьте имя базы в database.ini.");
    case TDatabaseFailure::dfNoColumn:
      return QStringLiteral(
          "В базе данных (%1) в таблице сумок нет столбца «%2». Попросите администратора "
          "создать таблицу сценарием schema-postgresql.sql.");
    case TDatabaseFailure::dfLocked:
      return QStringLiteral(
          "База данных (%1) занята другим рабочим местом. Подождите немного и повторите "
          "действие.");
    case TDatabaseFailure::dfReadOnly:
      return QStringLiteral(
          "Сервер базы данных (%1) не разрешает этому рабочему месту эту работу с сумками. "
          "Изменения не сохранены; попросите администратора дать права роли "
          "inkassatsiya_desk.");
    case TDatabaseFailure::dfDiskFull:
      return QStringLiteral(
          "На сервере базы данных (%1) не хватает места, изменения не сохранены. "
          "Сообщите администратору и повторите позже.");
    case TDatabaseFailure::dfIoError:
    case TDatabaseFailure::dfCorrupt:
      return QStringLiteral(
          "Сервер базы данных (%1) сообщил о сбое хранения данных. Изменения не сохранены; "
          "сообщите администратору.");
    case TDatabaseFailure::dfConstraint:
      return QStringLiteral(
          "База данных (%1) не приняла запись: она нарушает правило таблицы "
          "(например, такой номер сумки уже есть). Исправьте данные и сохраните снова.");
    default:
      return QStringLiteral(
          "Ошибка базы данных (%1). Повторите действие; если ошибка не уходит, "
          "обратитесь к администратору.");
  }
}

}  // namespace

QString DatabaseFailureText(const EDatabaseError& error) {
  const TDatabaseFailure failure = error.Failure();
  QString sentence = CommonFailureText(failure).value_or(error.Kind() == TDatabaseKind::dkServer
                                                             ? ServerFailureText(failure)
                                                             : FileFailureText(failure));
  if (sentence.contains(QStringLiteral("%2")))
    return sentence.arg(error.Database(), error.Subject());
  if (sentence.contains(QStringLiteral("%1"))) return sentence.arg(error.Database());
  return sentence;
}

QString DatabaseErrorText(const EDatabaseError& error) {
  const QString technical = QString::fromUtf8(error.what());
  const QString sentence = DatabaseFailureText(error);
  return sentence.isEmpty() ? technical : sentence + u'\n' + TechnicalLine(technical);
}
