#pragma once

#include <QString>

class EDatabaseError;
struct TResyncResult;

// The status line's note on what another desk did to the bag the operator had in front of
// them, found by a resync of the register; empty when there is nothing to tell (rows other
// than the current one come and go silently).
QString ResyncNote(const TResyncResult& result);

// The status line's note when the register could not catch up with the other desks.
QString ResyncFailureNote(const EDatabaseError& error);
