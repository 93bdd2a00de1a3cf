// Start-up failures of the real program: the box, the exit code, and nothing created.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include "app/controls/Dialogs.h"
#include "tests/app/AppTestSupport.h"
#include "tests/support/FileBytes.h"

namespace {

struct TStartupFailure {
  const char* Name;
  void (*Prepare)(const QString& db);
  const char16_t* Sentence;  // the operator's, first; %1: the file's full path
  const char* Message;       // the technical one, as the box shows it, full stop included
};

TEST(Startup, AnUnusableRegisterStopsStartUpWithTheErrorBoxAndExitCode1) {
  const TStartupFailure failures[] = {
      {"no db.mdb", [](const QString&) {},
       u"Не удалось открыть базу данных %1: файла нет или к нему нет доступа. Запустите программу из папки с "
       u"файлом db.mdb или проверьте права на него.",
       "unable to open database file."},
      {"no table Clients", [](const QString& db) { ExecuteSql(db, QStringLiteral("CREATE TABLE Bags (x)")); },
       u"В базе данных %1 нет таблицы Clients. Проверьте, что это файл db.mdb этой программы.",
       "no such table: Clients."},
      // Read as it was, every row would show the column's name as its bag number.
      {"no column \"Номер сумки\"",
       [](const QString& db) {
         ExecuteSql(db, QStringLiteral("CREATE TABLE Clients (\"Номер пакета\", \"Получатель\", \"Счет\", "
                                       "\"Инн\", \"Символ\", \"ФИО\"); INSERT INTO Clients DEFAULT VALUES"));
       },
       u"В базе данных %1 в таблице сумок нет столбца «Номер сумки». Верните столбец или возьмите файл db.mdb "
       u"этой программы.",
       "no such column: Номер сумки."},
      {"not a database",
       [](const QString& db) {
         QFile file(db);
         file.open(QIODevice::WriteOnly);
         file.write(QByteArray(4096, 'x'));
       },
       u"Файл %1 не является базой данных программы. Восстановите db.mdb из резервной копии.",
       "file is not a database."},
  };
  for (const TStartupFailure& failure : failures) {
    SCOPED_TRACE(failure.Name);
    TTempWorkDir dir;
    const QString db = dir.Path(QStringLiteral("db.mdb"));
    failure.Prepare(db);
    const QStringList filesBefore = dir.Files();
    const QByteArray bytesBefore = ReadFile(db);

    QProcess program;
    program.setWorkingDirectory(dir.Path());
    program.start(QStringLiteral(STARTUP_PROBE), {});
    ASSERT_TRUE(program.waitForFinished(20000)) << "start-up did not stop";
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 1);

    const QList<QByteArray> boxes = program.readAllStandardOutput().split('\x1e');
    ASSERT_EQ(boxes.size(), 2) << "one box";
    const QStringList box = QString::fromUtf8(boxes[0]).split(u'\n');
    ASSERT_GE(box.size(), 3);
    EXPECT_EQ(box[0], QStringLiteral("Application Error"));
    EXPECT_EQ(box[1].toInt(), int(TMsgDlgType::mtError));
    const QString text = QString::fromUtf8(boxes[0]).section(u'\n', 2);
    const QString sentence = QString::fromUtf16(failure.Sentence).replace(QStringLiteral("%1"), db);
    const QRegularExpression expected(
        QStringLiteral("^%1\r\nException EDatabaseError in module startup_probe at [0-9A-F]{16}\\.\r\n%2\r\n$")
            .arg(QRegularExpression::escape(sentence),
                 QRegularExpression::escape(QString::fromUtf8(failure.Message))));
    EXPECT_TRUE(expected.match(text).hasMatch()) << text.toStdString();

    EXPECT_EQ(dir.Files(), filesBefore) << "nothing created";
    EXPECT_EQ(ReadFile(db), bytesBefore) << "nothing overwritten";
  }
}

}  // namespace
