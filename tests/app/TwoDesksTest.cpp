// The cases that hold for two desks on either engine (TwoDesksEngines).
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QStatusBar>

#include "app/BagFields.h"
#include "app/MainForm.h"
#include "app/controls/DBEdit.h"
#include "app/controls/DBGrid.h"
#include "app/store/ADOTable.h"
#include "tests/app/TwoDesks.h"
#include "ui_MainForm.h"

namespace {

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

INSTANTIATE_TEST_SUITE_P(Engines, TwoDesks, testing::ValuesIn(TwoDesksEngines()),
                         [](const testing::TestParamInfo<TDeskEngine>& info) {
                           return std::string(info.param.Name);
                         });

}  // namespace
