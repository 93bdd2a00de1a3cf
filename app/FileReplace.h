#pragma once

#include <QByteArray>
#include <QString>

// Replaces the file at `path` with `contents` so that a failure at any point leaves `path`
// exactly as it was: the bytes go into a new file beside it, every write and the flush to the
// disk are checked to the last byte, and only then does the new file take the name (one
// rename). On any failure (no room left, folder not writable, `path` a folder) the new file is
// removed and false is returned.
//
// A symbolic link at `path` is itself replaced by a plain file; its target is never written,
// and a dangling link creates nothing elsewhere. The new file keeps the permission bits of the
// plain file it replaces; a new one gets the usual bits for a new file (0666 less the umask).
bool ReplaceFile(const QString& path, const QByteArray& contents);
