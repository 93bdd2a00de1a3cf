#pragma once

#include <QTranslator>

#include "app/controls/GuardedApplication.h"

// The program's application object: the exception route of TGuardedApplication (Title,
// HandleException, SetOnException), the window's font, and Qt's own texts in Russian.
class TApplication : public TGuardedApplication {
public:
  TApplication(int& argc, char** argv);

private:
  QTranslator FQtTexts;
};
