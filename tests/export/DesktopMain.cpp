#include <gtest/gtest.h>

#include <cstdio>

#include "app/Application.h"
#include "tests/support/XDesktop.h"

// The export as on an operator's desk: a real X display with a window manager, the xcb
// platform (the real clipboard), and a visible office.
int main(int argc, char** argv) {
  TXDesktop desktop;
  if (!desktop.Started()) {
    std::fprintf(stderr, "export_desktop_tests: Xvfb and openbox could not be started\n");
    return 1;
  }
  qputenv("QT_QPA_PLATFORM", "xcb");
  TApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
