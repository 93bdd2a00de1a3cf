// The register's search field as the operator uses it: typing filters the register with its
// count, Escape goes back, and the bags found can be edited, saved and deleted while another
// desk's changes come and go.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "app/BagFields.h"
#include "app/MainForm.h"
#include "app/controls/DBEdit.h"
#include "app/controls/DBGrid.h"
#include "app/store/ADOTable.h"
#include "qr/QRSymbol.h"
#include "tests/app/RunningProgram.h"
#include "ui_MainForm.h"

namespace {

constexpr int ArrivalMs = 5000;

const TBagRow Berezka = {u"5061"_qs,       90, u"ООО «Берёзка»"_qs, u"40702810000000000555"_qs,
                         u"7700000555"_qs, 2,  u"Ёлкин Пётр"_qs};

// Waits until the register shows `bags`.
::testing::AssertionResult Shows(const TRunningProgram& program, const QStringList& bags) {
  if (QTest::qWaitFor([&] { return program.GridBags() == bags; }, ArrivalMs))
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "the register shows " << program.GridBags().join(u' ').toStdString();
}

TEST(SearchField, TypingFiltersTheRegisterWithItsCountAndEscapeGoesBackToTheBagThatWasCurrent) {
  TRunningProgram program({Bag1234, Bag77, Berezka});
  const Ui::TForm1& ui = program.Controls();
  EXPECT_EQ(ui.edSearch->toolTip(), u"Найти сумку (Ctrl+F)"_qs);
  program.ClickRow(1);
  QTest::keyClick(ui.DBGrid1, Qt::Key_F, Qt::ControlModifier);
  ASSERT_EQ(QApplication::focusWidget(), ui.edSearch);

  Type(ui.edSearch, u"бЕРЁ"_qs);
  ASSERT_TRUE(Shows(program, {u"5061"_qs}));
  EXPECT_EQ(ui.lblFound->text(), u"Найдено: 1"_qs);
  EXPECT_EQ(ui.DBEdit1->text(), u"5061"_qs) << "the bag found is shown";
  EXPECT_TRUE(program.Window().QRSymbol().Text().contains(u"ООО «Берёзка»"_qs));

  // Digits: the bag number from its start, the INN anywhere.
  program.TypeOver(ui.edSearch, u"770"_qs);
  ASSERT_TRUE(Shows(program, {u"1234"_qs, u"5061"_qs}));
  EXPECT_EQ(ui.lblFound->text(), u"Найдено: 2"_qs);
  EXPECT_EQ(ui.DBEdit1->text(), u"5061"_qs) << "the current bag stays current";
  program.TypeOver(ui.edSearch, u"061"_qs);  // inside a bag number only
  ASSERT_TRUE(Shows(program, {}));
  EXPECT_EQ(ui.lblFound->text(), u"Найдено: 0"_qs);

  // Two characters are too few for the index: every bag, and the field asks for a third.
  program.TypeOver(ui.edSearch, u"12"_qs);
  ASSERT_TRUE(Shows(program, {u"1234"_qs, u"77"_qs, u"5061"_qs}));
  EXPECT_EQ(ui.lblFound->text(), u"Наберите не меньше трёх знаков"_qs);

  Type(ui.edSearch, u"3"_qs);
  ASSERT_TRUE(Shows(program, {u"1234"_qs}));
  QTest::keyClick(ui.edSearch, Qt::Key_Escape);
  EXPECT_EQ(ui.edSearch->text(), QString());
  EXPECT_EQ(ui.lblFound->text(), QString());
  EXPECT_EQ(program.GridBags(), (QStringList{u"1234"_qs, u"77"_qs, u"5061"_qs}));
  EXPECT_EQ(ui.DBEdit1->text(), u"77"_qs) << "the bag current before the search";
  EXPECT_EQ(program.Register().RecNo(), 1);
  QTest::keyClick(ui.edSearch, Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), ui.DBGrid1) << "the register comes next in the tab order";
  EXPECT_TRUE(program.Messages.Boxes.empty());
}

TEST(SearchField, TheBagsFoundAreEditedSavedAndDeletedAndFollowAnotherDesk) {
  TRunningProgram program({Bag1234, Bag77, Berezka});
  const Ui::TForm1& ui = program.Controls();
  QTest::keyClick(ui.DBGrid1, Qt::Key_F, Qt::ControlModifier);
  Type(ui.edSearch, u"ооо"_qs);
  ASSERT_TRUE(Shows(program, {u"1234"_qs, u"5061"_qs}));

  program.ClickRow(1);
  program.TypeOver(ui.DBEdit5, u"Ёлкина Анна"_qs);
  QTest::keyClick(ui.DBEdit5, Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(ReadBags(program.Db())[2][int(TBagField::FullName)], QVariant(u"Ёлкина Анна"_qs));

  // Another desk: a bag that now matches arrives, one that no longer does leaves.
  ExecuteSql(program.Db(),
             QStringLiteral("UPDATE Clients SET \"Получатель\" = 'ООО Петров' WHERE \"Номер "
                            "сумки\" = '77'; UPDATE Clients SET \"Получатель\" = 'ИП Ромашкин' "
                            "WHERE \"Номер сумки\" = '1234'"));
  ASSERT_TRUE(Shows(program, {u"5061"_qs, u"77"_qs}));
  EXPECT_EQ(ui.lblFound->text(), u"Найдено: 2"_qs);
  EXPECT_EQ(ui.DBEdit1->text(), u"5061"_qs);

  program.Click(ui.Button2);
  ASSERT_TRUE(Shows(program, {u"77"_qs}));
  EXPECT_EQ(ui.lblFound->text(), u"Найдено: 1"_qs);
  EXPECT_EQ(ReadBags(program.Db()).size(), 2u);
  ExecuteSql(program.Db(), QStringLiteral("DELETE FROM Clients WHERE \"Номер сумки\" = '77'"));
  ASSERT_TRUE(Shows(program, {}));
  EXPECT_EQ(ui.lblFound->text(), u"Найдено: 0"_qs);
  EXPECT_TRUE(program.Messages.Boxes.empty());
}

TEST(SearchField, AWordTooManyBagsHoldAsksForMore) {
  TRunningProgram program({}, nullptr, SearchLimit + 1);
  const Ui::TForm1& ui = program.Controls();
  QTest::keyClick(ui.DBGrid1, Qt::Key_F, Qt::ControlModifier);
  Type(ui.edSearch, u"иванов"_qs);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !ui.lblFound->text().isEmpty(); }, ArrivalMs));
  EXPECT_EQ(ui.lblFound->text(), u"Найдено больше 1000, уточните поиск"_qs);
  Type(ui.edSearch, u" 1001"_qs);
  ASSERT_TRUE(Shows(program, {u"bag-1001"_qs}));
  EXPECT_EQ(ui.lblFound->text(), u"Найдено: 1"_qs);
}

// Escape in a register larger than one slice of keys: the keys past it come in the background
// again, and the bag that was current becomes current once its key is in.
TEST(SearchField, EscapeGoesBackToABagWhoseKeyIsStillComing) {
  TRunningProgram program({Bag1234}, nullptr, KeySliceRows + 10);
  const Ui::TForm1& ui = program.Controls();
  const TADOTable& bags = program.Register();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !bags.Loading(); }, ArrivalMs));
  program.ClickRow(0);
  QTest::keyClick(ui.DBGrid1, Qt::Key_End, Qt::ControlModifier);
  ASSERT_EQ(ui.DBEdit1->text(), u"bag-100010"_qs);

  QTest::keyClick(ui.DBGrid1, Qt::Key_F, Qt::ControlModifier);
  Type(ui.edSearch, u"Иванов 100010"_qs);
  ASSERT_TRUE(Shows(program, {u"bag-100010"_qs}));
  QTest::keyClick(ui.edSearch, Qt::Key_Escape);
  EXPECT_TRUE(bags.Loading()) << "the keys past the first slice are read again";
  EXPECT_TRUE(
      QTest::qWaitFor([&] { return ui.DBEdit1->text() == u"bag-100010"_qs; }, ArrivalMs));
  EXPECT_EQ(bags.RecNo(), bags.RecordCount() - 1);
  EXPECT_TRUE(program.Messages.Boxes.empty());
}

}  // namespace
