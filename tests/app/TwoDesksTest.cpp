// Two desks on one register, a file or the register of the test's PostgreSQL server: this
// test's own program in process, and another desk as a real program process (desk_driver) in
// the same working folder, which holds db.mdb or the database.ini naming the server.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QStatusBar>
#include <QTest>

#include "app/BagFields.h"
#include "app/MainForm.h"
#include "app/controls/DBEdit.h"
#include "app/controls/DBGrid.h"
#include "app/store/ADOTable.h"
#include "tests/app/RunningProgram.h"
#include "tests/app/store/PgStoreTestSupport.h"
#include "tests/app/store/TestRegisters.h"
#include "ui_MainForm.h"

namespace {

// The other desk: the program started in `folder`, asked one command at a time.
class TOtherDesk {
public:
  explicit TOtherDesk(const QString& folder) {
    FProcess.setWorkingDirectory(folder);
    FProcess.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    FProcess.start(QStringLiteral(DESK_DRIVER), {});
    if (!FProcess.waitForStarted(10000)) throw std::runtime_error("desk_driver did not start");
  }
  ~TOtherDesk() {
    Ask(QStringLiteral("quit"));
    if (!FProcess.waitForFinished(10000)) FProcess.kill();
  }

  QString Ask(const QString& command) {
    FProcess.write(command.toUtf8() + '\n');
    while (!FProcess.canReadLine())
      if (!FProcess.waitForReadyRead(20000)) return QStringLiteral("(no answer)");
    return QString::fromUtf8(FProcess.readLine()).chopped(1);
  }
  // Asks `command` until the answer is `expected`, at most `ms` long; the last answer.
  QString AskUntil(const QString& command, const QString& expected, int ms) {
    QElapsedTimer clock;
    clock.start();
    QString answer = Ask(command);
    while (answer != expected && clock.elapsed() < ms) {
      QTest::qSleep(20);
      answer = Ask(command);
    }
    return answer;
  }

private:
  QProcess FProcess;
};

// This desk's program over a new register on one engine, and the register as another client
// reads it.
class TwoDesksTest : public testing::Test {
protected:
  // The register holds `bags`, then `generated` more (InsertGeneratedBags).
  TRunningProgram& Start(bool server, const std::vector<TBagRow>& bags, int generated = 0) {
    if (server) {
      Server = std::make_unique<TServerRegister>();
      Server->Create(bags);
      if (generated > 0)
        TPgTestEnvironment::Cluster().InsertGeneratedBags(
            QString::fromLatin1(TPgTestEnvironment::RegisterDatabase), generated);
      Here = std::make_unique<TRunningProgram>(TServerConnection{RegisterConnInfo()});
    } else {
      Here = std::make_unique<TRunningProgram>(bags, nullptr, generated);
    }
    return *Here;
  }
  std::vector<TBagRow> Stored() const { return Server ? Server->Rows() : ReadBags(Here->Db()); }

  std::unique_ptr<TServerRegister> Server;  // on the server only
  std::unique_ptr<TRunningProgram> Here;
};

struct TEngine {
  const char* Name;
  bool Server;
};

void PrintTo(const TEngine& engine, std::ostream* out) { *out << engine.Name; }

class TwoDesks : public TwoDesksTest, public testing::WithParamInterface<TEngine> {
protected:
  TRunningProgram& Start(const std::vector<TBagRow>& bags, int generated = 0) {
    return TwoDesksTest::Start(GetParam().Server, bags, generated);
  }
};

// The other desk adds a bag: the window here shows it within a second without a click, and
// the other way round.
TEST_P(TwoDesks, ABagAddedAtOneDeskShowsAtTheOtherWithinASecond) {
  TRunningProgram& here = Start({Bag1234});
  TOtherDesk other(here.Dir.Path());
  const QAbstractItemModel* grid = here.Controls().DBGrid1->model();
  EXPECT_EQ(other.Ask(QStringLiteral("click Button3")), QStringLiteral("ok"));
  EXPECT_EQ(other.Ask(QStringLiteral("type DBEdit1 555")), QStringLiteral("ok"));
  EXPECT_EQ(other.Ask(QStringLiteral("click Button1")), QStringLiteral("ok"));
  QElapsedTimer clock;
  clock.start();
  EXPECT_TRUE(QTest::qWaitFor([&] { return grid->rowCount() == 2; }, 1000))
      << clock.elapsed() << " ms";
  EXPECT_EQ(grid->index(1, int(TBagField::BagNumber)).data().toString(), QStringLiteral("555"));
  EXPECT_EQ(here.Controls().DBEdit1->text(), QStringLiteral("1234")) << "the bag shown here stays";

  here.Click(here.Controls().Button3);
  here.TypeOver(here.Controls().DBEdit1, QStringLiteral("900"));
  here.Click(here.Controls().Button1);
  EXPECT_EQ(here.Messages.Boxes.size(), 4u) << "the save checks' warnings for the bare bag";
  EXPECT_EQ(other.AskUntil(QStringLiteral("state"), QStringLiteral("browse 0 555|1234|900"), 1000),
            QStringLiteral("browse 0 555|1234|900"));
}

// Both desks edit bag 1234: the one that saves second is refused, keeps its typing, and
// nothing of the first desk's save is lost.
TEST_P(TwoDesks, TheSecondOfTwoEditsOfOneBagIsRefusedAndNothingIsLost) {
  TRunningProgram& here = Start({Bag1234, Bag77});
  const Ui::TForm1& ui = here.Controls();
  TOtherDesk other(here.Dir.Path());
  EXPECT_EQ(other.Ask(QStringLiteral("type DBEdit5 Ким")), QStringLiteral("ok"));
  here.TypeOver(ui.DBEdit5, QStringLiteral("Ли"));
  here.Click(ui.Button1);
  EXPECT_EQ(Stored()[0][int(TBagField::FullName)], QVariant(u"Ли"_qs));

  const QString note = QStringLiteral(
      "Сумку 1234, которую вы правите, изменили на другом рабочем месте: "
      "сохранить правку не выйдет, загрузите новые данные сумки");
  EXPECT_EQ(other.AskUntil(QStringLiteral("note"), note, 5000), note);
  EXPECT_EQ(other.Ask(QStringLiteral("answer cancel")), QStringLiteral("ok"));
  EXPECT_EQ(other.Ask(QStringLiteral("click Button1")), QStringLiteral("ok"));
  EXPECT_EQ(other.Ask(QStringLiteral("boxes")),
            QStringLiteral(
                "Эту сумку изменили на другом рабочем месте, пока вы её правили: ваши изменения не "
                "сохранены.\\nЗагрузить сохранённые данные сумки (всё набранное пропадёт) или "
                "продолжить правку?"));
  EXPECT_EQ(other.Ask(QStringLiteral("state")), QStringLiteral("edit 0 1234|77"));
  EXPECT_EQ(other.Ask(QStringLiteral("text DBEdit5")), QStringLiteral("Ким"));
  EXPECT_EQ(Stored()[0][int(TBagField::FullName)], QVariant(u"Ли"_qs));

  // The other desk reloads the bag: it shows what this desk saved.
  EXPECT_EQ(other.Ask(QStringLiteral("click Button1")), QStringLiteral("ok"));
  EXPECT_EQ(other.Ask(QStringLiteral("state")), QStringLiteral("browse 0 1234|77"));
  EXPECT_EQ(other.Ask(QStringLiteral("text DBEdit5")), QStringLiteral("Ли"));
  EXPECT_EQ(Stored(),
            (std::vector<TBagRow>{{u"1234"_qs, 5678, u"ООО Ромашка"_qs, u"40702810900000000001"_qs,
                                   u"7701234567"_qs, 11, u"Ли"_qs},
                                  Bag77}));
  EXPECT_TRUE(here.Messages.Boxes.empty());
}

// The other desk deletes the bag being edited here: the typing stays until the operator lets
// the bag leave; nothing is written back.
TEST_P(TwoDesks, ABagDeletedAtOneDeskWhileTheOtherEditsItIsNotWrittenBack) {
  TRunningProgram& here = Start({Bag1234, Bag77});
  const Ui::TForm1& ui = here.Controls();
  TOtherDesk other(here.Dir.Path());
  here.ClickRow(1);
  here.TypeOver(ui.DBEdit5, QStringLiteral("Ким"));
  EXPECT_EQ(other.Ask(QStringLiteral("row 1")), QStringLiteral("ok"));
  EXPECT_EQ(other.Ask(QStringLiteral("click Button2")), QStringLiteral("ok"));
  EXPECT_EQ(other.Ask(QStringLiteral("state")), QStringLiteral("browse 0 1234"));

  ASSERT_TRUE(QTest::qWaitFor([&] { return !ui.StatusBar1->currentMessage().isEmpty(); }, 5000));
  EXPECT_EQ(ui.StatusBar1->currentMessage(),
            QStringLiteral("Сумку 77, которую вы правите, удалили на другом рабочем месте: "
                           "сохранить правку не выйдет"));
  EXPECT_EQ(ui.DBEdit5->text(), QStringLiteral("Ким"));
  here.Messages.Answers = {TModalResult::mrOk, TModalResult::mrOk};
  here.Click(ui.Button1);
  EXPECT_EQ(here.Messages.Texts()[0], QStringLiteral("Проверьте номер ИНН"))
      << "bag 77's is 12 digits long";
  EXPECT_TRUE(here.Messages.Texts().back().startsWith(
      QStringLiteral("Эту сумку удалили на другом рабочем месте")));
  EXPECT_EQ(here.Register().RecordCount(), 1);
  EXPECT_EQ(ui.DBEdit1->text(), QStringLiteral("1234"));
  EXPECT_EQ(Stored(), std::vector<TBagRow>{Bag1234});
  EXPECT_EQ(other.Ask(QStringLiteral("boxes")), QString());
}

// At 100 000 bags the other desk adds a bag, changes one and deletes one: each shows here
// within a second, taken from the register's change feed; the whole register is read once,
// at start-up, and never again.
TEST_P(TwoDesks, AtAHundredThousandBagsAnotherDesksChangesAreReadAloneNeverTheWholeRegister) {
  TRunningProgram& here = Start({Bag1234, Bag77}, 100000);
  const QAbstractItemModel* grid = here.Controls().DBGrid1->model();
  TOtherDesk other(here.Dir.Path());
  ASSERT_EQ(other.Ask(QStringLiteral("state")).section(u' ', 0, 1), QStringLiteral("browse 0"));
  auto bagAt = [&](int row) {
    return grid->index(row, int(TBagField::BagNumber)).data().toString();
  };

  EXPECT_EQ(other.Ask(QStringLiteral("click Button3")), QStringLiteral("ok"));
  EXPECT_EQ(other.Ask(QStringLiteral("type DBEdit1 555")), QStringLiteral("ok"));
  EXPECT_EQ(other.Ask(QStringLiteral("click Button1")), QStringLiteral("ok"));
  EXPECT_TRUE(QTest::qWaitFor([&] { return grid->rowCount() == 100003; }, 1000));
  EXPECT_EQ(bagAt(100002), QStringLiteral("555"));

  EXPECT_EQ(other.Ask(QStringLiteral("row 2")), QStringLiteral("ok"));  // 555|1234|77|...
  EXPECT_EQ(other.Ask(QStringLiteral("type DBEdit1 77-бис")), QStringLiteral("ok"));
  EXPECT_EQ(other.Ask(QStringLiteral("click Button1")), QStringLiteral("ok"));
  EXPECT_TRUE(QTest::qWaitFor([&] { return bagAt(1) == u"77-бис"_qs; }, 1000));

  EXPECT_EQ(other.Ask(QStringLiteral("click Button2")), QStringLiteral("ok"));
  EXPECT_TRUE(QTest::qWaitFor([&] { return grid->rowCount() == 100002; }, 1000));
  EXPECT_EQ(bagAt(1), QStringLiteral("bag-1"));
  EXPECT_EQ(here.Controls().DBEdit1->text(), QStringLiteral("1234")) << "the bag shown here stays";
  EXPECT_EQ(here.Register().WholeReads(), 1);
}

INSTANTIATE_TEST_SUITE_P(Engines, TwoDesks,
                         testing::Values(TEngine{"SqliteFile", false},
                                         TEngine{"PostgresqlServer", true}),
                         [](const testing::TestParamInfo<TEngine>& info) {
                           return std::string(info.param.Name);
                         });

// The server restarts under two open desks and a bag changes before they are back: both
// catch up without a click, and the live refresh goes on.
TEST_F(TwoDesksTest, AfterAServerRestartTheRegisterCatchesUpAndStaysLive) {
  TRunningProgram& here = Start(true, {Bag1234, Bag77});
  const Ui::TForm1& ui = here.Controls();
  TOtherDesk other(here.Dir.Path());
  ASSERT_EQ(other.Ask(QStringLiteral("state")), QStringLiteral("browse 0 1234|77"))
      << "the other desk has started";
  QStringList notes;
  QObject::connect(ui.StatusBar1, &QStatusBar::messageChanged,
                   [&](const QString& note) { notes << note; });
  const TPgTestCluster& cluster = TPgTestEnvironment::Cluster();
  cluster.Restart();
  cluster.Psql(
      QStringLiteral("register"),
      QStringLiteral(
          "UPDATE \"Clients\" SET \"ФИО\" = 'Сидоров С.С.' WHERE \"Номер сумки\" = '1234'"));
  QElapsedTimer clock;
  clock.start();
  EXPECT_TRUE(QTest::qWaitFor([&] { return ui.DBEdit5->text() == u"Сидоров С.С."_qs; }, 5000))
      << clock.elapsed() << " ms";
  EXPECT_EQ(other.AskUntil(QStringLiteral("text DBEdit5"), QStringLiteral("Сидоров С.С."), 5000),
            QStringLiteral("Сидоров С.С."));

  EXPECT_EQ(other.Ask(QStringLiteral("click Button3")), QStringLiteral("ok"));
  EXPECT_EQ(other.Ask(QStringLiteral("type DBEdit1 555")), QStringLiteral("ok"));
  EXPECT_EQ(other.Ask(QStringLiteral("click Button1")), QStringLiteral("ok"));
  EXPECT_EQ(other.Ask(QStringLiteral("state")), QStringLiteral("browse 0 555|1234|77"));
  clock.restart();
  EXPECT_TRUE(QTest::qWaitFor([&] { return ui.DBGrid1->model()->rowCount() == 3; }, 1000))
      << clock.elapsed() << " ms";
  EXPECT_TRUE(here.Messages.Boxes.empty()) << here.Messages.Texts().join(u'\n').toStdString();
  EXPECT_EQ(
      notes,
      QStringList{u"Сумку 1234 изменили на другом рабочем месте: показаны её новые данные"_qs})
      << "the dead session is opened again by the resync itself, without a failure";
}

}  // namespace
