#pragma once

#include <cerrno>

// While an object of this class lives, every fsync() of this process fails with `error`
// (EIO by default) and syncs nothing, as a disk that lost the data on its way does; otherwise
// fsync() is the system's. The test program's own definition of fsync() stands in for the C
// library's, so that code linked into it needs no seam of its own. One at a time.
class TFailingFsync {
public:
  explicit TFailingFsync(int error = EIO);
  ~TFailingFsync();
  TFailingFsync(const TFailingFsync&) = delete;
  TFailingFsync& operator=(const TFailingFsync&) = delete;

  // How many fsync() calls failed so far.
  int Failed() const;
};
