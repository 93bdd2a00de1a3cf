#pragma once

#include <QString>

// Faults injected for real. A small disk needs root, which CI has; any other user gets it in a
// namespace of the test's own (RunThisTestAsNamespaceRoot).

// A tmpfs of 64 KiB mounted on `folder` (created) while the object lives; unmounted on
// destruction. A failed mount fails the current test.
class TSmallDisk {
public:
  explicit TSmallDisk(const QString& folder);
  ~TSmallDisk();
  TSmallDisk(const TSmallDisk&) = delete;
  TSmallDisk& operator=(const TSmallDisk&) = delete;

  QString Path(const QString& name = QString()) const;
  // Fills the disk to its last page with a file "filler", then frees `left` bytes of it again.
  void Fill(qint64 left = 0) const;

private:
  QString FFolder;
  bool FMounted = false;
};

// Unless this process is root: runs the current test again in a child process of this test
// program that is root of a user and mount namespace of its own (unshare), where it can mount a
// TSmallDisk whoever runs the tests, fails the current test unless the child ran it and it
// passed, and returns true: the caller then returns. Returns false as root: the test goes on.
bool RunThisTestAsNamespaceRoot();

// Runs the current test again in a child process of this test program as the unprivileged
// user "nobody" (uid and gid 65534, no groups, no capabilities), and fails the current test
// unless the child ran it and it passed. The program is copied to a folder of its own first,
// so that the child reaches it wherever the build lives.
void RunThisTestAsNobody();
