// The main window on a real register file: what start-up shows, the layout, the bound
// controls, the register grid and the exception handler.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFrame>
#include <QHelpEvent>
#include <QToolTip>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include "app/store/ADOTable.h"
#include "app/Application.h"
#include "app/BagFields.h"
#include "app/DataModuleUnit.h"
#include "app/controls/DBComboBox.h"
#include "app/controls/DBEdit.h"
#include "app/controls/DBGrid.h"
#include "app/MainForm.h"
#include "app/controls/PaintBox.h"
#include "app/Reg.h"
#include "app/controls/StringGrid.h"
#include "qr/QRSymbol.h"
#include "tests/app/RunningProgram.h"
#include "ui_MainForm.h"
#include "ui_Reg.h"

namespace {

// Counts the events of one type that reach a widget while it lives.
class TEventCounter : public QObject {
public:
  TEventCounter(QWidget* widget, QEvent::Type type, int& count) : FType(type), FCount(count) {
    widget->installEventFilter(this);
  }

protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == FType) ++FCount;
    return false;
  }

private:
  QEvent::Type FType;
  int& FCount;
};

const TBagRow Bag9 = {QStringLiteral("9"), 1,  QStringLiteral("АО Альфа"), QStringLiteral("1"),
                      QStringLiteral("2"), 32, QStringLiteral("Сидоров")};

TEST(MainWindow, StartUpShowsTheFirstBagItsPayloadAndReceiptName) {
  TRunningProgram program({Bag1234, Bag77});
  TForm1& w = program.Window();
  const Ui::TForm1& ui = w.Controls();
  EXPECT_EQ(ui.DBEdit1->text(), QStringLiteral("1234"));
  EXPECT_EQ(ui.DBEdit6->text(), QStringLiteral("5678"));
  EXPECT_EQ(ui.DBEdit5->text(), QStringLiteral("Иванов И.И."));
  EXPECT_EQ(ui.DBComboBox1->currentText(), QStringLiteral("11"));
  EXPECT_EQ(ui.Label11->text(),
            QStringLiteral("Поступления от реализации платных услуг (выполненных работ)"));
  EXPECT_FALSE(ui.Label11->isVisible());
  EXPECT_EQ(
      w.QRSymbol().Text(),
      QStringLiteral(
          "№ сумки:1234;\r\n№ пакета:5678;\r\nПолучатель:ООО Ромашка;\r\n"
          "Транзитный счет:40702810900000000001;\r\nСумма: руб.;\r\nКассовый символ:11;\r\n"));
  // Every character of the payload is kept: the memo shows it, its lines ended by line feeds.
  EXPECT_EQ(
      ui.mmoEncodedData->toPlainText(),
      QStringLiteral("№ сумки:1234;\n№ пакета:5678;\nПолучатель:ООО Ромашка;\n"
                     "Транзитный счет:40702810900000000001;\nСумма: руб.;\nКассовый символ:11;\n"));
  // 204 bytes with the byte-order mark: version 9 at level L, as segno makes it too.
  EXPECT_EQ(ui.lblQRMetrics->text(), QStringLiteral("61x61 (53x53)"));
  EXPECT_EQ(QApplication::focusWidget(), ui.DBGrid1);
  EXPECT_EQ(ui.DBGrid1->model()->rowCount(), 2);
  EXPECT_EQ(ui.DBGrid1->model()->headerData(0, Qt::Vertical).toString(), QStringLiteral("►"));
  EXPECT_TRUE(program.Messages.Boxes.empty());
}

TEST(MainWindow, AnEmptyRegisterStartsWithoutPayloadAndRefusesDelete) {
  TRunningProgram program(std::vector<TBagRow>{});
  const Ui::TForm1& ui = program.Controls();
  EXPECT_TRUE(ui.mmoEncodedData->toPlainText().isEmpty());
  EXPECT_TRUE(ui.lblQRMetrics->text().isEmpty());
  EXPECT_TRUE(ui.Label11->text().isEmpty());
  program.Click(ui.Button2);
  ASSERT_EQ(program.Messages.Boxes.size(), 1u);
  const TMessageBoxRequest& box = program.Messages.Boxes[0];
  EXPECT_EQ(box.Text, QStringLiteral("Cannot perform this operation on an empty dataset."));
  EXPECT_EQ(box.Caption, QStringLiteral("ТОРВИ Инкассация 2019"));
  EXPECT_EQ(box.Type, TMsgDlgType::mtError);
}

TEST(MainWindow, LayoutCaptionsAndFocusOrderAreTheDesignedOnes) {
  TRunningProgram program({Bag1234});
  TForm1& w = program.Window();
  const Ui::TForm1& ui = w.Controls();
  EXPECT_EQ(w.windowTitle(), QStringLiteral("ТОРВИ Инкассация 2019 — db.mdb"));
  EXPECT_EQ(w.centralWidget()->size(), QSize(778, 547));
  EXPECT_EQ(w.minimumSize(), w.maximumSize()) << "not resizable";
  EXPECT_EQ(w.centralWidget()->y(), ui.MainMenu1->height()) << "client area below the menu";
  // The window grows by the status line under the client area, which keeps its size.
  EXPECT_EQ(ui.StatusBar1->geometry(),
            QRect(0, ui.MainMenu1->height() + 547, 778, ui.StatusBar1->height()));
  EXPECT_EQ(w.size(), QSize(778, ui.MainMenu1->height() + 547 + ui.StatusBar1->height()));
  EXPECT_GT(ui.StatusBar1->height(), 0);
  EXPECT_FALSE(ui.StatusBar1->isSizeGripEnabled());
  EXPECT_EQ(w.font().family(), QStringLiteral("Tahoma"));
  EXPECT_EQ(w.font().pixelSize(), 11);
  EXPECT_EQ(ui.Label2->font().pixelSize(), 15);
  EXPECT_EQ(w.pos(), QPoint(0, 0));

  struct TPlace {
    const char* Name;
    QWidget* Widget;
    QWidget* Parent;
    QRect Geometry;
  };
  QWidget* client = w.centralWidget();
  const TPlace places[] = {
      {"Panel1", ui.Panel1, client, {0, -16, 505, 377}},
      {"Bevel1", ui.Bevel1, ui.Panel1, {8, 24, 249, 329}},
      {"DBEdit1", ui.DBEdit1, client, {128, 24, 121, 21}},
      {"DBEdit6", ui.DBEdit6, ui.Panel1, {126, 72, 121, 21}},
      {"DBEdit2", ui.DBEdit2, client, {128, 88, 121, 21}},
      {"DBEdit3", ui.DBEdit3, client, {128, 120, 121, 21}},
      {"DBEdit4", ui.DBEdit4, client, {128, 152, 121, 21}},
      {"DBComboBox1", ui.DBComboBox1, ui.Panel1, {127, 200, 121, 21}},
      {"DBEdit5", ui.DBEdit5, client, {128, 232, 121, 21}},
      {"Button2", ui.Button2, ui.Panel1, {16, 304, 65, 33}},
      {"Button1", ui.Button1, ui.Panel1, {112, 304, 65, 33}},
      {"Button3", ui.Button3, ui.Panel1, {184, 304, 65, 33}},
      {"pgcQRDetails", ui.pgcQRDetails, ui.Panel1, {264, 24, 233, 294}},
      {"StringGrid1", ui.StringGrid1, client, {505, 0, 273, 361}},
      {"edSearch", ui.edSearch, client, {0, 362, 385, 22}},
      {"lblFound", ui.lblFound, client, {393, 362, 384, 22}},
      {"DBGrid1", ui.DBGrid1, client, {0, 385, 777, 161}},
      {"Label4", ui.Label4, ui.Panel1, {32, 128, 105, 41}},
  };
  for (const TPlace& place : places) {
    EXPECT_EQ(place.Widget->parentWidget(), place.Parent) << place.Name;
    EXPECT_EQ(place.Widget->geometry(), place.Geometry) << place.Name;
  }
  struct TLabel {
    QLabel* Label;
    QPoint Position;
    const char16_t* Caption;
  };
  const TLabel labels[] = {
      {ui.Label2, {24, 40}, u"Номер сумки"}, {ui.Label10, {24, 72}, u"Номер пакета"},
      {ui.Label3, {32, 104}, u"Получатель"}, {ui.Label5, {80, 168}, u"ИНН"},
      {ui.Label7, {64, 200}, u"Символ"},     {ui.Label6, {80, 248}, u"ФИО"}};
  for (const TLabel& label : labels) {
    EXPECT_EQ(label.Label->pos(), label.Position) << label.Label->text().toStdString();
    EXPECT_EQ(label.Label->text(), QString::fromUtf16(label.Caption));
  }
  EXPECT_EQ(ui.Button1->text(), QStringLiteral("Сохранить"));
  EXPECT_EQ(ui.Button2->text(), QStringLiteral("Удалить"));
  EXPECT_EQ(ui.Button3->text(), QStringLiteral("Добавить"));
  EXPECT_EQ(ui.pgcQRDetails->tabText(0), QStringLiteral("просмотр"));
  EXPECT_EQ(ui.pgcQRDetails->tabText(1), QStringLiteral("закодированная информация"));
  EXPECT_EQ(ui.pgcQRDetails->currentIndex(), 0);
  EXPECT_EQ(ui.lblQRMetrics->height(), 13);
  EXPECT_TRUE(ui.mmoEncodedData->isReadOnly());
  EXPECT_EQ(ui.N2->text(), QStringLiteral("Добавить фирму"));
  EXPECT_EQ(ui.N3->text(), QStringLiteral("Экспорт в эксель"));
  EXPECT_EQ(ui.N4->text(), QStringLiteral("Импорт сумок…"));
  EXPECT_EQ(ui.N5->text(), QStringLiteral("История"));
  EXPECT_EQ(ui.N5->shortcut(), QKeySequence(Qt::Key_F8));
  EXPECT_EQ(ui.N6->text(), QStringLiteral("Проверить журнал"));
  EXPECT_EQ(ui.MainMenu1->actions(), (QList<QAction*>{ui.N2, ui.N3, ui.N4, ui.N5, ui.N6}));

  EXPECT_EQ(ui.DBEdit1->toolTip(), QStringLiteral("Является уникальным "));
  EXPECT_EQ(ui.DBEdit3->toolTip(), QStringLiteral("20 цифр"));
  EXPECT_EQ(ui.DBEdit4->toolTip(), QStringLiteral("10 цифр"));
  EXPECT_EQ(
      ui.DBEdit2->toolTip(),
      QStringLiteral("Указывается точное краткое наименование организации (уточняйте в банке)"));
  EXPECT_EQ(ui.DBComboBox1->toolTip(),
            QStringLiteral(
                "2 - Поступления от продажи товаров\r11 - Поступления от реализации платных услуг "
                "(выполненных работ) \r19 - Поступления на счета индивидуальных предпринимателей\r"
                "32 - Прочие поступления"));
  QStringList items;
  for (int i = 0; i < ui.DBComboBox1->count(); ++i) items << ui.DBComboBox1->itemText(i);
  EXPECT_EQ(items, (QStringList{u"   "_qs, u"2"_qs, u"11"_qs, u"19"_qs, u"32"_qs}));
  QHelpEvent hover(QEvent::ToolTip, QPoint(5, 5), ui.DBComboBox1->mapToGlobal(QPoint(5, 5)));
  QApplication::sendEvent(ui.DBComboBox1, &hover);
  EXPECT_EQ(QToolTip::text().count(u'\n'), 3) << "four lines on the screen";
  QToolTip::hideText();
  EXPECT_EQ(ui.DBEdit3->EffectiveMaxLength(), 20);
  EXPECT_EQ(ui.DBEdit1->EffectiveMaxLength(), 50);
  EXPECT_EQ(ui.DBEdit5->EffectiveMaxLength(), 100);
  EXPECT_EQ(ui.DBEdit6->EffectiveMaxLength(), 0);

  const QList<QWidget*> expectedOrder = {
      ui.DBGrid1,      ui.Button1,     ui.DBComboBox1, ui.Button2, ui.Button3,
      ui.pgcQRDetails, ui.DBEdit6,     ui.DBEdit1,     ui.DBEdit2, ui.DBEdit3,
      ui.DBEdit4,      ui.StringGrid1, ui.DBEdit5};
  QList<QWidget*> order;
  for (QWidget* next = ui.DBGrid1; order.size() < expectedOrder.size();
       next = next->nextInFocusChain())
    if (expectedOrder.contains(next)) order << next;
  EXPECT_EQ(order, expectedOrder);

  const QAbstractItemModel* grid = ui.DBGrid1->model();
  QStringList titles;
  for (int column = 0; column < grid->columnCount(); ++column)
    titles << grid->headerData(column, Qt::Horizontal).toString();
  EXPECT_EQ(titles, (QStringList{u"Номер сумки"_qs, u"Номер пакета"_qs, u"Получатель"_qs,
                                 u"Счет"_qs, u"Инн"_qs, u"Символ"_qs, u"ФИО"_qs}));
  EXPECT_TRUE(grid->index(0, 5).data(Qt::TextAlignmentRole).value<Qt::Alignment>() &
              Qt::AlignRight);
  EXPECT_TRUE(grid->index(0, 0).data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignLeft);
  EXPECT_GT(ui.DBGrid1->columnWidth(2), ui.DBGrid1->columnWidth(0)) << "28 characters against 13";
}

TEST(MainWindow, EditedFieldsReachTheFileWhenAnotherRowIsClickedWithoutChecks) {
  TRunningProgram program({Bag1234, Bag77});
  const Ui::TForm1& ui = program.Controls();
  program.TypeOver(ui.DBEdit1, QString());
  program.TypeOver(ui.DBEdit5, QStringLiteral("Ким"));
  program.ClickRow(1);
  EXPECT_TRUE(program.Messages.Boxes.empty());
  const std::vector<TBagRow> bags = ReadBags(program.Db());
  EXPECT_FALSE(bags[0][0].isValid());
  EXPECT_EQ(bags[0][6], QVariant(QStringLiteral("Ким")));
  EXPECT_EQ(ui.DBEdit1->text(), QStringLiteral("77"));
  EXPECT_EQ(ui.Label11->text(),
            QStringLiteral("Поступления на счета индивидуальных предпринимателей"));
  EXPECT_TRUE(ui.mmoEncodedData->toPlainText().startsWith(QStringLiteral("№ сумки:77;")));
  EXPECT_EQ(ui.DBGrid1->currentIndex().row(), 1);
  EXPECT_EQ(ui.DBGrid1->model()->headerData(1, Qt::Vertical).toString(), QStringLiteral("►"));
  const int column = ui.DBGrid1->currentIndex().column();
  QTest::keyClick(ui.DBGrid1, Qt::Key_Tab);
  EXPECT_EQ(ui.DBGrid1->currentIndex().column(), column + 1) << "Tab moves between columns";
  EXPECT_EQ(QApplication::focusWidget(), ui.DBGrid1);
  EXPECT_EQ(program.Register().RecNo(), 1);
}

TEST(MainWindow, ASymbolOtherThan2_11_19LeavesTheReceiptNameAsItWas) {
  TRunningProgram program({Bag1234, Bag9, TBagRow(7)});
  const Ui::TForm1& ui = program.Controls();
  const QString name11 = ui.Label11->text();
  program.ClickRow(1);
  EXPECT_EQ(ui.Label11->text(), name11) << "32";
  program.ClickRow(2);
  EXPECT_EQ(ui.Label11->text(), name11) << "no symbol";
  EXPECT_EQ(ui.DBComboBox1->currentIndex(), -1);
}

TEST(MainWindow, CtrlDeleteInTheGridAsksAndDeletesOnlyOnOk) {
  TRunningProgram program({Bag1234, Bag77});
  const Ui::TForm1& ui = program.Controls();
  program.ClickRow(0);
  program.Messages.Answers = {TModalResult::mrCancel};
  QTest::keyClick(ui.DBGrid1, Qt::Key_Delete, Qt::ControlModifier);
  ASSERT_EQ(program.Messages.Boxes.size(), 1u);
  EXPECT_EQ(program.Messages.Boxes[0].Text, QStringLiteral("Delete record?"));
  EXPECT_EQ(program.Messages.Boxes[0].Buttons, TMsgDlgButtons::mbOKCancel);
  EXPECT_EQ(program.Messages.Boxes[0].Type, TMsgDlgType::mtConfirmation);
  EXPECT_EQ(ReadBags(program.Db()).size(), 2u);

  QTest::keyClick(ui.DBGrid1, Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(ReadBags(program.Db()), std::vector<TBagRow>{Bag77});
  EXPECT_EQ(ui.DBEdit1->text(), QStringLiteral("77"));
  EXPECT_EQ(ui.DBGrid1->model()->rowCount(), 1);
}

TEST(MainWindow, AddTwiceGivesOneNewRecordThatLeavingTheGridUntouchedDrops) {
  TRunningProgram program({Bag1234, Bag77});
  const Ui::TForm1& ui = program.Controls();
  program.ClickRow(1);
  program.Click(ui.Button3);
  program.Click(ui.Button3);
  EXPECT_EQ(ui.DBGrid1->model()->rowCount(), 3);
  EXPECT_EQ(ui.DBGrid1->currentIndex().row(), 1) << "inserted at the current position";
  EXPECT_EQ(ui.DBGrid1->model()->headerData(1, Qt::Vertical).toString(), QStringLiteral("*"));
  EXPECT_TRUE(ui.DBEdit1->text().isEmpty());
  program.ClickRow(1);
  program.Click(ui.DBEdit1);
  EXPECT_EQ(ui.DBGrid1->model()->rowCount(), 2);
  EXPECT_EQ(ui.DBEdit1->text(), QStringLiteral("77"));
  EXPECT_EQ(ReadBags(program.Db()).size(), 2u);
}

TEST(MainWindow, DeleteDropsANewRecordAndRemovesAnExistingOneAtOnce) {
  TRunningProgram program({Bag1234, Bag77});
  const Ui::TForm1& ui = program.Controls();
  program.Click(ui.Button3);
  program.Click(ui.Button2);
  EXPECT_EQ(ui.DBGrid1->model()->rowCount(), 2);
  EXPECT_EQ(ui.DBEdit1->text(), QStringLiteral("1234"));
  program.Click(ui.Button2);
  EXPECT_EQ(ReadBags(program.Db()), std::vector<TBagRow>{Bag77});
  EXPECT_TRUE(program.Messages.Boxes.empty());
}

TEST(MainWindow, OnlyTheBagRecipientAndAccountEditorsRefreshThePayloadAsTyped) {
  TRunningProgram program({Bag1234});
  const Ui::TForm1& ui = program.Controls();
  const auto memo = [&] { return ui.mmoEncodedData->toPlainText(); };
  QString before = memo();
  program.Click(ui.DBEdit6);
  Type(ui.DBEdit6, QStringLiteral("9"));
  EXPECT_EQ(memo(), before) << "package number";
  program.Click(ui.DBEdit5);
  Type(ui.DBEdit5, QStringLiteral("ж"));
  EXPECT_EQ(memo(), before) << "full name";
  for (TDBEdit* edit : {ui.DBEdit1, ui.DBEdit2, ui.DBEdit3}) {
    program.Click(edit);
    QTest::keyClick(edit, Qt::Key_End);
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_NE(memo(), before) << edit->DataField().toStdString();
    before = memo();
  }
  EXPECT_TRUE(memo().contains(QStringLiteral("№ пакета:56789;")))
      << "the package number arrives with the next refresh";
}

TEST(MainWindow, ASaveRefusedForAChangeElsewhereOffersToReloadTheBagOrKeepEditing) {
  TRunningProgram program({Bag1234});
  const Ui::TForm1& ui = program.Controls();
  program.TypeOver(ui.DBEdit2, QStringLiteral("ИП Сидоров"));
  ExecuteSql(program.Db(), QStringLiteral("UPDATE Clients SET \"ФИО\" = 'Другой'"));
  program.Messages.Answers = {TModalResult::mrCancel};
  program.Click(ui.Button1);
  ASSERT_EQ(program.Messages.Boxes.size(), 1u);
  const TMessageBoxRequest box = program.Messages.Boxes[0];
  EXPECT_EQ(box.Text,
            QStringLiteral(
                "Эту сумку изменили на другом рабочем месте, пока вы её правили: ваши изменения "
                "не сохранены.\nЗагрузить сохранённые данные сумки (всё набранное пропадёт) "
                "или продолжить правку?"));
  EXPECT_EQ(box.Caption, QStringLiteral("ТОРВИ Инкассация 2019"));
  EXPECT_EQ(box.Type, TMsgDlgType::mtWarning);
  EXPECT_EQ(box.Buttons, TMsgDlgButtons::mbOKCancel);
  EXPECT_EQ(box.ButtonCaptions, (QStringList{u"Загрузить"_qs, u"Продолжить правку"_qs}));
  EXPECT_EQ(box.Default, TModalResult::mrCancel) << "Enter keeps the typing";
  // Keep editing: nothing of the typing is lost.
  EXPECT_EQ(program.Register().State(), TDataSetState::dsEdit);
  EXPECT_EQ(ui.DBEdit2->text(), QStringLiteral("ИП Сидоров"));

  // "Добавить" meets the same refusal; this time the bag is reloaded, and then it adds.
  program.Click(ui.Button3);
  ASSERT_EQ(program.Messages.Boxes.size(), 2u);
  EXPECT_EQ(program.Messages.Boxes[1].Text, box.Text);
  EXPECT_EQ(program.Register().State(), TDataSetState::dsBrowse);
  EXPECT_EQ(ui.DBEdit2->text(), QStringLiteral("ООО Ромашка"));
  EXPECT_EQ(ui.DBEdit5->text(), QStringLiteral("Другой"));
  program.Click(ui.Button3);
  EXPECT_EQ(program.Register().State(), TDataSetState::dsInsert);
  EXPECT_EQ(program.Messages.Boxes.size(), 2u);
  const TBagRow stored = ReadBags(program.Db())[0];
  EXPECT_EQ(stored[2], QVariant(QStringLiteral("ООО Ромашка")));
  EXPECT_EQ(stored[6], QVariant(QStringLiteral("Другой")));
}

TEST(MainWindow, ABagDeletedElsewhereKeepsTheTypingUntilTheOperatorLetsItLeaveTheRegister) {
  struct TWayOut {
    const char* Name;
    void (*Act)(TRunningProgram& program);
    int Boxes;  // in all, the first refusal included
  };
  const TWayOut ways[] = {
      {"Убрать из списка at the next click",
       [](TRunningProgram& program) {
         program.Messages.Answers = {TModalResult::mrOk};
         program.ClickRow(1);
       },
       2},
      {"Убрать из списка at the next arrow key",
       [](TRunningProgram& program) {
         program.Messages.Answers = {TModalResult::mrOk};
         QTest::keyClick(program.Controls().DBGrid1, Qt::Key_Down);
       },
       2},
      {"Escape in the register",
       [](TRunningProgram& program) {
         QTest::keyClick(program.Controls().DBGrid1, Qt::Key_Escape);
       },
       1},
      {"Escape in the account editor",
       [](TRunningProgram& program) {
         program.Click(program.Controls().DBEdit3);
         QTest::keyClick(program.Controls().DBEdit3, Qt::Key_Escape);
       },
       1},
  };
  for (const TWayOut& way : ways) {
    SCOPED_TRACE(way.Name);
    TRunningProgram program({Bag1234, Bag77});
    const Ui::TForm1& ui = program.Controls();
    program.TypeOver(ui.DBEdit5, QStringLiteral("Ким"));
    ExecuteSql(program.Db(), QStringLiteral("DELETE FROM Clients WHERE \"Номер сумки\" = '1234'"));
    program.Messages.Answers = {TModalResult::mrCancel};
    program.ClickRow(1);
    ASSERT_EQ(program.Messages.Boxes.size(), 1u);
    EXPECT_EQ(
        program.Messages.Boxes[0].Text,
        QStringLiteral(
            "Эту сумку удалили на другом рабочем месте, пока вы её правили: ваши изменения не "
            "сохранены.\nУбрать сумку из списка (всё набранное пропадёт) или продолжить правку?"));
    EXPECT_EQ(program.Messages.Boxes[0].ButtonCaptions,
              (QStringList{u"Убрать из списка"_qs, u"Продолжить правку"_qs}));
    EXPECT_EQ(ui.DBGrid1->currentIndex().row(), 0);
    EXPECT_EQ(program.Register().State(), TDataSetState::dsEdit);
    EXPECT_EQ(ui.DBEdit5->text(), QStringLiteral("Ким"));
    EXPECT_EQ(ui.DBGrid1->model()->headerData(0, Qt::Vertical).toString(), QStringLiteral("I"));

    way.Act(program);
    EXPECT_EQ(program.Messages.Boxes.size(), std::size_t(way.Boxes));
    EXPECT_EQ(ui.DBGrid1->model()->rowCount(), 1);
    EXPECT_EQ(ui.DBGrid1->currentIndex().row(), 0);
    EXPECT_EQ(program.Register().State(), TDataSetState::dsBrowse);
    EXPECT_EQ(ui.DBEdit1->text(), QStringLiteral("77"));
    EXPECT_EQ(ui.DBEdit5->text(), QString());
    EXPECT_EQ(ReadBags(program.Db()), std::vector<TBagRow>{Bag77});
  }
}

TEST(MainWindow, DeletingABagChangedElsewhereShowsItsNewValuesInsteadAndThenDeletes) {
  TRunningProgram program({Bag1234, Bag77});
  const Ui::TForm1& ui = program.Controls();
  ExecuteSql(program.Db(),
             QStringLiteral(
                 "UPDATE Clients SET \"Получатель\" = 'ООО Лютик' WHERE \"Номер сумки\" = '1234'"));
  program.Click(ui.Button2);
  ASSERT_EQ(program.Messages.Boxes.size(), 1u);
  EXPECT_EQ(program.Messages.Boxes[0].Text,
            QStringLiteral("Эту сумку изменили на другом рабочем месте, поэтому она "
                           "не удалена. Проверьте её новые данные и удалите снова, "
                           "если нужно."));
  EXPECT_EQ(program.Messages.Boxes[0].Buttons, TMsgDlgButtons::mbOK);
  EXPECT_EQ(ui.DBEdit2->text(), QStringLiteral("ООО Лютик"));
  EXPECT_EQ(ReadBags(program.Db()).size(), 2u);
  program.Click(ui.Button2);
  EXPECT_EQ(ReadBags(program.Db()), std::vector<TBagRow>{Bag77});
  EXPECT_EQ(program.Messages.Boxes.size(), 1u);
}

// Another desk holds the file for a while: the save waits for it with the wait cursor, the
// window goes on repainting meanwhile, and the save then goes through.
TEST(MainWindow, ASaveWaitingForAnotherDesksLockKeepsTheWindowPaintedAndThenSaves) {
  TRunningProgram program({Bag1234});
  const Ui::TForm1& ui = program.Controls();
  program.TypeOver(ui.DBEdit2, QStringLiteral("ИП Сидоров"));
  TWriteLock lock(program.Db());
  int paints = 0;
  TEventCounter counter(ui.pbPreview, QEvent::Paint, paints);
  // Ticks come only while the wait lets the event loop run; a few of them, then the other desk
  // is done.
  int waitingTicks = 0;
  int paintsDuring = 0;
  Qt::CursorShape cursor = Qt::ArrowCursor;
  QTimer tick;
  QObject::connect(&tick, &QTimer::timeout, [&] {
    const QCursor* shown = QApplication::overrideCursor();
    if (!shown || waitingTicks == 6) return;
    cursor = shown->shape();
    ++waitingTicks;
    if (waitingTicks == 2) {
      paintsDuring = -paints;
      ui.pbPreview->update();
    } else if (waitingTicks == 6) {
      paintsDuring += paints;
      lock.Release();
    }
  });
  tick.start(50);
  program.Click(ui.Button1);
  tick.stop();
  EXPECT_EQ(waitingTicks, 6);
  EXPECT_EQ(cursor, Qt::WaitCursor);
  EXPECT_GT(paintsDuring, 0);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_TRUE(program.Messages.Boxes.empty());
  EXPECT_EQ(ReadBags(program.Db())[0][2], QVariant(QStringLiteral("ИП Сидоров")));
}

// Another desk holds the file longer than a save may wait: the save gives up after the busy
// time-out (5 s) with the window painted meanwhile, says the register is busy, and keeps the
// typing for the next save.
TEST(MainWindow, ASaveToAFileLockedLongerThanItMayWaitSaysItIsBusyAndKeepsTheTyping) {
  TRunningProgram program({Bag1234});
  const Ui::TForm1& ui = program.Controls();
  program.TypeOver(ui.DBEdit2, QStringLiteral("ИП Сидоров"));
  TWriteLock lock(program.Db());
  QElapsedTimer clock;
  clock.start();
  {
    const TWaitWatch watch(ui.pbPreview);
    program.Click(ui.Button1);
    EXPECT_GT(watch.Ticks(), 50);
    EXPECT_GT(watch.Paints(), 0);
  }
  EXPECT_GE(clock.elapsed(), 5000);
  EXPECT_LT(clock.elapsed(), 8000);
  EXPECT_EQ(program.Messages.Texts(),
            QStringList{QStringLiteral("База данных %1 занята другой программой или другим "
                                       "рабочим местом. Подождите немного и повторите "
                                       "действие.\ndatabase is locked.")
                            .arg(program.Db())});
  EXPECT_EQ(program.Register().State(), TDataSetState::dsEdit);
  EXPECT_EQ(ui.DBEdit2->text(), QStringLiteral("ИП Сидоров"));

  lock.Release();
  program.Click(ui.Button1);
  EXPECT_EQ(program.Messages.Boxes.size(), 1u);
  EXPECT_EQ(ReadBags(program.Db())[0][2], QVariant(QStringLiteral("ИП Сидоров")));
}

TEST(MainWindow, ACountTypedIntoTheDenominationGridReachesTheTotalAndThePayload) {
  TRunningProgram program({Bag1234});
  const Ui::TForm1& ui = program.Controls();
  program.Click(ui.StringGrid1);
  ui.StringGrid1->SetCurrentCell(2, 1);
  QTest::keyClicks(ui.StringGrid1, QStringLiteral("3x"));
  EXPECT_EQ(ui.StringGrid1->Cells(2, 1), QStringLiteral("3"));
  EXPECT_EQ(ui.StringGrid1->Cells(3, 16), QStringLiteral("15000"));
  EXPECT_TRUE(ui.mmoEncodedData->toPlainText().contains(QStringLiteral("Сумма:15000 руб.;")));
  ui.StringGrid1->SetCurrentCell(3, 1);
  EXPECT_FALSE(ui.StringGrid1->Editing()) << "sums are not edited";
}

TEST(MainWindow, ExportWithoutAFirmNameOnlyAsksForTheFirm) {
  TRunningProgram program({Bag1234});
  const Ui::TForm1& ui = program.Controls();
  ui.N3->trigger();
  EXPECT_EQ(program.Messages.Texts(), QStringList{QStringLiteral("Добавьте фирму")});
  EXPECT_EQ(program.Messages.Boxes[0].Caption, QStringLiteral("ТОРВИ Инкассация 2019"));
  EXPECT_EQ(program.Dir.Files(), QStringList{QStringLiteral("db.mdb")});
}

// A bag number of 3000 characters, written by another program, fits no QR version.
TEST(MainWindow, ARecordThatFitsNoSymbolShowsNoneStillSavesAndIsNotExported) {
  const TBagRow oversized = {QString(3000, u'8'),
                             1,
                             QStringLiteral("АО Альфа"),
                             QStringLiteral("40702810900000000003"),
                             QStringLiteral("7701234567"),
                             2,
                             QVariant()};
  TRunningProgram program({Bag1234, oversized});
  TForm1& w = program.Window();
  const Ui::TForm1& ui = w.Controls();
  program.ClickRow(1);
  EXPECT_TRUE(program.Messages.Boxes.empty());
  EXPECT_EQ(w.QRSymbol().SymbolSize(), 0);
  EXPECT_EQ(ui.lblQRMetrics->text(), QStringLiteral("Данные не помещаются в QR-код"));
  EXPECT_TRUE(ui.mmoEncodedData->toPlainText().isEmpty());
  const QImage preview = ui.pbPreview->grab().toImage();
  for (int y = 0; y < preview.height(); ++y)
    for (int x = 0; x < preview.width(); ++x)
      ASSERT_EQ(preview.pixel(x, y), qRgb(255, 255, 255)) << x << "," << y;

  program.TypeOver(ui.DBEdit5, QStringLiteral("Ким"));
  program.Click(ui.Button1);
  EXPECT_TRUE(program.Messages.Boxes.empty());
  EXPECT_EQ(ReadBags(program.Db())[1][6], QVariant(QStringLiteral("Ким")));

  program.Forms.Form4->Controls().Edit1->setText(QStringLiteral("ООО Ромашка"));
  program.Click(ui.StringGrid1);
  ui.StringGrid1->SetCurrentCell(2, 1);
  QTest::keyClicks(ui.StringGrid1, QStringLiteral("3"));
  ui.N3->trigger();
  EXPECT_EQ(program.Messages.Texts(),
            QStringList{
                QStringLiteral("Данные этой сумки не помещаются в QR-код, экспорт отменён.\n"
                               "Сократите номер сумки, получателя или счет и повторите экспорт.")});
  EXPECT_EQ(program.Dir.Files(), QStringList{QStringLiteral("db.mdb")});

  program.ClickRow(0);
  EXPECT_EQ(w.QRSymbol().SymbolSize(), 61);
  EXPECT_EQ(ui.lblQRMetrics->text(), QStringLiteral("61x61 (53x53)"));
}

// An object whose event handler fails, to reach the application-wide handler.
class TFailingObject : public QObject {
public:
  bool event(QEvent*) override { throw std::runtime_error("Нет связи"); }
};

TEST(MainWindow, AnExceptionLeavingAnyHandlerIsShownWithAFullStopAndTheProgramGoesOn) {
  TMessageRecorder messages;
  TFailingObject failing;
  QEvent event(QEvent::User);
  EXPECT_FALSE(QCoreApplication::sendEvent(&failing, &event));
  ASSERT_EQ(messages.Boxes.size(), 1u);
  EXPECT_EQ(messages.Boxes[0].Text, QStringLiteral("Нет связи."));
  EXPECT_EQ(messages.Boxes[0].Caption, QStringLiteral("ТОРВИ Инкассация 2019"));
  EXPECT_EQ(messages.Boxes[0].Type, TMsgDlgType::mtError);
  EXPECT_EQ(messages.Boxes[0].Buttons, TMsgDlgButtons::mbOK);

  const std::pair<QString, QString> cases[] = {{u"abc"_qs, u"abc."_qs},  {u"5"_qs, u"5."_qs},
                                               {u"end."_qs, u"end."_qs}, {u"done!"_qs, u"done!"_qs},
                                               {u"(x)"_qs, u"(x)"_qs},   {QString(), QString()}};
  for (const auto& [message, shown] : cases)
    EXPECT_EQ(WithFullStop(message), shown) << message.toStdString();
}

}  // namespace
