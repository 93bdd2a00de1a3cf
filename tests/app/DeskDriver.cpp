// Another desk for the two-desk tests: the program's real start-up in the working directory
// (db.mdb there, or the server its database.ini names), its window offscreen, driven by one
// command a line on standard input and answering one line each on standard output, while its
// event loop runs in between:
//   click <control>            a left click on the control of that designer name
//   row <n>                    a click on row n of the register
//   menu <action>              a click on the main menu's item of that designer name (an
//                              export answers once it has ended)
//   count <row> <text>         the text typed into the count cell of the denomination grid
//   type <control> <text>      the text typed over the edit's text
//   answer ok|cancel|yes|no    the answer to the next box (OK when none is queued)
//   text <control>             -> the edit's text
//   note                       -> the status line's text
//   state                      -> "<browse|edit|insert> <current row> <bags>", the bag
//                                 numbers of the register's rows joined by '|'
//   boxes                      -> the texts of the boxes shown so far, tab-separated
//   quit
// Other commands answer "?", a command that fails "error: <what>". Line breaks in answers are
// sent as "\n".
// Arguments: --office-pipe NAME --office-profile URL give the program's export an office of
// that pipe and profile (without a window), got ready in the background once the window shows,
// as the program does; without them the export goes to the program's own.
#include <QAction>
#include <QDir>
#include <QLineEdit>
#include <QSocketNotifier>
#include <QStatusBar>

#include <unistd.h>

#include <cstdio>

#include "app/Application.h"
#include "app/DataModuleUnit.h"
#include "app/MainForm.h"
#include "app/controls/DBGrid.h"
#include "app/store/ADOTable.h"
#include "office/UnoServer.h"
#include "tests/app/RunningProgram.h"
#include "ui_MainForm.h"

namespace {

QString StateName(TDataSetState state) {
  switch (state) {
    case TDataSetState::dsEdit:
      return QStringLiteral("edit");
    case TDataSetState::dsInsert:
      return QStringLiteral("insert");
    default:
      return QStringLiteral("browse");
  }
}

class TDriver {
public:
  TDriver(TForms& forms, TMessageRecorder& messages) : FForms(forms), FMessages(messages) {}

  // The answer to one command line.
  QString Run(const QString& line) {
    const QString command = line.section(u' ', 0, 0);
    const QString argument = line.section(u' ', 1);
    TForm1& window = *FForms.Form1;
    if (command == u"click") {
      Click(Control(argument.section(u' ', 0, 0)));
    } else if (command == u"menu") {
      auto* item = FForms.Form1->findChild<QAction*>(argument);
      if (!item) throw std::runtime_error("no menu item " + argument.toStdString());
      ClickMenu(window, item);
    } else if (command == u"count") {
      TypeCount(window, argument.section(u' ', 0, 0).toInt(), argument.section(u' ', 1));
    } else if (command == u"row") {
      ClickRow(window.Controls().DBGrid1, argument.toInt());
    } else if (command == u"type") {
      TypeOver(Control(argument.section(u' ', 0, 0)), argument.section(u' ', 1));
    } else if (command == u"answer") {
      FMessages.Answers.push_back(argument == u"cancel" ? TModalResult::mrCancel
                                  : argument == u"yes"  ? TModalResult::mrYes
                                  : argument == u"no"   ? TModalResult::mrNo
                                                        : TModalResult::mrOk);
    } else if (command == u"text") {
      auto* edit = qobject_cast<QLineEdit*>(Control(argument));
      return edit ? edit->text() : QStringLiteral("?");
    } else if (command == u"note") {
      return window.Controls().StatusBar1->currentMessage();
    } else if (command == u"state") {
      const TADOTable& table = *FForms.Form2->ADOTable1;
      QStringList bags;
      for (int row = 0; row < table.RecordCount(); ++row)
        bags << FieldDisplayText(table.Value(row, 0));
      return QStringLiteral("%1 %2 %3")
          .arg(StateName(table.State()))
          .arg(table.RecNo())
          .arg(bags.join(u'|'));
    } else if (command == u"boxes") {
      return FMessages.Texts().join(u'\t');
    } else if (command == u"quit") {
      QCoreApplication::quit();
    } else {
      return QStringLiteral("?");
    }
    return QStringLiteral("ok");
  }

private:
  QWidget* Control(const QString& name) const {
    auto* control = FForms.Form1->findChild<QWidget*>(name);
    if (!control) throw std::runtime_error("no control " + name.toStdString());
    return control;
  }

  TForms& FForms;
  TMessageRecorder& FMessages;
};

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
  TApplication application(argc, argv);
  TMessageRecorder messages;
  const QStringList arguments = QCoreApplication::arguments();
  std::unique_ptr<TOOCalc> office;
  if (const qsizetype pipe = arguments.indexOf("--office-pipe"); pipe > 0) {
    TOfficeLaunch launch;
    launch.PipeName = arguments.value(pipe + 1);
    launch.ProfileURL = arguments.value(arguments.indexOf("--office-profile") + 1);
    launch.Headless = true;
    launch.StartTimeout = std::chrono::seconds(60);
    office = std::make_unique<TOOCalc>(std::make_shared<TUnoServer>(launch));
  }
  const bool prepare = office != nullptr;
  TForms forms =
      CreateForms(QDir::current().filePath(QStringLiteral("firmname.ini")), std::move(office));
  ShowActive(*forms.Form1);
  if (prepare) forms.Form1->Office().AutomationServer().Prepare();
  TDriver driver(forms, messages);

  QByteArray pending;
  QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
  QObject::connect(&input, &QSocketNotifier::activated, [&] {
    char buffer[4096];
    const ssize_t size = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (size <= 0) {
      input.setEnabled(false);
      QCoreApplication::quit();
      return;
    }
    pending.append(buffer, size);
    for (qsizetype end = pending.indexOf('\n'); end >= 0; end = pending.indexOf('\n')) {
      const QString line = QString::fromUtf8(pending.left(end));
      pending.remove(0, end + 1);
      QString answer;
      try {
        answer = driver.Run(line);
      } catch (const std::exception& e) {
        answer = QStringLiteral("error: ") + QString::fromUtf8(e.what());
      }
      const QByteArray out = answer.replace(u'\n', QStringLiteral("\\n")).toUtf8() + '\n';
      std::fwrite(out.constData(), 1, std::size_t(out.size()), stdout);
      std::fflush(stdout);
    }
  });
  return application.exec();
}
