#pragma once

#include <QString>
#include <QStringList>

#include <sys/types.h>

// A process of the office suite that this program started: its own session and process group,
// so that it outlives the program and can be ended as a whole. The destructor leaves it
// running (it is the user's office from then on); only Terminate ends it.
class TOfficeProcess {
public:
  // Starts program (looked up on PATH when it has no slash) with arguments, SIGPIPE at its
  // default whatever this process does with it. Returns false when it cannot be started at all
  // (missing, not executable); the process id is then 0.
  bool Start(const QString& program, const QStringList& arguments);
  // The id of the started process, 0 before a successful Start.
  pid_t Pid() const { return FPid; }
  // True while the started process has not ended. Collects the exit status of an ended one.
  bool IsRunning();
  // The exit code of an ended process, -1 while it runs or when a signal ended it.
  int ExitCode() const { return FExitCode; }
  // Ends the process group by SIGTERM and waits up to timeoutMs for every process of it to end,
  // then ends what is left by SIGKILL as Kill does. Nothing happens when no process runs.
  void Terminate(int timeoutMs);
  // Ends the process group at once by SIGKILL (also a stopped one), collects the process and
  // waits up to 5 s until every process of the group has ended.
  void Kill();
  // True while a process of the process group has not ended: one of its threads still runs
  // (a process whose threads have all ended counts as ended, collected by its parent or not).
  static bool GroupHasLiveProcess(pid_t group);
  // True while a process of this user that was started with argument (say the accept string
  // of the program's pipe) has not ended, as GroupHasLiveProcess counts it: whichever instance
  // of the program started it.
  static bool UserHasLiveProcessWith(const QString& argument);

private:
  // SIGKILL to the process group; returns when every process of it has ended (at most 5 s).
  void KillGroup();

  pid_t FPid = 0;
  bool FEnded = false;
  int FExitCode = -1;
};
