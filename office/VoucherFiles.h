#pragma once

#include <QByteArray>
#include <QDate>
#include <QDir>
#include <QString>

#include <stdexcept>

// A file step of the export failed. what() (UTF-8) is what the operator reads: a Russian
// sentence naming the file and what to do, then on a second line the system's own text.
class EVoucherFile : public std::runtime_error {
public:
  explicit EVoucherFile(const QString& message);
};

// Writes data as the whole content of path, or nothing (ReplaceFile, files/FileReplace.h:
// every byte written and flushed to the disk before the new file takes the name). Afterwards
// path holds exactly data, or, when anything failed (a full disk, no right to write), what it
// held before; the failure raises EVoucherFile with sentence, the file's name and the
// system's reason.
void WriteWholeFile(const QString& path, const QByteArray& data, const QString& sentence);

// The voucher template "temp.xls" of folder, read whole. Raises EVoucherFile naming temp.xls
// when it is missing, unreadable, or not an Excel 97 workbook (an OLE2 compound file with a
// "Workbook" or "Book" stream), before anything is given to the office.
QByteArray ReadVoucherTemplate(const QDir& folder);

// The files of one export's own copy of the template, in folder/vouchers: "<date>_<bag>_<n>.xls"
// (date yyyy-MM-dd, the bag number with every character but letters, digits, '-' and '_' made
// '_', n from 1 up), created exclusively, so that no other export and no other program
// instance ever gets the same name; a name that has the office's lock file
// ".~lock.<name>#" beside it is skipped. The picture file "<same stem>.bmp" beside it belongs
// to the same export.
struct TVoucherCopy {
  QString Path;         // absolute path of the .xls
  QString PicturePath;  // absolute path of the .bmp
};
// Creates the copy holding templateData. Raises EVoucherFile naming the folder when it cannot.
TVoucherCopy CreateVoucherCopy(const QDir& folder, const QDate& date, const QString& bagNumber,
                               const QByteArray& templateData);
