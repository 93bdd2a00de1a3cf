#include "app/store/ADOConnection.h"

#include "app/store/PgEngine.h"
#include "app/store/SqliteEngine.h"

TADOConnection::TADOConnection(QString fileName, int busyTimeoutMs, TBusyWait wait)
    : FOpen([fileName = std::move(fileName), busyTimeoutMs, wait = std::move(wait)] {
        return std::make_unique<TSqliteEngine>(fileName, busyTimeoutMs, wait);
      }) {}

TADOConnection::TADOConnection(TServerConnection server, TBusyWait wait)
    : FOpen([conninfo = std::move(server.ConnInfo), wait = std::move(wait)] {
        return std::make_unique<TPgEngine>(conninfo, wait);
      }) {}

void TADOConnection::Open() {
  if (!FEngine) FEngine = FOpen();
}
