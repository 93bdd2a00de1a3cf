// Editing a bag: the save checks, the key filters and the cash-symbol list, checked through
// real key and mouse events and then in the register file itself (the checks' own table is
// SaveChecksTest).
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

#include "app/BagFields.h"
#include "app/controls/DBComboBox.h"
#include "app/controls/DBEdit.h"
#include "app/MainForm.h"
#include "app/Reg.h"
#include "qr/QRSymbol.h"
#include "app/store/ADOTable.h"
#include "app/store/Field.h"
#include "tests/app/RunningProgram.h"
#include "tests/support/DecimalSeparator.h"
#include "texts/NumberFormat.h"
#include "ui_MainForm.h"
#include "ui_Reg.h"

namespace {

const TBagRow Stored = {QStringLiteral("1234"),        5678,
                        QStringLiteral("ООО Ромашка"), QStringLiteral("40702810900000000001"),
                        QStringLiteral("7701234567"),  2,
                        QStringLiteral("Иванов И.И.")};
const QVariant Null;

using TEditor = TDBEdit* Ui::TForm1::*;

struct TSaveScenario {
  const char* Name;
  bool AddFirst;                                   // "Добавить" before typing
  std::vector<std::pair<TEditor, QString>> Typed;  // typed over the editor's text, in order
  QStringList Messages;                            // the boxes, in order
  QWidget* (*FocusAtEnd)(const Ui::TForm1&);
  std::vector<TBagRow> Rows;  // the file afterwards
};

TEST(Editing, SaveWarnsInTheCheckOrderMovesTheFocusAndAlwaysSaves) {
  const QString sep = DecimalSeparator();
  const std::vector<TSaveScenario> scenarios = {
      {"nothing changed",
       false,
       {},
       {},
       [](const Ui::TForm1& ui) -> QWidget* { return ui.Button1; },
       {Stored}},
      {"new record with only the full name",
       true,
       {{&Ui::TForm1::DBEdit5, QStringLiteral("Петров")}},
       {u"Введите номер сумки"_qs, u"Введите номер сейф-пакета"_qs, u"Проверьте номер счета"_qs,
        u"Проверьте номер ИНН"_qs, u"Введите получателя"_qs},
       [](const Ui::TForm1& ui) -> QWidget* { return ui.DBEdit2; },
       {Stored, {Null, Null, Null, Null, Null, Null, u"Петров"_qs}}},
      {"complete new record",
       true,
       {{&Ui::TForm1::DBEdit1, u"A-15"_qs},
        {&Ui::TForm1::DBEdit6, u"-42"_qs},
        {&Ui::TForm1::DBEdit2, u"ИП Кузнецов"_qs},
        {&Ui::TForm1::DBEdit3, u"40802810000000000099"_qs},
        {&Ui::TForm1::DBEdit4, u"5001007322"_qs},
        {&Ui::TForm1::DBEdit5, u"Кузнецов"_qs}},
       {},
       [](const Ui::TForm1& ui) -> QWidget* { return ui.Button1; },
       {Stored,
        {u"A-15"_qs, -42, u"ИП Кузнецов"_qs, u"40802810000000000099"_qs, u"5001007322"_qs, Null,
         u"Кузнецов"_qs}}},
      {"account of 19 digits",
       false,
       {{&Ui::TForm1::DBEdit3, u"4070281090000000000"_qs}},
       {u"Проверьте номер счета"_qs},
       [](const Ui::TForm1& ui) -> QWidget* { return ui.Button1; },
       {{u"1234"_qs, 5678, u"ООО Ромашка"_qs, u"4070281090000000000"_qs, u"7701234567"_qs, 2,
         u"Иванов И.И."_qs}}},
      {"account of 20 characters with the decimal separator",
       false,
       {{&Ui::TForm1::DBEdit3, u"4070281090000000000"_qs + sep}},
       {},
       [](const Ui::TForm1& ui) -> QWidget* { return ui.Button1; },
       {{u"1234"_qs, 5678, u"ООО Ромашка"_qs, u"4070281090000000000"_qs + sep, u"7701234567"_qs, 2,
         u"Иванов И.И."_qs}}},
      {"INN of 12 digits",
       false,
       {{&Ui::TForm1::DBEdit4, u"770123456789"_qs}},
       {u"Проверьте номер ИНН"_qs},
       [](const Ui::TForm1& ui) -> QWidget* { return ui.Button1; },
       {{u"1234"_qs, 5678, u"ООО Ромашка"_qs, u"40702810900000000001"_qs, u"770123456789"_qs, 2,
         u"Иванов И.И."_qs}}},
      {"bag number cleared",
       false,
       {{&Ui::TForm1::DBEdit1, QString()}},
       {u"Введите номер сумки"_qs},
       [](const Ui::TForm1& ui) -> QWidget* { return ui.DBEdit1; },
       {{Null, 5678, u"ООО Ромашка"_qs, u"40702810900000000001"_qs, u"7701234567"_qs, 2,
         u"Иванов И.И."_qs}}},
      {"package number and recipient cleared",
       false,
       {{&Ui::TForm1::DBEdit6, QString()}, {&Ui::TForm1::DBEdit2, QString()}},
       {u"Введите номер сейф-пакета"_qs, u"Введите получателя"_qs},
       [](const Ui::TForm1& ui) -> QWidget* { return ui.DBEdit2; },
       {{u"1234"_qs, Null, Null, u"40702810900000000001"_qs, u"7701234567"_qs, 2,
         u"Иванов И.И."_qs}}},
  };
  for (const TSaveScenario& scenario : scenarios) {
    SCOPED_TRACE(scenario.Name);
    TRunningProgram program({Stored});
    const Ui::TForm1& ui = program.Controls();
    if (scenario.AddFirst) program.Click(ui.Button3);
    for (const auto& [editor, text] : scenario.Typed) program.TypeOver(ui.*editor, text);
    program.Click(ui.Button1);
    EXPECT_EQ(program.Messages.Texts(), scenario.Messages);
    for (const TMessageBoxRequest& box : program.Messages.Boxes) {
      EXPECT_EQ(box.Caption, QStringLiteral("ТОРВИ Инкассация 2019"));
      EXPECT_EQ(box.Buttons, TMsgDlgButtons::mbOK);
    }
    EXPECT_EQ(QApplication::focusWidget(), scenario.FocusAtEnd(ui));
    EXPECT_EQ(ReadBags(program.Db()), scenario.Rows);
    EXPECT_EQ(program.Register().State(), TDataSetState::dsBrowse);
  }
}

TEST(Editing, SaveRefreshesThePayloadBeforePostingAndThenTheReceiptName) {
  TRunningProgram program({Stored});
  const Ui::TForm1& ui = program.Controls();
  program.TypeOver(ui.DBEdit6, QStringLiteral("99"));
  EXPECT_FALSE(ui.mmoEncodedData->toPlainText().contains(QStringLiteral("№ пакета:99;")));
  program.Click(ui.Button1);
  EXPECT_TRUE(ui.mmoEncodedData->toPlainText().contains(QStringLiteral("№ пакета:99;")));
  EXPECT_EQ(ReadBags(program.Db())[0][1], QVariant(qint64(99)));
}

TEST(Editing, AccountAndInnTakeDigitsBackspaceAndTheDecimalSeparatorOnly) {
  for (const QChar separator : {QChar(u','), QChar(u'.')}) {
    const TDecimalSeparator guard(separator);
    TRunningProgram program({Stored});
    const Ui::TForm1& ui = program.Controls();
    QApplication::clipboard()->setText(QStringLiteral("555"));
    for (TDBEdit* edit : {ui.DBEdit3, ui.DBEdit4}) {
      SCOPED_TRACE(edit->DataField().toStdString() + " with " + QString(separator).toStdString());
      program.TypeOver(edit, QStringLiteral("1a2,3.4 -+ж"));
      EXPECT_EQ(edit->text(),
                separator == u',' ? QStringLiteral("12,34") : QStringLiteral("123.4"));
      QTest::keyClick(edit, Qt::Key_Backspace);
      QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
      QTest::keyClick(edit, Qt::Key_X, Qt::ControlModifier);
      EXPECT_EQ(edit->text(), separator == u',' ? QStringLiteral("12,3") : QStringLiteral("123."));
      // Keys that type nothing still work.
      QTest::keyClick(edit, Qt::Key_Home);
      QTest::keyClick(edit, Qt::Key_Delete);
      QTest::keyClick(edit, Qt::Key_End);
      QTest::keyClick(edit, Qt::Key_Left);
      QTest::keyClick(edit, Qt::Key_Delete);
      EXPECT_EQ(edit->text(), separator == u',' ? QStringLiteral("2,") : QStringLiteral("23"));
    }
    EXPECT_TRUE(program.Messages.Boxes.empty());
  }
}

TEST(Editing, EscapeRestoresTheEditorsValueThenTheWholeRecordsAndPasteWorksInTheOtherEditors) {
  TRunningProgram program({Stored});
  const Ui::TForm1& ui = program.Controls();
  for (TDBEdit* edit : {ui.DBEdit1, ui.DBEdit3, ui.DBEdit4}) {
    program.TypeOver(edit, QStringLiteral("99"));
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_EQ(edit->text(),
              FieldDisplayText(Stored[program.Register().FieldIndex(edit->DataField())]))
        << edit->DataField().toStdString();
  }
  // The full name is stored into the record as the focus leaves it: the first Escape in the
  // account editor forgets the account, the second the whole record's changes.
  program.TypeOver(ui.DBEdit5, QStringLiteral("Ким"));
  program.TypeOver(ui.DBEdit3, QStringLiteral("123"));
  QTest::keyClick(ui.DBEdit3, Qt::Key_Escape);
  EXPECT_EQ(ui.DBEdit3->text(), QStringLiteral("40702810900000000001"));
  EXPECT_EQ(ui.DBEdit5->text(), QStringLiteral("Ким"));
  QTest::keyClick(ui.DBEdit3, Qt::Key_Escape);
  EXPECT_EQ(ui.DBEdit5->text(), QStringLiteral("Иванов И.И."));
  EXPECT_EQ(program.Register().State(), TDataSetState::dsBrowse);
  EXPECT_TRUE(program.Messages.Boxes.empty());
  EXPECT_EQ(ReadBags(program.Db()), std::vector<TBagRow>{Stored});

  QApplication::clipboard()->setText(QStringLiteral("-7"));
  program.Click(ui.DBEdit1);
  ui.DBEdit1->selectAll();
  QTest::keyClick(ui.DBEdit1, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(ui.DBEdit1->text(), QStringLiteral("-7"));
  program.Click(ui.Button1);
  EXPECT_EQ(ReadBags(program.Db())[0][0], QVariant(QStringLiteral("-7")));
}

// Shift+Insert pastes even where Ctrl+V is swallowed; the paste keeps what the editor admits,
// counts characters as the register does (an emoji is one) and never cuts inside one; the
// status line says what did not fit.
TEST(Editing, APasteKeepsWhatTheEditorsFilterAdmitsAndWhatFits) {
  const TDecimalSeparator comma(u',');
  const QString emoji = QString::fromUcs4(U"\U0001F600");
  const struct {
    const char* Name;
    TEditor Editor;
    QString Clipboard;
    QString Pasted;
    QString Note;  // the status line afterwards
  } cases[] = {
      {"account with blanks", &Ui::TForm1::DBEdit3, u"40702 810 9 0000 0000007"_qs,
       u"40702810900000000007"_qs, QString()},
      {"account of 22 digits", &Ui::TForm1::DBEdit3, u"4070281090000000000299"_qs,
       u"40702810900000000002"_qs,
       u"Вставлено не всё: поле «Счет» вмещает 20 символов, не поместилось: 2 символа."_qs},
      {"account with the separator", &Ui::TForm1::DBEdit3, u"40702.810,9"_qs, u"40702810,9"_qs,
       QString()},
      {"INN with a label and a hyphen", &Ui::TForm1::DBEdit4, u"ИНН 5001-007322"_qs,
       u"5001007322"_qs, QString()},
      {"bag number past its 50 characters", &Ui::TForm1::DBEdit1, QString(60, u'7'),
       QString(50, u'7'),
       u"Вставлено не всё: поле «Номер сумки» вмещает 50 символов, не поместилось: 10 символов."_qs},
      {"49 letters and an emoji: 50 characters", &Ui::TForm1::DBEdit1, QString(49, u'ж') + emoji,
       QString(49, u'ж') + emoji, QString()},
      {"30 emoji", &Ui::TForm1::DBEdit1, emoji.repeated(30), emoji.repeated(30), QString()},
      {"50 letters and an emoji: cut before the emoji", &Ui::TForm1::DBEdit1,
       QString(50, u'ж') + emoji, QString(50, u'ж'),
       u"Вставлено не всё: поле «Номер сумки» вмещает 50 символов, не поместилось: 1 символ."_qs},
      {"package number with blanks", &Ui::TForm1::DBEdit6, u"12 345 руб."_qs, u"12345"_qs,
       QString()},
      {"recipient of two lines", &Ui::TForm1::DBEdit2, u"ООО\r\nРомашка\n"_qs,
       u"ООО Ромашка"_qs, QString()},
      {"full name with a tab, a CR and a NUL", &Ui::TForm1::DBEdit5,
       u"\tИванов\tИ.\rИ.\0Ким"_qs, u"Иванов И. И. Ким"_qs, QString()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TRunningProgram program({Stored});
    TDBEdit* edit = program.Controls().*c.Editor;
    QApplication::clipboard()->setText(c.Clipboard);
    program.Click(edit);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(edit->text(), c.Pasted);
    EXPECT_EQ(program.Controls().StatusBar1->currentMessage(), c.Note);
    program.Click(program.Controls().Button1);
    const int field = program.Register().FieldIndex(edit->DataField());
    EXPECT_EQ(FieldDisplayText(ReadBags(program.Db())[0][field]), c.Pasted);
  }
}

// A value another program stored longer than its field is shown whole and is never cut: left
// alone it is written back whole when another field is saved; edited, it is refused with the
// field and its limit named until the operator shortens it.
TEST(Editing, AStoredValueLongerThanItsFieldIsShownWholeAndNeverCutWhenSaved) {
  const struct {
    const char* Name;
    TEditor Editor;
    TEditor Other;  // an editor whose change is saved meanwhile
    int Size;
    int Stored;
  } cases[] = {
      {"recipient", &Ui::TForm1::DBEdit2, &Ui::TForm1::DBEdit5, 255, 1500},
      {"bag number", &Ui::TForm1::DBEdit1, &Ui::TForm1::DBEdit2, 50, 60},
      {"full name", &Ui::TForm1::DBEdit5, &Ui::TForm1::DBEdit1, 100, 120},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TRunningProgram program({Stored});
    const Ui::TForm1& ui = program.Controls();
    TDBEdit* edit = ui.*c.Editor;
    const int field = program.Register().FieldIndex(edit->DataField());
    const QString stored = QString(c.Stored, u'Ж');
    ExecuteSql(program.Db(), QStringLiteral("UPDATE Clients SET \"%1\" = '%2'")
                                 .arg(edit->DataField(), stored));
    ASSERT_TRUE(QTest::qWaitFor([&] { return edit->text() == stored; }, 5000));

    program.TypeOver(ui.*c.Other, u"77"_qs);
    program.Click(ui.Button1);
    EXPECT_TRUE(program.Messages.Boxes.empty());
    EXPECT_EQ(FieldDisplayText(ReadBags(program.Db())[0][field]), stored) << "left alone";

    // One letter typed over the last: the box names the field and its limit, nothing is cut.
    program.Click(edit);
    edit->setSelection(stored.size() - 1, 1);
    Type(edit, u"Я"_qs);
    const QString edited = QString(c.Stored - 1, u'Ж') + u'Я';
    EXPECT_EQ(edit->text(), edited);
    program.Click(ui.Button1);
    EXPECT_EQ(program.Messages.Texts(),
              QStringList{QStringLiteral("В поле «%1» помещается не больше %2 символов, а в нём "
                                         "%3. Сократите текст.")
                              .arg(edit->DataField())
                              .arg(c.Size)
                              .arg(c.Stored)});
    EXPECT_EQ(FieldDisplayText(ReadBags(program.Db())[0][field]), stored);
    EXPECT_EQ(edit->text(), edited);
    EXPECT_TRUE(edit->hasFocus());

    // Shortened to the limit, it is saved.
    edit->setSelection(c.Size, c.Stored - c.Size);
    QTest::keyClick(edit, Qt::Key_Delete);
    program.Messages.Clear();
    program.Click(ui.Button1);
    EXPECT_EQ(FieldDisplayText(ReadBags(program.Db())[0][field]), QString(c.Size, u'Ж'));
  }
}

TEST(Editing, APasteIntoTheMiddleKeepsTheRestAndFillsOnlyTheRoomLeft) {
  TRunningProgram program({Stored});
  TDBEdit* account = program.Controls().DBEdit3;
  program.TypeOver(account, u"1234567890"_qs);
  account->setCursorPosition(5);
  QApplication::clipboard()->setText(u"ab 9 8 7 6 5 4 3 2 1 0 9 8"_qs);
  QTest::keyClick(account, Qt::Key_Insert, Qt::ShiftModifier);
  EXPECT_EQ(account->text(), u"12345987654321067890"_qs);
  EXPECT_EQ(account->cursorPosition(), 15);
}

// "Экспорт в эксель" with a recipient typed and the editor not left: the change is saved first
// (the voucher's cells come from the register, its code from the editors), and a save the
// register refuses stops the export before anything is written.
TEST(Editing, TheExportSavesATypedChangeFirstAndARefusedSaveStopsIt) {
  TRunningProgram program({Stored});
  const Ui::TForm1& ui = program.Controls();
  program.TypeOver(ui.DBEdit2, u"ООО Новый"_qs);
  ASSERT_TRUE(ui.DBEdit2->hasFocus());
  ui.N3->trigger();
  EXPECT_EQ(program.Messages.Texts(), QStringList{u"Добавьте фирму"_qs});
  EXPECT_EQ(ReadBags(program.Db())[0][int(TBagField::Recipient)], QVariant(u"ООО Новый"_qs));
  EXPECT_TRUE(
      program.Window().QRSymbol().Text().contains(QStringLiteral("Получатель:ООО Новый;")));

  // With a firm, an export that went ahead would write QR.bmp at once.
  program.Forms.Form4->Controls().Edit1->setText(u"ООО Фирма"_qs);
  program.Messages.Clear();
  program.TypeOver(ui.DBEdit2, u"ООО Третий"_qs);
  ExecuteSql(program.Db(), QStringLiteral("UPDATE Clients SET \"ФИО\" = 'Петров'"));
  program.Messages.Answers = {TModalResult::mrCancel};  // "Продолжить правку"
  ui.N3->trigger();
  ASSERT_EQ(program.Messages.Boxes.size(), 1u);
  EXPECT_TRUE(program.Messages.Boxes[0].Text.startsWith(
      QStringLiteral("Эту сумку изменили на другом рабочем месте")));
  EXPECT_EQ(ReadBags(program.Db())[0][int(TBagField::Recipient)], QVariant(u"ООО Новый"_qs));
  EXPECT_EQ(ui.DBEdit2->text(), u"ООО Третий"_qs);
  EXPECT_FALSE(QFile::exists(program.Dir.Path(u"QR.bmp"_qs)));
}

// Closing the window asks before a typed change is lost.
TEST(Editing, ClosingWithATypedChangeAsksToSave) {
  const bool quits = QGuiApplication::quitOnLastWindowClosed();
  QGuiApplication::setQuitOnLastWindowClosed(false);
  const TBagRow typed = {u"1234"_qs,       5678, u"ООО Ромашка"_qs, u"4070281090000000000"_qs,
                         u"7701234567"_qs, 2,    u"Ким"_qs};
  const struct {
    const char* Name;
    bool Type;
    TModalResult Answer;
    bool Closed;
    QStringList Boxes;
    TBagRow Row;  // the file afterwards
  } cases[] = {
      {"Да saves with the checks",
       true,
       TModalResult::mrYes,
       true,
       {u"Сохранить изменения?"_qs, u"Проверьте номер счета"_qs},
       typed},
      {"Нет drops the change",
       true,
       TModalResult::mrNo,
       true,
       {u"Сохранить изменения?"_qs},
       Stored},
      {"Отмена keeps the window and the typing",
       true,
       TModalResult::mrCancel,
       false,
       {u"Сохранить изменения?"_qs},
       Stored},
      {"nothing typed closes at once", false, TModalResult::mrCancel, true, {}, Stored},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TRunningProgram program({Stored});
    TForm1& w = program.Window();
    const Ui::TForm1& ui = w.Controls();
    if (c.Type) {
      program.TypeOver(ui.DBEdit3, u"4070281090000000000"_qs);
      program.TypeOver(ui.DBEdit5, u"Ким"_qs);  // still in the editor, not yet in the field
    }
    program.Messages.Answers = {c.Answer};
    EXPECT_EQ(w.close(), c.Closed);
    EXPECT_EQ(program.Messages.Texts(), c.Boxes);
    if (!c.Boxes.isEmpty()) {
      EXPECT_EQ(program.Messages.Boxes[0].Buttons, TMsgDlgButtons::mbYesNoCancel);
      EXPECT_EQ(program.Messages.Boxes[0].Type, TMsgDlgType::mtConfirmation);
      EXPECT_EQ(program.Messages.Boxes[0].Caption, u"ТОРВИ Инкассация 2019"_qs);
    }
    EXPECT_EQ(ReadBags(program.Db()), std::vector<TBagRow>{c.Row});
    EXPECT_EQ(w.isVisible(), !c.Closed);
    if (!c.Closed) {
      EXPECT_EQ(ui.DBEdit5->text(), u"Ким"_qs);
      EXPECT_EQ(program.Register().State(), TDataSetState::dsEdit);
    }
  }
  QGuiApplication::setQuitOnLastWindowClosed(quits);
}

TEST(Editing, PackageNumberRefusesLettersAndAnUnreadableNumberKeepsTheFocus) {
  TRunningProgram program({Stored});
  const Ui::TForm1& ui = program.Controls();
  program.TypeOver(ui.DBEdit6, QStringLiteral("1a-2 "));
  EXPECT_EQ(ui.DBEdit6->text(), QStringLiteral("1-2"));
  program.Click(ui.DBEdit5);
  // The message ends in a quote, whose code is below the full stop's: none is appended.
  EXPECT_EQ(
      program.Messages.Texts(),
      QStringList{QStringLiteral("'1-2' is not a valid integer value for field 'Номер пакета'")});
  EXPECT_EQ(program.Messages.Boxes[0].Type, TMsgDlgType::mtError);
  EXPECT_EQ(QApplication::focusWidget(), ui.DBEdit6);
  EXPECT_EQ(program.Register().FieldValue(1), QVariant(qint64(5678)));
  program.TypeOver(ui.DBEdit6, QStringLiteral("12"));
  program.Click(ui.Button1);
  EXPECT_EQ(ReadBags(program.Db())[0][1], QVariant(qint64(12)));
}

// The editor's store as it loses the focus fails and shows its box; the click that took the
// focus away must not make the same store fail again (and show a second box) nor act.
TEST(Editing, AFieldThatCannotTakeItsTextShowsOneBoxAndTheClickThatLeftItDoesNothing) {
  struct TCase {
    const char* Name;
    void (*Spoil)(TRunningProgram& program);
    QWidget* (*Editor)(const Ui::TForm1&);
    const char16_t* Message;
    bool ClickRow;  // otherwise "Добавить"
  };
  const auto packageNumber = [](TRunningProgram& program) {
    program.TypeOver(program.Controls().DBEdit6, QStringLiteral("500001-"));
  };
  const auto blankSymbol = [](TRunningProgram& program) {
    TDBComboBox* list = program.Controls().DBComboBox1;
    list->setFocus(Qt::TabFocusReason);
    QTest::keyClick(list, Qt::Key_Home);
  };
  const auto packageEditor = [](const Ui::TForm1& ui) -> QWidget* { return ui.DBEdit6; };
  const auto symbolList = [](const Ui::TForm1& ui) -> QWidget* { return ui.DBComboBox1; };
  const char16_t* packageMessage =
      u"'500001-' is not a valid integer value for field 'Номер пакета'";
  const char16_t* symbolMessage = u"'   ' is not a valid integer value for field 'Символ'";
  const TCase cases[] = {
      {"package number, then another row", packageNumber, packageEditor, packageMessage, true},
      {"package number, then Добавить", packageNumber, packageEditor, packageMessage, false},
      {"blank symbol, then another row", blankSymbol, symbolList, symbolMessage, true},
      {"blank symbol, then Добавить", blankSymbol, symbolList, symbolMessage, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TRunningProgram program({Stored, TBagRow(7)});
    const Ui::TForm1& ui = program.Controls();
    program.TypeOver(ui.DBEdit5, QStringLiteral("Ким"));
    c.Spoil(program);
    if (c.ClickRow)
      program.ClickRow(1);
    else
      program.Click(ui.Button3);
    EXPECT_EQ(program.Messages.Texts(), QStringList{QString::fromUtf16(c.Message)});
    EXPECT_EQ(QApplication::focusWidget(), c.Editor(ui));
    EXPECT_EQ(program.Register().RecNo(), 0);
    EXPECT_EQ(program.Register().RecordCount(), 2);
    EXPECT_EQ(program.Register().State(), TDataSetState::dsEdit);
    EXPECT_EQ(ReadBags(program.Db())[0], Stored) << "nothing posted";
  }
}

TEST(Editing, TheCashSymbolListStoresIntegersAndRefusesItsBlankItem) {
  TRunningProgram program({Stored});
  const Ui::TForm1& ui = program.Controls();
  const QString receipt2 = QStringLiteral("Поступления от продажи товаров");
  EXPECT_EQ(ui.Label11->text(), receipt2);
  ui.DBComboBox1->setFocus(Qt::TabFocusReason);
  for (int i = 0; i < 3; ++i) QTest::keyClick(ui.DBComboBox1, Qt::Key_Down);
  ASSERT_EQ(ui.DBComboBox1->currentText(), QStringLiteral("32"));
  program.Click(ui.Button1);
  EXPECT_EQ(ReadBags(program.Db())[0][5], QVariant(qint64(32)));
  EXPECT_EQ(ui.Label11->text(), receipt2) << "32 leaves the receipt name as it was";

  ui.DBComboBox1->setFocus(Qt::TabFocusReason);
  QTest::keyClick(ui.DBComboBox1, Qt::Key_Home);
  ASSERT_EQ(ui.DBComboBox1->currentText(), QStringLiteral("   "));
  program.Click(ui.DBEdit5);
  EXPECT_EQ(program.Messages.Texts(),
            QStringList{QStringLiteral("'   ' is not a valid integer value for field 'Символ'")});
  EXPECT_EQ(QApplication::focusWidget(), ui.DBComboBox1);
  EXPECT_EQ(program.Register().FieldValue(5), QVariant(qint64(32)));

  QTest::keyClick(ui.DBComboBox1, Qt::Key_Down);  // "2"
  program.Click(ui.Button1);
  EXPECT_EQ(ReadBags(program.Db())[0][5], QVariant(qint64(2)));
  EXPECT_EQ(ui.Label11->text(), receipt2);
}

// The keys act on what the operator typed, from wherever the focus is; Ctrl+N puts the cursor
// into the new bag's number, the others leave it where it is. The tooltips name the keys.
TEST(Editing, CtrlSSavesCtrlNAddsCtrlEExportsAndTheTooltipsNameTheKeys) {
  TRunningProgram program({Stored});
  const Ui::TForm1& ui = program.Controls();
  EXPECT_EQ(ui.Button1->toolTip(), u"Сохранить (Ctrl+S)"_qs);
  EXPECT_EQ(ui.Button3->toolTip(), u"Добавить (Ctrl+N)"_qs);
  EXPECT_EQ(ui.N3->toolTip(), u"Экспорт в эксель (Ctrl+E)"_qs);

  program.TypeOver(ui.DBEdit5, u"Ким"_qs);  // still in the editor, not yet in the field
  QTest::keyClick(ui.DBEdit5, Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(ReadBags(program.Db())[0][int(TBagField::FullName)], QVariant(u"Ким"_qs));
  EXPECT_EQ(program.Register().State(), TDataSetState::dsBrowse);
  EXPECT_EQ(QApplication::focusWidget(), ui.DBEdit5);

  program.ClickRow(0);
  QTest::keyClick(ui.DBGrid1, Qt::Key_N, Qt::ControlModifier);
  EXPECT_EQ(program.Register().State(), TDataSetState::dsInsert);
  EXPECT_EQ(QApplication::focusWidget(), ui.DBEdit1);
  Type(ui.DBEdit1, u"77"_qs);
  QTest::keyClick(ui.DBEdit1, Qt::Key_S, Qt::ControlModifier);
  ASSERT_EQ(ReadBags(program.Db()).size(), 2u);
  EXPECT_EQ(ReadBags(program.Db())[1][int(TBagField::BagNumber)], QVariant(u"77"_qs));

  // The new bag's save warns as "Сохранить" does; the export saves the typed recipient with the
  // same checks first, then stops at once for want of a firm.
  program.TypeOver(ui.DBEdit2, u"ООО Новый"_qs);
  QTest::keyClick(ui.DBEdit2, Qt::Key_E, Qt::ControlModifier);
  EXPECT_EQ(program.Messages.Texts(),
            (QStringList{u"Введите номер сейф-пакета"_qs, u"Проверьте номер счета"_qs,
                         u"Проверьте номер ИНН"_qs, u"Введите получателя"_qs,
                         u"Введите номер сейф-пакета"_qs, u"Проверьте номер счета"_qs,
                         u"Проверьте номер ИНН"_qs, u"Добавьте фирму"_qs}));
  EXPECT_EQ(ReadBags(program.Db())[1][int(TBagField::Recipient)], QVariant(u"ООО Новый"_qs));
}

}  // namespace
