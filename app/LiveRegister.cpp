#include "app/LiveRegister.h"

#include "app/DatabaseWait.h"
#include "app/controls/GuardedApplication.h"

namespace {

// How soon a resync put off by a busy moment is tried again: well within the second in which
// another desk's change should show.
constexpr int BusyRetryMs = 100;
// How soon a failed resync is tried again: a store that keeps failing is asked once a second.
constexpr int FailureRetryMs = 1000;

}  // namespace

TLiveRegister::TLiveRegister(TADOTable& table, std::unique_ptr<TChangeWatcher> watcher,
                             TResynced resynced, TFailed failed)
    : FTable(table),
      FWatcher(std::move(watcher)),
      FResynced(std::move(resynced)),
      FFailed(std::move(failed)) {
  FLater.setSingleShot(true);
  QObject::connect(&FLater, &QTimer::timeout, &FLater, [this] { TryResync(); });
  FTable.AddLink(this);
  FWatcher->Start([this] { Changed(); });
}

TLiveRegister::~TLiveRegister() { FTable.RemoveLink(this); }

void TLiveRegister::DataEvent(TDataEvent event, int) {
  if (event == TDataEvent::deRowsAppended && !FTable.Loading()) {
    // The changes made meanwhile to bags whose keys were still coming are taken now.
    FPending = true;
    FLater.start(0);
    return;
  }
  if (event != TDataEvent::deUpdateState || !FSpared || FTable.State() != TDataSetState::dsBrowse)
    return;
  // Not from inside the data set's own notification: once it has finished.
  FSpared = false;
  FPending = true;
  FLater.start(0);
}

void TLiveRegister::Changed() {
  FPending = true;
  if (!FLater.isActive()) TryResync();
}

void TLiveRegister::TryResync() {
  if (!FPending) return;
  if (TGuardedApplication::ActionRunning() || DatabaseWaiting()) {
    FLater.start(BusyRetryMs);
    return;
  }
  TResyncResult result;
  for (bool again = true;; again = false) {
    try {
      result = FTable.Resync();
      break;
    } catch (const EDatabaseError& error) {
      const bool lost = error.Failure() == TDatabaseFailure::dfConnectionLost;
      if (lost && again) continue;
      const bool unreachable = error.Kind() == TDatabaseKind::dkServer &&
                               (lost || error.Failure() == TDatabaseFailure::dfCannotOpen);
      if (!unreachable) FLater.start(FailureRetryMs);
      FFailed(error);
      return;
    }
  }
  FPending = false;
  FSpared = result.Current == TResyncCurrent::rcChangedWhileEdited ||
            result.Current == TResyncCurrent::rcDeletedWhileEdited;
  FResynced(result);
}
