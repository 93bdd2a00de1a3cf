#pragma once

#include "app/controls/GuardedApplication.h"

// The program's application object: the exception route of TGuardedApplication (Title,
// HandleException, SetOnException) and the window's font.
class TApplication : public TGuardedApplication {
public:
  TApplication(int& argc, char** argv);
};
