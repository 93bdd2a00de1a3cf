// A register file the program may not write, tried for real: as root permissions count for
// nothing, the writer runs as an unprivileged user.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>

#include "tests/app/AppTestSupport.h"
#include "tests/support/FileBytes.h"

namespace {

TEST(ReadOnlyStore, AReadOnlyFileOrFolderRefusesThePostWithTheOperatorsTextAndKeepsTheFile) {
  struct TCase {
    const char* Name;
    QFile::Permissions Folder;
    QFile::Permissions File;
  };
  const QFile::Permissions readable = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
  const QFile::Permissions writable = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
  const QFile::Permissions enterable = QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
  const TCase cases[] = {
      // The rollback journal cannot be made beside the file.
      {"read-only folder", readable | enterable, readable | writable},
      {"read-only file", readable | writable | enterable, readable},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TTempWorkDir dir;
    const QString db = dir.Path(QStringLiteral("db.mdb"));
    CreateClientsDatabase(
        db, {{QStringLiteral("1"), 5, QVariant(), QVariant(), QVariant(), 2, QVariant()}});
    const QByteArray before = ReadFile(db);
    ASSERT_TRUE(QFile::setPermissions(db, c.File));
    ASSERT_TRUE(QFile::setPermissions(dir.Path(), c.Folder));

    QProcess writer;
    writer.setWorkingDirectory(dir.Path());
    writer.start(QStringLiteral("setpriv"),
                 {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                  QStringLiteral("--clear-groups"), QStringLiteral("--inh-caps=-all"),
                  QStringLiteral(BAG_WRITER), QStringLiteral("1")});
    ASSERT_TRUE(writer.waitForFinished(20000));
    QFile::setPermissions(dir.Path(),
                          readable | writable | enterable | QFile::ReadUser | QFile::WriteUser);
    EXPECT_EQ(writer.exitCode(), 1);
    EXPECT_EQ(QString::fromUtf8(writer.readAllStandardError()),
              QStringLiteral(
                  "В базу данных %1 нельзя записать: файл или его папка открыты только для чтения. "
                  "Изменения не сохранены; разрешите запись и повторите.\n"
                  "база данных открыта только для чтения (attempt to write a readonly database)\n")
                  .arg(db));
    EXPECT_TRUE(writer.readAllStandardOutput().isEmpty()) << "nothing acknowledged";
    EXPECT_EQ(ReadFile(db), before);
    EXPECT_EQ(dir.Files(), QStringList{QStringLiteral("db.mdb")});
  }
}

}  // namespace
