#include "tests/app/FormsApp.h"

#include <gtest/gtest.h>
#include <exception>

bool TFormsTestApp::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& error) {
    Errors().append(QString::fromUtf8(error.what()));
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
