// Start-up failures of the real program: the box, the exit code, and nothing created.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include "app/Dialogs.h"
#include "tests/app/AppTestSupport.h"

namespace {

struct TStartupFailure {
  const char* Name;
  void (*Prepare)(const QString& db);
  const char* Message;  // as the box shows it, full stop included
};

QByteArray FileBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(Startup, AnUnusableRegisterStopsStartUpWithTheErrorBoxAndExitCode1) {
  const TStartupFailure failures[] = {
      {"no db.mdb", [](const QString&) {}, "unable to open database file."},
      {"no table Clients", [](const QString& db) { ExecuteSql(db, QStringLiteral("CREATE TABLE Bags (x)")); },
       "no such table: Clients."},
      // Read as it was, every row would show the column's name as its bag number.
      {"no column \"Номер сумки\"",
       [](const QString& db) {
         ExecuteSql(db, QStringLiteral("CREATE TABLE Clients (\"Номер пакета\", \"Получатель\", \"Счет\", "
                                       "\"Инн\", \"Символ\", \"ФИО\"); INSERT INTO Clients DEFAULT VALUES"));
       },
       "no such column: Номер сумки."},
      {"not a database",
       [](const QString& db) {
         QFile file(db);
         file.open(QIODevice::WriteOnly);
         file.write(QByteArray(4096, 'x'));
       },
       "file is not a database."},
  };
  for (const TStartupFailure& failure : failures) {
    SCOPED_TRACE(failure.Name);
    TTempWorkDir dir;
    const QString db = dir.Path(QStringLiteral("db.mdb"));
    failure.Prepare(db);
    const QStringList filesBefore = dir.Files();
    const QByteArray bytesBefore = FileBytes(db);

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
    const QRegularExpression expected(
        QStringLiteral("^Exception EDatabaseError in module startup_probe at [0-9A-F]{16}\\.\r\n%1\r\n$")
            .arg(QRegularExpression::escape(QString::fromUtf8(failure.Message))));
    EXPECT_TRUE(expected.match(text).hasMatch()) << text.toStdString();

    EXPECT_EQ(dir.Files(), filesBefore) << "nothing created";
    EXPECT_EQ(FileBytes(db), bytesBefore) << "nothing overwritten";
  }
}

}  // namespace
