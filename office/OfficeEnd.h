#pragma once

// How the program lets go of an office of its own that holds no document any more: typed calls
// on one connection (office's own sources only; needs the generated UNO headers).

#include <functional>

#include "office/UnoBridge.h"

// Listens to the office of session, until the connection ends: closed runs (on a thread of the
// bridge, and must return at once) each time a document of the office has been closed; while
// busy() holds, the office refuses to end (its own "Exit" and AskOfficeToEnd from any
// instance of the program alike). Raises EOffice/EOfficeGone when the office refuses or is gone.
void WatchOffice(TUnoSession& session, std::function<void()> closed, std::function<bool()> busy);

// True while the office holds a document: a shown or a hidden one, a voucher or the user's
// own. Raises EOffice/EOfficeGone when the office does not answer.
bool OfficeHoldsDocument(TUnoSession& session);

// Asks the office to end as its own "Exit" does; false when it refused (a work of the program
// in progress vetoed, or the user chose to keep a document). Raises EOffice/EOfficeGone.
bool AskOfficeToEnd(TUnoSession& session);
