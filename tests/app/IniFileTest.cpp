#include "app/IniFile.h"
#include "tests/support/FailingFsync.h"
#include "tests/support/FaultInjection.h"
#include "tests/support/FileBytes.h"
#include "tests/support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

mode_t FileMode(const QString& path) {
  struct stat status {};
  return ::lstat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & 07777 : 0;
}

class IniFileTest : public ::testing::Test {
protected:
  QTemporaryDir Dir;
  QString Path = Dir.filePath("firmname.ini");
};

TEST_F(IniFileTest, MissingFileGivesDefaultsAndTheFirstWriteCreatesIt) {
  TIniFile ini(Path);
  EXPECT_EQ(ini.ReadString("user", "name", "dflt"), "dflt");
  ini.WriteString("user", "name", "");
  ini.WriteString("user", "acc", "202028100000000000001");
  EXPECT_EQ(ReadFile(Path), "[user]\r\nname=\r\nacc=202028100000000000001\r\n");
  EXPECT_EQ(ini.ReadString("user", "name", "dflt"), "");
  EXPECT_EQ(ini.ReadString("user", "acc", ""), "202028100000000000001");
  EXPECT_EQ(ini.ReadString("other", "acc", "dflt"), "dflt");
}

TEST_F(IniFileTest, WritingKeepsEveryOtherByteOfTheFile) {
  // LF endings, comments, blanks, other sections and keys, names in other cases, a second
  // "user" section that is never consulted, and no line ending at the very end.
  QByteArray before =
      "; settings of the desk\n"
      "[Printer]\n"
      "name=Laser 5\n"
      "\n"
      "[ USER ]\n"
      "; firm\n"
      "  Name = \"Old firm\"  \n"
      "NAME=second, ignored\n"
      "city=Тверь\n"
      "\n"
      "[other]\n"
      "acc=999\n"
      "[user]\n"
      "acc=shadowed";
  WriteFile(Path, before.replace("Тверь", "\xD2\xE2\xE5\xF0\xFC"));
  TIniFile ini(Path);
  EXPECT_EQ(ini.ReadString("user", "name", ""), "Old firm");
  EXPECT_EQ(ini.ReadString("User", "CITY", ""), "Тверь");
  EXPECT_EQ(ini.ReadString("user", "acc", "dflt"), "dflt");
  EXPECT_EQ(ini.ReadString("printer", "name", ""), "Laser 5");

  ini.WriteString("user", "name", "New firm");
  ini.WriteString("user", "acc", "40702");
  ini.WriteString("cash", "acc", "1");
  const QByteArray after =
      "; settings of the desk\n"
      "[Printer]\n"
      "name=Laser 5\n"
      "\n"
      "[ USER ]\n"
      "; firm\n"
      "name=New firm\n"
      "NAME=second, ignored\n"
      "city=\xD2\xE2\xE5\xF0\xFC\n"
      "acc=40702\n"
      "\n"
      "[other]\n"
      "acc=999\n"
      "[user]\n"
      "acc=shadowed\n"
      "[cash]\n"
      "acc=1\n";
  EXPECT_EQ(ReadFile(Path), after);
  EXPECT_EQ(ini.ReadString("user", "acc", ""), "40702");
  EXPECT_EQ(ini.ReadString("other", "acc", ""), "999");
}

TEST_F(IniFileTest, KeyAddedToTheLastLineOfTheFileGetsItsOwnLine) {
  WriteFile(Path, "[user]\r\nname=x");
  TIniFile(Path).WriteString("user", "acc", "1");
  EXPECT_EQ(ReadFile(Path), "[user]\r\nname=x\r\nacc=1\r\n");
}

TEST_F(IniFileTest, CyrillicRoundTripInWindows1251) {
  const QString name = QStringLiteral("ООО «Ромашка» №5, ёЁ");
  TIniFile ini(Path);
  ini.WriteString("user", "name", name);
  EXPECT_EQ(ReadFile(Path),
            "[user]\r\nname=\xCE\xCE\xCE \xAB\xD0\xEE\xEC\xE0\xF8\xEA\xE0\xBB \xB9"
            "5, \xB8\xA8\r\n");
  EXPECT_EQ(ini.ReadString("user", "name", ""), name);
  // 0x98 has no character in Windows-1251: it reads as U+0098 and is written back as it was.
  WriteFile(Path, "[user]\r\nacc=a\x98z\r\n");
  const QString odd = ini.ReadString("user", "acc", "");
  EXPECT_EQ(odd, QString("a") + QChar(0x98) + "z");
  ini.WriteString("user", "acc", odd);
  EXPECT_EQ(ReadFile(Path), "[user]\r\nacc=a\x98z\r\n");
}

TEST_F(IniFileTest, ValuesThatWouldNotReadBackAreRefusedAndTheFileIsUntouched) {
  WriteFile(Path, "[user]\r\nname=Old\r\n");
  TIniFile ini(Path);
  const struct {
    QString Value;
    const char* Message;
  } refused[] = {
      {QStringLiteral("Фирма 日本"),
       "the value of \"name\" has the character U+65E5, which Windows-1251 lacks"},
      {QStringLiteral("Фирма 😀"),
       "the value of \"name\" has the character U+1F600, which Windows-1251 lacks"},
      {QStringLiteral("a\r\n[evil]"), "the value of \"name\" has a line break"},
  };
  for (const auto& r : refused) {
    try {
      ini.WriteString("user", "name", r.Value);
      ADD_FAILURE() << r.Message;
    } catch (const EIniFileException& error) {
      EXPECT_EQ(error.Message(), "Cannot write to " +
                                     QDir(Dir.path()).absoluteFilePath("firmname.ini") + ": " +
                                     r.Message);
    }
    EXPECT_EQ(ReadFile(Path), "[user]\r\nname=Old\r\n");
  }
}

TEST_F(IniFileTest, ValuesAreTrimmedUnquotedAndReadWhole) {
  const QByteArray longValue(3000, 'x');
  WriteFile(Path, "[user]\nq1 = ' a b ' \nq2=\"x\nq3=\"\"\nlong=" + longValue + "\n");
  TIniFile ini(Path);
  EXPECT_EQ(ini.ReadString("user", "q1", ""), " a b ");
  EXPECT_EQ(ini.ReadString("user", "q2", ""), "\"x");
  EXPECT_EQ(ini.ReadString("user", "q3", "dflt"), "");
  EXPECT_EQ(ini.ReadString("user", "long", ""), QString(3000, u'x'));
}

// Places nobody can write to, root included: the first line names the file in full, the second
// gives the system's reason.
TEST_F(IniFileTest, UnwritablePlaceRaisesUnableToWriteWithTheFullPathAndTheReason) {
  WriteFile(Dir.filePath("plain"), "x");
  QDir(Dir.path()).mkdir("firmname.ini.d");
  const struct {
    QString Place;
    QString Reason;
  } places[] = {
      {"/proc/firmname.ini", "No such file or directory"},           // takes no new files
      {Dir.filePath("plain/firmname.ini"), "Not a directory"},       // a folder that is a file
      {Dir.filePath("firmname.ini.d"), "Is a directory"},            // a file that is a folder
  };
  for (const auto& p : places) {
    try {
      TIniFile(p.Place).WriteString("user", "name", "x");
      ADD_FAILURE() << p.Place.toStdString();
    } catch (const EIniFileException& error) {
      EXPECT_EQ(error.Message(), "Unable to write to " + p.Place + ".\n" + p.Reason);
    }
  }
  // A relative path is reported in full.
  const QString current = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(Dir.path()));
  try {
    TIniFile("plain/firmname.ini").WriteString("user", "name", "x");
    ADD_FAILURE();
  } catch (const EIniFileException& error) {
    EXPECT_EQ(error.Message(), "Unable to write to " +
                                   QDir(Dir.path()).absoluteFilePath("plain/firmname.ini") +
                                   ".\nNot a directory");
  }
  QDir::setCurrent(current);
}

// Permissions stop only a user who is not root: run as root, the case runs again as the
// unprivileged user "nobody" in a child process of this test program.
TEST_F(IniFileTest, ReadOnlyFolderOrFileRaisesUnableToWrite) {
  if (geteuid() == 0) {
    RunThisTestAsNobody();
    return;
  }
  QDir(Dir.path()).mkdir("ro");
  const QString inReadOnlyFolder = Dir.filePath("ro/firmname.ini");
  QFile::setPermissions(Dir.filePath("ro"), QFile::ReadOwner | QFile::ExeOwner);
  WriteFile(Path, "[user]\r\nname=Old\r\n");
  QFile::setPermissions(Path, QFile::ReadOwner);
  for (const QString& place : {inReadOnlyFolder, Path}) {
    try {
      TIniFile(place).WriteString("user", "name", "x");
      ADD_FAILURE() << place.toStdString();
    } catch (const EIniFileException& error) {
      EXPECT_EQ(error.Message(), "Unable to write to " + place + ".\nPermission denied");
    }
  }
  EXPECT_EQ(ReadFile(Path), "[user]\r\nname=Old\r\n");
  EXPECT_EQ(TIniFile(inReadOnlyFolder).ReadString("user", "name", "dflt"), "dflt");
  EXPECT_EQ(
      QDir(Dir.filePath("ro")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
      QStringList());
  QFile::setPermissions(Dir.filePath("ro"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// A full disk, for real: a small tmpfs filled to the last page before the write. A user who
// is not root mounts it in a namespace of the test's own.
TEST_F(IniFileTest, FullDiskLeavesTheOldFileByteForByte) {
  if (geteuid() != 0) {
    RunThisTestWhereItMayMount();
    return;
  }
  const TSmallDisk disk(Dir.filePath("disk"));
  const QString path = disk.Path("firmname.ini");
  const QByteArray old = "[user]\r\nname=Old\r\nacc=1\r\n";
  WriteFile(path, old);
  disk.Fill();
  TIniFile ini(path);
  try {
    ini.WriteString("user", "name", QString(1000, u'N'));
    ADD_FAILURE() << "written to a full disk";
  } catch (const EIniFileException& error) {
    EXPECT_EQ(error.Message(), "Unable to write to " + path + ".\nNo space left on device");
  }
  EXPECT_EQ(ReadFile(path), old);
  EXPECT_EQ(QDir(disk.Path()).entryList(QDir::Files | QDir::Hidden),
            QStringList({"filler", "firmname.ini"}));
}

// The bytes must be on the disk before the new file takes the name: when the disk cannot
// promise that, the old file stays and the operator reads why.
TEST_F(IniFileTest, AFailedFlushToTheDiskLeavesTheOldFile) {
  const QByteArray old = "[user]\r\nname=Old\r\nacc=1\r\n";
  WriteFile(Path, old);
  const TFailingFsync failing;
  try {
    TIniFile(Path).WriteString("user", "name", "New");
    ADD_FAILURE() << "renamed over the old file without fsync";
  } catch (const EIniFileException& error) {
    EXPECT_EQ(error.Message(), "Unable to write to " + Path + ".\nInput/output error");
  }
  EXPECT_EQ(failing.Failed(), 1);
  EXPECT_EQ(ReadFile(Path), old);
  EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"firmname.ini"});
}

TEST_F(IniFileTest, ALinkIsReplacedByAPlainFileNeverWrittenThrough) {
  const QString target = Dir.filePath("shared.ini");
  const struct {
    const char* Name;
    QByteArray Target;  // empty: the link dangles
    QByteArray After;
  } cases[] = {
      {"link to another file", "[user]\r\nname=Shared\r\ncity=Tver\r\n",
       "[user]\r\nname=New\r\ncity=Tver\r\n"},
      {"dangling link", "", "[user]\r\nname=New\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    QFile::remove(Path);
    QFile::remove(target);
    if (!c.Target.isEmpty()) {
      WriteFile(target, c.Target);
      ASSERT_TRUE(QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner));
    }
    ASSERT_TRUE(QFile::link(target, Path));
    TIniFile ini(Path);
    EXPECT_EQ(ini.ReadString("user", "name", "dflt"), c.Target.isEmpty() ? "dflt" : "Shared");
    ini.WriteString("user", "name", "New");
    EXPECT_FALSE(QFileInfo(Path).isSymLink());
    EXPECT_EQ(ReadFile(Path), c.After);
    // A settings file kept private stays private in its new place.
    if (!c.Target.isEmpty()) {
      EXPECT_EQ(FileMode(Path), 0600);
    }
    EXPECT_EQ(QFile::exists(target), !c.Target.isEmpty());
    EXPECT_EQ(ReadFile(target), c.Target);
  }
}

TEST_F(IniFileTest, AUtf8ByteOrderMarkMakesTheFileUtf8AndIsKept) {
  const QByteArray bom = "\xEF\xBB\xBF";
  WriteFile(
      Path,
      bom + QStringLiteral("[user]\r\nname=ООО Ромашка\r\nacc=40702810900000000001\r\n").toUtf8());
  TIniFile ini(Path);
  EXPECT_EQ(ini.ReadString("user", "name", ""), "ООО Ромашка");
  EXPECT_EQ(ini.ReadString("user", "acc", "202028100000000000001"), "40702810900000000001");
  ini.WriteString("user", "name", QStringLiteral("ИП Ёлкин №2"));
  EXPECT_EQ(ReadFile(Path),
            bom +
                "[user]\r\nname=\xD0\x98\xD0\x9F \xD0\x81\xD0\xBB\xD0\xBA\xD0\xB8\xD0\xBD "
                "\xE2\x84\x96"
                "2\r\nacc=40702810900000000001\r\n");
  // A character no encoding of the file holds is refused as before.
  EXPECT_THROW(ini.WriteString("user", "name", QString(QChar(0xD800))), EIniFileException);
  ini.WriteString("user", "city", QStringLiteral("日本"));
  EXPECT_EQ(ini.ReadString("user", "city", ""), QStringLiteral("日本"));
}

}  // namespace
