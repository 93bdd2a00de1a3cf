#pragma once

#include <QApplication>
#include <QString>

#include <exception>
#include <functional>

// What handles the exceptions that escape event handlers in place of the error box. It may
// throw; what it throws is shown in the error box.
using TExceptionHandler = std::function<void(std::exception_ptr error)>;

// An application object that no exception unwinds through: every exception that escapes an
// event handler ends up in HandleException: the action is abandoned, the error is shown (or
// handled by the handler set with SetOnException) and the program goes on. The controls rely
// on it through Guarded; the program's own application object (TApplication) derives from it.
class TGuardedApplication : public QApplication {
public:
  TGuardedApplication(int& argc, char** argv);

  // "ТОРВИ Инкассация 2019": the main window's caption and the title of every message box.
  static QString Title();

  // Passes `error` to the handler set with SetOnException, or else to ShowException. Never
  // throws.
  static void HandleException(std::exception_ptr error) noexcept;
  // Shows the error box for `error`: its operator's text (ErrorText) with a full stop
  // appended when the last character's code is above that of the full stop, the application
  // title, the error icon, an OK button. Never throws.
  static void ShowException(std::exception_ptr error) noexcept;
  // Puts `handler` in place of the current one and returns the one it replaces; an empty
  // handler restores the error box.
  static TExceptionHandler SetOnException(TExceptionHandler handler);
  // True while an action runs: an event handler through Guarded, or the handling of an
  // exception (its box included). An action may rely on the current record across whatever
  // event loop runs meanwhile (a box, a dialog, a wait for the store), so work started from
  // the event loop that would change the record must wait until this is false.
  static bool ActionRunning() { return FActions > 0; }

  bool notify(QObject* receiver, QEvent* event) override;

  // Marks an action running while it lives.
  class TAction {
  public:
    TAction() { ++FActions; }
    ~TAction() { --FActions; }
    TAction(const TAction&) = delete;
    TAction& operator=(const TAction&) = delete;
  };

private:
  static inline int FActions = 0;
};

// The message of an exception: what() as UTF-8.
QString ExceptionMessage(std::exception_ptr error);
// What the operator reads of an exception (without the full stop rule): a database failure's
// Russian sentence with its technical message on a second line (DatabaseErrorText), otherwise
// the message.
QString ErrorText(std::exception_ptr error);

// `message` with a full stop appended when its last character's code is above 0x2E: letters
// and digits get one, "!", ")" and "." do not; an empty message stays empty.
QString WithFullStop(const QString& message);

// An operator message: the application title, no icon, an OK button.
void ShowMessage(const QString& text);

// Runs `handler`; whatever it throws goes to TGuardedApplication::HandleException. Wraps the
// event handlers the window connects to signals, so that no exception unwinds through Qt.
// Returns false when the handler failed.
template <class THandler>
bool Guarded(THandler&& handler) noexcept {
  const TGuardedApplication::TAction action;
  try {
    handler();
    return true;
  } catch (...) {
    TGuardedApplication::HandleException(std::current_exception());
    return false;
  }
}
