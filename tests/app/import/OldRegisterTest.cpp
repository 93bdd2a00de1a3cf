// A desk moving from the Windows program: the real program started in a folder whose db.mdb is
// the old Jet register, as the operator starts it, answering the question as the test says.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>

#include <unistd.h>

#include "tests/app/AppTestSupport.h"
#include "tests/app/import/JetFixtures.h"
#include "tests/support/FileBytes.h"

namespace {

using namespace Qt::StringLiterals;

// What the program showed and how it ended.
struct TStartup {
  int ExitCode = -1;
  QStringList Boxes;  // "<caption>|<text>" each; the window, when it ran, as "window|<title>\n<rows>"
};

// Runs the program in `folder` answering "Да" (yes) or "Нет"; `user` other than root runs it as
// the unprivileged user nobody. With `run`, a start-up that gets to the window reports it and
// ends.
TStartup Start(const QString& folder, bool yes, bool asNobody = false) {
  QProcess program;
  program.setWorkingDirectory(folder);
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(u"STARTUP_PROBE_ANSWER"_s, yes ? u"yes"_s : u"no"_s);
  environment.insert(u"STARTUP_PROBE_RUN"_s, u"1"_s);
  environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
  program.setProcessEnvironment(environment);
  if (asNobody)
    program.start(u"setpriv"_s, {u"--reuid=65534"_s, u"--regid=65534"_s, u"--clear-groups"_s,
                                 u"--inh-caps=-all"_s, QStringLiteral(STARTUP_PROBE)});
  else
    program.start(QStringLiteral(STARTUP_PROBE), {});
  EXPECT_TRUE(program.waitForFinished(60000)) << "the program did not end";
  TStartup startup{program.exitCode(), {}};
  for (const QByteArray& record : program.readAllStandardOutput().split('\x1e')) {
    if (record.isEmpty()) continue;
    const QString box = QString::fromUtf8(record);
    startup.Boxes << box.section(u'\n', 0, 0) + u'|' + box.section(u'\n', 2);
  }
  return startup;
}

// The box that asks; `bags` as the operator reads it ("22 сумки").
QString Question(const QString& bags, const QString& kept) {
  return u"ТОРВИ Инкассация 2019|В папке найдена база прежней версии программы (%1). Перенести "
         u"сумки в новую базу? Старый файл останется рядом под именем %2."_s
      .arg(bags, kept);
}

// The sample's bags, the ones the menu's import refuses (an empty and a NULL bag number, a cash
// symbol not in the list: the conversion keeps them as they are), and generated ones after
// them, `count` in all.
std::vector<jet::TBag> SampleAndMore(std::size_t count) {
  std::vector<jet::TBag> bags = jet::SampleBags();
  bags.insert(bags.end(), jet::RefusedBags().begin(), jet::RefusedBags().end());
  for (const jet::TBag& bag : jet::GeneratedBags(int(count - bags.size()))) bags.push_back(bag);
  return bags;
}

TEST(OldRegister, OneYesMovesEveryBagAndTheProgramStartsOnThem) {
  struct TCase {
    const char* Name;
    std::vector<jet::TBag> Bags;
    QString Count;
    QStringList Taken;  // names already in the folder
    QString Kept;
  };
  const TCase cases[] = {
      {"the sample bags", SampleAndMore(22), u"22 сумки"_s, {}, u"db.mdb.jet"_s},
      {"several pages, db.mdb.jet taken", jet::GeneratedBags(701), u"701 сумка"_s,
       {u"db.mdb.jet"_s}, u"db.mdb.1.jet"_s},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TTempWorkDir dir;
    const QString db = dir.Path(u"db.mdb"_s);
    WriteJetFile(jet::ClientsDatabase(c.Bags), db);
    for (const QString& name : c.Taken) WriteFile(dir.Path(name), "someone else's");
    const QByteArray old = ReadFile(db);
    // An old file nobody was to write: the new register is the operator's to write all the same.
    const QFile::Permissions readable = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
    ASSERT_TRUE(QFile::setPermissions(db, readable));

    const TStartup startup = Start(dir.Path(), true);
    EXPECT_EQ(startup.ExitCode, 0);
    EXPECT_EQ(startup.Boxes,
              (QStringList{Question(c.Count, c.Kept),
                           u"window|ТОРВИ Инкассация 2019 — db.mdb\n%1"_s.arg(c.Bags.size())}));
    EXPECT_EQ(ReadFile(dir.Path(c.Kept)), old) << "the old file kept byte for byte";
    for (const QString& name : c.Taken)
      EXPECT_EQ(ReadFile(dir.Path(name)), "someone else's") << "never overwritten";
    EXPECT_EQ(ReadBags(db), StoredBags(c.Bags));
    // The register is the program's own: its schema, the file's key, read by SQLite itself.
    EXPECT_EQ(QueryValue(db, u"SELECT count(*) FROM sqlite_master WHERE type = 'table' AND "
                             u"name = 'Clients' AND sql LIKE '%\"ID\"%AUTOINCREMENT%'"_s),
              QVariant(qint64(1)));
    EXPECT_EQ(QueryValue(db, u"PRAGMA integrity_check"_s), QVariant(u"ok"_s));
    const QFile::Permissions modeBits = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                        QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                        QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    EXPECT_EQ(QFile::permissions(db) & modeBits, readable | QFile::WriteOwner);
    EXPECT_EQ(QFile::permissions(dir.Path(c.Kept)) & modeBits, readable) << "the old file as it was";
    QStringList files = c.Taken;
    files << u"db.mdb"_s << c.Kept;
    files.sort();
    EXPECT_EQ(dir.Files(), files) << "no file of the conversion left behind";
  }
}

TEST(OldRegister, NoLeavesEverythingAsItWas) {
  TTempWorkDir dir;
  const QString db = dir.Path(u"db.mdb"_s);
  WriteJetFile(jet::ClientsDatabase(jet::GeneratedBags(1)), db);
  const QByteArray old = ReadFile(db);
  const TStartup startup = Start(dir.Path(), false);
  EXPECT_EQ(startup.ExitCode, 0);
  EXPECT_EQ(startup.Boxes, QStringList{Question(u"1 сумка"_s, u"db.mdb.jet"_s)});
  EXPECT_EQ(dir.Files(), QStringList{u"db.mdb"_s});
  EXPECT_EQ(ReadFile(db), old);
}

TEST(OldRegister, AFileThatCannotBeMovedStopsTheProgramWithTheReasonAndStaysUntouched) {
  struct TCase {
    const char* Name;
    std::function<void(const QString& db)> Make;
    bool AsNobody;
    QString Text;  // %1: the file, %2: its folder
  };
  const TCase cases[] = {
      {"no table Clients",
       [](const QString& db) { WriteJetFile(jet::WithoutClients(jet::SampleBags()), db); }, false,
       u"В файле %1 нет таблицы Clients: это не база сумок прежней версии программы. Возьмите её "
       u"файл db.mdb."_s},
      {"no column ФИО",
       [](const QString& db) {
         WriteJetFile(jet::ClientsWithoutField(jet::SampleBags(), "ФИО"), db);
       },
       false,
       u"В файле %1 в таблице Clients нет столбца «ФИО». Возьмите файл db.mdb прежней версии "
       u"программы целиком."_s},
      {"cut short",
       [](const QString& db) {
         const std::vector<std::uint8_t> bytes =
             jet::WriteDatabase(jet::ClientsDatabase(jet::SampleBags()));
         WriteFile(db, QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                  qsizetype(bytes.size()) - 100));
       },
       false,
       u"Файл %1 не удалось прочитать как базу Access: он повреждён, обрезан или это не база. "
       u"Возьмите целую копию файла.\n%3 bytes, not a whole number of 4096-byte pages"_s},
      // Root may write anywhere: the operator of a read-only folder is someone else.
      {"a folder that cannot be written",
       [](const QString& db) { WriteJetFile(jet::ClientsDatabase(jet::SampleBags()), db); }, true,
       u"В папке %2 не удалось создать новую базу: нет прав на запись или места на диске. Сумки "
       u"не перенесены, старый файл не тронут. Дайте права на запись в папку и запустите "
       u"программу снова.\n"_s},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TTempWorkDir dir;
    const QString db = dir.Path(u"db.mdb"_s);
    c.Make(db);
    const QByteArray old = ReadFile(db);
    const QFile::Permissions readOnly = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                        QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
    ASSERT_TRUE(QFile::setPermissions(dir.Path(), readOnly));
    ASSERT_TRUE(QFile::setPermissions(db, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));

    const TStartup startup = Start(dir.Path(), true, c.AsNobody);
    QFile::setPermissions(dir.Path(), readOnly | QFile::WriteOwner);
    EXPECT_EQ(startup.ExitCode, 1);
    ASSERT_EQ(startup.Boxes.size(), c.AsNobody ? 2 : 1) << startup.Boxes.join(u'\n').toStdString();
    const QString text =
        QString(c.Text).replace(u"%1"_s, db).replace(u"%2"_s, dir.Path()).replace(
            u"%3"_s, QString::number(old.size()));
    // The technical line after the sentence is the system's own words where there is one.
    EXPECT_TRUE(startup.Boxes.back().startsWith(u"ТОРВИ Инкассация 2019|"_s + text))
        << startup.Boxes.back().toStdString();
    EXPECT_EQ(dir.Files(), QStringList{u"db.mdb"_s}) << "nothing created";
    EXPECT_EQ(ReadFile(db), old) << "the old file byte for byte";
  }
}

}  // namespace
