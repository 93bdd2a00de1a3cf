#pragma once

#include <QObject>

#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "app/store/DatabaseError.h"
#include "app/store/StoreEngine.h"

// What a whole read of a table's keys found against the keys a data set held when it began.
struct TKeyDifference {
  std::vector<TRowKey> Removed;  // held then and no longer stored, ascending
  std::vector<TRowKey> Added;    // stored and not held then, ascending
  std::vector<TStoredRow> Held;  // the rows asked for, as stored now (those gone left out)
};

// Reads every key of a table on a thread of its own, over an engine of its own
// (TStoreEngine::OpenAnother), `sliceRows` (>= 1) at a time, with the rows of `cached`, and
// tells what differs from `held` (the keys the data set holds, in any order; 0 left out) to
// `done` on the thread that made it, from that thread's event loop. A failure goes to `failed`
// instead. Destroying it stops the thread (after the statement it is in); the callbacks never
// run after.
class TKeyReread {
public:
  using TDone = std::function<void(TKeyDifference difference)>;
  using TFailed = std::function<void(const EDatabaseError& error)>;

  TKeyReread(std::unique_ptr<TStoreEngine> engine, TTableDef table, int sliceRows,
             std::vector<TRowKey> held, std::vector<TRowKey> cached, TDone done, TFailed failed);
  ~TKeyReread();
  TKeyReread(const TKeyReread&) = delete;
  TKeyReread& operator=(const TKeyReread&) = delete;

private:
  void Read(std::stop_token stop, std::vector<TRowKey> held, std::vector<TRowKey> cached);

  std::unique_ptr<TStoreEngine> FEngine;
  const TTableDef FTable;
  const int FSliceRows;
  TDone FDone;
  TFailed FFailed;
  // Lives on the making thread: what the reading thread hands on runs there, and goes with it.
  QObject FReceiver;
  std::jthread FThread;  // last: stopped and joined before anything it uses goes
};
