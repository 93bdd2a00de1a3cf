#include "tests/app/FormsApp.h"

#include <gtest/gtest.h>
#include <exception>

TFormsTestApp::TFormsTestApp(int& argc, char** argv) : TApplication(argc, argv) {
  SetOnException([](std::exception_ptr error) { Errors().append(ErrorText(error)); });
}

bool TFormsTestApp::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    ADD_FAILURE() << "an exception unwound through Qt's event delivery: "
                  << ErrorText(std::current_exception()).toStdString();
    HandleException(std::current_exception());
    return false;
  }
}

QStringList& TFormsTestApp::Errors() {
  static QStringList errors;
  return errors;
}

// The widget tests need one application for the whole run. They run without a display
// unless told otherwise, also when the test list is read at build time.
int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  TFormsTestApp app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
