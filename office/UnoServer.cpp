#include "office/UnoServer.h"

#include <com/sun/star/connection/NoConnectException.hpp>

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include "office/OfficeProcess.h"
#include "office/UnoBridge.h"

#include <unistd.h>

struct TUnoServer::TImpl {
  TOfficeLaunch Launch;
  TOfficeProcess Process;
  std::shared_ptr<TUnoSession> Session;

  // The session, or null when nobody listens on the pipe.
  std::shared_ptr<TUnoSession> TryConnect() {
    try {
      return TUnoSession::Connect(Launch.PipeName);
    } catch (const css::connection::NoConnectException&) {
      return nullptr;
    } catch (const css::uno::Exception& error) {
      RethrowUnoException(error);
    }
  }

  std::shared_ptr<TUnoSession> StartAndConnect() {
    QStringList arguments{"--accept=pipe,name=" + Launch.PipeName + ";urp;", "--norestore",
                          "--nologo"};
    if (Launch.Headless) arguments << "--headless" << "--invisible";
    if (!Launch.ProfileURL.isEmpty()) arguments << "-env:UserInstallation=" + Launch.ProfileURL;
    Process.IsRunning();  // collects an earlier office that has ended meanwhile
    if (!Process.Start(Launch.Program, arguments))
      throw EOffice("The office suite " + Launch.Program + " cannot be started");
    QElapsedTimer timer;
    timer.start();
    for (;;) {
      if (std::shared_ptr<TUnoSession> session = TryConnect()) return session;
      // The launcher ends at once with 0 when it handed the pipe to an office already running.
      if (!Process.IsRunning() && Process.ExitCode() != 0)
        throw EOffice("The office suite ended before it answered");
      if (timer.elapsed() >= Launch.StartTimeout.count())
        throw EOffice("The office suite did not answer in time");
      QThread::msleep(50);
    }
  }
};

TUnoServer::TUnoServer(TOfficeLaunch launch) : FImpl(std::make_unique<TImpl>()) {
  FImpl->Launch = std::move(launch);
}

TUnoServer::~TUnoServer() = default;

TVariant TUnoServer::CreateServiceManager() {
  if (!FImpl->Session || !FImpl->Session->IsAlive()) {
    FImpl->Session.reset();
    std::shared_ptr<TUnoSession> session = FImpl->TryConnect();
    FImpl->Session = session ? session : FImpl->StartAndConnect();
  }
  return FImpl->Session->ServiceManager();
}

pid_t TUnoServer::OfficeProcessId() const { return FImpl->Process.Pid(); }

void TUnoServer::TerminateOffice() {
  FImpl->Session.reset();
  if (FImpl->Process.Pid() == 0) return;
  FImpl->Process.Terminate(10000);
  // An office ended this way leaves its pipes' sockets behind: the one it accepted on, and
  // the one of its profile, named by the MD5 of the profile URL's UTF-16 units.
  const QString prefix = QString("/tmp/OSL_PIPE_%1_").arg(getuid());
  QFile::remove(prefix + FImpl->Launch.PipeName);
  if (!FImpl->Launch.ProfileURL.isEmpty()) {
    const QByteArray digest = QCryptographicHash::hash(
        QByteArrayView(reinterpret_cast<const char*>(FImpl->Launch.ProfileURL.utf16()),
                       FImpl->Launch.ProfileURL.size() * 2),
        QCryptographicHash::Md5);
    QString hash;
    for (const char byte : digest) hash += QString::number(static_cast<unsigned char>(byte), 16);
    QFile::remove(prefix + "SingleOfficeIPC_" + hash);
  }
}
