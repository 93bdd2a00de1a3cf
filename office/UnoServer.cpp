#include "office/UnoServer.h"

#include <com/sun/star/connection/NoConnectException.hpp>

#include <QElapsedTimer>
#include <QThread>

#include <atomic>
#include <mutex>
#include <thread>

#include "office/OfficeProcess.h"
#include "office/UnoBridge.h"

struct TUnoServer::TImpl {
  TOfficeLaunch Launch;
  // Guards everything below: the export's thread connects and starts, another thread aborts.
  mutable std::mutex Mutex;
  TOfficeProcess Process;
  std::shared_ptr<TUnoSession> Session;     // the connection in use
  std::shared_ptr<TUnoSession> Connecting;  // one being made, until it answers
  bool Aborted = false;
  std::atomic<bool> Starting{false};
  // Held while a connection is being made or an office started: by the export's thread or by
  // the background start, never by both.
  std::mutex ConnectMutex;
  std::thread Preparing;
  std::atomic<bool> QuietlyStarted{false};  // Prepare started the office
  std::atomic<bool> Used{false};            // an export asked for the office

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
            if (Aborted) opened->Dispose();
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
    std::lock_guard lock(Mutex);
    Session = session;
    // Aborted while the connection was made: it must not outlive the abort.
    if (Aborted) session->Dispose();
    return session;
  }

  std::shared_ptr<TUnoSession> StartAndConnect(bool quietly) {
    Starting = true;
    const std::shared_ptr<void> startingEnds(nullptr, [this](void*) { Starting = false; });
    // --language chooses the interface only while the profile has not chosen one: a fresh
    // profile speaks Russian, a user's own choice stays. --invisible: no window until the
    // program shows a voucher.
    QStringList arguments{"--accept=pipe,name=" + Launch.PipeName + ";urp;", "--norestore",
                          "--nologo", "--nodefault", "--invisible", "--language=ru"};
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
    QElapsedTimer timer;
    timer.start();
    for (;;) {
      if (std::shared_ptr<TUnoSession> session = TryConnect()) return session;
      {
        std::lock_guard lock(Mutex);
        // The launcher ends at once with 0 when it handed the pipe to an office already running.
        if (!Process.IsRunning() && Process.ExitCode() != 0)
          throw EOffice("The office suite ended before it answered");
      }
      if (timer.elapsed() >= Launch.StartTimeout.count())
        throw EOffice("The office suite did not answer in time");
      QThread::msleep(50);
    }
  }
};

TUnoServer::TUnoServer(TOfficeLaunch launch) : FImpl(std::make_unique<TImpl>()) {
  FImpl->Launch = std::move(launch);
}

TUnoServer::~TUnoServer() {
  if (FImpl->Preparing.joinable()) {
    // An office still starting for an export that will never come is not waited for.
    if (FImpl->Starting) Abort();
    FImpl->Preparing.join();
  }
  // Started in the background and never used: it holds nothing of the operator's.
  if (FImpl->QuietlyStarted && !FImpl->Used) TerminateOffice();
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

void TUnoServer::Abort() {
  std::shared_ptr<TUnoSession> session;
  std::shared_ptr<TUnoSession> connecting;
  {
    std::lock_guard lock(FImpl->Mutex);
    FImpl->Aborted = true;
    session = FImpl->Session;
    connecting = FImpl->Connecting;
    // The hung office is ended first: its connection then breaks by itself. Its sockets in
    // /tmp stay behind; the next office on the same pipe and profile takes them over.
    if (FImpl->Process.IsRunning()) FImpl->Process.Kill();
  }
  if (session) session->Dispose();
  if (connecting) connecting->Dispose();
}

void TUnoServer::Resume() {
  std::lock_guard lock(FImpl->Mutex);
  FImpl->Aborted = false;
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
