#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Replaces the file at `path` with `contents` so that a failure at any point leaves `path`
// exactly as it was: the bytes go into a new file beside it, every write, the flush to the
// disk (fsync) and the close are checked to the last byte, and only then does the new file take
// the name (one rename). Returns the system's reason for the first step that failed ("No space
// left on device", "Permission denied", "Input/output error" ...), in the system's words; the
// new file is then removed. Returns nothing when `path` holds `contents`.
//
// A symbolic link at `path` is itself replaced by a plain file; its target is never written,
// and a dangling link creates nothing elsewhere. The new file keeps the permission bits of the
// plain file it replaces, or of the file a replaced link points to; a new one gets the usual
// bits for a new file (0666 less the umask).
[[nodiscard]] std::optional<QString> ReplaceFile(const QString& path, const QByteArray& contents);
