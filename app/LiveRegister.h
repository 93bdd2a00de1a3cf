#pragma once

#include <QTimer>

#include <functional>
#include <memory>

#include "app/store/ADOTable.h"
#include "app/store/ChangeWatcher.h"
#include "app/store/DataLink.h"

// Keeps the register up to date with what other desks do to it: when the watcher tells of a
// change, the data set catches up (TADOTable::Resync) at the next quiet moment and `resynced`
// hears what that found. A quiet moment: no action of the operator is running (a message box,
// a dialog or an export may wait in an event loop of its own in the middle of an action that
// relies on the current record, see TGuardedApplication::ActionRunning) and no call into the
// store is waiting for a lock (this resync's own included). A change that the
// record being edited was spared is taken as soon as the record is back in browse mode, and
// the changes to bags whose keys were still loading as soon as the last keys are in.
//
// A resync that fails is tried again a second later; `failed` hears of each failure. Two
// failures are not tried again on the clock: a lost connection is tried once more at once
// (the store connects again in its next call, so after a server restart the first resync
// goes through), and a server that cannot be reached is left to the watcher, which tells
// when it hears from the server again (a try to connect may wait for the server as long as
// the connection string allows, and a window must not freeze on it every second).
class TLiveRegister : public TDataLink {
public:
  using TResynced = std::function<void(const TResyncResult& result)>;
  using TFailed = std::function<void(const EDatabaseError& error)>;

  // Attaches to `table`, which must outlive it, and starts the watcher. The callbacks run from
  // the event loop and must not throw.
  TLiveRegister(TADOTable& table, std::unique_ptr<TChangeWatcher> watcher, TResynced resynced,
                TFailed failed);
  ~TLiveRegister() override;
  TLiveRegister(const TLiveRegister&) = delete;
  TLiveRegister& operator=(const TLiveRegister&) = delete;

  void DataEvent(TDataEvent event, int info) override;
  void UpdateData() override {}

private:
  void Changed();
  void TryResync();

  TADOTable& FTable;
  std::unique_ptr<TChangeWatcher> FWatcher;
  TResynced FResynced;
  TFailed FFailed;
  QTimer FLater;          // the next try, after a busy moment or a failure
  bool FPending = false;  // told of a change not yet taken
  bool FSpared = false;   // the record being edited was spared a change
};
