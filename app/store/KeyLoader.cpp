#include "app/store/KeyLoader.h"

#include <QMetaObject>

#include <algorithm>

TKeyLoader::TKeyLoader(std::unique_ptr<TStoreEngine> engine, TTableDef table, int sliceRows,
                       TRowKey after, TDelivered delivered, TFailed failed)
    : FEngine(std::move(engine)),
      FTable(std::move(table)),
      FSliceRows(std::max(sliceRows, 1)),
      FDelivered(std::move(delivered)),
      FFailed(std::move(failed)),
      FThread([this, after](std::stop_token stop) { Read(stop, after); }) {}

TKeyLoader::~TKeyLoader() {
  FThread.request_stop();
  FThread.join();
}

void TKeyLoader::Read(std::stop_token stop, TRowKey after) {
  try {
    while (!stop.stop_requested()) {
      std::vector<TRowKey> keys = FEngine->ReadKeys(FTable, after, FSliceRows, {});
      const bool last = int(keys.size()) < FSliceRows;
      if (!last) after = keys.back();
      QMetaObject::invokeMethod(
          &FReceiver,
          [this, keys = std::move(keys), last]() mutable { FDelivered(std::move(keys), last); },
          Qt::QueuedConnection);
      if (last) return;
    }
  } catch (const EDatabaseError& error) {
    QMetaObject::invokeMethod(
        &FReceiver, [this, error] { FFailed(error); }, Qt::QueuedConnection);
  }
}
