#pragma once

#include "office/UnoServer.h"

// Removes the sockets an office started with launch leaves in /tmp when it has ended.
//
// An office keeps two Unix sockets there, and leaves both behind however it ends (SIGTERM
// too). The program needs no clean-up: it always uses one pipe name and the user's profile,
// and the next office on them takes the stale sockets over. But every test and benchmark run
// starts offices with a pipe and a profile of their own, whose sockets would pile up in /tmp.
// Their names follow LibreOffice's own rule, documented nowhere, so the clean-up lives here
// and not in the product: OSL_PIPE_<uid>_<pipe name> for the accept string's pipe, and
// OSL_PIPE_<uid>_SingleOfficeIPC_<hash> for the profile, where hash is the MD5 of the
// profile URL's UTF-16 code units, each byte in lower-case hex without its leading zero.
void RemoveOfficeSockets(const TOfficeLaunch& launch);

// The socket in /tmp of an office's pipe of that name.
QString OfficePipePath(const QString& pipeName);

// A stand-in for an office on its pipe that never answers. Once Listen has run, a client's
// connection to the pipe succeeds and nothing is ever read from it; with StopReading, every
// write to the connection taken fails (EPIPE), as to an office that has just died. The
// destructor closes the socket and removes it.
class TSilentOfficePipe {
public:
  explicit TSilentOfficePipe(const QString& pipeName);
  ~TSilentOfficePipe();
  TSilentOfficePipe(const TSilentOfficePipe&) = delete;
  TSilentOfficePipe& operator=(const TSilentOfficePipe&) = delete;

  // Listens on the pipe; false when the socket cannot be made.
  bool Listen();
  bool IsListening() const { return FListener >= 0; }
  // Waits for the next connection and shuts its reading side (it stays open).
  void StopReading();

private:
  QByteArray FPath;
  int FListener = -1;
  int FConnection = -1;
};
