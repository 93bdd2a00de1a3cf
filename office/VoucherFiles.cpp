#include "office/VoucherFiles.h"

#include <QFile>

#include <cerrno>
#include <optional>

#include "files/FileReplace.h"
#include "texts/TechnicalLine.h"

EVoucherFile::EVoucherFile(const QString& message) : std::runtime_error(message.toStdString()) {}

namespace {

// The second line of a message: the system's own text, when there is one.
QString Technical(const QString& text) {
  return text.isEmpty() ? QString() : "\n" + TechnicalLine(text);
}

// The first bytes of every OLE2 compound file, the container of an Excel 97 workbook.
constexpr char CompoundFileSignature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";

// A stream name as the compound file's directory stores it: UTF-16, little-endian.
QByteArray DirectoryName(const char* name) {
  QByteArray stored;
  for (const char* c = name; *c; ++c) stored.append(*c).append('\0');
  return stored;
}

bool IsExcelWorkbook(const QByteArray& data) {
  return data.startsWith(QByteArrayView(CompoundFileSignature, 8)) &&
         (data.contains(DirectoryName("Workbook")) || data.contains(DirectoryName("Book")));
}

QString SafeFileNamePart(const QString& text) {
  QString safe;
  for (const QChar c : text)
    safe += c.isLetterOrNumber() || c == u'-' || c == u'_' ? c : QChar(u'_');
  return safe;
}

}  // namespace

void WriteWholeFile(const QString& path, const QByteArray& data, const QString& sentence) {
  if (const std::optional<QString> reason = ReplaceFile(path, data))
    throw EVoucherFile(sentence.arg(QDir::toNativeSeparators(path)) + Technical(*reason));
}

QByteArray ReadVoucherTemplate(const QDir& folder) {
  const QString path = folder.absoluteFilePath("temp.xls");
  if (!QFile::exists(path))
    throw EVoucherFile(QString("Не найден шаблон ведомости temp.xls в папке «%1». Положите в "
                               "эту папку файл temp.xls и повторите экспорт.")
                           .arg(QDir::toNativeSeparators(folder.absolutePath())));
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    throw EVoucherFile(QString("Не удаётся прочитать шаблон ведомости temp.xls («%1»). "
                               "Проверьте права на чтение файла.")
                           .arg(QDir::toNativeSeparators(path)) +
                       Technical(file.errorString()));
  const QByteArray data = file.readAll();
  if (file.error() != QFileDevice::NoError)
    throw EVoucherFile(QString("Не удаётся прочитать шаблон ведомости temp.xls («%1»).")
                           .arg(QDir::toNativeSeparators(path)) +
                       Technical(file.errorString()));
  if (!IsExcelWorkbook(data))
    throw EVoucherFile(QString("Файл temp.xls («%1») не является таблицей Excel. Замените его "
                               "шаблоном ведомости.")
                           .arg(QDir::toNativeSeparators(path)));
  return data;
}

TVoucherCopy CreateVoucherCopy(const QDir& folder, const QDate& date, const QString& bagNumber,
                               const QByteArray& templateData) {
  const QString directory = folder.absoluteFilePath("vouchers");
  const QString failure =
      QString(
          "Не удалось создать копию ведомости в папке «%1». Проверьте место на диске и "
          "права на запись в эту папку.")
          .arg(QDir::toNativeSeparators(directory));
  if (!QDir().mkpath(directory)) throw EVoucherFile(failure);
  const QString prefix = date.toString("yyyy-MM-dd") + "_" + SafeFileNamePart(bagNumber) + "_";
  // Enough for every export of a bag on one day; a full run means something else is wrong.
  constexpr int MaxCopiesPerDay = 10000;
  for (int n = 1; n <= MaxCopiesPerDay; ++n) {
    const QString stem = prefix + QString::number(n);
    const QString name = stem + ".xls";
    if (QFile::exists(directory + "/.~lock." + name + "#")) continue;
    QFile file(directory + "/" + name);
    // Unbuffered: a full disk fails the write itself, with its reason.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
      if (file.exists()) continue;
      throw EVoucherFile(failure + Technical(file.errorString()));
    }
    errno = 0;
    const bool written = file.write(templateData) == templateData.size();
    const int writeError = errno;
    const QString reason = writeError != 0 ? qt_error_string(writeError) : file.errorString();
    file.close();
    if (!written || file.error() != QFileDevice::NoError) {
      file.remove();
      throw EVoucherFile(failure + Technical(reason));
    }
    return {file.fileName(), directory + "/" + stem + ".bmp"};
  }
  throw EVoucherFile(failure);
}
