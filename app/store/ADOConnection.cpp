#include "app/store/ADOConnection.h"

TADOConnection::TADOConnection(QString fileName, int busyTimeoutMs, TBusyWait wait)
    : FFileName(std::move(fileName)), FBusyTimeoutMs(busyTimeoutMs), FBusyWait(std::move(wait)) {}

void TADOConnection::Open() {
  if (!FDatabase) FDatabase = std::make_unique<TSqliteDatabase>(FFileName, FBusyTimeoutMs, FBusyWait);
}
