// The server tests run in one process around one throw-away cluster, with an application
// object for the socket notifiers.
#include <QCoreApplication>

#include <gtest/gtest.h>

#include "tests/app/store/PgTestCluster.h"

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  testing::AddGlobalTestEnvironment(new TPgTestEnvironment);  // owned by GoogleTest
  return RUN_ALL_TESTS();
}
