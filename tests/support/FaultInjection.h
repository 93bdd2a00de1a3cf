#pragma once

#include <QString>

// Faults injected for real.

// A tmpfs of 64 KiB mounted on `folder` (created) while the object lives; unmounted on
// destruction. A failed mount fails the current test. Mounting needs root, or root of a user
// namespace of the test's own (RunThisTestWhereItMayMount).
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

// Runs the current test again in a child process of this test program as the unprivileged
// user "nobody" (uid and gid 65534, no groups, no capabilities), and fails the current test
// unless the child ran it and it passed. The program is copied to a folder of its own first,
// so that the child reaches it wherever the build lives.
void RunThisTestAsNobody();

// Runs the current test again in a child process of this test program that is root of a user
// and mount namespace of its own (unshare --user --map-root-user --mount), where it may mount a
// TSmallDisk that nobody else sees; fails the current test unless the child ran it and it
// passed. For a user who is not root: CI and root run the test as it is.
void RunThisTestWhereItMayMount();
