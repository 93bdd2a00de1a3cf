#include <QGuiApplication>

#include <gtest/gtest.h>

// The export puts its picture on the clipboard of the running application; the tests need no
// display, also when the test list is read.
int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
