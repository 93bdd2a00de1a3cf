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
