#pragma once

#include "app/store/HistoryChain.h"
#include "app/store/PgConnection.h"

// Walks the whole history of a server register (app/upgrade-postgresql-2-history.sql) in one
// snapshot, a page of records at a time, recomputing each digest the server's trigger made;
// the head row gives the number of the last record ever written. Works for a desk's role
// too, which may read the history. Throws EDatabaseError.
THistoryCheck CheckPgHistory(TPgConnection& connection);
