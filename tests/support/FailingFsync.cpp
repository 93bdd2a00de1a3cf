#include "tests/support/FailingFsync.h"

#include <atomic>
#include <cerrno>
#include <dlfcn.h>

namespace {

std::atomic<int> FailWith{0};  // 0: the system's fsync
std::atomic<int> FailedCalls{0};

}  // namespace

extern "C" int fsync(int fd) {
  if (const int error = FailWith.load(); error != 0) {
    ++FailedCalls;
    errno = error;
    return -1;
  }
  using TFsync = int (*)(int);
  static const auto system = reinterpret_cast<TFsync>(dlsym(RTLD_NEXT, "fsync"));
  return system(fd);
}

TFailingFsync::TFailingFsync(int error) {
  FailedCalls = 0;
  FailWith = error;
}

TFailingFsync::~TFailingFsync() { FailWith = 0; }

int TFailingFsync::Failed() const { return FailedCalls; }
