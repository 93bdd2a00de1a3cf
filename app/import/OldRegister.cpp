#include "app/import/OldRegister.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "app/BagFields.h"
#include "app/import/BagChecks.h"
#include "app/import/ImportError.h"
#include "app/import/JetBags.h"
#include "app/store/DatabaseError.h"
#include "app/store/RegisterSchema.h"
#include "app/store/Sqlite.h"
#include "app/store/SqliteEngine.h"

namespace {

QString Native(const QString& path) { return QDir::toNativeSeparators(path); }

QString SystemError(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

QString KeptCandidate(const QString& path, int number) {
  const QFileInfo file(path);
  const QString name = number == 0 ? QStringLiteral("%1.jet").arg(file.fileName())
                                   : QStringLiteral("%1.%2.jet").arg(file.fileName()).arg(number);
  return file.dir().filePath(name);
}

// Makes the folder's new names durable: a rename is not on the disk until its folder is.
void SyncFolder(const QString& folder) {
  const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// Writes `bags` into the empty file `path` as a new register and checks it by reading every
// bag back.
void WriteRegister(const QString& path, const std::vector<TBagValues>& bags) {
  {
    TSqliteDatabase database(path, 0);
    database.Execute(RegisterSchemaSql());
  }
  TSqliteEngine engine(path, 0, {});
  const TTableDef table{QStringLiteral("Clients"), ClientsFields()};
  engine.Import(table, int(TBagField::BagNumber), bags, TImportExisting::ieSkip, {});
  const std::vector<TStoredRow> stored = engine.FetchAll(table);
  if (stored.size() != bags.size())
    throw EBagImport(QStringLiteral("Новая база %1 не прошла проверку: в ней %2 сумок вместо %3.")
                         .arg(Native(path))
                         .arg(stored.size())
                         .arg(bags.size()));
  for (std::size_t i = 0; i < bags.size(); ++i)
    if (stored[i].Values != bags[i])
      throw EBagImport(
          QStringLiteral("Новая база %1 не прошла проверку: сумка %2 записалась не так, как в "
                         "старом файле.")
              .arg(Native(path))
              .arg(i + 1));
}

}  // namespace

QString KeptOldName(const QString& path) {
  for (int number = 0;; ++number)
    if (const QString candidate = KeptCandidate(path, number); !QFileInfo::exists(candidate))
      return QFileInfo(candidate).fileName();
}

TOldRegister ReadOldRegister(const QString& path) {
  return {path, ReadJetBags(path), KeptOldName(path)};
}

QString ConvertOldRegister(const TOldRegister& old) {
  const QFileInfo oldFile(old.Path);
  const QString folder = oldFile.absolutePath();
  std::vector<TBagValues> bags;
  bags.reserve(old.Bags.size());
  for (const TSourceRow& row : old.Bags) bags.push_back(KeptBag(row.Cells));

  QTemporaryFile converted(
      QDir(folder).filePath(oldFile.fileName() + QStringLiteral(".XXXXXX.new")));
  if (!converted.open())
    throw EBagImport(QStringLiteral("В папке %1 не удалось создать новую базу: нет прав на запись "
                                    "или места на диске. Сумки не перенесены, старый файл "
                                    "не тронут. Дайте права на запись в папку и запустите "
                                    "программу снова.")
                         .arg(Native(folder)),
                     converted.errorString());
  converted.close();
  // Whoever could use the old register can use the new one (other desks may share the
  // folder), and the operator who moved the bags can write to it.
  converted.setPermissions(oldFile.permissions() | QFileDevice::WriteOwner | QFileDevice::WriteUser);
  try {
    WriteRegister(converted.fileName(), bags);
  } catch (const EDatabaseError& e) {
    throw EBagImport(QStringLiteral("Не удалось записать новую базу в папке %1: %2 Сумки не "
                                    "перенесены, старый файл не тронут.")
                         .arg(Native(folder), DatabaseFailureText(e)),
                     QString::fromUtf8(e.what()));
  }

  // The old file gets its second name first, so that it is never without one.
  const QByteArray from = QFile::encodeName(oldFile.absoluteFilePath());
  QString kept = QDir(folder).filePath(old.KeptName);
  for (int number = 1; ::link(from.constData(), QFile::encodeName(kept).constData()) != 0;
       ++number) {
    if (errno != EEXIST)
      throw EBagImport(QStringLiteral("Не удалось сохранить старый файл %1 под именем %2. Сумки "
                                      "не перенесены, старый файл не тронут.")
                           .arg(Native(oldFile.absoluteFilePath()), Native(kept)),
                       SystemError(errno));
    kept = KeptCandidate(old.Path, number);
  }
  if (::rename(QFile::encodeName(converted.fileName()).constData(), from.constData()) != 0) {
    const int error = errno;
    ::unlink(QFile::encodeName(kept).constData());
    throw EBagImport(QStringLiteral("Не удалось поставить новую базу на место файла %1. Сумки не "
                                    "перенесены, старый файл не тронут.")
                         .arg(Native(oldFile.absoluteFilePath())),
                     SystemError(error));
  }
  converted.setAutoRemove(false);
  SyncFolder(folder);
  return QFileInfo(kept).fileName();
}
