#pragma once

#include "app/GuardedApplication.h"

// The program's application object: the exception route of TGuardedApplication (Title,
// HandleException, SetOnException) and the window's font.
class TApplication : public TGuardedApplication {
public:
  TApplication(int& argc, char** argv);
};
