#include "app/store/KeyReread.h"

#include <QMetaObject>

#include <algorithm>
#include <iterator>

TKeyReread::TKeyReread(std::unique_ptr<TStoreEngine> engine, TTableDef table, int sliceRows,
                       std::vector<TRowKey> held, std::vector<TRowKey> cached, TDone done,
                       TFailed failed)
    : FEngine(std::move(engine)),
      FTable(std::move(table)),
      FSliceRows(std::max(sliceRows, 1)),
      FDone(std::move(done)),
      FFailed(std::move(failed)),
      FThread([this, held = std::move(held), cached = std::move(cached)](
                  std::stop_token stop) mutable { Read(stop, std::move(held), std::move(cached)); }) {}

TKeyReread::~TKeyReread() {
  FThread.request_stop();
  FThread.join();
}

void TKeyReread::Read(std::stop_token stop, std::vector<TRowKey> held,
                      std::vector<TRowKey> cached) {
  try {
    const std::vector<TRowKey> stored = ReadAllKeys(
        *FEngine, FTable, std::numeric_limits<TRowKey>::min(), FSliceRows, stop);
    if (stop.stop_requested()) return;
    TKeyDifference difference;
    difference.Held = FEngine->ReadRows(FTable, cached, {});
    std::erase(held, 0);
    std::sort(held.begin(), held.end());
    std::set_difference(held.begin(), held.end(), stored.begin(), stored.end(),
                        std::back_inserter(difference.Removed));
    std::set_difference(stored.begin(), stored.end(), held.begin(), held.end(),
                        std::back_inserter(difference.Added));
    QMetaObject::invokeMethod(
        &FReceiver,
        [this, difference = std::move(difference)]() mutable { FDone(std::move(difference)); },
        Qt::QueuedConnection);
  } catch (const EDatabaseError& error) {
    QMetaObject::invokeMethod(
        &FReceiver, [this, error] { FFailed(error); }, Qt::QueuedConnection);
  }
}
