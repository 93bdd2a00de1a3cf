// "Экспорт в эксель" as the operator runs it: the real main window on a real register file,
// counts typed into the grid, the menu clicked, and the filled voucher read back from a real
// LibreOffice through the bridge.
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QPlainTextEdit>

#include <csignal>
#include <span>

#include "app/Application.h"
#include "app/MainForm.h"
#include "app/controls/StringGrid.h"
#include "qr/QRSymbol.h"
#include "tests/export/WindowExportFixture.h"
#include "tests/qr/ZbarDecode.h"
#include "tests/support/DecimalSeparator.h"
#include "tests/support/FileBytes.h"
#include "texts/NumberFormat.h"
#include "ui_MainForm.h"

namespace {

class TWindowExport : public TWindowExportTest {
protected:
  // The texts of the boxes shown so far, one a line.
  QString BoxesText() const { return Program().Messages.Texts().join(u'\n'); }

  // The one working copy open in this test's office.
  TVariant TheWorkingCopy() {
    const std::vector<TVariant> documents = OpenVoucherCopies();
    EXPECT_EQ(documents.size(), 1u);
    return documents.empty() ? TVariant() : documents.front();
  }

  // The decimal separator is process-wide: a Russian desk's comma while a test runs.
  const TDecimalSeparator FSeparator{u','};
};

TEST_F(TWindowExport, FillsTheThreeCopiesBothListsAndThePictureFromWhatTheOperatorTyped) {
  StartProgram({ExportBag});
  EnterFirmName(ExportFirm);
  TypeCount(2, "3");   // 2000
  TypeCount(5, "00");  // 200: "00" is listed, it compares above "0"
  TypeCount(13, "7");  // 1
  TypeCount(14, "3");  // 0,5
  ASSERT_EQ(Window().Controls().StringGrid1->Cells(3, 16), "6008,5");

  ClickExport();
  ASSERT_EQ(BoxesText(), "");

  const TVariant document = TheWorkingCopy();
  ASSERT_TRUE(document.IsObject());
  EXPECT_EQ(document.Get("Title").ToString(), "vedomost.xls");

  const QString total = "6008,5";
  const std::map<TField, QString> texts =
      ExportFieldTexts(total, "шесть тысяч восемь рублей 50 копеек");
  for (const auto& [sheet, copy] : {std::pair(0, std::span<const TFieldCell>(UpperCopyCells)),
                                    std::pair(0, std::span<const TFieldCell>(LowerCopyCells)),
                                    std::pair(2, std::span<const TFieldCell>(ThirdCopyCells))})
    ExpectDocumentCells(document, ExpectedCopy(sheet, copy, texts));
  // Packed from row 5 in grid order; the rows after the last entry keep the template's blank.
  const std::vector<TListLine> list{{"2000", "3", "6000"},
                                    {"200", "00", "0"},
                                    {"1", "7", "7"},
                                    {"0,5", "3", "1,5"},
                                    {"", "", ""}};
  for (int sheet : {1, 3})
    ExpectDocumentCells(document, ExpectedList(sheet, "004512", list, total));

  const TVariant shape = ShapeNamed(document, 2, "Graphic1");
  ASSERT_TRUE(shape.IsObject());
  EXPECT_EQ(shape.Get("Size").Get("Width").ToInt(), 6400);
  EXPECT_EQ(shape.Get("Size").Get("Height").ToInt(), 6000);
  EXPECT_EQ(shape.Get("Transparency").ToInt(), 50);
  EXPECT_TRUE(shape.Get("Graphic").IsObject());

  // "QR.bmp" in the working folder holds the payload of the last key typed.
  const QString payload = QStringLiteral(
      "№ сумки:004512;\r\n"
      "№ пакета:5678;\r\n"
      "Получатель:ООО «Ёлка-Ъ» №7;\r\n"
      "Транзитный счет:40702810900000000001;\r\n"
      "Сумма:6008,5 руб.;\r\n"
      "Кассовый символ:11;\r\n");
  EXPECT_EQ(DecodeQRFile(WorkFile("QR.bmp")), QByteArray("\xEF\xBB\xBF") + payload.toUtf8());
  const QImage bitmap(WorkFile("QR.bmp"));
  EXPECT_EQ(bitmap.depth(), 1);
  EXPECT_EQ(bitmap.width(), 4 * Window().QRSymbol().SymbolSize());
  EXPECT_EQ(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32),
            bitmap.convertToFormat(QImage::Format_RGB32));
}

// A recipient typed and the editor not left when "Экспорт в эксель" is clicked: the voucher's
// cells, its QR code and the register all hold what the operator typed.
TEST_F(TWindowExport, ARecipientTypedJustBeforeTheExportIsPrintedEncodedAndSaved) {
  StartProgram({ExportBag});
  EnterFirmName(ExportFirm);
  TypeCount(2, "1");
  Program().TypeOver(Window().Controls().DBEdit2, "ООО Новый");
  ASSERT_TRUE(Window().Controls().DBEdit2->hasFocus());

  ClickExport();
  ASSERT_EQ(BoxesText(), "");

  const TVariant document = TheWorkingCopy();
  ASSERT_TRUE(document.IsObject());
  for (const auto& [sheet, address] : {std::pair(0, "Q11"), {0, "Q41"}, {2, "Q8"}})
    EXPECT_EQ(CellText(document, sheet, address), "ООО Новый") << address;
  EXPECT_EQ(DecodeQRFile(WorkFile("QR.bmp")),
            QByteArray("\xEF\xBB\xBF") + QStringLiteral("№ сумки:004512;\r\n"
                                                         "№ пакета:5678;\r\n"
                                                         "Получатель:ООО Новый;\r\n"
                                                         "Транзитный счет:40702810900000000001;\r\n"
                                                         "Сумма:2000 руб.;\r\n"
                                                         "Кассовый символ:11;\r\n")
                                                .toUtf8());
  EXPECT_EQ(ReadBags(Program().Db())[0][2], QVariant(QStringLiteral("ООО Новый")));
}

TEST_F(TWindowExport, TellsTheOperatorWhatIsMissingInOrderAndTouchesFilesOnlyPastTheFirm) {
  TOfficeLaunch missing = Launch();
  missing.Program = "/nonexistent/soffice";
  StartProgram({ExportBag}, std::make_unique<TOOCalc>(std::make_shared<TUnoServer>(missing)));
  // Left over from an earlier export.
  for (const char* name : {"QR.bmp", "temp1.xls"}) WriteFile(WorkFile(name), "stale");
  const auto contents = [this](const QString& name) { return ReadFile(WorkFile(name)); };
  const QStringList files = Program().Dir.Files();

  ClickExport();
  EXPECT_EQ(BoxesText(), "Добавьте фирму");
  EXPECT_EQ(Program().Dir.Files(), files);
  EXPECT_EQ(contents("QR.bmp"), "stale");
  EXPECT_EQ(contents("temp1.xls"), "stale");

  EnterFirmName(ExportFirm);
  ClickExport();  // the grid was never edited: no total yet
  EXPECT_EQ(BoxesText(), "Добавьте фирму\nЗаполните сумму!");
  EXPECT_EQ(contents("temp1.xls"), contents("temp.xls"));
  EXPECT_EQ(DecodeQRFile(WorkFile("QR.bmp")),
            QByteArray("\xEF\xBB\xBF") + Window().QRSymbol().Text().toUtf8());

  TypeCount(1, "2");
  ClickExport();
  EXPECT_EQ(BoxesText(),
            "Добавьте фирму\nЗаполните сумму!\nНе удалось запустить LibreOffice. Проверьте, что "
            "LibreOffice Calc установлен и запускается командой soffice, и повторите экспорт.\n"
            "нет связи с LibreOffice (no connect)");
  for (const TMessageBoxRequest& box : Program().Messages.Boxes) {
    EXPECT_EQ(box.Caption, TApplication::Title()) << box.Text.toStdString();
    EXPECT_EQ(box.Type, TMsgDlgType::mtCustom) << box.Text.toStdString();
    EXPECT_EQ(box.Buttons, TMsgDlgButtons::mbOK) << box.Text.toStdString();
  }
}

TEST_F(TWindowExport,
       SuiteKilledMidwayShowsAnErrorTheProgramGoesOnAndANewOfficeTakesTheNextExport) {
  StartProgram({ExportBag});
  EnterFirmName(ExportFirm);
  TypeCount(2, "3");
  // The suite dies once the voucher copies are written, as the picture reaches the clipboard.
  pid_t killed = 0;
  QClipboard* clipboard = QGuiApplication::clipboard();
  const QMetaObject::Connection hook = QObject::connect(clipboard, &QClipboard::dataChanged, [&] {
    if (killed != 0) return;
    killed = FServer->OfficeProcessId();
    kill(-killed, SIGKILL);
  });

  ClickExport();
  QObject::disconnect(hook);
  ASSERT_NE(killed, 0);
  ASSERT_EQ(Program().Messages.Boxes.size(), 1u) << BoxesText().toStdString();
  const TMessageBoxRequest& box = Program().Messages.Boxes[0];
  EXPECT_EQ(box.Type, TMsgDlgType::mtError);
  EXPECT_EQ(box.Caption, TApplication::Title());
  EXPECT_EQ(box.Text.section(u'\n', 0, 0),
            "LibreOffice закрылся во время экспорта, ведомость заполнена не до конца. "
            "Повторите экспорт.");

  // The window goes on: a typed count still reaches the total and the payload.
  TypeCount(1, "1");
  EXPECT_TRUE(Window().Controls().mmoEncodedData->toPlainText().contains("Сумма:11000 руб.;"));
  EXPECT_EQ(ReadBags(Program().Db()), std::vector<TBagRow>{ExportBag});
  EXPECT_EQ(QueryValue(Program().Db(), "PRAGMA integrity_check"), QVariant(QStringLiteral("ok")));

  Program().Messages.Clear();
  ClickExport();
  EXPECT_EQ(BoxesText(), "");
  EXPECT_NE(FServer->OfficeProcessId(), killed);
  const TVariant document = TheWorkingCopy();
  ASSERT_TRUE(document.IsObject());
  EXPECT_EQ(CellText(document, 0, "AQ6"), "004512");
  ExpectDocumentCells(
      document, ExpectedList(3, "004512", {{"5000", "1", "5000"}, {"2000", "3", "6000"}}, "11000"));
  EXPECT_TRUE(ShapeNamed(document, 2, "Graphic1").Get("Graphic").IsObject());
}

}  // namespace
