#include "app/IniFile.h"

#include "codepage/Win1251.h"
#include "files/FileReplace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <unistd.h>

EIniFileException::EIniFileException(const QString& message)
    : std::runtime_error(message.toStdString()) {}

QString EIniFileException::Message() const { return QString::fromUtf8(what()); }

namespace {

// Windows-1251 leaves 0x98 unassigned; Windows reads it as U+0098, and so does this file
// (DecodeWin1251), so that such a value is written back as it was read.
constexpr char UnassignedByte = '\x98';
constexpr char16_t UnassignedChar = 0x98;

std::u16string_view Utf16(const QString& text) {
  return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

// Runs a conversion; a machine without the Windows-1251 converter fails as the file does.
template <typename TConversion>
auto Converted(TConversion conversion) {
  try {
    return conversion();
  } catch (const std::runtime_error&) {
    throw EIniFileException(QStringLiteral("Windows-1251 conversion is not available"));
  }
}

QString DecodeCp1251(const QByteArray& bytes) {
  return QString::fromStdU16String(Converted([&] {
    return DecodeWin1251({bytes.constData(), static_cast<std::size_t>(bytes.size())});
  }));
}

// The Windows-1251 bytes of `text`, or the first character the code page lacks.
std::pair<std::optional<QByteArray>, char32_t> EncodeCp1251(const QString& text) {
  char32_t missing = 0;
  const std::optional<std::string> bytes = Converted([&] {
    return EncodeWin1251(Utf16(text), [&](char32_t c) -> std::optional<char> {
      if (c == UnassignedChar) return UnassignedByte;
      missing = c;
      return std::nullopt;
    });
  });
  if (!bytes) return {std::nullopt, missing};
  return {QByteArray::fromStdString(*bytes), 0};
}

// The text of the file: Windows-1251, or UTF-8 when the file starts with the UTF-8 byte-order
// mark (as text editors save it). The mark belongs to no line; it is kept when writing.
class TFileText {
public:
  explicit TFileText(const QByteArray& file)
      : FUtf8(file.startsWith(Utf8Bom)), FBody(FUtf8 ? file.mid(Utf8Bom.size()) : file) {}

  QByteArray& Body() { return FBody; }
  const QByteArray& Body() const { return FBody; }
  QByteArray File() const { return FUtf8 ? Utf8Bom + FBody : FBody; }
  const char* EncodingName() const { return FUtf8 ? "UTF-8" : "Windows-1251"; }

  QString Decode(const QByteArray& bytes) const {
    return FUtf8 ? QString::fromUtf8(bytes) : DecodeCp1251(bytes);
  }

  // The bytes of `text`, or the first character the encoding cannot hold (for UTF-8, a lone
  // surrogate).
  std::pair<std::optional<QByteArray>, char32_t> Encode(const QString& text) const {
    if (!FUtf8) return EncodeCp1251(text);
    for (qsizetype i = 0; i < text.size(); ++i) {
      if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
        ++i;
      else if (text[i].isSurrogate())
        return {std::nullopt, text[i].unicode()};
    }
    return {text.toUtf8(), 0};
  }

  // Names are the program's own (ASCII), which every encoding holds.
  QByteArray EncodeName(const QString& name) const {
    auto [bytes, missing] = Encode(name);
    Q_ASSERT(bytes);
    return bytes.value_or(QByteArray());
  }

private:
  static inline const QByteArray Utf8Bom = QByteArrayLiteral("\xEF\xBB\xBF");

  bool FUtf8;
  QByteArray FBody;
};

struct TLine {
  qsizetype Begin;       // first byte of the line
  qsizetype ContentEnd;  // first byte of its line ending
  qsizetype End;         // first byte after its line ending
};

std::vector<TLine> SplitLines(const QByteArray& file) {
  std::vector<TLine> lines;
  for (qsizetype begin = 0; begin < file.size();) {
    const qsizetype newline = file.indexOf('\n', begin);
    const qsizetype end = newline < 0 ? file.size() : newline + 1;
    qsizetype contentEnd = newline < 0 ? file.size() : newline;
    if (contentEnd > begin && file[contentEnd - 1] == '\r') --contentEnd;
    lines.push_back({begin, contentEnd, end});
    begin = end;
  }
  return lines;
}

// Where a key is, or would go, in a file.
struct TPlace {
  std::vector<TLine> Lines;
  std::optional<std::size_t> Section;  // header line of the first matching section
  std::optional<std::size_t> Key;      // the first matching key line in it
  std::size_t LastFilled = 0;          // last non-blank line of that section (or its header)
  QByteArray Value;                    // raw text after '=' of the key line
};

TPlace Locate(const TFileText& text, const QString& section, const QString& key) {
  const QByteArray& file = text.Body();
  const auto sameName = [&](const QByteArray& bytes, const QString& name) {
    return QString::compare(text.Decode(bytes.trimmed()), name.trimmed(), Qt::CaseInsensitive) == 0;
  };
  TPlace place{SplitLines(file), {}, {}, 0, {}};
  for (std::size_t i = 0; i < place.Lines.size(); ++i) {
    const TLine& line = place.Lines[i];
    const QByteArray content = file.mid(line.Begin, line.ContentEnd - line.Begin).trimmed();
    if (content.startsWith('[')) {
      if (place.Section) break;
      const qsizetype close = content.indexOf(']');
      if (sameName(content.mid(1, close < 0 ? -1 : close - 1), section))
        place.Section = place.LastFilled = i;
      continue;
    }
    if (!place.Section) continue;
    if (!content.isEmpty()) place.LastFilled = i;
    const qsizetype equals = content.indexOf('=');
    if (!place.Key && equals >= 0 && sameName(content.left(equals), key)) {
      place.Key = i;
      place.Value = content.mid(equals + 1);
    }
  }
  return place;
}

QString Unquote(QString value) {
  value = value.trimmed();
  if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
      value.back() == value.front())
    value = value.mid(1, value.size() - 2);
  return value;
}

// The text of the file at `path`; none when it cannot be read.
std::optional<TFileText> ReadText(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  return TFileText(file.readAll());
}

QString NativePath(const QString& path) {
  return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

}  // namespace

TIniFile::TIniFile(QString path) : FPath(std::move(path)) {}

QString TIniFile::ReadString(const QString& section, const QString& key,
                             const QString& defaultValue) const {
  const std::optional<TFileText> text = ReadText(FPath);
  if (!text) return defaultValue;
  const TPlace place = Locate(*text, section, key);
  if (!place.Key) return defaultValue;
  return Unquote(text->Decode(place.Value));
}

bool TIniFile::SectionExists(const QString& section) const {
  const std::optional<TFileText> text = ReadText(FPath);
  return text && Locate(*text, section, QString()).Section.has_value();
}

QStringList TIniFile::ReadSection(const QString& section) const {
  const std::optional<TFileText> text = ReadText(FPath);
  if (!text) return {};
  const TPlace place = Locate(*text, section, QString());
  if (!place.Section) return {};
  QStringList keys;
  const QByteArray& file = text->Body();
  for (std::size_t i = *place.Section + 1; i < place.Lines.size(); ++i) {
    const TLine& line = place.Lines[i];
    const QByteArray content = file.mid(line.Begin, line.ContentEnd - line.Begin).trimmed();
    if (content.startsWith('[')) break;
    const qsizetype equals = content.indexOf('=');
    if (equals >= 0) keys << text->Decode(content.left(equals).trimmed());
  }
  return keys;
}

void TIniFile::WriteString(const QString& section, const QString& key, const QString& value) {
  if (value.contains(u'\n') || value.contains(u'\r'))
    throw EIniFileException(
        QStringLiteral("Cannot write to %1: the value of \"%2\" has a line break")
            .arg(NativePath(FPath), key));
  // The system's reason goes on a second line; the first is the message as it always was,
  // its full stop now written out since the error box adds one only at the very end.
  const auto unableToWrite = [this](const QString& reason) {
    return EIniFileException(
        QStringLiteral("Unable to write to %1.\n%2").arg(NativePath(FPath), reason));
  };
  TFileText text{QByteArray()};
  if (QFileInfo::exists(FPath)) {
    // A file the user may not write is left alone, as Windows does, even where its folder
    // would let it be replaced.
    if (::access(QFile::encodeName(FPath).constData(), W_OK) != 0)
      throw unableToWrite(QString::fromLocal8Bit(std::strerror(errno)));
    if (QFileInfo(FPath).isDir()) throw unableToWrite(QString::fromLocal8Bit(std::strerror(EISDIR)));
    QFile existing(FPath);
    if (!existing.open(QIODevice::ReadOnly)) throw unableToWrite(existing.errorString());
    text = TFileText(existing.readAll());
  }

  const auto [encoded, missing] = text.Encode(value);
  if (!encoded)
    throw EIniFileException(
        QStringLiteral(
            "Cannot write to %1: the value of \"%2\" has the character U+%3, which %4 lacks")
            .arg(NativePath(FPath), key,
                 QString::number(missing, 16).toUpper().rightJustified(4, u'0'),
                 QString::fromLatin1(text.EncodingName())));

  QByteArray& file = text.Body();
  const TPlace place = Locate(text, section, key);
  const QByteArray eol =
      place.Lines.empty() || place.Lines.front().ContentEnd == place.Lines.front().End
          ? QByteArray("\r\n")
          : file.mid(place.Lines.front().ContentEnd,
                     place.Lines.front().End - place.Lines.front().ContentEnd);
  const QByteArray entry = text.EncodeName(key) + '=' + *encoded;
  if (place.Key) {
    const TLine& line = place.Lines[*place.Key];
    file.replace(line.Begin, line.ContentEnd - line.Begin, entry);
  } else if (place.Section) {
    const TLine& line = place.Lines[place.LastFilled];
    if (line.ContentEnd == line.End) file.insert(line.End, eol);
    file.insert(line.End + (line.ContentEnd == line.End ? eol.size() : 0), entry + eol);
  } else {
    if (!file.isEmpty() && !file.endsWith('\n')) file.append(eol);
    file.append('[' + text.EncodeName(section) + ']' + eol + entry + eol);
  }

  if (const std::optional<QString> reason = ReplaceFile(FPath, text.File()))
    throw unableToWrite(*reason);
}
