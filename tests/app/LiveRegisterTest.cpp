// The window following what another desk does to the register, without a click: the grid, the
// bag shown, its QR code and the status line, and the operator's typing left alone.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QEventLoop>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include "app/BagFields.h"
#include "app/MainForm.h"
#include "app/RegisterNotes.h"
#include "app/controls/DBComboBox.h"
#include "app/controls/DBEdit.h"
#include "app/controls/DBGrid.h"
#include "app/store/ADOTable.h"
#include "app/store/DatabaseError.h"
#include "qr/QRSymbol.h"
#include "tests/app/RunningProgram.h"
#include "ui_MainForm.h"

namespace {

// Generous: what is measured here is that the change comes by itself, not how fast.
constexpr int ArrivalMs = 5000;

QString Note(const TRunningProgram& program) {
  return program.Controls().StatusBar1->currentMessage();
}

TEST(LiveRegister, BagsAddedChangedAndDeletedElsewhereShowWhileTheBagShownStays) {
  TRunningProgram program({Bag1234, Bag77, {QStringLiteral("9")}});
  const Ui::TForm1& ui = program.Controls();
  program.ClickRow(1);
  const QString payload = program.Window().QRSymbol().Text();
  ExecuteSql(program.Db(),
             QStringLiteral("INSERT INTO Clients (\"Номер сумки\") VALUES ('555');"
                            "UPDATE Clients SET \"ФИО\" = 'Сидоров' WHERE \"Номер сумки\" = '9';"
                            "DELETE FROM Clients WHERE \"Номер сумки\" = '1234'"));
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return program.GridBags().size() == 3 && program.GridBags()[2] == u"555"_qs; },
      ArrivalMs));
  EXPECT_EQ(program.GridBags(), (QStringList{u"77"_qs, u"9"_qs, u"555"_qs}));
  EXPECT_EQ(ui.DBGrid1->model()->index(1, int(TBagField::FullName)).data().toString(),
            QStringLiteral("Сидоров"));
  EXPECT_EQ(ui.DBGrid1->currentIndex().row(), 0);
  EXPECT_EQ(ui.DBGrid1->model()->headerData(0, Qt::Vertical).toString(), QStringLiteral("►"));
  EXPECT_EQ(ui.DBEdit1->text(), QStringLiteral("77"));
  EXPECT_EQ(program.Window().QRSymbol().Text(), payload);
  EXPECT_EQ(Note(program), QString()) << "other bags come and go silently";
  EXPECT_TRUE(program.Messages.Boxes.empty());
}

// The package number and the cash symbol refresh nothing as they are typed: the QR code and the
// receipt name follow them here all the same.
TEST(LiveRegister, TheBagShownChangedElsewhereShowsItsNewValuesQRCodeAndReceiptName) {
  TRunningProgram program({Bag1234, Bag77});
  const Ui::TForm1& ui = program.Controls();
  ExecuteSql(program.Db(), QStringLiteral("UPDATE Clients SET \"Номер пакета\" = 4321, \"Символ\" "
                                          "= 2 WHERE \"Номер сумки\" = '1234'"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return ui.DBEdit6->text() == u"4321"_qs; }, ArrivalMs));
  EXPECT_EQ(ui.DBComboBox1->currentText(), QStringLiteral("2"));
  EXPECT_EQ(ui.Label11->text(), QStringLiteral("Поступления от продажи товаров"));
  EXPECT_EQ(program.Window().QRSymbol().Text(),
            QStringLiteral(
                "№ сумки:1234;\r\n№ пакета:4321;\r\nПолучатель:ООО Ромашка;\r\n"
                "Транзитный счет:40702810900000000001;\r\nСумма: руб.;\r\nКассовый символ:2;\r\n"));
  EXPECT_TRUE(ui.mmoEncodedData->toPlainText().contains(QStringLiteral("№ пакета:4321;")));
  EXPECT_EQ(
      Note(program),
      QStringLiteral("Сумку 1234 изменили на другом рабочем месте: показаны её новые данные"));
  EXPECT_EQ(program.Register().State(), TDataSetState::dsBrowse);
}

TEST(LiveRegister, TheBagShownDeletedElsewhereGivesWayToItsNeighbourWithANote) {
  TRunningProgram program({Bag1234, Bag77});
  const Ui::TForm1& ui = program.Controls();
  program.ClickRow(1);
  ExecuteSql(program.Db(), QStringLiteral("DELETE FROM Clients WHERE \"Номер сумки\" = '77'"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return ui.DBGrid1->model()->rowCount() == 1; }, ArrivalMs));
  EXPECT_EQ(ui.DBEdit1->text(), QStringLiteral("1234"));
  EXPECT_EQ(ui.DBGrid1->currentIndex().row(), 0);
  EXPECT_TRUE(program.Window().QRSymbol().Text().startsWith(QStringLiteral("№ сумки:1234;")));
  EXPECT_EQ(ui.Label11->text(),
            QStringLiteral("Поступления от реализации платных услуг (выполненных работ)"));
  EXPECT_EQ(Note(program), QStringLiteral("Сумку 77 удалили на другом рабочем месте"));

  ExecuteSql(program.Db(), QStringLiteral("DELETE FROM Clients"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return ui.DBGrid1->model()->rowCount() == 0; }, ArrivalMs));
  EXPECT_EQ(ui.DBEdit1->text(), QString());
  EXPECT_EQ(Note(program), QStringLiteral("Сумку 1234 удалили на другом рабочем месте"));
  ExecuteSql(program.Db(), QStringLiteral("INSERT INTO Clients (\"Номер сумки\") VALUES ('8')"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return ui.DBEdit1->text() == u"8"_qs; }, ArrivalMs));
  EXPECT_TRUE(program.Window().QRSymbol().Text().startsWith(QStringLiteral("№ сумки:8;")));
}

// The edit keeps its typing and the values it started from: the save is refused instead of
// overwriting the other desk's change, and once the operator lets the edit go the bag shows
// what the other desk stored.
TEST(LiveRegister, ABagBeingEditedKeepsItsTypingAndItsSaveIsRefusedInsteadOfOverwriting) {
  TRunningProgram program({Bag1234, Bag77});
  const Ui::TForm1& ui = program.Controls();
  program.TypeOver(ui.DBEdit2, QStringLiteral("ИП Сидоров"));
  program.TypeOver(ui.DBEdit5, QStringLiteral("Ким"));
  ExecuteSql(
      program.Db(),
      QStringLiteral("UPDATE Clients SET \"Номер пакета\" = 4321 WHERE \"Номер сумки\" = '1234'"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !Note(program).isEmpty(); }, ArrivalMs));
  EXPECT_EQ(Note(program),
            QStringLiteral("Сумку 1234, которую вы правите, изменили на другом рабочем месте: "
                           "сохранить правку не выйдет, загрузите новые данные сумки"));
  EXPECT_EQ(program.Register().State(), TDataSetState::dsEdit);
  EXPECT_EQ(ui.DBEdit2->text(), QStringLiteral("ИП Сидоров"));
  EXPECT_EQ(ui.DBEdit5->text(), QStringLiteral("Ким")) << "typed, not yet stored in the record";
  EXPECT_EQ(ui.DBEdit6->text(), QStringLiteral("5678"));
  EXPECT_TRUE(
      program.Window().QRSymbol().Text().contains(QStringLiteral("Получатель:ИП Сидоров;")));
  EXPECT_EQ(ui.DBGrid1->model()->headerData(0, Qt::Vertical).toString(), QStringLiteral("I"));

  program.Messages.Answers = {TModalResult::mrCancel};
  program.Click(ui.Button1);
  ASSERT_EQ(program.Messages.Boxes.size(), 1u);
  EXPECT_TRUE(program.Messages.Boxes[0].Text.startsWith(
      QStringLiteral("Эту сумку изменили на другом рабочем месте")));
  EXPECT_EQ(ReadBags(program.Db())[0],
            (TBagRow{u"1234"_qs, 4321, u"ООО Ромашка"_qs, u"40702810900000000001"_qs,
                     u"7701234567"_qs, 11, u"Иванов И.И."_qs}));
  EXPECT_EQ(ui.DBEdit5->text(), QStringLiteral("Ким"));

  // Escape drops the edit: then the bag shows the other desk's values.
  QTest::keyClick(ui.DBGrid1, Qt::Key_Escape);
  EXPECT_EQ(program.Register().State(), TDataSetState::dsBrowse);
  EXPECT_EQ(ui.DBEdit6->text(), QStringLiteral("4321"));
  EXPECT_EQ(ui.DBEdit2->text(), QStringLiteral("ООО Ромашка"));
}

// A note goes when it is no longer true: the one on an edit that cannot be saved when the edit
// ends, the one on the bag shown when another bag is shown; a note on a paste gives way to it
// for a while and then lets it show again.
TEST(LiveRegister, ANoteGoesWhenItIsNoLongerTrue) {
  const QString changedWhileEdited =
      u"Сумку 1234, которую вы правите, изменили на другом рабочем месте: сохранить правку не "
      "выйдет, загрузите новые данные сумки"_qs;
  const QString changedElsewhere =
      u"Сумку 1234 изменили на другом рабочем месте: показаны её новые данные"_qs;
  TRunningProgram program({Bag1234, Bag77});
  const Ui::TForm1& ui = program.Controls();
  program.TypeOver(ui.DBEdit5, QStringLiteral("Ким"));
  ExecuteSql(program.Db(), QStringLiteral("UPDATE Clients SET \"Номер пакета\" = 4321 WHERE "
                                          "\"Номер сумки\" = '1234'"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return Note(program) == changedWhileEdited; }, ArrivalMs));

  // A passing note, then the standing one again.
  QApplication::clipboard()->setText(QString(60, u'7'));
  program.Click(ui.DBEdit1);
  ui.DBEdit1->selectAll();
  QTest::keyClick(ui.DBEdit1, Qt::Key_Insert, Qt::ShiftModifier);
  EXPECT_EQ(Note(program),
            u"Вставлено не всё: поле «Номер сумки» вмещает 50 символов, не "
            "поместилось: 10 символов."_qs);
  ui.StatusBar1->clearMessage();  // as the passing note's time running out does
  EXPECT_EQ(Note(program), changedWhileEdited);
  QTest::keyClick(ui.DBEdit1, Qt::Key_Escape);

  // "Загрузить": the edit ends, and so does the note; a later save and the bag's deletion
  // bring nothing back.
  program.Messages.Answers = {TModalResult::mrOk};
  program.Click(ui.Button1);
  ASSERT_EQ(program.Messages.Boxes.size(), 1u);
  EXPECT_EQ(program.Register().State(), TDataSetState::dsBrowse);
  EXPECT_EQ(ui.DBEdit6->text(), QStringLiteral("4321"));
  EXPECT_EQ(Note(program), QString());
  program.TypeOver(ui.DBEdit5, QStringLiteral("Ли"));
  program.Click(ui.Button1);
  EXPECT_EQ(ReadBags(program.Db())[0][int(TBagField::FullName)], QVariant(u"Ли"_qs));
  EXPECT_EQ(Note(program), QString());
  program.Click(ui.Button2);
  EXPECT_EQ(ReadBags(program.Db()), std::vector<TBagRow>{Bag77});
  EXPECT_EQ(Note(program), QString());

  // The bag shown changed elsewhere: told while it is shown, gone once another one is.
  ExecuteSql(program.Db(), QStringLiteral("INSERT INTO Clients (\"Номер сумки\") VALUES ('1234')"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return program.GridBags().size() == 2; }, ArrivalMs));
  program.ClickRow(1);
  ExecuteSql(program.Db(), QStringLiteral("UPDATE Clients SET \"Номер пакета\" = 1 WHERE "
                                          "\"Номер сумки\" = '1234'"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return Note(program) == changedElsewhere; }, ArrivalMs));
  program.ClickRow(0);
  EXPECT_EQ(Note(program), QString());

  // An edit ended by Escape takes its note along too.
  program.TypeOver(ui.DBEdit5, QStringLiteral("Ю"));
  ExecuteSql(program.Db(), QStringLiteral("UPDATE Clients SET \"Номер пакета\" = 2"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !Note(program).isEmpty(); }, ArrivalMs));
  QTest::keyClick(ui.DBEdit5, Qt::Key_Escape);
  QTest::keyClick(ui.DBEdit5, Qt::Key_Escape);
  EXPECT_EQ(program.Register().State(), TDataSetState::dsBrowse);
  EXPECT_EQ(Note(program), QString());
  EXPECT_EQ(program.Messages.Boxes.size(), 1u);
}

TEST(LiveRegister, ABagBeingEditedThatIsDeletedElsewhereStaysUntilTheOperatorLetsItGo) {
  TRunningProgram program({Bag1234, Bag77});
  const Ui::TForm1& ui = program.Controls();
  program.TypeOver(ui.DBEdit5, QStringLiteral("Ким"));
  ExecuteSql(program.Db(), QStringLiteral("DELETE FROM Clients WHERE \"Номер сумки\" = '1234'"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !Note(program).isEmpty(); }, ArrivalMs));
  EXPECT_EQ(Note(program),
            QStringLiteral("Сумку 1234, которую вы правите, удалили на другом рабочем месте: "
                           "сохранить правку не выйдет"));
  EXPECT_EQ(program.GridBags(), (QStringList{u"1234"_qs, u"77"_qs}));
  EXPECT_EQ(ui.DBEdit5->text(), QStringLiteral("Ким"));

  // "Нет" to saving on closing drops the edit; the window stays open here, its bag leaves.
  program.Messages.Answers = {TModalResult::mrNo};
  EXPECT_TRUE(program.Window().FormCloseQuery());
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return program.GridBags() == QStringList{u"77"_qs}; }, ArrivalMs));
  EXPECT_EQ(ui.DBEdit1->text(), QStringLiteral("77"));
  EXPECT_EQ(Note(program), QStringLiteral("Сумку 1234 удалили на другом рабочем месте"));
  EXPECT_EQ(ReadBags(program.Db()), std::vector<TBagRow>{Bag77});
}

TEST(LiveRegister, ANewBagBeingTypedStaysWhereItIsWithItsTyping) {
  TRunningProgram program({Bag1234, Bag77});
  const Ui::TForm1& ui = program.Controls();
  program.ClickRow(1);
  program.Click(ui.Button3);
  program.TypeOver(ui.DBEdit1, QStringLiteral("900"));
  ExecuteSql(program.Db(), QStringLiteral("DELETE FROM Clients WHERE \"Номер сумки\" = '1234';"
                                          "INSERT INTO Clients (\"Номер сумки\") VALUES ('555')"));
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return program.GridBags().size() == 3 && program.GridBags()[2] == u"555"_qs; },
      ArrivalMs));
  EXPECT_EQ(program.GridBags(), (QStringList{QString(), u"77"_qs, u"555"_qs}))
      << "typed, not yet stored";
  EXPECT_EQ(ui.DBEdit1->text(), QStringLiteral("900"));
  EXPECT_EQ(program.Register().State(), TDataSetState::dsInsert);
  EXPECT_EQ(ui.DBGrid1->currentIndex().row(), 0);
  EXPECT_EQ(ui.DBGrid1->model()->headerData(0, Qt::Vertical).toString(), QStringLiteral("*"));
  program.Click(ui.Button1);
  EXPECT_EQ(ReadBags(program.Db()).size(), 3u);
  EXPECT_EQ(ReadBags(program.Db())[2][int(TBagField::BagNumber)], QVariant(u"900"_qs));
}

// The rows on screen stay on screen as rows above them come and go.
TEST(LiveRegister, TheRegisterKeepsItsScrollPosition) {
  std::vector<TBagRow> bags;
  for (int n = 1; n <= 200; ++n) bags.push_back({QString::number(n)});
  TRunningProgram program(bags);
  TDBGrid* grid = program.Controls().DBGrid1;
  program.ClickRow(0);
  grid->scrollTo(grid->model()->index(100, 0), QAbstractItemView::PositionAtTop);
  const QString top =
      grid->model()->index(grid->rowAt(0), int(TBagField::BagNumber)).data().toString();
  ASSERT_EQ(top, QStringLiteral("101"));
  ExecuteSql(program.Db(),
             QStringLiteral("DELETE FROM Clients WHERE rowid BETWEEN 20 AND 29;"
                            "INSERT INTO Clients (\"Номер сумки\") VALUES ('201'), ('202')"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return grid->model()->rowCount() == 192; }, ArrivalMs));
  EXPECT_EQ(grid->model()->index(grid->rowAt(0), int(TBagField::BagNumber)).data().toString(), top);
  EXPECT_EQ(program.Register().RecNo(), 0) << "the current bag did not move";

  // Many at once: the view is laid out anew, with the operator's column widths, its scroll
  // position and the current bag.
  grid->setColumnWidth(2, 300);
  program.ClickRow(grid->rowAt(0) + 2);
  const int scrolled = grid->verticalScrollBar()->value();
  const QString current = program.Controls().DBEdit1->text();
  ExecuteSql(program.Db(),
             QStringLiteral("DELETE FROM Clients WHERE rowid > 150 AND \"Номер сумки\" <> '201'"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return grid->model()->rowCount() == 141; }, ArrivalMs));
  EXPECT_EQ(grid->columnWidth(2), 300);
  EXPECT_EQ(grid->verticalScrollBar()->value(), scrolled);
  EXPECT_EQ(
      grid->model()->index(grid->currentIndex().row(), int(TBagField::BagNumber)).data().toString(),
      current);
  EXPECT_EQ(program.Controls().DBEdit1->text(), current);
  EXPECT_EQ(grid->selectionModel()->selectedRows().size(), 1);
}

// A box waits in an event loop of its own in the middle of an action: the register must not
// change under it. Here the operator confirms deleting bag 1234 while another desk deletes it:
// bag 77, which would have become current, must survive.
TEST(LiveRegister, NothingChangesUnderAnOpenBox) {
  TRunningProgram program({Bag1234, Bag77});
  const Ui::TForm1& ui = program.Controls();
  const TMessagePresenter recorder = SetMessagePresenter([&](const TMessageBoxRequest& box) {
    program.Messages.Boxes.push_back(box);
    if (box.Text != u"Delete record?"_qs) return TModalResult::mrOk;
    ExecuteSql(program.Db(), QStringLiteral("DELETE FROM Clients WHERE \"Номер сумки\" = '1234'"));
    QEventLoop loop;
    QTimer::singleShot(1000, &loop, &QEventLoop::quit);
    loop.exec();
    return TModalResult::mrOk;
  });
  QTest::keyClick(ui.DBGrid1, Qt::Key_Delete, Qt::ControlModifier);
  SetMessagePresenter(recorder);
  ASSERT_EQ(program.Messages.Boxes.size(), 2u);
  EXPECT_EQ(program.Messages.Boxes[1].Text,
            QStringLiteral("Эту сумку уже удалили на другом рабочем месте."));
  EXPECT_EQ(ReadBags(program.Db()), std::vector<TBagRow>{Bag77});
  EXPECT_EQ(program.GridBags(), QStringList{u"77"_qs});
}

// The table changed under the program (a column renamed by hand) and a bag added: the status
// line says so, no box piles up, and the register catches up once the table is back.
TEST(LiveRegister, ARegisterThatCannotBeReadAgainIsNotedAndTriedAgain) {
  TRunningProgram program({Bag1234});
  const Ui::TForm1& ui = program.Controls();
  ExecuteSql(program.Db(), QStringLiteral("ALTER TABLE Clients RENAME COLUMN \"ФИО\" TO \"Имя\""));
  ExecuteSql(program.Db(), QStringLiteral("INSERT INTO Clients (\"Номер сумки\") VALUES ('2')"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !Note(program).isEmpty(); }, ArrivalMs));
  EXPECT_EQ(Note(program),
            QStringLiteral(
                "Список сумок не обновился, программа попробует снова. В базе данных %1 в таблице "
                "сумок нет столбца «ФИО». Верните столбец или возьмите файл db.mdb этой программы.")
                .arg(program.Db()));
  ExecuteSql(program.Db(), QStringLiteral("ALTER TABLE Clients RENAME COLUMN \"Имя\" TO \"ФИО\""));
  EXPECT_TRUE(QTest::qWaitFor([&] { return Note(program).isEmpty(); }, ArrivalMs))
      << "caught up: the note goes";
  ExecuteSql(program.Db(), QStringLiteral("UPDATE Clients SET \"ФИО\" = 'Сидоров'"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return ui.DBEdit5->text() == u"Сидоров"_qs; }, ArrivalMs));
  EXPECT_TRUE(program.Messages.Boxes.empty());
}

// A refresh that failed is told in the status line; a lost connection without the words of a
// failed action, since the operator did none.
TEST(LiveRegister, AFailedRefreshIsNotedInWordsThatFitABackgroundRefresh) {
  const QString server = QStringLiteral("сервер db1:5432, база inkassatsiya");
  EXPECT_EQ(ResyncFailureNote(EDatabaseError(
                TDatabaseFailure::dfConnectionLost, QStringLiteral("server closed the connection"),
                server, QString(), QStringLiteral("57P01"), TDatabaseKind::dkServer)),
            QStringLiteral("Список сумок не обновился: связь с базой данных (сервер db1:5432, база "
                           "inkassatsiya) прервалась. Программа подключится снова сама."));
  EXPECT_EQ(ResyncFailureNote(EDatabaseError(TDatabaseFailure::dfCannotOpen,
                                             QStringLiteral("connection refused"), server,
                                             QString(), QString(), TDatabaseKind::dkServer)),
            QStringLiteral("Список сумок не обновился, программа попробует снова. Не удалось "
                           "подключиться к базе данных (сервер db1:5432, база inkassatsiya): "
                           "сервер не отвечает или не пускает это рабочее место. Проверьте сеть, "
                           "файл database.ini и пароль в ~/.pgpass, затем повторите."));
}

}  // namespace
