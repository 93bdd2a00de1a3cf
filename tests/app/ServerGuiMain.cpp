#include <gtest/gtest.h>

#include "app/Application.h"
#include "tests/app/store/PgTestCluster.h"

// The window tests over a register on a server: the program's application object without a
// display, and one throw-away cluster for the whole run.
int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  TApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  testing::AddGlobalTestEnvironment(new TPgTestEnvironment);  // owned by GoogleTest
  return RUN_ALL_TESTS();
}
