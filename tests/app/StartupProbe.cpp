// The program's start-up with the boxes written to standard output instead of shown:
// "<caption>\n<type>\n<text>\x1e" per box. A box with "Да" and "Нет" is answered with
// STARTUP_PROBE_ANSWER ("yes" or "no"), any other with OK. With STARTUP_PROBE_RUN set, a
// start-up that gets as far as the message loop writes "window\n-1\n<title>\n<rows of the
// register>\x1e" and ends with exit code 0.
#include <QAbstractItemView>
#include <QApplication>
#include <QMainWindow>
#include <QTimer>

#include <cstdio>

#include "app/controls/Dialogs.h"
#include "app/Startup.h"

namespace {

void Write(const QString& caption, int type, const QString& text) {
  const QByteArray record =
      caption.toUtf8() + '\n' + QByteArray::number(type) + '\n' + text.toUtf8() + '\x1e';
  std::fwrite(record.constData(), 1, std::size_t(record.size()), stdout);
  std::fflush(stdout);
}

void ReportWindowAndQuit() {
  QTimer::singleShot(0, [] {
    for (QWidget* widget : QApplication::topLevelWidgets())
      if (auto* window = qobject_cast<QMainWindow*>(widget); window && window->isVisible()) {
        const auto* grid = window->findChild<QAbstractItemView*>(QStringLiteral("DBGrid1"));
        Write(QStringLiteral("window"), -1,
              window->windowTitle() + u'\n' + QString::number(grid->model()->rowCount()));
      }
    QCoreApplication::exit(0);
  });
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  SetMessagePresenter([](const TMessageBoxRequest& box) {
    Write(box.Caption, int(box.Type), box.Text);
    if (box.Buttons == TMsgDlgButtons::mbYesNo || box.Buttons == TMsgDlgButtons::mbYesNoCancel)
      return qgetenv("STARTUP_PROBE_ANSWER") == "yes" ? TModalResult::mrYes : TModalResult::mrNo;
    return TModalResult::mrOk;
  });
  if (!qEnvironmentVariableIsEmpty("STARTUP_PROBE_RUN")) qAddPreRoutine(&ReportWindowAndQuit);
  return RunApplication(argc, argv);
}
