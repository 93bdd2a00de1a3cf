// A writer killed with SIGKILL in the middle of its posts leaves a sound file holding every
// post it acknowledged.
#include <gtest/gtest.h>

#include <QProcess>
#include <QSet>

#include <csignal>

#include "app/store/Sqlite.h"
#include "tests/app/AppTestSupport.h"

namespace {

TEST(CrashSafety, AKilledWriterLosesNoAcknowledgedPostAndLeavesASoundFile) {
  TTempWorkDir dir;
  const QString db = dir.Path(QStringLiteral("db.mdb"));
  CreateClientsDatabase(db);
  QSet<QString> acknowledged;
  // Kill points after a different number of acknowledgements, each run adding to the same file.
  int first = 0;
  for (const int killAfter : {1, 40, 150, 400}) {
    SCOPED_TRACE(killAfter);
    QProcess writer;
    writer.setWorkingDirectory(dir.Path());
    writer.start(QStringLiteral(BAG_WRITER), {QStringLiteral("1000000"), QString::number(first)});
    ASSERT_TRUE(writer.waitForStarted());
    int seen = 0;
    while (seen < killAfter && writer.waitForReadyRead(20000))
      while (writer.canReadLine() && seen < killAfter) {
        acknowledged.insert(QString::fromUtf8(writer.readLine()).trimmed());
        ++seen;
      }
    ASSERT_EQ(seen, killAfter);
    ::kill(pid_t(writer.processId()), SIGKILL);
    ASSERT_TRUE(writer.waitForFinished(20000));
    EXPECT_EQ(writer.exitStatus(), QProcess::CrashExit);
    // Lines printed before the kill that were not read yet were acknowledged as well.
    for (const QByteArray& line : writer.readAllStandardOutput().split('\n'))
      if (!line.isEmpty()) acknowledged.insert(QString::fromUtf8(line));
    first += 1000000;

    // The program's own read-write connection rolls back what the killed writer left unfinished.
    TSqliteDatabase reopened(db, 5000);
    TSqliteStatement check(reopened, QStringLiteral("PRAGMA integrity_check"));
    ASSERT_TRUE(check.Step());
    EXPECT_EQ(check.Column(0), QVariant(QStringLiteral("ok")));
    QSet<QString> stored;
    for (const TBagRow& bag : ReadBags(db)) stored.insert(bag[0].toString());
    for (const QString& bag : acknowledged) EXPECT_TRUE(stored.contains(bag)) << bag.toStdString();
    EXPECT_EQ(QueryValue(db, QStringLiteral("SELECT count(*) FROM Clients WHERE \"ФИО\" IS NULL")),
              QVariant(qint64(0)))
        << "no half-written bag";
  }
}

}  // namespace
