#include "tests/support/XDesktop.h"

#include <QElapsedTimer>
#include <QThread>

#include <X11/Xlib.h>

#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

extern char** environ;

namespace {

pid_t Spawn(std::vector<QByteArray> arguments, posix_spawn_file_actions_t* actions = nullptr) {
  std::vector<char*> argv;
  for (QByteArray& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  return posix_spawnp(&pid, argv[0], actions, nullptr, argv.data(), environ) == 0 ? pid : 0;
}

void End(pid_t pid) {
  if (pid == 0) return;
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
}

}  // namespace

TXDesktop::TXDesktop() : FPreviousDisplay(qgetenv("DISPLAY")) {
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
  FServer = Spawn({"Xvfb", "-displayfd", QByteArray::number(pipeEnds[1]), "-screen", "0",
                   "1280x1024x24", "-nolisten", "tcp"},
                  &actions);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeEnds[1]);
  QByteArray number;
  char c = 0;
  while (FServer != 0 && read(pipeEnds[0], &c, 1) == 1 && c != '\n') number += c;
  close(pipeEnds[0]);
  if (number.isEmpty()) return;
  FDisplay = ":" + QString::fromLatin1(number);
  qputenv("DISPLAY", FDisplay.toLatin1());
  FWindowManager = Spawn({"openbox", "--sm-disable"});
  // openbox owns the window manager selection once it runs; a short wait lets it take over
  // before the first window appears.
  QThread::msleep(300);
  FStarted = FWindowManager != 0;
}

TXDesktop::~TXDesktop() {
  End(FWindowManager);
  End(FServer);
  if (FPreviousDisplay.isEmpty())
    qunsetenv("DISPLAY");
  else
    qputenv("DISPLAY", FPreviousDisplay);
}

bool CloseWindowAsUser(unsigned long window) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return false;
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "_NET_CLOSE_WINDOW", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = CurrentTime;
  event.xclient.data.l[1] = 2;  // the source: the user's own action
  XSendEvent(display, DefaultRootWindow(display), False,
             SubstructureRedirectMask | SubstructureNotifyMask, &event);
  XCloseDisplay(display);
  return true;
}
