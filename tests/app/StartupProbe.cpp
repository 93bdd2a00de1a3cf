// The program's start-up with the boxes written to standard output instead of shown:
// "<caption>\n<type>\n<text>\x1e" per box.
#include <cstdio>

#include "app/controls/Dialogs.h"
#include "app/Startup.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  SetMessagePresenter([](const TMessageBoxRequest& box) {
    const QByteArray record = box.Caption.toUtf8() + '\n' + QByteArray::number(int(box.Type)) +
                              '\n' + box.Text.toUtf8() + '\x1e';
    std::fwrite(record.constData(), 1, std::size_t(record.size()), stdout);
    std::fflush(stdout);
    return TModalResult::mrOk;
  });
  return RunApplication(argc, argv);
}
