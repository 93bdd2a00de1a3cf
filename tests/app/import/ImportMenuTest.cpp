// "Импорт сумок…" in the running program: another desk's old register or its CSV export merged
// into the register on screen, the operator choosing to skip or replace the bags already there.
#include <gtest/gtest.h>

#include <QAction>
#include <QFileDialog>
#include <QTemporaryDir>

#include "app/MainForm.h"
#include "app/store/ADOTable.h"
#include "tests/app/import/JetFixtures.h"
#include "tests/app/RunningProgram.h"
#include "tests/support/FileBytes.h"
#include "ui_MainForm.h"

namespace {

using namespace Qt::StringLiterals;

// Answers the file dialog with `path` while it lives, and counts the questions.
class TChosenFile {
public:
  explicit TChosenFile(const QString& path) {
    FPrevious = SetOpenFilePresenter([this, path](const TOpenFileRequest&) {
      ++Asked;
      return path;
    });
  }
  ~TChosenFile() { SetOpenFilePresenter(FPrevious); }
  TChosenFile(const TChosenFile&) = delete;
  TChosenFile& operator=(const TChosenFile&) = delete;
  int Asked = 0;

private:
  TOpenFilePresenter FPrevious;
};

TEST(ImportMenu, AnotherDesksOldRegisterJoinsTheRegisterOnScreen) {
  const QTemporaryDir files;
  const QString path = files.filePath(u"desk2.mdb"_s);
  // The sample holds a bag "77", as the register on screen does.
  ASSERT_EQ(jet::SampleBags()[1][0], jet::TValue(std::string("77")));
  std::vector<jet::TBag> bags = jet::SampleBags();
  bags.push_back(jet::RefusedBags()[0]);
  WriteJetFile(jet::ClientsDatabase(bags), path);

  struct TCase {
    const char* Name;
    TModalResult Answer;
    std::vector<TBagRow> After;
    QString Summary;  // %1: the file, %2: the sample's bags but "77"
  };
  const std::vector<TBagRow> sample = StoredBags(jet::SampleBags());
  std::vector<TBagRow> skipped{Bag1234, Bag77};
  for (std::size_t i = 0; i < sample.size(); ++i)
    if (i != 1) skipped.push_back(sample[i]);
  std::vector<TBagRow> replaced{Bag1234};
  replaced.insert(replaced.end(), sample.begin(), sample.end());
  const TCase cases[] = {
      {"skip the bags already there", TModalResult::mrYes, skipped,
       u"Импорт из файла %1 закончен.\nДобавлено сумок: %2.\nПропущено (такой номер уже был в "
       u"списке): 1.\nНе взято строк файла: 1."_s},
      {"replace them", TModalResult::mrNo, replaced,
       u"Импорт из файла %1 закончен.\nДобавлено сумок: %2.\nЗаменено сумок списка: 1.\nНе взято "
       u"строк файла: 1."_s},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TRunningProgram program({Bag1234, Bag77});
    const TChosenFile chosen(path);
    program.Messages.Answers = {c.Answer, TModalResult::mrOk};
    EXPECT_EQ(program.Controls().N4->text(), u"Импорт сумок…"_s);
    program.Controls().N4->trigger();

    EXPECT_EQ(chosen.Asked, 1);
    ASSERT_EQ(program.Messages.Boxes.size(), 2u) << program.Messages.Texts().join(u'\n').toStdString();
    const TMessageBoxRequest& preview = program.Messages.Boxes[0];
    EXPECT_EQ(preview.Caption, u"Импорт сумок"_s);
    EXPECT_EQ(preview.Buttons, TMsgDlgButtons::mbYesNoCancel);
    EXPECT_EQ(preview.ButtonCaptions,
              (QStringList{u"Пропустить их"_s, u"Заменить их"_s, u"Отмена"_s}));
    EXPECT_EQ(preview.Text,
              u"Импорт из файла %1.\nБудет взято сумок: %2.\nИз них уже есть в списке (тот же "
              u"номер сумки): 1. Пропустить их или заменить сумки списка сумками из файла?\nНе "
              u"могут быть взяты строки файла: 1.\nстрока %3: нет номера сумки"_s.arg(path)
                  .arg(sample.size())
                  .arg(sample.size() + 1));
    EXPECT_EQ(program.Messages.Boxes[1].Text, QString(c.Summary).arg(path).arg(sample.size() - 1));
    EXPECT_EQ(ReadBags(program.Db()), c.After);
    EXPECT_EQ(program.Register().RecordCount(), int(c.After.size())) << "the register on screen";
  }
}

TEST(ImportMenu, ACsvExportInWindows1251ComesInAndTheOperatorMayGiveUp) {
  const QTemporaryDir files;
  const QString path = files.filePath(u"desk2.csv"_s);
  // "0012;17;ООО «Ромашка»;;0123456789;11;Ёлкин" without a header, in Windows-1251.
  WriteFile(path, "0012;17;\xCE\xCE\xCE \xAB\xD0\xEE\xEC\xE0\xF8\xEA\xE0\xBB;;0123456789;11;"
                  "\xA8\xEB\xEA\xE8\xED\r\n");
  const TBagRow bag0012{u"0012"_s, qint64(17), u"ООО «Ромашка»"_s, QVariant(), u"0123456789"_s,
                        qint64(11), u"Ёлкин"_s};
  {
    TRunningProgram program({Bag77});
    const TChosenFile chosen(path);
    program.Messages.Answers = {TModalResult::mrCancel};
    program.Controls().N4->trigger();
    ASSERT_EQ(program.Messages.Boxes.size(), 1u);
    EXPECT_EQ(program.Messages.Boxes[0].ButtonCaptions, (QStringList{u"Импортировать"_s, u"Отмена"_s}));
    EXPECT_EQ(ReadBags(program.Db()), std::vector<TBagRow>{Bag77}) << "given up: nothing written";
  }
  TRunningProgram program({Bag77});
  const TChosenFile chosen(path);
  program.Messages.Answers = {TModalResult::mrOk, TModalResult::mrOk};
  program.Controls().N4->trigger();
  EXPECT_EQ(ReadBags(program.Db()), (std::vector<TBagRow>{Bag77, bag0012}));
  EXPECT_EQ(program.Register().RecordCount(), 2);
}

TEST(ImportMenu, ATypedChangeIsSettledFirstAndOtmenaGivesTheImportUp) {
  TRunningProgram program({Bag77});
  const TChosenFile chosen(u"/nonexistent.csv"_s);
  program.TypeOver(program.Controls().DBEdit2, u"ООО Новое"_s);
  program.Messages.Answers = {TModalResult::mrCancel};
  program.Controls().N4->trigger();
  EXPECT_EQ(program.Messages.Texts(), QStringList{u"Сохранить изменения?"_s});
  EXPECT_EQ(chosen.Asked, 0);
  EXPECT_EQ(program.Controls().DBEdit2->text(), u"ООО Новое"_s) << "the typing kept";
}

TEST(ImportMenu, AFileThatCannotBeReadIsReportedAndNothingChanges) {
  const QTemporaryDir files;
  const QString oldRegister = files.filePath(u"desk2.mdb"_s);
  WriteJetFile(jet::WithoutClients(jet::SampleBags()), oldRegister);
  const QString newRegister = files.filePath(u"db.mdb"_s);
  CreateClientsDatabase(newRegister, {Bag1234});
  const std::pair<QString, QString> cases[] = {
      {oldRegister, u"В файле %1 нет таблицы Clients: это не база сумок прежней версии "
                    u"программы. Возьмите её файл db.mdb."_s},
      {newRegister, u"Файл %1 — не база Access прежней версии программы (возможно, это база "
                    u"этой программы). Возьмите db.mdb прежней версии или выгрузку сумок в "
                    u"CSV."_s},
  };
  for (const auto& [path, text] : cases) {
    SCOPED_TRACE(path.toStdString());
    TRunningProgram program({Bag77});
    const TChosenFile chosen(path);
    program.Controls().N4->trigger();
    EXPECT_EQ(program.Messages.Texts(), QStringList{QString(text).arg(path)});
    EXPECT_EQ(ReadBags(program.Db()), std::vector<TBagRow>{Bag77});
  }
}

// The file dialog the import opens is Qt's own: the program gives it Russian words too.
TEST(ImportMenu, TheFileDialogSpeaksRussian) {
  QFileDialog dialog;
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  EXPECT_EQ(dialog.labelText(QFileDialog::LookIn), u"Перейти к:"_s);
  EXPECT_EQ(dialog.labelText(QFileDialog::FileName), u"&Имя файла:"_s);
}

}  // namespace
