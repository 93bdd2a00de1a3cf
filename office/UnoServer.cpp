#include "office/UnoServer.h"

#include <com/sun/star/connection/NoConnectException.hpp>

#include <QElapsedTimer>
#include <QThread>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <future>
#include <mutex>
#include <thread>

#include "office/OfficeEnd.h"
#include "office/OfficeProcess.h"
#include "office/UnoBridge.h"

namespace {

// What the listeners this program leaves in the office reach: they live as long as the office
// holds them, which may be longer than the server.
struct TWatchState {
  std::mutex Mutex;
  std::condition_variable Wake;
  int Working = 0;            // works between BeginWork and EndWork
  bool ClosePending = false;  // a document was closed since the last look, outside a work
  bool Stopping = false;

  // A document of the office was closed. One a work closes (the hidden copy of an export that
  // failed) leaves the office ready for the next export.
  void Closed() {
    {
      std::lock_guard lock(Mutex);
      if (Working > 0) return;
      ClosePending = true;
    }
    Wake.notify_all();
  }

  bool Busy() {
    std::lock_guard lock(Mutex);
    return Working > 0;
  }
};

// Runs action on a thread of its own once time has passed, unless it is destroyed first.
class TDeadline {
public:
  TDeadline(std::chrono::milliseconds time, std::function<void()> action)
      : FThread([this, time, action = std::move(action)] {
          std::unique_lock lock(FMutex);
          if (FWake.wait_for(lock, time, [this] { return FEnded; })) return;
          FPassed = true;
          lock.unlock();
          action();
        }) {}
  ~TDeadline() {
    {
      std::lock_guard lock(FMutex);
      FEnded = true;
    }
    FWake.notify_all();
    FThread.join();
  }
  TDeadline(const TDeadline&) = delete;
  TDeadline& operator=(const TDeadline&) = delete;
  bool Passed() const { return FPassed; }

private:
  std::mutex FMutex;
  std::condition_variable FWake;
  bool FEnded = false;
  std::atomic<bool> FPassed{false};
  std::thread FThread;  // last: it uses the members above
};

// How long the office may take to end once it agreed to.
constexpr int EndTimeoutMs = 10000;
// How long a program that ends waits for its office to answer: whether the office it prepared
// is empty, or a look into an emptied office that is under way.
constexpr auto ProgramEndAnswer = std::chrono::seconds(5);

}  // namespace

struct TUnoServer::TImpl {
  TOfficeLaunch Launch;
  // Guards everything below: the export's thread connects and starts, another thread aborts.
  mutable std::mutex Mutex;
  TOfficeProcess Process;
  std::shared_ptr<TUnoSession> Session;     // the connection in use
  std::shared_ptr<TUnoSession> Connecting;  // one being made, until it answers
  bool Aborted = false;
  bool StartOverdue = false;  // the time of the start under way is up, until it has ended
  std::atomic<bool> Starting{false};
  // Held while a connection is being made or an office started: by the export's thread or by
  // the background start, never by both.
  std::mutex ConnectMutex;
  std::thread Preparing;
  std::atomic<bool> QuietlyStarted{false};  // Prepare started the office
  std::atomic<bool> Used{false};            // an export asked for the office
  std::atomic<bool> Prepared{false};        // the background start has ended, well or not
  std::shared_ptr<TWatchState> Watch = std::make_shared<TWatchState>();
  // Ends the office once its last document has been closed; started with the first connection.
  std::thread Watcher;
  bool WatcherEnded = false;  // guarded by Watch->Mutex

  enum class TEnd { Ended, Kept, Unreachable };

  // The argument that makes an office listen on the program's pipe.
  QString AcceptArgument() const { return "--accept=pipe,name=" + Launch.PipeName + ";urp;"; }

  void ThrowIfAborted() const {
    std::lock_guard lock(Mutex);
    if (Aborted) throw EOfficeGone("The work with the office suite was broken off");
  }

  void ForgetConnecting() {
    std::lock_guard lock(Mutex);
    Connecting.reset();
  }

  // The session, or null when nobody listens on the pipe.
  std::shared_ptr<TUnoSession> TryConnect() {
    ThrowIfAborted();
    try {
      std::shared_ptr<TUnoSession> session =
          TUnoSession::Connect(Launch.PipeName, [this](const std::shared_ptr<TUnoSession>& opened) {
            std::lock_guard lock(Mutex);
            Connecting = opened;
            if (Aborted || StartOverdue) opened->Dispose();
          });
      ForgetConnecting();
      return session;
    } catch (const css::connection::NoConnectException&) {
      return nullptr;
    } catch (const css::lang::DisposedException& error) {
      ForgetConnecting();
      RethrowUnoException(error);
    } catch (const css::uno::Exception& error) {
      ForgetConnecting();
      RethrowUnoException(error);
    }
  }

  // The connection in use when it lives, else a new one, starting the office when nobody
  // listens on the pipe (at the lowest priority when quietly).
  std::shared_ptr<TUnoSession> LiveSession(bool quietly) {
    std::lock_guard connecting(ConnectMutex);
    {
      std::lock_guard lock(Mutex);
      if (Session && Session->IsAlive()) return Session;
    }
    std::shared_ptr<TUnoSession> session = TryConnect();
    if (!session) session = StartAndConnect(quietly);
    {
      std::lock_guard lock(Mutex);
      Session = session;
      // Aborted while the connection was made: it must not outlive the abort.
      if (Aborted) session->Dispose();
    }
    // Known as the session before its first calls, so that an abort breaks them off too.
    Listen(*session);
    return session;
  }

  // Listens to the office of a new connection; with ConnectMutex held.
  void Listen(TUnoSession& session) {
    try {
      WatchOffice(
          session, [watch = Watch] { watch->Closed(); }, [watch = Watch] { return watch->Busy(); });
    } catch (const EOffice&) {
      // An office that is going away needs no watching; the work notices on its own.
    }
    if (!Watcher.joinable()) Watcher = std::thread([this] { WatchLoop(); });
  }

  void WatchLoop() {
    std::unique_lock lock(Watch->Mutex);
    for (;;) {
      Watch->Wake.wait(
          lock, [this] { return Watch->Stopping || (Watch->ClosePending && Watch->Working == 0); });
      if (Watch->Stopping) break;
      Watch->ClosePending = false;
      lock.unlock();
      EndIfEmpty();
      lock.lock();
    }
    WatcherEnded = true;
    Watch->Wake.notify_all();
  }

  // Stops the watcher; one in the middle of a look into an office that does not answer within
  // ProgramEndAnswer has the office given up (Abort), so that its call returns.
  void StopWatching() {
    if (!Watcher.joinable()) return;
    bool ended = false;
    {
      std::unique_lock lock(Watch->Mutex);
      Watch->Stopping = true;
      Watch->Wake.notify_all();
      ended = Watch->Wake.wait_for(lock, ProgramEndAnswer, [this] { return WatcherEnded; });
    }
    if (!ended) Abort();
    Watcher.join();
  }

  // Ends the office this server started (also a stopped one) and breaks off its connections.
  void Abort() {
    std::shared_ptr<TUnoSession> session;
    std::shared_ptr<TUnoSession> connecting;
    {
      std::lock_guard lock(Mutex);
      Aborted = true;
      session = Session;
      connecting = Connecting;
      // The hung office is ended first: its connection then breaks by itself. Its sockets in
      // /tmp stay behind; the next office on the same pipe and profile takes them over.
      if (Process.IsRunning()) Process.Kill();
    }
    if (session) session->Dispose();
    if (connecting) connecting->Dispose();
  }

  // The watcher's calls found the office of session silent for the time an export allows: it
  // is ended as a hung office is (when this server started it) and the connection broken off,
  // so that the calls return and the next export starts a new office.
  void GiveUp(const std::shared_ptr<TUnoSession>& session) {
    {
      std::lock_guard lock(Mutex);
      if (session == Session && Process.IsRunning()) Process.Kill();
    }
    session->Dispose();
  }

  // Ends the office when it is the program's, holds no document and no work runs (here or,
  // by its veto, in another instance of the program), and waits until it has ended. Holds
  // ConnectMutex meanwhile: a work that begins now connects once the office has gone, and
  // starts a new one. An office that does not answer within AnswerTimeout is given up.
  TEnd EndIfEmpty() {
    std::lock_guard connecting(ConnectMutex);
    std::shared_ptr<TUnoSession> session;
    {
      std::lock_guard lock(Mutex);
      session = Session;
    }
    if (!session || !session->IsAlive()) return TEnd::Unreachable;
    if (Watch->Busy() || !TOfficeProcess::UserHasLiveProcessWith(AcceptArgument()))
      return TEnd::Kept;
    try {
      const TDeadline answer(Launch.AnswerTimeout, [this, session] { GiveUp(session); });
      if (OfficeHoldsDocument(*session) || !AskOfficeToEnd(*session)) return TEnd::Kept;
    } catch (const EOffice&) {
      return TEnd::Unreachable;
    }
    session->Dispose();
    // Until it has ended, the office still answers on the pipe.
    QElapsedTimer timer;
    timer.start();
    while (TOfficeProcess::UserHasLiveProcessWith(AcceptArgument()) &&
           timer.elapsed() < EndTimeoutMs)
      QThread::msleep(20);
    std::lock_guard lock(Mutex);
    Session.reset();
    Process.IsRunning();  // collects the launcher
    return TEnd::Ended;
  }

  std::shared_ptr<TUnoSession> StartAndConnect(bool quietly) {
    Starting = true;
    const std::shared_ptr<void> startingEnds(nullptr, [this](void*) { Starting = false; });
    // --language chooses the interface only while the profile has not chosen one: a fresh
    // profile speaks Russian, a user's own choice stays. --invisible: no window until the
    // program shows a voucher.
    QStringList arguments{AcceptArgument(), "--norestore", "--nologo",
                          "--nodefault",    "--invisible", "--language=ru"};
    if (Launch.Headless)
      arguments << "--headless"
                << "--invisible";
    if (!Launch.ProfileURL.isEmpty()) arguments << "-env:UserInstallation=" + Launch.ProfileURL;
    {
      std::lock_guard lock(Mutex);
      Process.IsRunning();  // collects an earlier office that has ended meanwhile
      // Checked under the lock Abort takes: an abort either comes first and nothing starts,
      // or comes after and ends what started.
      if (Aborted) throw EOfficeGone("The work with the office suite was broken off");
      if (quietly) arguments = QStringList{"-n", "19", Launch.Program} + arguments;
      if (!Process.Start(quietly ? Launch.Nice : Launch.Program, arguments))
        throw EOffice("The office suite " + Launch.Program + " cannot be started");
      if (quietly) QuietlyStarted = true;
    }
    const std::shared_ptr<void> overdueEnds(nullptr, [this](void*) {
      std::lock_guard lock(Mutex);
      StartOverdue = false;
    });
    // An office can take the connection and then not answer (hung while it starts): the
    // start's time bounds that wait too, by breaking the connection off.
    const TDeadline deadline(Launch.StartTimeout, [this] { BreakOffStart(); });
    for (;;) {
      try {
        if (std::shared_ptr<TUnoSession> session = TryConnect()) return session;
      } catch (const EOffice&) {
        if (!deadline.Passed()) throw;
        // It took the connection and did not answer: ended as a hung office is, or the next
        // export would wait for it again.
        std::lock_guard lock(Mutex);
        if (Process.IsRunning()) Process.Kill();
        throw EOffice("The office suite did not answer in time");
      }
      {
        std::lock_guard lock(Mutex);
        // The launcher ends at once with 0 when it handed the pipe to an office already running.
        if (!Process.IsRunning() && Process.ExitCode() != 0)
          throw EOffice("The office suite ended before it answered");
      }
      if (deadline.Passed()) throw EOffice("The office suite did not answer in time");
      QThread::msleep(50);
    }
  }

  // The start's time is up: a connection being made is broken off, and so is one made later.
  void BreakOffStart() {
    std::shared_ptr<TUnoSession> connecting;
    {
      std::lock_guard lock(Mutex);
      StartOverdue = true;
      connecting = Connecting;
    }
    if (connecting) connecting->Dispose();
  }
};

TUnoServer::TUnoServer(TOfficeLaunch launch) : FImpl(std::make_unique<TImpl>()) {
  FImpl->Launch = std::move(launch);
}

TUnoServer::~TUnoServer() {
  if (FImpl->Preparing.joinable()) {
    // An office still starting for an export that will never come is not waited for, nor one
    // that does not answer its first calls.
    QElapsedTimer clock;
    clock.start();
    while (!FImpl->Prepared && !FImpl->Starting &&
           clock.elapsed() < std::chrono::milliseconds(ProgramEndAnswer).count())
      QThread::msleep(10);
    if (!FImpl->Prepared) Abort();
    FImpl->Preparing.join();
  }
  FImpl->StopWatching();
  // Started in the background and never used here: ended unless another instance of the
  // program has a document in it by now; by signal when it does not answer.
  if (FImpl->QuietlyStarted && !FImpl->Used) {
    std::future<TImpl::TEnd> ending =
        std::async(std::launch::async, [impl = FImpl.get()] { return impl->EndIfEmpty(); });
    if (ending.wait_for(ProgramEndAnswer) == std::future_status::timeout) Abort();
    if (ending.get() == TImpl::TEnd::Unreachable) TerminateOffice();
  }
}

TVariant TUnoServer::CreateServiceManager() {
  FImpl->ThrowIfAborted();
  FImpl->Used = true;
  return FImpl->LiveSession(false)->ServiceManager();
}

void TUnoServer::Prepare() {
  if (FImpl->Preparing.joinable()) return;  // once per server
  FImpl->Preparing = std::thread([impl = FImpl.get()] {
    try {
      impl->LiveSession(true);
    } catch (const std::exception&) {
      // Nothing to report: the next export connects or starts the office itself.
    }
    impl->Prepared = true;
  });
}

TVariant TUnoServer::CreateInteractionHandler() {
  std::shared_ptr<TUnoSession> session;
  {
    std::lock_guard lock(FImpl->Mutex);
    session = FImpl->Session;
  }
  if (!session) throw EOffice("No connection to the office suite");
  return NewSilentInteractionHandler(session);
}

void TUnoServer::Abort() { FImpl->Abort(); }

void TUnoServer::BeginWork() {
  {
    std::lock_guard lock(FImpl->Mutex);
    FImpl->Aborted = false;
  }
  std::lock_guard lock(FImpl->Watch->Mutex);
  ++FImpl->Watch->Working;
}

void TUnoServer::EndWork() {
  std::lock_guard lock(FImpl->Watch->Mutex);
  --FImpl->Watch->Working;
}

std::chrono::milliseconds TUnoServer::AnswerTimeout() const { return FImpl->Launch.AnswerTimeout; }

bool TUnoServer::IsStarting() const { return FImpl->Starting; }

pid_t TUnoServer::OfficeProcessId() const {
  std::lock_guard lock(FImpl->Mutex);
  return FImpl->Process.Pid();
}

void TUnoServer::TerminateOffice() {
  std::lock_guard lock(FImpl->Mutex);
  FImpl->Session.reset();
  if (FImpl->Process.Pid() == 0) return;
  FImpl->Process.Terminate(10000);
}
