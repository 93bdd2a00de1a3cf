#include "app/IniFile.h"
#include "app/Reg.h"
#include "tests/app/FormsApp.h"
#include "tests/support/FileBytes.h"
#include "tests/support/QtPrinters.h"
#include "ui_Reg.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <functional>

namespace {

const QByteArray Defaults = "[user]\r\nname=\r\nacc=202028100000000000001\r\n";

class FirmDialogTest : public ::testing::Test {
protected:
  void SetUp() override { TFormsTestApp::Errors().clear(); }

  // Shows the dialog modally as the menu item does; `operatorActs` runs inside the modal loop
  // (with the dialog visible) and must leave it. Returns whether the dialog was visible then.
  static bool ShowAndAct(TForm4& dialog, const std::function<void()>& operatorActs) {
    bool shown = false;
    QTimer::singleShot(0, &dialog, [&] {
      shown = dialog.isVisible();
      operatorActs();
    });
    dialog.ShowModally();
    return shown;
  }

  QTemporaryDir Dir;
  QString Path = Dir.filePath("firmname.ini");
};

TEST_F(FirmDialogTest, Layout) {
  TForm4 dialog(nullptr, Path);
  EXPECT_EQ(dialog.windowTitle(), "Фирма");
  EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
  EXPECT_EQ(dialog.pos(), QPoint(0, 0));
  EXPECT_EQ(dialog.font().family(), "Tahoma");
  EXPECT_EQ(dialog.font().pixelSize(), 11);
  EXPECT_EQ(dialog.Controls().Label1->text(), "Введите название фирмы");
  EXPECT_EQ(dialog.Controls().Label2->text(), "Кассовый счет");
  EXPECT_EQ(dialog.Controls().Label1->font().pixelSize(), 16);
  // The captions are not cut: each fits its place in its own font.
  for (const QLabel* label : {dialog.Controls().Label1, dialog.Controls().Label2})
    EXPECT_LE(label->sizeHint().width(), label->width()) << label->text().toStdString();
  EXPECT_EQ(dialog.Controls().Edit1->geometry(), QRect(216, 24, 185, 21));
  EXPECT_EQ(dialog.Controls().Edit2->geometry(), QRect(216, 64, 185, 21));
  EXPECT_EQ(dialog.Controls().Button1->geometry(), QRect(160, 136, 129, 33));
  EXPECT_EQ(dialog.Controls().Button1->text(), "Закрыть и сохранить");
  EXPECT_FALSE(dialog.Controls().Edit2->isEnabled());
  EXPECT_TRUE(dialog.Controls().Edit1->isEnabled());
  EXPECT_TRUE(dialog.Controls().Edit1->toolTip().startsWith("указывается полное (сокращенное) наименование"));
  EXPECT_EQ(dialog.Controls().Edit1->toolTip(), dialog.Controls().Edit2->toolTip());
}

TEST_F(FirmDialogTest, FirstStartHasDefaultsAndTheFirstShowingCreatesTheFile) {
  TForm4 dialog(nullptr, Path);
  EXPECT_EQ(dialog.Controls().Edit1->text(), "");
  EXPECT_EQ(dialog.Controls().Edit2->text(), "202028100000000000001");
  EXPECT_FALSE(QFile::exists(Path));
  QByteArray whileShown;
  EXPECT_TRUE(ShowAndAct(dialog, [&] {
    whileShown = ReadFile(Path);
    dialog.close();  // the close box
  }));
  EXPECT_EQ(whileShown, Defaults);
  EXPECT_FALSE(dialog.isVisible());
}

TEST_F(FirmDialogTest, LoadsTheFileOnceAtCreation) {
  WriteFile(Path, "[user]\r\nname=Ромашка\r\nacc=40702810\r\n");
  WriteFile(Path, ReadFile(Path).replace("Ромашка", "\xD0\xEE\xEC\xE0\xF8\xEA\xE0"));
  TForm4 dialog(nullptr, Path);
  EXPECT_EQ(dialog.Controls().Edit1->text(), "Ромашка");
  EXPECT_EQ(dialog.Controls().Edit2->text(), "40702810");
  WriteFile(Path, "[user]\r\nname=Later\r\n");
  EXPECT_EQ(dialog.Controls().Edit1->text(), "Ромашка");
}

TEST_F(FirmDialogTest, CloseBoxKeepsTheTypedNameButNotInTheFile) {
  WriteFile(Path, "[user]\r\nname=Old\r\nacc=1\r\n");
  TForm4 dialog(nullptr, Path);
  ShowAndAct(dialog, [&] {
    dialog.Controls().Edit1->setFocus();
    dialog.Controls().Edit1->selectAll();
    QTest::keyClicks(dialog.Controls().Edit1, "New");
    QTest::keyClick(&dialog, Qt::Key_Escape);  // does not leave the dialog
    EXPECT_TRUE(dialog.isVisible());
    dialog.close();
  });
  EXPECT_EQ(dialog.Controls().Edit1->text(), "New");
  EXPECT_EQ(ReadFile(Path), "[user]\r\nname=Old\r\nacc=1\r\n");

  // The next showing writes it.
  ShowAndAct(dialog, [&] { dialog.close(); });
  EXPECT_EQ(ReadFile(Path), "[user]\r\nname=New\r\nacc=1\r\n");
}

TEST_F(FirmDialogTest, ButtonSavesAndCloses) {
  TForm4 dialog(nullptr, Path);
  QByteArray afterClick;
  ShowAndAct(dialog, [&] {
    dialog.Controls().Edit1->setText("ООО Ромашка");
    QTest::mouseClick(dialog.Controls().Button1, Qt::LeftButton);
    afterClick = ReadFile(Path);
  });
  EXPECT_EQ(
      afterClick,
      "[user]\r\nname=\xCE\xCE\xCE \xD0\xEE\xEC\xE0\xF8\xEA\xE0\r\nacc=202028100000000000001\r\n");
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_TRUE(TFormsTestApp::Errors().isEmpty());
}

TEST_F(FirmDialogTest, UnwritableFileOpensTheDialogAndRaisesInsideIt) {
  QDir(Dir.path()).mkdir("firmname.ini");  // a folder where the file should be
  TForm4 dialog(nullptr, Path);
  const QString error = "Unable to write to " + Path + ".\nIs a directory";
  QStringList errorsWhileShown;
  EXPECT_TRUE(ShowAndAct(dialog, [&] {
    QTimer::singleShot(0, &dialog, [&] {
      errorsWhileShown = TFormsTestApp::Errors();
      // The button fails the same way: the dialog stays open with its values.
      dialog.Controls().Edit1->setText("Typed");
      QTest::mouseClick(dialog.Controls().Button1, Qt::LeftButton);
      EXPECT_TRUE(dialog.isVisible());
      EXPECT_EQ(dialog.Controls().Edit1->text(), "Typed");
      EXPECT_EQ(dialog.Controls().Edit2->text(), "202028100000000000001");
      dialog.close();
    });
  }));
  EXPECT_EQ(errorsWhileShown, QStringList{error});
  EXPECT_EQ(TFormsTestApp::Errors(), QStringList({error, error}));
}

// Nothing in the file cuts a name: the longest one typed is the one the next start shows, and
// the showing after that writes it back whole.
TEST_F(FirmDialogTest, ALongNameComesBackWholeAfterARestart) {
  const QString name = QString(2999, u'Ф') + u'.';
  {
    TForm4 dialog(nullptr, Path);
    dialog.Controls().Edit1->setText(name);
    dialog.Button1Click();
  }
  TForm4 restarted(nullptr, Path);
  EXPECT_EQ(restarted.FirmName(), name);
  ShowAndAct(restarted, [&] { restarted.close(); });
  EXPECT_EQ(ReadFile(Path), "[user]\r\nname=" + QByteArray(2999, '\xD4') +
                                ".\r\nacc=202028100000000000001\r\n");
}

TEST_F(FirmDialogTest, SecondKeyIsNotWrittenWhenTheFirstFails) {
  WriteFile(Path, "[user]\r\nname=Old\r\n");
  TForm4 dialog(nullptr, Path);
  dialog.Controls().Edit1->setText("日本");
  EXPECT_THROW(dialog.Button1Click(), EIniFileException);
  EXPECT_EQ(ReadFile(Path), "[user]\r\nname=Old\r\n");
  EXPECT_EQ(dialog.Controls().Edit1->text(), "日本");
}

TEST_F(FirmDialogTest, TheFileLivesBesideTheExecutableWhateverTheWorkingDirectory) {
  const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath("firmname.ini");
  const QString current = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(Dir.path()));
  EXPECT_EQ(TForm4::DefaultIniPath(), beside);
  EXPECT_EQ(TForm4().IniPath(), beside);
  QDir::setCurrent(current);
}

}  // namespace
