#include "tests/app/RunningProgram.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QTest>

#include <stdexcept>

#include "app/BagFields.h"
#include "app/controls/DBGrid.h"
#include "app/DataModuleUnit.h"
#include "app/DenominationGrid.h"
#include "app/controls/StringGrid.h"
#include "app/HistoryForm.h"
#include "app/HistoryTable.h"
#include "app/MainForm.h"
#include "ui_HistoryForm.h"
#include "ui_MainForm.h"

TRunningProgram::TRunningProgram(const std::vector<TBagRow>& bags, std::unique_ptr<TOOCalc> office,
                                 int generated) {
  CreateClientsDatabase(Db(), bags);
  if (generated > 0) InsertGeneratedBags(Db(), generated);
  Start(std::move(office));
}

TRunningProgram::TRunningProgram(const TServerConnection& server) {
  WriteDatabaseIni(Dir.Path(), server.ConnInfo);
  Start();
}

void TRunningProgram::Start(std::unique_ptr<TOOCalc> office) {
  Forms = CreateForms(Dir.Path(QStringLiteral("firmname.ini")), std::move(office));
  ShowActive(*Forms.Form1);
}

TForm1& TRunningProgram::Window() const { return *Forms.Form1; }

const Ui::TForm1& TRunningProgram::Controls() const { return Window().Controls(); }

TADOTable& TRunningProgram::Register() const { return *Forms.Form2->ADOTable1; }

void TRunningProgram::Click(QWidget* widget) const { ::Click(widget); }

void TRunningProgram::ClickRow(int row) const { ::ClickRow(Controls().DBGrid1, row); }

void TRunningProgram::TypeOver(QWidget* edit, const QString& text) const { ::TypeOver(edit, text); }

void WhileModal(const std::function<void()>& open, const std::function<void(QWidget*)>& look) {
  bool looked = false;
  // Started before `open` runs, so it fires inside the modal window's own event loop; it goes
  // with this call when no window opened.
  QTimer inside;
  inside.setSingleShot(true);
  QObject::connect(&inside, &QTimer::timeout, [&] {
    looked = true;
    QWidget* modal = QApplication::activeModalWidget();
    look(modal);
    if (modal) modal->close();
  });
  inside.start(0);
  open();
  if (!looked) look(nullptr);
}

TShownHistory ShownHistory(TRunningProgram& program,
                           const std::function<void(THistoryForm&)>& act) {
  TShownHistory shown{u"F8 opened no history window"_qs, {}, {}};
  ShowActive(program.Window());
  WhileModal([&] { QTest::keyClick(&program.Window(), Qt::Key_F8); },
             [&](QWidget* modal) {
               auto* form = qobject_cast<THistoryForm*>(modal);
               if (!form) return;
               if (act) act(*form);
               shown.Found = form->Controls().Label2->text();
               for (const THistoryRow& row : form->Model().Table().Rows) {
                 QStringList cells{row.Kind};
                 for (const THistoryCell& cell : row.Fields)
                   cells << (cell.Changed ? u"*"_qs : QString()) + cell.Text;
                 shown.Rows << cells.join(u'|');
                 shown.Who << row.Who;
               }
             });
  // The window the history window closed over is the active one again, as a window manager
  // makes it.
  ShowActive(program.Window());
  return shown;
}

void ShowActive(TForm1& window) {
  window.show();
  // On a loaded machine the window manager may take a few seconds to give the first window
  // of its session the focus; asking again each second covers a request it dropped meanwhile.
  for (int second = 0; second < 30; ++second) {
    window.activateWindow();
    QApplication::setActiveWindow(&window);
    if (QTest::qWaitForWindowActive(&window, 1000)) return;
  }
  throw std::runtime_error("window not active");
}

void Click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }

void ClickRow(TDBGrid* grid, int row) {
  const QRect cell = grid->visualRect(grid->model()->index(row, 0));
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
}

void TypeOver(QWidget* edit, const QString& text) {
  Click(edit);
  if (auto* line = qobject_cast<QLineEdit*>(edit)) line->selectAll();
  if (text.isEmpty())
    QTest::keyClick(edit, Qt::Key_Backspace);
  else
    Type(edit, text);
}

void Type(QWidget* widget, const QString& text) {
  // Key codes of letters are their upper-case code points, as a keyboard reports them.
  for (const QChar c : text)
    QTest::sendKeyEvent(QTest::Click, widget, Qt::Key(c.toUpper().unicode()), QString(c),
                        Qt::NoModifier);
}

void TypeCount(TForm1& window, int row, const QString& count) {
  TStringGrid* grid = window.Controls().StringGrid1;
  const QRect cell = grid->visualRect(grid->model()->index(row, DenominationCountCol));
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
  // The first key opens the cell's editor, which takes the keys that follow.
  for (const QChar key : count) Type(QApplication::focusWidget(), QString(key));
}

void ClickMenu(TForm1& window, QAction* item) {
  QMenuBar* menu = window.Controls().MainMenu1;
  QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
}

namespace {

bool WaitCursorShown() {
  const QCursor* shown = QApplication::overrideCursor();
  return shown && shown->shape() == Qt::WaitCursor;
}

}  // namespace

TWaitWatch::TWaitWatch(QWidget* painted) : FPainted(painted) {
  painted->installEventFilter(this);
  connect(&FTick, &QTimer::timeout, this, [this] {
    if (!WaitCursorShown()) return;
    ++FTicks;
    FPainted->update();
  });
  FTick.start(50);
}

bool TWaitWatch::eventFilter(QObject* watched, QEvent* event) {
  if (watched == FPainted && event->type() == QEvent::Paint && WaitCursorShown()) ++FPaints;
  return false;
}

QStringList TRunningProgram::GridBags() const {
  const QAbstractItemModel* grid = Controls().DBGrid1->model();
  QStringList bags;
  for (int row = 0; row < grid->rowCount(); ++row)
    bags << grid->index(row, int(TBagField::BagNumber)).data().toString();
  return bags;
}
