#pragma once

// Another desk: the real program as a process of its own (desk_driver, DESK_DRIVER names it),
// started in a working folder and asked one command at a time (DeskDriver.cpp lists them).
#include <QElapsedTimer>
#include <QProcess>
#include <QTest>

#include <stdexcept>

class TOtherDesk {
public:
  // arguments: the driver's own (its office, say).
  explicit TOtherDesk(const QString& folder, const QStringList& arguments = {}) {
    FProcess.setWorkingDirectory(folder);
    FProcess.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    FProcess.start(QStringLiteral(DESK_DRIVER), arguments);
    if (!FProcess.waitForStarted(10000)) throw std::runtime_error("desk_driver did not start");
  }
  ~TOtherDesk() {
    Ask(QStringLiteral("quit"));
    if (!FProcess.waitForFinished(30000)) FProcess.kill();
  }
  TOtherDesk(const TOtherDesk&) = delete;
  TOtherDesk& operator=(const TOtherDesk&) = delete;

  QString Ask(const QString& command) {
    Send(command);
    return Answer(20000);
  }
  // Sends a command without waiting for its answer (two desks acting at the same moment).
  void Send(const QString& command) { FProcess.write(command.toUtf8() + '\n'); }
  // The answer to the command sent first among those not yet answered; "(no answer)" when it
  // takes more than ms.
  QString Answer(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!FProcess.canReadLine())
      if (clock.elapsed() >= ms || !FProcess.waitForReadyRead(qMax(1, ms - int(clock.elapsed()))))
        return QStringLiteral("(no answer)");
    return QString::fromUtf8(FProcess.readLine()).chopped(1);
  }
  // Asks `command` until the answer is `expected`, at most `ms` long; the last answer.
  QString AskUntil(const QString& command, const QString& expected, int ms) {
    QElapsedTimer clock;
    clock.start();
    QString answer = Ask(command);
    while (answer != expected && clock.elapsed() < ms) {
      QTest::qSleep(20);
      answer = Ask(command);
    }
    return answer;
  }

private:
  QProcess FProcess;
};
