#pragma once

#include "app/Application.h"

class ERecordConflict;
class TADOTable;

// The way out of a post or delete that the register refused because another desk changed or
// deleted the bag meanwhile (`conflict`), for `dataSet`'s current record.
// With the operator's changes at stake (edit or insert mode) a box says what happened and
// offers: reload the bag's stored values, dropping all of the typing (a bag deleted elsewhere
// leaves the register), or keep editing (nothing changes). Without any, the bag is reloaded at
// once and a box tells what happened. Throws what TADOTable::RefreshRecord throws.
void ResolveRecordConflict(const ERecordConflict& conflict, TADOTable& dataSet);

// An exception handler for TApplication::SetOnException: ResolveRecordConflict for a conflict,
// the error box for anything else. `dataSet` must outlive the handler.
TExceptionHandler RecordConflictHandler(TADOTable& dataSet);
