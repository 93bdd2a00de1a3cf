#pragma once

#include <QDialog>
#include <QString>

#include <memory>

class QKeyEvent;

namespace Ui {
class TForm4;
}

// The firm dialog "Фирма": the firm name (Edit1, editable) and the cash account (Edit2,
// disabled; changed only by editing the settings file). Created hidden at start-up, it loads
// the settings file once and lives for the whole run; the export reads its editors.
// Section "user", keys "name" and "acc" of the settings file. Its fixed layout is the form
// app/Reg.ui: Bevel1, Label1, Edit1, Label2, Edit2, Button1 "Закрыть и сохранить".
class TForm4 : public QDialog {
  Q_OBJECT

public:
  // `iniPath` is the settings file; the program passes DefaultIniPath(), tests another file.
  // Loads the file (FormCreate); a missing or unreadable file leaves the defaults.
  explicit TForm4(QWidget* parent = nullptr, const QString& iniPath = DefaultIniPath());
  ~TForm4() override;

  // "firmname.ini" in the folder of the running executable (not the working directory).
  // Needs the QApplication to exist.
  static QString DefaultIniPath();

  const QString& IniPath() const { return FIniPath; }

  // The controls of the dialog's form under their designer names, owned through Qt
  // parenthood and alive as long as the dialog.
  const Ui::TForm4& Controls() const { return *FControls; }
  // What the editors hold now, saved or not: the firm name (Edit1), the cash account (Edit2).
  QString FirmName() const;
  QString CashAccount() const;

  // Saves both editors to the file, then closes the dialog. Throws EIniFileException when the
  // file cannot be written; the dialog then stays open and its values stay as they were. A
  // click on Button1 runs it guarded (the error box, or the application's handler).
  void Button1Click();

  // The step of the menu item "Добавить фирму": saves first (so the first showing creates the
  // file with the defaults), then shows the dialog modally until the operator leaves it with
  // the button (saved) or the close box (not saved, typed text kept). When that first save
  // fails, the dialog still opens and the failure goes to the application's exception handler
  // (TGuardedApplication::HandleException) from inside its modal loop, so that the error box
  // shows above the open dialog.
  void ShowModally();

protected:
  void keyPressEvent(QKeyEvent* event) override;

private:
  void FormCreate();
  void Save();

  std::unique_ptr<Ui::TForm4> FControls;
  QString FIniPath;
};
