#pragma once

#include <QString>
#include <QStringList>
#include <stdexcept>

// A failure of the settings file; what() is the message in UTF-8, ready for the error box.
class EIniFileException : public std::runtime_error {
public:
  explicit EIniFileException(const QString& message);
  QString Message() const;
};

// Reads and writes string keys of an INI file with the rules of the Windows private-profile
// functions, on a file whose text is Windows-1251, or UTF-8 when the file starts with the
// UTF-8 byte-order mark (EF BB BF, as text editors save it; the mark is skipped when reading
// and kept when writing):
// - section and key names compare case-insensitively, ignoring blanks around them; the first
//   matching section and, in it, the first matching key win;
// - a value read back has the blanks around it removed and one pair of matching quotes around
//   it removed, and is read whole (Windows cuts it to 2047 characters, and a value written
//   back after such a read would lose the rest); a missing file, section or key gives the
//   default; a byte Windows-1251 leaves unassigned (0x98) reads as U+0098;
// - writing replaces the key's line by "key=value" (keeping that line's ending), or adds that
//   line after the last key line of the section, or adds the section at the end of the file.
//   Every other byte of the file stays as it was. Added lines end like the file's first line
//   (CR LF for a new file);
// - a write replaces the whole file at once (files/FileReplace.h): when it fails, on a full
//   disk too, the file stays byte for byte as it was; a symbolic link at the path is replaced
//   by a plain file, never written through.
// The file is opened and closed within each call; nothing is cached.
class TIniFile {
public:
  explicit TIniFile(QString path);

  QString ReadString(const QString& section, const QString& key, const QString& defaultValue) const;
  // True when the file has a section called `section`.
  bool SectionExists(const QString& section) const;
  // The names of the keys of that section (every line with an '=' in it, the name being what
  // stands before it, blanks around it removed), in file order; none when the file or the
  // section is missing.
  QStringList ReadSection(const QString& section) const;

  // Throws EIniFileException "Unable to write to <full path>." with the system's reason on a
  // second line ("Permission denied", "No space left on device") when the file cannot be
  // written (the file then untouched), and refuses (EIniFileException, file untouched) a value with a
  // line break or with a character the file's encoding cannot hold, since it would not read
  // back as written.
  // Preconditions: section and key are non-empty, without line breaks, '=' or ']'.
  void WriteString(const QString& section, const QString& key, const QString& value);

private:
  QString FPath;
};
