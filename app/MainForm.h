#pragma once

#include <QChar>
#include <QMainWindow>
#include <QString>

#include <memory>

class EDatabaseError;
class QPainter;
enum class TBagField;
class TDataSource;
class TDenominationGrid;
class TFieldDataLink;
class TForm4;
class TOOCalc;
class TQRSymbol;
class TSearchField;
class TStatusNotes;
struct TResyncResult;

namespace Ui {
class TForm1;
}

// The main window: the fields of the current bag, the denomination grid, the live QR code of
// the voucher payload and its text, the register of bags and the menu. Its fixed layout is the
// form app/MainForm.ui; the window sets the fonts, binds the controls and connects their events.
// Fixed size (client area 778 x 547 below the menu, the status line StatusBar1 below it),
// placed at the top-left corner of the screen. The controls keep their designer names; the less
// obvious ones: DBEdit1 bag number, DBEdit6 package number, DBEdit2 recipient, DBEdit3 account,
// DBEdit4 INN, DBEdit5 full name, DBComboBox1 cash symbol, Button1 "Сохранить", Button2 "Удалить",
// Button3 "Добавить", Label11 the hidden receipt name, StringGrid1 the denomination grid, DBGrid1
// the register, edSearch the register's search field above it and lblFound its count
// (TSearchField), N2 "Добавить фирму", N3 "Экспорт в эксель", N4 "Импорт сумок…", N5 "История",
// N6 "Проверить журнал".
//
// The data-aware controls show nothing until the data module attaches its data source
// (SetDataSource); the firm dialog is handed over with SetFirmDialog. Both must outlive the
// window or be detached first. Handlers that use them must not run before they are set.
class TForm1 : public QMainWindow {
  Q_OBJECT

public:
  // Builds the controls, connects their events and runs FormCreate. The export goes to office,
  // or, when it is null, to the program's own LibreOffice (TOOCalc()).
  explicit TForm1(QWidget* parent = nullptr);
  TForm1(QWidget* parent, std::unique_ptr<TOOCalc> office);
  ~TForm1() override;

  // Attaches every data-aware control to `source` (null detaches them).
  void SetDataSource(TDataSource* source);
  // The firm dialog N2Click shows; not owned.
  void SetFirmDialog(TForm4* dialog) { FFirmDialog = dialog; }

  // The controls of the window's form (app/MainForm.ui) under their designer names, owned
  // through Qt parenthood and alive as long as the window.
  const Ui::TForm1& Controls() const { return *FControls; }
  // The QR symbol of the current voucher payload; lives as long as the window.
  const TQRSymbol& QRSymbol() const { return *FQRSymbol; }
  TQRSymbol& QRSymbol() { return *FQRSymbol; }
  // The office the export goes to; lives as long as the window.
  TOOCalc& Office() const { return *FOffice; }

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
  void DBGrid1CellClick();
  void StringGrid1KeyPress(QChar& key);
  void StringGrid1SelectCell(int col, int row);
  void StringGrid1SetEditText(int col, int row, const QString& value);
  void N2Click();
  // Exports the current bag into the office suite (ExportVoucher). A typed change of the
  // current record is saved first as by "Сохранить" (its checks, then the post); when the post
  // fails, its error is raised and nothing is exported.
  void N3Click();
  // Imports bags from a file into the register (ImportBags), once a typed change of the
  // current record is settled as on closing (FormCloseQuery; Отмена gives the import up).
  void N4Click();
  // Opens the window "История" (THistoryForm) on the changes of the current bag's number as the
  // register holds it, modally; the history is read only now.
  void N5Click();
  // Walks the whole history's chain (TStoreEngine::CheckHistory) and tells the operator that
  // it is whole, with its record count, or which record breaks it.
  void N6Click();
  void pbPreviewPaint(QPainter& canvas);

  // Rebuilds the QR symbol from the controls (BuildVoucherPayload), then shows its encoded
  // text in mmoEncodedData (empty when the payload fits no symbol).
  void PayloadRefresh();
  // Composes the payload from the bag editors and the grid total, encodes it once, writes
  // the size line and repaints the preview. A payload that fits no QR version leaves the
  // symbol empty (SymbolSize() 0, so the preview shows no code and the export refuses) and
  // the size line saying that the data do not fit; nothing is raised.
  void BuildVoucherPayload();
  // The register caught up with other desks (`result`): when the bag shown is another one or
  // shows other stored values, the receipt name and the payload follow it as after a click in
  // the register; what happened to the bag the operator had in front of them goes to the status
  // line (ResyncNote) for as long as it is true (TStatusNotes).
  void RegisterResynced(const TResyncResult& result);
  // The register could not catch up with other desks: a note in the status line until it
  // does, or another note takes its place.
  void RegisterResyncFailed(const EDatabaseError& error);
  // Sets Label11 to the receipt name of the cash symbol selected in DBComboBox1: empty for
  // the blank item, the names of 2, 11 and 19; "32" and no selection leave it as it is.
  void ReceiptNameUpdate();

protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

private:
  // A bound editor of the form: the widget and its tie to the field.
  struct TBagEditor {
    QWidget* Widget = nullptr;
    TFieldDataLink* Link = nullptr;
  };

  // What the form cannot hold: pixel fonts, the bindings, the cash-symbol items, the focus and
  // the fixed size.
  void SetUpControls();
  void ConnectEvents();
  // The keys an operator uses all day, each named in its button's or menu item's tooltip:
  // Ctrl+S saves as "Сохранить" (SaveTyped), Ctrl+N adds a bag as "Добавить" with the cursor
  // in its bag number (AddFromKeyboard), Ctrl+E exports as N3, Ctrl+F puts the cursor into the
  // search field. They work wherever the focus is in the window; Ctrl+S and Ctrl+E leave it
  // where it is. F8 opens the history as N5.
  void SetUpKeys();
  void AddFromKeyboard();
  // "Сохранить" as a click on it saves: the focused editor's text goes into the record first,
  // as the click that takes the focus from the editor would put it there.
  void SaveTyped();
  // The editor bound to `field`.
  TBagEditor BagEditor(TBagField field) const;
  // The current record is being edited and a field or a bound editor holds a change.
  bool HasUnsavedChange() const;

  std::unique_ptr<Ui::TForm1> FControls;
  std::unique_ptr<TQRSymbol> FQRSymbol;
  std::unique_ptr<TOOCalc> FOffice;
  std::unique_ptr<TDenominationGrid> FDenominationGrid;
  TForm4* FFirmDialog = nullptr;
  TDataSource* FDataSource = nullptr;
  std::unique_ptr<TStatusNotes> FNotes;  // what StatusBar1 says
  std::unique_ptr<TSearchField> FSearch;
};
