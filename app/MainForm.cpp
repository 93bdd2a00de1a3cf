#include "app/MainForm.h"

#include <QAction>
#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <iterator>

#include "app/store/ADOTable.h"
#include "app/Application.h"
#include "app/controls/DBComboBox.h"
#include "app/controls/DBEdit.h"
#include "app/controls/DBGrid.h"
#include "app/store/DataSource.h"
#include "app/DenominationGrid.h"
#include "app/controls/Dialogs.h"
#include "app/controls/PaintBox.h"
#include "app/Reg.h"
#include "app/controls/StringGrid.h"
#include "app/WindowVoucherSource.h"
#include "office/OpenOffice.h"
#include "office/VoucherExport.h"
#include "qr/QRGraphics.h"
#include "qr/QRSymbol.h"
#include "qr/QR_URL.h"
#include "qr/QR_Win1251.h"
#include "qr/encoder/QRErrors.h"
#include "texts/NumberFormat.h"
#include "texts/VoucherPayload.h"

namespace {

constexpr int ClientWidth = 778;
constexpr int ClientHeight = 547;

QFont Tahoma(int pixelSize) {
  QFont font(QStringLiteral("Tahoma"));
  font.setPixelSize(pixelSize);
  return font;
}

QLabel* NewLabel(QWidget* parent, int left, int top, const QString& caption) {
  auto* label = new QLabel(caption, parent);
  label->setFont(Tahoma(15));
  label->adjustSize();
  label->move(left, top);
  return label;
}

TDBEdit* NewDBEdit(QWidget* parent, const QRect& geometry, const QString& field) {
  auto* edit = new TDBEdit(parent);
  edit->setGeometry(geometry);
  edit->SetDataField(field);
  return edit;
}

QPushButton* NewButton(QWidget* parent, const QRect& geometry, const QString& caption) {
  auto* button = new QPushButton(caption, parent);
  button->setGeometry(geometry);
  return button;
}

}  // namespace

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
  setWindowTitle(TApplication::Title());
  setFont(Tahoma(11));
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  CreateControls();
  ConnectEvents();
  FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::CreateControls() {
  MainMenu1 = menuBar();
  N2 = MainMenu1->addAction(QStringLiteral("Добавить фирму"));
  N3 = MainMenu1->addAction(QStringLiteral("Экспорт в эксель"));

  auto* client = new QWidget(this);
  client->setFixedSize(ClientWidth, ClientHeight);
  setCentralWidget(client);

  Panel1 = new QFrame(client);
  Panel1->setGeometry(0, -16, 505, 377);
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  Panel1->setLineWidth(2);
  Panel1->setAutoFillBackground(true);
  QPalette panelColours = Panel1->palette();
  panelColours.setColor(QPalette::Window, QColor(0xD7, 0xE4, 0xF2));  // inactive caption gradient
  Panel1->setPalette(panelColours);

  Bevel1 = new QFrame(Panel1);
  Bevel1->setGeometry(8, 24, 249, 329);
  Bevel1->setFrameStyle(QFrame::Panel | QFrame::Raised);

  Label2 = NewLabel(Panel1, 24, 40, QStringLiteral("Номер сумки"));
  Label10 = NewLabel(Panel1, 24, 72, QStringLiteral("Номер пакета"));
  DBEdit6 = NewDBEdit(Panel1, {126, 72, 121, 21}, QStringLiteral("Номер пакета"));
  Label3 = NewLabel(Panel1, 32, 104, QStringLiteral("Получатель"));
  Label4 = NewLabel(Panel1, 32, 128, QStringLiteral("Расчетный счет"));
  Label4->setWordWrap(true);
  Label4->setGeometry(32, 128, 105, 41);
  Label4->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Label5 = NewLabel(Panel1, 80, 168, QStringLiteral("ИНН"));
  Label7 = NewLabel(Panel1, 64, 200, QStringLiteral("Символ"));
  DBComboBox1 = new TDBComboBox(Panel1);
  DBComboBox1->setGeometry(127, 200, 121, 21);
  DBComboBox1->addItems({QStringLiteral("   "), QStringLiteral("2"), QStringLiteral("11"),
                         QStringLiteral("19"), QStringLiteral("32")});
  DBComboBox1->SetDataField(QStringLiteral("Символ"));
  DBComboBox1->setCurrentIndex(-1);
  Label6 = NewLabel(Panel1, 80, 248, QStringLiteral("ФИО"));
  Button2 = NewButton(Panel1, {16, 304, 65, 33}, QStringLiteral("Удалить"));
  Button1 = NewButton(Panel1, {112, 304, 65, 33}, QStringLiteral("Сохранить"));
  Button3 = NewButton(Panel1, {184, 304, 65, 33}, QStringLiteral("Добавить"));
  Label11 = new QLabel(Panel1);
  Label11->move(168, 312);
  Label11->hide();

  pgcQRDetails = new QTabWidget(Panel1);
  pgcQRDetails->setGeometry(264, 24, 233, 294);
  // Both page captions fit side by side, as on the classic page control.
  pgcQRDetails->tabBar()->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 2px 5px; }"));
  tsPreview = new QWidget;
  pbPreview = new TPaintBox(tsPreview);
  // pbPreviewPaint fills the whole box before it draws the modules, so the page, the page
  // control and the panel beneath it need not be painted first on every repaint.
  pbPreview->setAttribute(Qt::WA_OpaquePaintEvent);
  lblQRMetrics = new QLabel(tsPreview);
  lblQRMetrics->setFixedHeight(13);
  lblQRMetrics->setAlignment(Qt::AlignCenter);
  auto* previewLayout = new QVBoxLayout(tsPreview);
  previewLayout->setContentsMargins(0, 0, 0, 0);
  previewLayout->setSpacing(0);
  previewLayout->addWidget(pbPreview, 1);
  previewLayout->addWidget(lblQRMetrics);
  pgcQRDetails->addTab(tsPreview, QStringLiteral("просмотр"));
  tsEncodedData = new QWidget;
  mmoEncodedData = new QPlainTextEdit(tsEncodedData);
  mmoEncodedData->setReadOnly(true);
  mmoEncodedData->setFrameShape(QFrame::NoFrame);
  mmoEncodedData->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  auto* encodedLayout = new QVBoxLayout(tsEncodedData);
  encodedLayout->setContentsMargins(0, 0, 0, 0);
  encodedLayout->addWidget(mmoEncodedData);
  pgcQRDetails->addTab(tsEncodedData, QStringLiteral("закодированная информация"));
  pgcQRDetails->setCurrentIndex(0);

  // Created after Panel1, so that they lie on top of it.
  DBEdit1 = NewDBEdit(client, {128, 24, 121, 21}, QStringLiteral("Номер сумки"));
  DBEdit1->setToolTip(QStringLiteral("Является уникальным "));
  DBEdit2 = NewDBEdit(client, {128, 88, 121, 21}, QStringLiteral("Получатель"));
  DBEdit3 = NewDBEdit(client, {128, 120, 121, 21}, QStringLiteral("Счет"));
  DBEdit3->SetMaxLength(20);
  DBEdit3->setToolTip(QStringLiteral("20 цифр"));
  DBEdit4 = NewDBEdit(client, {128, 152, 121, 21}, QStringLiteral("Инн"));
  DBEdit4->setToolTip(QStringLiteral("10 цифр"));
  DBEdit5 = NewDBEdit(client, {128, 232, 121, 21}, QStringLiteral("ФИО"));

  StringGrid1 = new TStringGrid(client);
  StringGrid1->setGeometry(505, 0, 273, 361);
  DBGrid1 = new TDBGrid(client);
  DBGrid1->setGeometry(0, 361, 777, 185);

  QWidget* focusOrder[] = {DBGrid1, Button1, DBComboBox1, Button2, Button3, pgcQRDetails, DBEdit6,
                           DBEdit1, DBEdit2,  DBEdit3,    DBEdit4, StringGrid1, DBEdit5};
  for (std::size_t i = 1; i < std::size(focusOrder); ++i) setTabOrder(focusOrder[i - 1], focusOrder[i]);
  DBGrid1->setFocus();

  setFixedSize(ClientWidth, ClientHeight + MainMenu1->sizeHint().height());
  move(0, 0);
}

void TForm1::ConnectEvents() {
  connect(Button1, &QPushButton::clicked, this, [this] { Guarded([this] { Button1Click(); }); });
  connect(Button2, &QPushButton::clicked, this, [this] { Guarded([this] { Button2Click(); }); });
  connect(Button3, &QPushButton::clicked, this, [this] { Guarded([this] { Button3Click(); }); });
  connect(DBEdit1, &QLineEdit::textChanged, this, [this] { Guarded([this] { DBEdit1Change(); }); });
  connect(DBEdit2, &QLineEdit::textChanged, this, [this] { Guarded([this] { DBEdit2Change(); }); });
  connect(DBEdit3, &QLineEdit::textChanged, this, [this] { Guarded([this] { DBEdit2Change(); }); });
  DBEdit3->OnKeyPress = [this](QChar& key) { DBEdit3KeyPress(key); };
  DBEdit4->OnKeyPress = [this](QChar& key) { DBEdit3KeyPress(key); };
  connect(DBGrid1, &TDBGrid::CellClick, this, [this] { Guarded([this] { DBGrid1CellClick(); }); });
  connect(StringGrid1, &TStringGrid::KeyPress, this,
          [this](QChar& key) { Guarded([&] { StringGrid1KeyPress(key); }); });
  connect(StringGrid1, &TStringGrid::SelectCell, this,
          [this](int col, int row) { Guarded([&] { StringGrid1SelectCell(col, row); }); });
  connect(StringGrid1, &TStringGrid::SetEditText, this, [this](int col, int row, const QString& value) {
    Guarded([&] { StringGrid1SetEditText(col, row, value); });
  });
  connect(N2, &QAction::triggered, this, [this] { Guarded([this] { N2Click(); }); });
  connect(N3, &QAction::triggered, this, [this] { Guarded([this] { N3Click(); }); });
  pbPreview->OnPaint = [this](QPainter& canvas) { pbPreviewPaint(canvas); };
}

void TForm1::SetDataSource(TDataSource* source) {
  FDataSource = source;
  // The package number and the cash symbol first: the refreshes that the bag, recipient and
  // account editors start as they receive their values then describe the whole record.
  DBEdit6->SetDataSource(source);
  DBComboBox1->SetDataSource(source);
  for (TDBEdit* edit : {DBEdit1, DBEdit2, DBEdit3, DBEdit4, DBEdit5}) edit->SetDataSource(source);
  DBGrid1->SetDataSource(source);
}

void TForm1::FormCreate() {
  FOffice = std::make_unique<TOOCalc>();
  DBComboBox1->setToolTip(QStringLiteral(
      "2 - Поступления от продажи товаров\r"
      "11 - Поступления от реализации платных услуг (выполненных работ) \r"
      "19 - Поступления на счета индивидуальных предпринимателей\r"
      "32 - Прочие поступления"));
  DBEdit2->setToolTip(QStringLiteral(
      "Указывается точное краткое наименование организации (уточняйте в банке)"));
  FQRSymbol = std::make_unique<TQRSymbol>();
  FQRSymbol->RegisterTextEncoder(7, &NewEncoder<TWin1251Encoder>);
  FQRSymbol->RegisterTextEncoder(6, &NewEncoder<TURLEncoder>);
  SetUpDenominationGrid(*StringGrid1);
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
      // The focused editor's text first, as the click on "Сохранить" stores it.
      dataSet.UpdateRecord();
      Button1Click();
      return true;
    case TModalResult::mrNo:
      dataSet.Cancel();
      return true;
    default:
      return false;
  }
}

bool TForm1::HasUnsavedChange() const {
  const TADOTable& dataSet = FDataSource->DataSet();
  if (dataSet.State() == TDataSetState::dsBrowse) return false;
  const TFieldDataLink* editors[] = {DBEdit1, DBEdit6, DBEdit2, DBEdit3, DBEdit4, DBComboBox1, DBEdit5};
  return dataSet.Modified() ||
         std::any_of(std::begin(editors), std::end(editors), [](const TFieldDataLink* e) { return e->IsModified(); });
}

void TForm1::ReceiptNameUpdate() {
  switch (DBComboBox1->currentIndex()) {
    case 0: Label11->setText(QString()); break;
    case 1: Label11->setText(QStringLiteral("Поступления от продажи товаров")); break;
    case 2:
      Label11->setText(QStringLiteral("Поступления от реализации платных услуг (выполненных работ)"));
      break;
    case 3: Label11->setText(QStringLiteral("Поступления на счета индивидуальных предпринимателей")); break;
    default: break;
  }
}

void TForm1::BuildVoucherPayload() {
  // The preview is repainted however the encoding ends.
  struct TRepaint {
    TPaintBox* Box;
    ~TRepaint() { Box->update(); }
  } repaint{pbPreview};
  FQRSymbol->BeginUpdate();
  FQRSymbol->SetText(ComposeVoucherPayload(
      {DBEdit1->text(), DBEdit6->text(), DBEdit2->text(), DBEdit3->text(),
       StringGrid1->Cells(DenominationSumCol, DenominationTotalRow), DBComboBox1->currentText()}));
  try {
    FQRSymbol->EndUpdate(true);
  } catch (const EQRMatrixTooLarge&) {
    // No QR version holds this record (text another program stored): the preview, the memo
    // and the export must not go on with the previous record's symbol. The size line says
    // so instead of a box, which every change of such a record would raise again.
    FQRSymbol->Clear();
  }
  lblQRMetrics->setText(QRMetricsLine(FQRSymbol->SymbolSize(), FQRSymbol->QuietZoneWidth()));
}

void TForm1::PayloadRefresh() {
  BuildVoucherPayload();
  mmoEncodedData->setPlainText(FQRSymbol->EncodedText());
}

void TForm1::pbPreviewPaint(QPainter& canvas) {
  canvas.setPen(Qt::black);
  canvas.setBrush(Qt::white);
  DrawQRSymbol(canvas, pbPreview->rect(), *FQRSymbol, 0, dmRegion, true);
}

void TForm1::Button1Click() {
  TADOTable& dataSet = FDataSource->DataSet();
  if (!dataSet.Modified()) return;
  // The checks only warn: the record is saved whatever they find.
  if (DBEdit1->text().isEmpty()) {
    ShowMessage(QStringLiteral("Введите номер сумки"));
    DBEdit1->setFocus();
  }
  if (DBEdit6->text().isEmpty()) {
    ShowMessage(QStringLiteral("Введите номер сейф-пакета"));
    DBEdit6->setFocus();
  }
  if (DBEdit3->text().size() != 20) ShowMessage(QStringLiteral("Проверьте номер счета"));
  if (DBEdit4->text().size() != 10) ShowMessage(QStringLiteral("Проверьте номер ИНН"));
  if (DBEdit2->text().isEmpty()) {
    ShowMessage(QStringLiteral("Введите получателя"));
    DBEdit2->setFocus();
  }
  PayloadRefresh();
  dataSet.Post();
  ReceiptNameUpdate();
}

void TForm1::Button2Click() { FDataSource->DataSet().Delete(); }

void TForm1::Button3Click() { FDataSource->DataSet().Insert(); }

void TForm1::DBEdit1Change() { PayloadRefresh(); }

void TForm1::DBEdit2Change() { PayloadRefresh(); }

void TForm1::DBEdit3KeyPress(QChar& key) {
  const bool passes = key == QChar(8) || (key >= u'0' && key <= u'9') || key == DecimalSeparator();
  if (!passes) key = QChar();
}

void TForm1::DBGrid1CellClick() {
  ReceiptNameUpdate();
  PayloadRefresh();
}

void TForm1::StringGrid1KeyPress(QChar& key) {
  if (!DenominationKeyPasses(key)) key = QChar();
}

void TForm1::StringGrid1SelectCell(int col, int) { StringGrid1->SetEditing(DenominationCellEditable(col)); }

void TForm1::StringGrid1SetEditText(int, int, const QString&) {
  RecalculateDenominationGrid(*StringGrid1);
  PayloadRefresh();
}

void TForm1::N2Click() { FFirmDialog->ShowModally(); }

void TForm1::N3Click() {
  TWindowVoucherSource source(*this, *FFirmDialog, FDataSource->DataSet());
  ExportVoucher(*FOffice, source);
}
