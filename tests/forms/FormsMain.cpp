#include <QApplication>
#include <gtest/gtest.h>

// The widget tests need one QApplication for the whole run. They run without a display
// unless told otherwise, also when the test list is read at build time.
int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
