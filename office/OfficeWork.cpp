#include "office/OfficeWork.h"

#include <QEventLoop>
#include <QTimer>

#include <future>

namespace {

// How long a cancelled job may take to stop before the suite is given up; a suite silent for
// this long when the operator cancels counts as hung.
constexpr qint64 CancelGraceMs = 2000;
constexpr int WatchIntervalMs = 100;

}  // namespace

TOfficeWork::TOfficeWork(TAutomationServer& server, TJob job)
    : FServer(server), FJob(std::move(job)), FUiContext(std::make_unique<QObject>()) {}

TOfficeWork::~TOfficeWork() {
  if (FThread.joinable()) FThread.join();
}

qint64 TOfficeWork::Now() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

void TOfficeWork::Wait() {
  QEventLoop loop;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, &loop, [this] { Watch(); });
  watch.start(WatchIntervalMs);
  FServer.BeginWork();
  const std::shared_ptr<void> workEnds(nullptr, [this](void*) { FServer.EndWork(); });
  FLastAnswer = Now();
  FLoop = &loop;
  FThread = std::thread([this] {
    try {
      FJob(*this);
    } catch (...) {
      FError = std::current_exception();
    }
    FDone = true;
    // Queued: it reaches the loop even when the job ends before the loop has started, and
    // does nothing when it arrives after Wait.
    QMetaObject::invokeMethod(
        FUiContext.get(),
        [this] {
          if (FLoop) FLoop->quit();
        },
        Qt::QueuedConnection);
  });
  while (!FDone) loop.exec();
  FThread.join();
  FLoop = nullptr;
  if (FEnd == TEnd::Finished && FError) FEnd = TEnd::Failed;
}

void TOfficeWork::Cancel() {
  FCancelRequested = true;
  Watch();
}

void TOfficeWork::Watch() {
  if (FDone || FGivenUp) return;
  const qint64 now = Now();
  if (FServer.IsStarting()) FLastAnswer = now;
  const qint64 silent = now - FLastAnswer;
  const auto giveUp = [this] {
    FGivenUp = true;
    FServer.Abort();
  };
  if (FAbortedAt >= 0) {
    if (now - FAbortedAt > CancelGraceMs) giveUp();
    return;
  }
  if (FCancelRequested) {
    FEnd = TEnd::Cancelled;
    FAbortedAt = now;
    if (silent > CancelGraceMs) giveUp();
  } else if (silent > FServer.AnswerTimeout().count()) {
    FEnd = TEnd::TimedOut;
    giveUp();
  }
}

void TOfficeWork::Answered() {
  FLastAnswer = Now();
  if (FCancelRequested) throw ECancelled();
}

void TOfficeWork::OnUiThread(const std::function<void()>& f) {
  std::promise<void> ran;
  std::future<void> result = ran.get_future();
  QMetaObject::invokeMethod(
      FUiContext.get(),
      [&f, &ran] {
        try {
          f();
          ran.set_value();
        } catch (...) {
          ran.set_exception(std::current_exception());
        }
      },
      Qt::QueuedConnection);
  result.get();
  Answered();
}
