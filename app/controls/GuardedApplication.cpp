#include "app/controls/GuardedApplication.h"

#include <utility>

#include "app/controls/Dialogs.h"
#include "app/store/DatabaseError.h"

namespace {

TExceptionHandler& OnException() {
  static TExceptionHandler handler;
  return handler;
}

}  // namespace

TGuardedApplication::TGuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}

QString TGuardedApplication::Title() { return QStringLiteral("ТОРВИ Инкассация 2019"); }

QString ExceptionMessage(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    return QString::fromUtf8(e.what());
  } catch (...) {
    return QStringLiteral("Unknown exception");
  }
}

QString ErrorText(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const EDatabaseError& e) {
    return DatabaseErrorText(e);
  } catch (...) {
    return ExceptionMessage(error);
  }
}

QString WithFullStop(const QString& message) {
  if (!message.isEmpty() && message.back() > u'.') return message + u'.';
  return message;
}

void TGuardedApplication::ShowException(std::exception_ptr error) noexcept {
  try {
    ShowMessageBox(
        {Title(), WithFullStop(ErrorText(error)), TMsgDlgType::mtError, TMsgDlgButtons::mbOK});
  } catch (...) {
    // Nothing is left to report a failure of the error box itself to.
  }
}

void TGuardedApplication::HandleException(std::exception_ptr error) noexcept {
  const TAction action;
  // A copy: the handler may replace itself.
  const TExceptionHandler handler = OnException();
  if (!handler) {
    ShowException(error);
    return;
  }
  try {
    handler(error);
  } catch (...) {
    ShowException(std::current_exception());
  }
}

TExceptionHandler TGuardedApplication::SetOnException(TExceptionHandler handler) {
  return std::exchange(OnException(), std::move(handler));
}

bool TGuardedApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    HandleException(std::current_exception());
    return false;
  }
}

void ShowMessage(const QString& text) {
  ShowMessageBox({TGuardedApplication::Title(), text, TMsgDlgType::mtCustom, TMsgDlgButtons::mbOK});
}
