#pragma once

#include <QFont>
#include <QTranslator>

#include "app/controls/GuardedApplication.h"

// The program's application object: the exception route of TGuardedApplication (Title,
// HandleException, SetOnException), the window's font, and Qt's own texts in Russian.
class TApplication : public TGuardedApplication {
public:
  TApplication(int& argc, char** argv);

  // The windows' face, Tahoma, at `pixelSize` (> 0) pixels: a pixel size, so that a window
  // does not grow with the screen's resolution (a form holds point sizes only).
  static QFont WindowFont(int pixelSize);

private:
  QTranslator FQtTexts;
};
