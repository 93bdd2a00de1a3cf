// Two desks on the register of the test's PostgreSQL server: the cases of either engine, and
// what only a server does.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QStatusBar>

#include "app/MainForm.h"
#include "app/controls/DBEdit.h"
#include "app/controls/DBGrid.h"
#include "tests/app/TwoDesks.h"
#include "ui_MainForm.h"

std::vector<TDeskEngine> TwoDesksEngines() { return {{"PostgresqlServer", true}}; }

namespace {

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
