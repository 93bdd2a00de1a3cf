#pragma once

#include <QString>

// Faults injected for real; they need root, which CI has.

// A tmpfs of 64 KiB mounted on `folder` (created) while the object lives; unmounted on
// destruction. A failed mount fails the current test.
class TSmallDisk {
 public:
  explicit TSmallDisk(const QString& folder);
  ~TSmallDisk();
  TSmallDisk(const TSmallDisk&) = delete;
  TSmallDisk& operator=(const TSmallDisk&) = delete;

  QString Path(const QString& name = QString()) const;
  // Fills the disk to its last page with a file "filler".
  void Fill() const;

 private:
  QString FFolder;
  bool FMounted = false;
};
