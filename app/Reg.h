#pragma once

#include <QDialog>
#include <QString>

class QFrame;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;

// The firm dialog "Фирма": the firm name (Edit1, editable) and the cash account (Edit2,
// disabled; changed only by editing the settings file). Created hidden at start-up, it loads
// the settings file once and lives for the whole run; the export reads its editors.
// Section "user", keys "name" and "acc" of the settings file.
class TForm4 : public QDialog {
  Q_OBJECT

public:
  // `iniPath` is the settings file; the program passes DefaultIniPath(), tests another file.
  // Loads the file (FormCreate); a missing or unreadable file leaves the defaults.
  explicit TForm4(QWidget* parent = nullptr, const QString& iniPath = DefaultIniPath());

  // "firmname.ini" in the folder of the running executable (not the working directory).
  // Needs the QApplication to exist.
  static QString DefaultIniPath();

  const QString& IniPath() const { return FIniPath; }

  // Saves both editors to the file, then closes the dialog. Throws EIniFileException when the
  // file cannot be written; the dialog then stays open and its values stay as they were.
  void Button1Click();

  // The step of the menu item "Добавить фирму": saves first (so the first showing creates the
  // file with the defaults), then shows the dialog modally until the operator leaves it with
  // the button (saved) or the close box (not saved, typed text kept). When that first save
  // fails, the dialog still opens and the EIniFileException is rethrown from inside its modal
  // loop, for the application-wide handler to show above the open dialog.
  void ShowModally();

  QFrame* Bevel1;
  QLabel* Label1;
  QLineEdit* Edit1;
  QLabel* Label2;
  QLineEdit* Edit2;
  QPushButton* Button1;

protected:
  void keyPressEvent(QKeyEvent* event) override;

private:
  void FormCreate();
  void Save();

  QString FIniPath;
};
