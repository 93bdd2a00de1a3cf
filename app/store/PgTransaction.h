#pragma once

class TPgConnection;

// A transaction on a connection (BEGIN) that rolls back unless committed. The connection
// outlives the transaction and runs nothing else meanwhile that ends it.
class TPgTransaction {
public:
  // Throws EDatabaseError when BEGIN fails.
  explicit TPgTransaction(TPgConnection& connection);
  TPgTransaction(const TPgTransaction&) = delete;
  TPgTransaction& operator=(const TPgTransaction&) = delete;
  // Rolls back when Commit() was not called; a lost connection has rolled back on the
  // server already, so a failing ROLLBACK is not reported.
  ~TPgTransaction();
  // Makes the writes durable. Throws EDatabaseError, and nothing is written, when the
  // commit fails or a statement of the transaction failed before (the server then answers
  // COMMIT with ROLLBACK). Called at most once.
  void Commit();

private:
  TPgConnection& FConnection;
  bool FEnded = false;
};
