#include <gtest/gtest.h>

#include <cstdio>

#include "app/Application.h"
#include "tests/support/XDesktop.h"

// The main() of the tests that need the window as on an operator's desk: a real X display with
// a window manager, the xcb platform (the real clipboard).
int main(int argc, char** argv) {
  TXDesktop desktop;
  if (!desktop.Started()) {
    std::fprintf(stderr, "%s: Xvfb and openbox could not be started\n", argv[0]);
    return 1;
  }
  qputenv("QT_QPA_PLATFORM", "xcb");
  TApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
