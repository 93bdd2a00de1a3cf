#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>

#include "app/Startup.h"
#include "app/store/ADOConnection.h"
#include "office/OpenOffice.h"
#include "tests/app/AppTestSupport.h"

class QAction;
class QWidget;
class TADOTable;
class TDBGrid;
class TForm1;
class THistoryForm;
class TOOCalc;

namespace Ui {
class TForm1;
}

// The program as start-up leaves it, in a temporary working folder holding db.mdb with the
// given bags, its window shown and active, every box recorded instead of shown.
class TRunningProgram {
public:
  // office: where the window's export goes (null: the program's own LibreOffice);
  // `generated` more bags follow `bags` (InsertGeneratedBags).
  explicit TRunningProgram(const std::vector<TBagRow>& bags,
                           std::unique_ptr<TOOCalc> office = nullptr, int generated = 0);
  // The same, with database.ini pointing the program at `server` instead (no db.mdb).
  explicit TRunningProgram(const TServerConnection& server);

  TForm1& Window() const;
  // The window's controls by their designer names.
  const Ui::TForm1& Controls() const;
  TADOTable& Register() const;
  // The bag numbers the register grid shows, top to bottom.
  QStringList GridBags() const;
  QString Db() const { return Dir.Path(QStringLiteral("db.mdb")); }

  // Operator actions, through real mouse and key events.
  void Click(QWidget* widget) const;
  void ClickRow(int row) const;
  // Clicks the edit, selects its text and types `text` over it (empty: Backspace).
  void TypeOver(QWidget* edit, const QString& text) const;

  TTempWorkDir Dir;
  TMessageRecorder Messages;
  TForms Forms;

private:
  void Start(std::unique_ptr<TOOCalc> office = nullptr);
};

// Types `text` into the focused `widget` key by key, Cyrillic included.
void Type(QWidget* widget, const QString& text);

// Operator actions, through real mouse and key events.
void Click(QWidget* widget);
void ClickRow(TDBGrid* grid, int row);
// Clicks the edit, selects its text and types `text` over it (empty: Backspace).
void TypeOver(QWidget* edit, const QString& text);
// Clicks the count cell of the denomination grid's row 1 <= row <= 15 and types `count` there
// key by key.
void TypeCount(TForm1& window, int row, const QString& count);
// Clicks the item of the window's main menu.
void ClickMenu(TForm1& window, QAction* item);
// Runs `open`, which should open a modal window (a dialog's exec), and hands `look` that
// window while it is open (null when none opened), then closes it.
void WhileModal(const std::function<void()>& open, const std::function<void(QWidget*)>& look);
// What the window "История" that F8 opens in `program` shows: its line of what was found
// (Found), each row as the kind and then each field's cell ("*" before a changed one) joined
// by "|" (Rows), and who made each change (Who). `act` may work the window first. Found says
// so when F8 opened no history window.
struct TShownHistory {
  QString Found;
  QStringList Rows;
  QStringList Who;
};
TShownHistory ShownHistory(TRunningProgram& program,
                           const std::function<void(THistoryForm&)>& act = {});
// Shows the program's main window and makes it the active one, as start-up leaves it.
void ShowActive(TForm1& window);

// What the windows show while a call waits for the register: every 50 ms while the wait cursor
// shows, a tick asks `painted` to repaint. Counts those ticks and the paints that reached
// `painted` while the cursor showed. Watches while it lives.
class TWaitWatch : public QObject {
public:
  explicit TWaitWatch(QWidget* painted);
  int Ticks() const { return FTicks; }
  int Paints() const { return FPaints; }

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  QWidget* FPainted;
  QTimer FTick;
  int FTicks = 0;
  int FPaints = 0;
};
