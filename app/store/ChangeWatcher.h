#pragma once

#include <functional>

// Tells that other connections may have changed the register's table, so that the data set
// can catch up with them (TADOTable::Resync). Each engine has its own way to know: an SQLite
// file its data version, a server its notifications.
class TChangeWatcher {
public:
  virtual ~TChangeWatcher() = default;

  // From now on `changed` is called from the event loop of the thread that called Start, each
  // time other connections may have committed changes since the previous call (for the first
  // call: since the watcher was made, so make it before the rows are read). A call may come
  // without a change, which costs a resync and nothing else; no committed change goes
  // untold. Never called while the watched connection is inside a call. `changed` must not
  // throw.
  virtual void Start(std::function<void()> changed) = 0;
};
