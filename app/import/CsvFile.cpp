#include "app/import/CsvFile.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>

#include <algorithm>
#include <array>

#include "app/import/ImportError.h"
#include "codepage/Win1251.h"

QString DecodeCsvText(const QByteArray& bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = utf8(bytes);
  if (utf8.hasError()) {
    const std::u16string decoded = DecodeWin1251(std::string_view(bytes.constData(), bytes.size()));
    return QString::fromStdU16String(decoded);
  }
  if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
  return text;
}

namespace {

bool IsLineBreak(QChar c) { return c == u'\n' || c == u'\r'; }

QChar Separator(const QString& text) {
  constexpr std::array<char16_t, 3> candidates{u';', u'\t', u','};
  std::array<int, 3> counts{};
  bool quoted = false;
  for (const QChar c : text) {
    if (c == u'"') quoted = !quoted;
    if (!quoted && IsLineBreak(c)) break;
    if (quoted) continue;
    for (std::size_t i = 0; i < candidates.size(); ++i)
      if (c == candidates[i]) ++counts[i];
  }
  const auto most = std::max_element(counts.begin(), counts.end());
  return *most == 0 ? QChar(u',') : QChar(candidates[std::size_t(most - counts.begin())]);
}

}  // namespace

TSourceTable ParseCsv(const QString& text, const QString& fileName) {
  const QChar separator = Separator(text);
  TSourceTable rows;
  TSourceRow row;
  int line = 1;
  row.Line = line;
  qsizetype i = 0;
  const qsizetype n = text.size();
  // Ends the row at hand; a row that is one empty unquoted field is an empty line.
  const auto endRow = [&] {
    if (!(row.Cells.size() == 1 && !row.Cells[0])) rows.push_back(std::move(row));
    row = TSourceRow{line, {}};
  };
  while (i < n) {
    TCell cell;
    if (text[i] == u'"') {
      const int quoteLine = line;
      QString value;
      ++i;
      for (;;) {
        if (i == n)
          throw EBagImport(
              QStringLiteral("В файле %1 кавычка, открытая в строке %2, не закрыта: файл, "
                             "видимо, обрезан или испорчен. Выгрузите сумки в файл заново.")
                  .arg(QDir::toNativeSeparators(fileName))
                  .arg(quoteLine));
        if (text[i] == u'"') {
          if (i + 1 < n && text[i + 1] == u'"') {
            value += u'"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        if (text[i] == u'\n' || (text[i] == u'\r' && !(i + 1 < n && text[i + 1] == u'\n')))
          ++line;
        value += text[i++];
      }
      // Whatever stands between the closing quote and the separator belongs to the field.
      while (i < n && text[i] != separator && !IsLineBreak(text[i])) value += text[i++];
      cell = value;
    } else {
      const qsizetype start = i;
      while (i < n && text[i] != separator && !IsLineBreak(text[i])) ++i;
      if (i > start) cell = text.mid(start, i - start);
    }
    row.Cells.push_back(std::move(cell));
    if (i == n) break;
    if (text[i] == separator) {
      ++i;
      if (i == n) row.Cells.push_back(std::nullopt);
      continue;
    }
    // A line break: CR LF counts as one.
    if (text[i] == u'\r' && i + 1 < n && text[i + 1] == u'\n') ++i;
    ++i;
    ++line;
    endRow();
  }
  if (!row.Cells.empty()) endRow();
  return rows;
}

TSourceTable ReadCsvFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    throw EBagImport(QStringLiteral("Не удалось прочитать файл %1: его нет или к нему нет "
                                    "доступа. Проверьте имя файла и права на него.")
                         .arg(QDir::toNativeSeparators(path)),
                     file.errorString());
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError)
    throw EBagImport(QStringLiteral("Не удалось прочитать файл %1. Проверьте диск и повторите.")
                         .arg(QDir::toNativeSeparators(path)),
                     file.errorString());
  return ParseCsv(DecodeCsvText(bytes), path);
}
