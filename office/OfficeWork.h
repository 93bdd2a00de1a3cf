#pragma once

#include <QObject>

class QEventLoop;

#include <atomic>
#include <chrono>
#include <exception>
#include <functional>
#include <memory>
#include <thread>

#include "office/AutomationServer.h"

// Work with the office suite done on a thread of its own while the user-interface thread waits
// in an event loop: the window keeps painting and answering the X clipboard (the office asks
// the clipboard's owner for its formats when it opens a window, and waits for the answer), and
// the operator can cancel.
//
// The job runs once, started by Wait. It calls Answered whenever the suite has answered. When
// the server's AnswerTimeout passes without an answer (time the server spends starting the
// suite does not count: its start is bounded by itself), Wait gives the suite up
// (TAutomationServer::Abort: the office is ended, a call blocked in it returns with an
// exception) and the job ends.
// Cancel makes the job stop at its next answer (Answered raises); an office that has been
// silent for 2 s when the operator cancels, or that gives no answer within 2 s after it, is
// given up at once. Wait returns only after the job's thread has ended: nothing of the job
// outlives it.
class TOfficeWork {
public:
  // What Answered raises after Cancel: the job ends at that point.
  class ECancelled : public std::exception {
  public:
    const char* what() const noexcept override { return "cancelled"; }
  };
  enum class TEnd { Finished, Failed, Cancelled, TimedOut };
  using TJob = std::function<void(TOfficeWork&)>;

  // On the user-interface thread. server must outlive this object.
  TOfficeWork(TAutomationServer& server, TJob job);
  ~TOfficeWork();
  TOfficeWork(const TOfficeWork&) = delete;
  TOfficeWork& operator=(const TOfficeWork&) = delete;

  // User-interface thread: runs the job and serves events until it has ended. Once.
  void Wait();
  // User-interface thread, while Wait runs: the operator gives the work up.
  void Cancel();
  // After Wait: how the job ended, and what it raised (Failed, and usually Cancelled and
  // TimedOut too, where the broken-off call raised).
  TEnd End() const { return FEnd; }
  std::exception_ptr Error() const { return FError; }

  // The job's thread: the suite has answered; restarts the no-answer clock. Raises
  // ECancelled once the operator has cancelled.
  void Answered();
  // The job's thread: runs f on the user-interface thread and returns when it has run there;
  // what f raises is raised here.
  void OnUiThread(const std::function<void()>& f);

private:
  void Watch();
  static qint64 Now();

  TAutomationServer& FServer;
  TJob FJob;
  std::unique_ptr<QObject> FUiContext;  // lives on the user-interface thread
  QEventLoop* FLoop = nullptr;          // Wait's loop, while it runs
  std::thread FThread;
  std::atomic<qint64> FLastAnswer{0};  // Now() of the last answer
  std::atomic<bool> FDone{false};
  std::atomic<bool> FCancelRequested{false};
  qint64 FAbortedAt = -1;
  bool FGivenUp = false;
  TEnd FEnd = TEnd::Finished;
  std::exception_ptr FError;
};
