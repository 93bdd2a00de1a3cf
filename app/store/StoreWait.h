#pragma once

#include <functional>

// Called while a call into the register's database waits: for a lock another connection holds
// (the file), or for a server that is slow to answer. With true again and again (every 10 ms or
// so) during the wait, then once with false when the call that waited returns. It runs inside
// that call, so it must not use the waiting connection and must not throw.
using TBusyWait = std::function<void(bool waiting)>;
