#include "app/MainForm.h"

#include <QAction>
#include <QCloseEvent>
#include <QKeySequence>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>
#include <QTabBar>

#include <algorithm>
#include <functional>
#include <optional>

#include "app/store/ADOTable.h"
#include "app/Application.h"
#include "app/BagFields.h"
#include "app/BagImport.h"
#include "app/BankNumbers.h"
#include "app/CashSymbols.h"
#include "app/DenominationGrid.h"
#include "app/HistoryForm.h"
#include "app/HistoryTable.h"
#include "app/Reg.h"
#include "app/SaveChecks.h"
#include "app/SearchField.h"
#include "app/StatusNotes.h"
#include "app/controls/Dialogs.h"
#include "app/store/DataSource.h"
#include "app/WindowVoucherSource.h"
#include "office/OpenOffice.h"
#include "office/VoucherExport.h"
#include "qr/QRGraphics.h"
#include "qr/QRSymbol.h"
#include "qr/QR_URL.h"
#include "qr/QR_Win1251.h"
#include "qr/encoder/QRErrors.h"
#include "texts/VoucherPayload.h"
#include "ui_MainForm.h"

namespace {

// "Сохранить (Ctrl+S)": what a button or menu item does, and its key.
QString WithKey(const QString& caption, const QKeySequence& key) {
  return QStringLiteral("%1 (%2)").arg(caption, key.toString(QKeySequence::NativeText));
}

}  // namespace

TForm1::TForm1(QWidget* parent) : TForm1(parent, nullptr) {}

TForm1::TForm1(QWidget* parent, std::unique_ptr<TOOCalc> office)
    : QMainWindow(parent), FControls(std::make_unique<Ui::TForm1>()), FOffice(std::move(office)) {
  // Pixel sizes, so that the window does not grow with the screen's resolution (a form holds
  // point sizes only). The window's font comes first: the register grid sizes its rows by the
  // font it is created with.
  setFont(TApplication::WindowFont(11));
  FControls->setupUi(this);
  setWindowTitle(TApplication::Title());
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  SetUpControls();
  FNotes = std::make_unique<TStatusNotes>(*FControls->StatusBar1);
  FDenominationGrid = std::make_unique<TDenominationGrid>(*FControls->StringGrid1);
  // A search that makes another bag current shows it as a click in the register does.
  FSearch = std::make_unique<TSearchField>(*FControls->edSearch, *FControls->lblFound,
                                           *FControls->DBGrid1, [this] { DBGrid1CellClick(); });
  ConnectEvents();
  FormCreate();
}

TForm1::~TForm1() { SetDataSource(nullptr); }

void TForm1::SetUpControls() {
  const Ui::TForm1& ui = *FControls;
  for (QLabel* caption :
       {ui.Label2, ui.Label10, ui.Label3, ui.Label4, ui.Label5, ui.Label7, ui.Label6})
    caption->setFont(TApplication::WindowFont(15));
  // Both page captions fit side by side, as on the classic page control.
  ui.pgcQRDetails->tabBar()->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 2px 5px; }"));
  // pbPreviewPaint fills the whole box before it draws the modules, so the page, the page
  // control and the panel beneath it need not be painted first on every repaint.
  ui.pbPreview->setAttribute(Qt::WA_OpaquePaintEvent);

  for (const TBagField field : AllBagFields)
    BagEditor(field).Link->SetDataField(BagFieldName(field));
  ui.DBEdit3->SetMaxLength(AccountLength);
  ui.DBComboBox1->addItems(CashSymbolItems());
  ui.DBComboBox1->setCurrentIndex(-1);

  ui.DBGrid1->setFocus();
  setFixedSize(ui.ClientArea->minimumWidth(), ui.MainMenu1->sizeHint().height() +
                                                  ui.ClientArea->minimumHeight() +
                                                  ui.StatusBar1->sizeHint().height());
  move(0, 0);
}

void TForm1::ConnectEvents() {
  const Ui::TForm1& ui = *FControls;
  connect(ui.Button1, &QPushButton::clicked, this, [this] { Guarded([this] { Button1Click(); }); });
  connect(ui.Button2, &QPushButton::clicked, this, [this] { Guarded([this] { Button2Click(); }); });
  connect(ui.Button3, &QPushButton::clicked, this, [this] { Guarded([this] { Button3Click(); }); });
  connect(ui.DBEdit1, &QLineEdit::textChanged, this,
          [this] { Guarded([this] { DBEdit1Change(); }); });
  connect(ui.DBEdit2, &QLineEdit::textChanged, this,
          [this] { Guarded([this] { DBEdit2Change(); }); });
  connect(ui.DBEdit3, &QLineEdit::textChanged, this,
          [this] { Guarded([this] { DBEdit2Change(); }); });
  for (TDBEdit* edit : {ui.DBEdit1, ui.DBEdit2, ui.DBEdit3, ui.DBEdit4, ui.DBEdit5, ui.DBEdit6})
    connect(edit, &TDBEdit::TextCut, this, [this, edit](qsizetype leftOut) {
      FNotes->Tell(TextCutNote(edit->DataField(), edit->EffectiveMaxLength(), leftOut));
    });
  ui.DBEdit3->OnKeyPress = &BankNumberKeyPress;
  ui.DBEdit4->OnKeyPress = &BankNumberKeyPress;
  connect(ui.DBGrid1, &TDBGrid::CellClick, this,
          [this] { Guarded([this] { DBGrid1CellClick(); }); });
  connect(ui.StringGrid1, &TStringGrid::KeyPress, this,
          [this](QChar& key) { Guarded([&] { StringGrid1KeyPress(key); }); });
  connect(ui.StringGrid1, &TStringGrid::SelectCell, this,
          [this](int col, int row) { Guarded([&] { StringGrid1SelectCell(col, row); }); });
  connect(ui.StringGrid1, &TStringGrid::SetEditText, this,
          [this](int col, int row, const QString& value) {
            Guarded([&] { StringGrid1SetEditText(col, row, value); });
          });
  connect(ui.N2, &QAction::triggered, this, [this] { Guarded([this] { N2Click(); }); });
  connect(ui.N3, &QAction::triggered, this, [this] { Guarded([this] { N3Click(); }); });
  connect(ui.N4, &QAction::triggered, this, [this] { Guarded([this] { N4Click(); }); });
  connect(ui.N5, &QAction::triggered, this, [this] { Guarded([this] { N5Click(); }); });
  connect(ui.N6, &QAction::triggered, this, [this] { Guarded([this] { N6Click(); }); });
  ui.pbPreview->OnPaint = [this](QPainter& canvas) { pbPreviewPaint(canvas); };
  SetUpKeys();
}

void TForm1::SetUpKeys() {
  const Ui::TForm1& ui = *FControls;
  const struct {
    QKeySequence Key;
    QPushButton* Button;
    std::function<void()> Handler;
  } buttons[] = {{QKeySequence(Qt::CTRL | Qt::Key_S), ui.Button1, [this] { SaveTyped(); }},
                 {QKeySequence(Qt::CTRL | Qt::Key_N), ui.Button3, [this] { AddFromKeyboard(); }}};
  for (const auto& button : buttons) {
    // An action of the window rather than the button's own shortcut, which would click it only
    // after showing it pressed, without the focused editor's text.
    auto* action = new QAction(this);  // the window owns it
    action->setShortcut(button.Key);
    addAction(action);
    connect(action, &QAction::triggered, this,
            [this, handler = button.Handler] { Guarded(handler); });
    button.Button->setToolTip(WithKey(button.Button->text(), button.Key));
  }
  ui.N3->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
  ui.N3->setToolTip(WithKey(ui.N3->text(), ui.N3->shortcut()));
  ui.N5->setShortcut(QKeySequence(Qt::Key_F8));
  ui.N5->setToolTip(WithKey(ui.N5->text(), ui.N5->shortcut()));
  auto* search = new QAction(this);  // the window owns it
  search->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
  addAction(search);
  connect(search, &QAction::triggered, this, [this] { FSearch->Enter(); });
  ui.edSearch->setToolTip(WithKey(QStringLiteral("Найти сумку"), search->shortcut()));
}

void TForm1::AddFromKeyboard() {
  // The cursor goes to the bag number first: leaving the grid afterwards would drop the new,
  // still untouched bag, as it does after "Добавить".
  FControls->DBEdit1->setFocus();
  Button3Click();
}

void TForm1::SetDataSource(TDataSource* source) {
  const Ui::TForm1& ui = *FControls;
  if (FDataSource) {
    FDataSource->RemoveLink(FNotes.get());
    FDataSource->RemoveLink(FSearch.get());
  }
  FDataSource = source;
  FNotes->SetDataSet(source ? &source->DataSet() : nullptr);
  FSearch->SetDataSet(source ? &source->DataSet() : nullptr);
  if (source) {
    source->AddLink(FNotes.get());
    source->AddLink(FSearch.get());
  }
  // The package number and the cash symbol first: the refreshes that the bag, recipient and
  // account editors start as they receive their values then describe the whole record.
  ui.DBEdit6->SetDataSource(source);
  ui.DBComboBox1->SetDataSource(source);
  for (TDBEdit* edit : {ui.DBEdit1, ui.DBEdit2, ui.DBEdit3, ui.DBEdit4, ui.DBEdit5})
    edit->SetDataSource(source);
  ui.DBGrid1->SetDataSource(source);
}

void TForm1::FormCreate() {
  // Contacts nothing yet: the office is reached first by an export or by PrepareOffice.
  if (!FOffice) FOffice = std::make_unique<TOOCalc>();
  FControls->DBComboBox1->setToolTip(CashSymbolHint());
  FControls->DBEdit2->setToolTip(
      QStringLiteral("Указывается точное краткое наименование организации (уточняйте в банке)"));
  FQRSymbol = std::make_unique<TQRSymbol>();
  // The symbol keeps its automatic encoding: the payload's Cyrillic makes that UTF-8 after a
  // byte-order mark, which readers recognise; Windows-1251 bytes carry no sign of their code
  // page.
  FQRSymbol->RegisterTextEncoder(teWin1251, &NewEncoder<TWin1251Encoder>);
  FQRSymbol->RegisterTextEncoder(teURL, &NewEncoder<TURLEncoder>);
  FDenominationGrid->SetUp();
}

void TForm1::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!event->spontaneous()) Guarded([this] { FormShow(); });
}

void TForm1::FormShow() { ReceiptNameUpdate(); }

void TForm1::closeEvent(QCloseEvent* event) {
  bool canClose = false;
  Guarded([&] { canClose = FormCloseQuery(); });
  if (canClose)
    QMainWindow::closeEvent(event);
  else
    event->ignore();
}

bool TForm1::FormCloseQuery() {
  if (!FDataSource || !HasUnsavedChange()) return true;
  TADOTable& dataSet = FDataSource->DataSet();
  switch (ShowMessageBox({TApplication::Title(), QStringLiteral("Сохранить изменения?"),
                          TMsgDlgType::mtConfirmation, TMsgDlgButtons::mbYesNoCancel})) {
    case TModalResult::mrYes:
      SaveTyped();
      return true;
    case TModalResult::mrNo:
      dataSet.Cancel();
      return true;
    default:
      return false;
  }
}

TForm1::TBagEditor TForm1::BagEditor(TBagField field) const {
  const Ui::TForm1& ui = *FControls;
  const auto Bound = [](auto* editor) { return TBagEditor{editor, editor}; };
  switch (field) {
    case TBagField::BagNumber:
      return Bound(ui.DBEdit1);
    case TBagField::PackageNumber:
      return Bound(ui.DBEdit6);
    case TBagField::Recipient:
      return Bound(ui.DBEdit2);
    case TBagField::Account:
      return Bound(ui.DBEdit3);
    case TBagField::Inn:
      return Bound(ui.DBEdit4);
    case TBagField::CashSymbol:
      return Bound(ui.DBComboBox1);
    case TBagField::FullName:
      return Bound(ui.DBEdit5);
  }
  return {};
}

bool TForm1::HasUnsavedChange() const {
  const TADOTable& dataSet = FDataSource->DataSet();
  if (dataSet.State() == TDataSetState::dsBrowse) return false;
  return dataSet.Modified() ||
         std::any_of(std::begin(AllBagFields), std::end(AllBagFields),
                     [this](TBagField field) { return BagEditor(field).Link->IsModified(); });
}

void TForm1::ReceiptNameUpdate() {
  const Ui::TForm1& ui = *FControls;
  const std::optional<QString> name = ReceiptNameForItem(ui.DBComboBox1->currentIndex());
  if (name) ui.Label11->setText(*name);
}

void TForm1::BuildVoucherPayload() {
  const Ui::TForm1& ui = *FControls;
  // The preview is repainted however the encoding ends.
  struct TRepaint {
    TPaintBox* Box;
    ~TRepaint() { Box->update(); }
  } repaint{ui.pbPreview};
  FQRSymbol->BeginUpdate();
  FQRSymbol->SetText(ComposeVoucherPayload(
      {ui.DBEdit1->text(), ui.DBEdit6->text(), ui.DBEdit2->text(), ui.DBEdit3->text(),
       ui.StringGrid1->Cells(DenominationSumCol, DenominationTotalRow),
       ui.DBComboBox1->currentText()}));
  try {
    FQRSymbol->EndUpdate(true);
  } catch (const EQRMatrixTooLarge&) {
    // No QR version holds this record (text another program stored): the preview, the memo
    // and the export must not go on with the previous record's symbol. The size line says
    // so instead of a box, which every change of such a record would raise again.
    FQRSymbol->Clear();
  }
  ui.lblQRMetrics->setText(QRMetricsLine(FQRSymbol->SymbolSize(), FQRSymbol->QuietZoneWidth()));
}

void TForm1::PayloadRefresh() {
  BuildVoucherPayload();
  FControls->mmoEncodedData->setPlainText(FQRSymbol->EncodedText());
}

void TForm1::RegisterResynced(const TResyncResult& result) {
  if (result.Current == TResyncCurrent::rcReloaded || result.Current == TResyncCurrent::rcDeleted ||
      result.Current == TResyncCurrent::rcLeftSearch ||
      result.Current == TResyncCurrent::rcFirstArrived) {
    ReceiptNameUpdate();
    PayloadRefresh();
  }
  FNotes->Resynced(result);
}

void TForm1::RegisterResyncFailed(const EDatabaseError& error) { FNotes->ResyncFailed(error); }

void TForm1::pbPreviewPaint(QPainter& canvas) {
  canvas.setPen(Qt::black);
  canvas.setBrush(Qt::white);
  DrawQRSymbol(canvas, FControls->pbPreview->rect(), *FQRSymbol, 0, dmRegion, true);
}

void TForm1::Button1Click() {
  TADOTable& dataSet = FDataSource->DataSet();
  if (!dataSet.Modified()) return;
  // The checks only warn: the record is saved whatever they find.
  const Ui::TForm1& ui = *FControls;
  const TBagTexts texts{ui.DBEdit1->text(), ui.DBEdit6->text(), ui.DBEdit2->text(),
                        ui.DBEdit3->text(), ui.DBEdit4->text()};
  for (const TSaveWarning& warning : SaveWarnings(texts)) {
    ShowMessage(warning.Message);
    if (warning.Focus) BagEditor(*warning.Focus).Widget->setFocus();
  }
  PayloadRefresh();
  dataSet.Post();
  ReceiptNameUpdate();
}

void TForm1::SaveTyped() {
  if (HasUnsavedChange()) FDataSource->DataSet().UpdateRecord();
  Button1Click();
}

void TForm1::Button2Click() { FDataSource->DataSet().Delete(); }

void TForm1::Button3Click() { FDataSource->DataSet().Insert(); }

void TForm1::DBEdit1Change() { PayloadRefresh(); }

void TForm1::DBEdit2Change() { PayloadRefresh(); }

void TForm1::DBGrid1CellClick() {
  ReceiptNameUpdate();
  PayloadRefresh();
}

void TForm1::StringGrid1KeyPress(QChar& key) { FDenominationGrid->KeyPress(key); }

void TForm1::StringGrid1SelectCell(int col, int row) { FDenominationGrid->SelectCell(col, row); }

void TForm1::StringGrid1SetEditText(int col, int row, const QString& value) {
  FDenominationGrid->SetEditText(col, row, value);
  PayloadRefresh();
}

void TForm1::N2Click() { FFirmDialog->ShowModally(); }

void TForm1::N3Click() {
  // The cells are filled from the register and the QR code from the editors: a change typed
  // and not yet saved is saved first, with the checks of "Сохранить", so that the printed
  // voucher, its code and the register all say the same. A refused save stops the export.
  if (HasUnsavedChange()) {
    SaveTyped();
    PayloadRefresh();  // from the values as the register now shows them
  }
  TWindowVoucherSource source(*this, *FFirmDialog, FDataSource->DataSet());
  ExportVoucher(*FOffice, source);
}

void TForm1::N5Click() {
  const TADOTable& table = FDataSource->DataSet();
  QStringList fields;
  for (TBagField field : AllBagFields) fields << BagFieldName(field);
  THistoryForm form(table.Connection().Engine(), fields, this);
  form.Find(FieldDisplayText(table.FieldValue(int(TBagField::BagNumber))));
  form.exec();
}

void TForm1::N6Click() {
  TStoreEngine& engine = FDataSource->DataSet().Connection().Engine();
  if (!engine.HasHistory()) {
    ShowMessage(NoHistoryText());
    return;
  }
  const THistoryCheck check = engine.CheckHistory();
  if (check.Broken)
    ShowMessageBox({TApplication::Title(),
                    check.Text() + QStringLiteral(" Журнал менялся в обход программы: сообщите "
                                                  "администратору (%1).")
                                       .arg(engine.Name()),
                    TMsgDlgType::mtError});
  else
    ShowMessageBox({TApplication::Title(), check.Text(), TMsgDlgType::mtInformation});
}

void TForm1::N4Click() {
  if (!FormCloseQuery()) return;
  ImportBags(*this, FDataSource->DataSet(), FOffice->AutomationServer(),
             [this](const TResyncResult& result) { RegisterResynced(result); });
}
