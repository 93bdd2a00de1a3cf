#pragma once

#include <vector>

#include "app/store/HistoryChain.h"
#include "app/store/PgConnection.h"

// Walks the whole history of a server register (app/upgrade-postgresql-2-history.sql) in one
// snapshot, a page of records at a time, recomputing each digest the server's trigger made;
// the head row gives the number of the last record ever written. Works for a desk's role
// too, which may read the history. Throws EDatabaseError.
THistoryCheck CheckPgHistory(TPgConnection& connection);
// Every record of the bags that bear or ever bore the number `bagNumber` (the register's
// "Номер сумки", or the history's before or after a change), deleted bags included: newest
// first, each with its changed fields in the byte order of their names. One statement.
// Throws EDatabaseError.
std::vector<THistoryRecord> ReadPgBagHistory(TPgConnection& connection, const QString& bagNumber);
