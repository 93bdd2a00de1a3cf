#pragma once

#include <QObject>

#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "app/store/DatabaseError.h"
#include "app/store/StoreEngine.h"

// Reads the keys of a table above a boundary on a thread of its own, over an engine of its
// own (TStoreEngine::OpenAnother), `sliceRows` (>= 1) at a time, and hands each slice on
// to `delivered` on the thread that made the loader, from that thread's event loop: in order,
// the last one (shorter than a slice, maybe empty) with `last` true. A failure goes to
// `failed` instead and ends the reading. Destroying the loader stops the thread (after the
// statement it is in) and drops what was not handed on yet; the callbacks never run after.
class TKeyLoader {
public:
  using TDelivered = std::function<void(std::vector<TRowKey> keys, bool last)>;
  using TFailed = std::function<void(const EDatabaseError& error)>;

  TKeyLoader(std::unique_ptr<TStoreEngine> engine, TTableDef table, int sliceRows,
             TRowKey after, TDelivered delivered, TFailed failed);
  ~TKeyLoader();
  TKeyLoader(const TKeyLoader&) = delete;
  TKeyLoader& operator=(const TKeyLoader&) = delete;

private:
  void Read(std::stop_token stop, TRowKey after);

  std::unique_ptr<TStoreEngine> FEngine;
  const TTableDef FTable;
  const int FSliceRows;
  TDelivered FDelivered;
  TFailed FFailed;
  // Lives on the making thread: what the reading thread hands on runs there, and goes with it.
  QObject FReceiver;
  std::jthread FThread;  // last: stopped and joined before anything it uses goes
};
