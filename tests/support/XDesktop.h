#pragma once

#include <QString>

#include <sys/types.h>

// A real X desktop of its own for a test run: Xvfb on a display number it picks itself
// (-displayfd, so that parallel runs never meet) and the openbox window manager on it.
// DISPLAY names it while the object lives; the destructor ends both. Create it before the
// application object, which connects to DISPLAY.
class TXDesktop {
public:
  TXDesktop();
  ~TXDesktop();
  TXDesktop(const TXDesktop&) = delete;
  TXDesktop& operator=(const TXDesktop&) = delete;
  // False when Xvfb or openbox could not be started.
  bool Started() const { return FStarted; }
  QString Display() const { return FDisplay; }

private:
  pid_t FServer = 0;
  pid_t FWindowManager = 0;
  QString FDisplay;
  QByteArray FPreviousDisplay;
  bool FStarted = false;
};

// Asks the window manager of DISPLAY to close the window with that id, as the window's close
// button does (_NET_CLOSE_WINDOW): the window's program is asked in turn and may ask the user.
// False when the display cannot be opened.
bool CloseWindowAsUser(unsigned long window);
