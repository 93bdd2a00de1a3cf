// The window "История" (F8) and "Проверить журнал" on the real program over a file register:
// the bag's changes newest first after real saves, a deleted bag found by its number, and the
// check telling a whole history, an unsealed tail and a tampered record apart.
#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QTest>

#include "app/BagFields.h"
#include "app/HistoryForm.h"
#include "app/MainForm.h"
#include "tests/app/RunningProgram.h"
#include "ui_HistoryForm.h"
#include "ui_MainForm.h"

namespace {

TEST(HistoryWindow, ShowsTheBagsChangesNewestFirstAndADeletedBagByItsNumber) {
  TRunningProgram program({Bag1234, Bag77});
  const Ui::TForm1& ui = program.Controls();
  // The register was made before it kept a history: nothing is recorded of the bags yet.
  EXPECT_EQ(ShownHistory(program).Found, u"Сумка № 1234 в журнале не найдена."_qs);
  program.TypeOver(ui.DBEdit5, u"Петров П.П."_qs);
  program.Click(ui.Button1);
  program.TypeOver(ui.DBEdit2, u"ООО «Ёлка»"_qs);
  program.Click(ui.Button1);
  ASSERT_TRUE(program.Messages.Boxes.empty()) << program.Messages.Texts().join(u'\n').toStdString();

  TShownHistory shown = ShownHistory(program);
  EXPECT_EQ(shown.Found, u"Сумка № 1234: 2 изменения."_qs);
  // Columns: bag number, package, recipient, account, INN, symbol, full name.
  EXPECT_EQ(shown.Rows,
            (QStringList{u"изменение|||*ООО Ромашка → ООО «Ёлка»||||Петров П.П."_qs,
                         u"изменение|||ООО Ромашка||||*Иванов И.И. → Петров П.П."_qs}));
  ASSERT_EQ(shown.Who.size(), 2);
  EXPECT_TRUE(shown.Who[0].endsWith(u'@' + QSysInfo::machineHostName())) << shown.Who[0].toStdString();

  program.Click(ui.Button2);  // deletes 1234; 77 becomes current
  shown = ShownHistory(program, [](THistoryForm& form) {
    EXPECT_EQ(form.Controls().Edit1->text(), u"77"_qs);
    QTest::keyClicks(form.Controls().Edit1, u"\b\b1234"_qs);
    QTest::keyClick(form.Controls().Edit1, Qt::Key_Return);
    // A changed field stands out.
    const QModelIndex changed = form.Controls().Grid1->model()->index(0, 3);
    EXPECT_TRUE(changed.data(Qt::FontRole).value<QFont>().bold());
  });
  EXPECT_EQ(shown.Found, u"Сумка № 1234: 3 изменения."_qs);
  ASSERT_EQ(shown.Rows.size(), 3);
  EXPECT_EQ(shown.Rows[0],
            u"удаление|*1234 → —|*5678 → —|*ООО «Ёлка» → —|*40702810900000000001 → —"
            "|*7701234567 → —|*11 → —|*Петров П.П. → —"_qs);
}

TEST(HistoryWindow, TheCheckSaysTheHistoryIsWholeUnsealedOrBrokenAtWhichRecord) {
  TRunningProgram program({Bag1234});
  const Ui::TForm1& ui = program.Controls();
  for (const QString& name : {u"Петров"_qs, u"Сидоров"_qs}) {
    program.TypeOver(ui.DBEdit5, name);
    program.Click(ui.Button1);
  }
  const auto check = [&] {
    program.Messages.Clear();
    ui.N6->trigger();
    EXPECT_EQ(program.Messages.Boxes.size(), 1u);
    return program.Messages.Boxes.empty() ? TMessageBoxRequest{} : program.Messages.Boxes[0];
  };
  TMessageBoxRequest box = check();
  EXPECT_EQ(box.Text, u"Журнал цел: 2 записи."_qs);
  EXPECT_EQ(box.Type, TMsgDlgType::mtInformation);

  ExecuteSql(program.Db(), u"INSERT INTO Clients (\"Номер сумки\") VALUES ('9')"_qs);
  EXPECT_EQ(check().Text, u"Журнал цел: 3 записи, из них последние 1 ещё не запечатаны программой "
                          "(изменения, сделанные другой программой после последней записи с "
                          "рабочего места)."_qs);

  ExecuteSql(program.Db(),
             u"UPDATE ClientsHistoryFields SET \"After\" = 'Козлов' WHERE \"Seq\" = 1"_qs);
  box = check();
  EXPECT_EQ(box.Text, u"Журнал нарушен: запись № 1 изменена или переставлена. Журнал менялся в "
                      "обход программы: сообщите администратору (db.mdb)."_qs);
  EXPECT_EQ(box.Type, TMsgDlgType::mtError);
}

}  // namespace
