#include "tests/export/WindowExportFixture.h"

#include <QApplication>
#include <QDate>
#include <QFile>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/DenominationGrid.h"
#include "app/MainForm.h"
#include "app/Reg.h"
#include "app/controls/StringGrid.h"
#include "ui_MainForm.h"
#include "ui_Reg.h"

const TBagRow ExportBag = {QStringLiteral("004512"),
                           5678,
                           QStringLiteral("ООО «Ёлка-Ъ» №7"),
                           QStringLiteral("40702810900000000001"),
                           QStringLiteral("7701234567"),
                           11,
                           QStringLiteral("Иванов Иван Иванович")};
const QString ExportFirm = QStringLiteral("ИП Петров П.П. #1");

std::map<TField, QString> ExportFieldTexts(const QString& total, const QString& words) {
  const QString date = QDate::currentDate().toString("dd.MM.yyyy");
  return {{TField::BagNumber, "004512"},
          {TField::Date, date},
          {TField::BagNumberAgain, "004512"},
          {TField::FirmName, ExportFirm},
          {TField::CashAccount, "202028100000000000001"},
          {TField::TotalFirst, total},
          {TField::Recipient, "ООО «Ёлка-Ъ» №7"},
          {TField::Account, "40702810900000000001"},
          {TField::Inn, "7701234567"},
          {TField::AccountAgain, "40702810900000000001"},
          {TField::CashSymbol, "11"},
          {TField::TotalSecond, total},
          {TField::AmountInWords, words},
          {TField::ReceiptName, "Поступления от реализации платных услуг (выполненных работ)"},
          {TField::FullName, "Иванов Иван Иванович"}};
}

void TWindowExportTest::TearDown() {
  // The window and its office wrapper go before the office is ended.
  FProgram.reset();
  TOfficeFixture::TearDown();
}

void TWindowExportTest::StartProgram(const std::vector<TBagRow>& bags,
                                     std::unique_ptr<TOOCalc> office) {
  FProgram = std::make_unique<TRunningProgram>(bags, office ? std::move(office) : std::move(FOffice));
  ASSERT_TRUE(QFile::copy(VOUCHER_TEMPLATE, WorkFile("temp.xls")));
}

void TWindowExportTest::ClickMenu(QAction* item) const { ::ClickMenu(Window(), item); }

void TWindowExportTest::ClickExport() const {
  ClickMenu(Window().Controls().N3);
  QApplication::setActiveWindow(&Window());
}

void TWindowExportTest::EnterFirmName(const QString& name) const {
  TForm4* dialog = FProgram->Forms.Form4.get();
  // The dialog is modal: the operator acts once its loop runs.
  QTimer::singleShot(0, dialog, [this, dialog, name] {
    FProgram->TypeOver(dialog->Controls().Edit1, name);
    FProgram->Click(dialog->Controls().Button1);
  });
  ClickMenu(Window().Controls().N2);
  // The main window is active again once the dialog has closed.
  QApplication::setActiveWindow(&Window());
  ASSERT_FALSE(dialog->isVisible());
  ASSERT_EQ(dialog->Controls().Edit1->text(), name);
}

void TWindowExportTest::TypeCount(int row, const QString& count) const {
  ::TypeCount(Window(), row, count);
  ASSERT_EQ(Window().Controls().StringGrid1->Cells(DenominationCountCol, row), count);
}
