#include "app/ADOConnection.h"

TADOConnection::TADOConnection(QString fileName, int busyTimeoutMs)
    : FFileName(std::move(fileName)), FBusyTimeoutMs(busyTimeoutMs) {}

void TADOConnection::Open() {
  if (!FDatabase) FDatabase = std::make_unique<TSqliteDatabase>(FFileName, FBusyTimeoutMs);
}
