#pragma once

#include <QString>

#include <chrono>
#include <memory>

#include <sys/types.h>

#include "office/AutomationServer.h"

// How the program reaches its LibreOffice: a named pipe of its own, and how to start the office
// on it when nothing answers there.
struct TOfficeLaunch {
  QString PipeName = "inkassatsiya_office";
  // The launcher, looked up on PATH (the script, not soffice.bin: it restarts the office when
  // a new profile asks for it).
  QString Program = "soffice";
  // A file URL of a profile folder; empty: the user's own profile.
  QString ProfileURL;
  // Without a window (tests); the program itself shows the office's window.
  bool Headless = false;
  // The program that lowers the priority of a background start, looked up on PATH.
  QString Nice = "nice";
  // How long a started office may take until its pipe answers (a first start on a new profile
  // takes 12-14 s on a 2-core machine). An office that took the connection and has not
  // answered by then is taken for hung and ended.
  std::chrono::milliseconds StartTimeout{30000};
  // How long one call may go unanswered before the export gives the office up.
  std::chrono::milliseconds AnswerTimeout{30000};
};

// The service manager of LibreOffice over UNO. The first request connects to the pipe; when
// nobody listens there it starts the office with an accept string for that pipe, no restore
// dialog, no Start Center and a Russian interface (unless its profile already chose a
// language), and waits at most StartTimeout, also for an office that took the connection and
// is silent. A second start hands the accept string to an office already running on the same
// profile. The connection is kept while the office lives and made again after it went away.
//
// An office of the program's (one started with the accept string of its pipe, by this instance
// or another) ends once its last document has been closed: the operator is not left with an
// empty office or its Start Center. It is not ended while a work with it runs (BeginWork to
// EndWork, here or in another instance that connected to it: the office asks each) nor while
// it holds another document, the operator's own say; an office the operator started keeps
// running.
class TUnoServer : public TAutomationServer {
public:
  explicit TUnoServer(TOfficeLaunch launch = {});
  ~TUnoServer() override;
  TVariant CreateServiceManager() override;
  TVariant CreateInteractionHandler() override;
  // Kills the office this server started, then disposes the connection (also one still being
  // made). The killed office's sockets stay in /tmp: the next office started on the same pipe
  // and profile takes them over. Within one program process an office takes one connection
  // only: a second one to the same office is dropped by it at once, so a disposed connection
  // cannot be replaced while that office lives.
  void Abort() override;
  void BeginWork() override;
  void EndWork() override;
  std::chrono::milliseconds AnswerTimeout() const override;
  bool IsStarting() const override;
  // Connects on a thread of its own, and where nobody listens on the pipe starts the office
  // without any window (--invisible, no Start Center) at the lowest CPU priority (nice 19, which
  // the office keeps). Failures are kept to itself: an export that finds no office starts one
  // as usual. An export meanwhile waits for this start instead of making one of its own. An
  // office started so and never asked for by CreateServiceManager is ended with this server
  // (also one still starting) unless another instance of the program has a document in it
  // meanwhile.
  void Prepare() override;

  // The id of the office process this server started, 0 when it started none.
  pid_t OfficeProcessId() const;
  // Ends the office this server started, by its process id (tests and benchmarks).
  void TerminateOffice();

private:
  struct TImpl;
  std::unique_ptr<TImpl> FImpl;
};
