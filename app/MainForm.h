#pragma once

#include <QChar>
#include <QMainWindow>
#include <QString>

#include <memory>

class QAction;
class QFrame;
class QLabel;
class QMenuBar;
class QPainter;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
enum class TBagField;
class TDataSource;
class TDenominationGrid;
class TDBComboBox;
class TDBEdit;
class TDBGrid;
class TForm4;
class TOOCalc;
class TPaintBox;
class TQRSymbol;
class TStringGrid;

// The main window: the fields of the current bag, the denomination grid, the live QR code of
// the voucher payload and its text, the register of bags and the menu. Fixed size (client
// area 778 x 547 below the menu), placed at the top-left corner of the screen.
//
// The data-aware controls show nothing until the data module attaches its data source
// (SetDataSource); the firm dialog is handed over with SetFirmDialog. Both must outlive the
// window or be detached first. Handlers that use them must not run before they are set.
class TForm1 : public QMainWindow {
  Q_OBJECT

public:
  // Builds the controls, connects their events and runs FormCreate.
  explicit TForm1(QWidget* parent = nullptr);
  ~TForm1() override;

  // Attaches every data-aware control to `source` (null detaches them).
  void SetDataSource(TDataSource* source);
  // The firm dialog N2Click shows; not owned.
  void SetFirmDialog(TForm4* dialog) { FFirmDialog = dialog; }

  // The QR symbol of the current voucher payload; lives as long as the window.
  TQRSymbol& QRSymbol() const { return *FQRSymbol; }
  // For tests: exchanges the office wrapper the export uses with `office` (which then holds
  // the previous one), so that the export reaches an office of the test's own.
  void SwapOffice(std::unique_ptr<TOOCalc>& office) { FOffice.swap(office); }

  // Creation and show steps.
  void FormCreate();
  void FormShow();
  // Whether the window may close. With a typed change of the current record not yet saved it
  // asks "Сохранить изменения?": Да saves with the checks of "Сохранить" (true once saved; a
  // failed save raises and the window stays), Нет drops the change (true), Отмена keeps the
  // window open (false).
  bool FormCloseQuery();

  // Event handlers.
  void Button1Click();
  void Button2Click();
  void Button3Click();
  void DBEdit1Change();
  void DBEdit2Change();
  void DBEdit3KeyPress(QChar& key);
  void DBGrid1CellClick();
  void StringGrid1KeyPress(QChar& key);
  void StringGrid1SelectCell(int col, int row);
  void StringGrid1SetEditText(int col, int row, const QString& value);
  void N2Click();
  // Exports the current bag into the office suite (ExportVoucher).
  void N3Click();
  void pbPreviewPaint(QPainter& canvas);

  // Rebuilds the QR symbol from the controls (BuildVoucherPayload), then shows its encoded
  // text in mmoEncodedData (empty when the payload fits no symbol).
  void PayloadRefresh();
  // Composes the payload from the bag editors and the grid total, encodes it once, writes
  // the size line and repaints the preview. A payload that fits no QR version leaves the
  // symbol empty (SymbolSize() 0, so the preview shows no code and the export refuses) and
  // the size line saying that the data do not fit; nothing is raised.
  void BuildVoucherPayload();
  // Sets Label11 to the receipt name of the cash symbol selected in DBComboBox1: empty for
  // the blank item, the names of 2, 11 and 19; "32" and no selection leave it as it is.
  void ReceiptNameUpdate();

  // The controls, owned through Qt parenthood. Geometry is left, top, width, height in the
  // parent's pixels; Panel1's children sit 16 px higher on the window than their numbers.
  QFrame* Panel1;               // 0, -16, 505, 377
  QFrame* Bevel1;               // in Panel1: 8, 24, 249, 329
  QLabel* Label2;               // in Panel1: 24, 40 "Номер сумки"
  TDBEdit* DBEdit1;             // 128, 24, 121, 21 "Номер сумки"
  QLabel* Label10;              // in Panel1: 24, 72 "Номер пакета"
  TDBEdit* DBEdit6;             // in Panel1: 126, 72, 121, 21 "Номер пакета"
  QLabel* Label3;               // in Panel1: 32, 104 "Получатель"
  TDBEdit* DBEdit2;             // 128, 88, 121, 21 "Получатель"
  QLabel* Label4;               // in Panel1: 32, 128, 105, 41 "Расчетный счет"
  TDBEdit* DBEdit3;             // 128, 120, 121, 21 "Счет", at most 20 characters
  QLabel* Label5;               // in Panel1: 80, 168 "ИНН"
  TDBEdit* DBEdit4;             // 128, 152, 121, 21 "Инн"
  QLabel* Label7;               // in Panel1: 64, 200 "Символ"
  TDBComboBox* DBComboBox1;     // in Panel1: 127, 200, 121, 21 "Символ"
  QLabel* Label6;               // in Panel1: 80, 248 "ФИО"
  TDBEdit* DBEdit5;             // 128, 232, 121, 21 "ФИО"
  QPushButton* Button2;         // in Panel1: 16, 304, 65, 33 "Удалить"
  QPushButton* Button1;         // in Panel1: 112, 304, 65, 33 "Сохранить"
  QPushButton* Button3;         // in Panel1: 184, 304, 65, 33 "Добавить"
  QLabel* Label11;              // in Panel1: 168, 312, never visible: the receipt name
  QTabWidget* pgcQRDetails;     // in Panel1: 264, 24, 233, 294
  QWidget* tsPreview;           // page "просмотр"
  TPaintBox* pbPreview;         // the QR code, above lblQRMetrics
  QLabel* lblQRMetrics;         // the size line, 13 px high along the bottom
  QWidget* tsEncodedData;       // page "закодированная информация"
  QPlainTextEdit* mmoEncodedData;  // the symbol's encoded text, read-only
  TStringGrid* StringGrid1;     // 505, 0, 273, 361: the denomination grid
  TDBGrid* DBGrid1;             // 0, 361, 777, 185: the register
  QMenuBar* MainMenu1;
  QAction* N2;                  // "Добавить фирму"
  QAction* N3;                  // "Экспорт в эксель"

protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

private:
  void CreateControls();
  void ConnectEvents();
  // The editor bound to `field`.
  QWidget* BagEditor(TBagField field) const;
  // The current record is being edited and a field or a bound editor holds a change.
  bool HasUnsavedChange() const;

  std::unique_ptr<TQRSymbol> FQRSymbol;
  std::unique_ptr<TOOCalc> FOffice;
  std::unique_ptr<TDenominationGrid> FDenominationGrid;
  TForm4* FFirmDialog = nullptr;
  TDataSource* FDataSource = nullptr;
};
