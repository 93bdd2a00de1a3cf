#include "texts/TechnicalLine.h"

#include <QRegularExpression>

#include <array>
#include <utility>

namespace {

// Reasons by their whole text, without a closing full stop.
constexpr std::array<std::pair<const char*, const char*>, 8> KnownReasons{{
    {"Permission denied", "нет прав на запись"},
    {"No space left on device", "диск переполнен"},
    {"Disk quota exceeded", "превышена квота на диске"},
    {"Read-only file system", "диск доступен только для чтения"},
    {"attempt to write a readonly database", "база данных открыта только для чтения"},
    {"no connect", "нет связи с LibreOffice"},
    {"no answer", "LibreOffice не отвечает"},
    {"Binary URP bridge disposed during call", "связь с LibreOffice оборвалась"},
}};

}  // namespace

QString TechnicalLine(const QString& text) {
  // " at ./binaryurp/source/bridge.cxx:845" or " at /build/sc/source/core/data/x.cxx:12",
  // with the full stop that ends it.
  static const QRegularExpression sourcePlace(QStringLiteral(R"(\s+at\s+\.?/\S+:\d+\.?)"));
  QString reason = text;
  reason.remove(sourcePlace);
  reason = reason.trimmed();
  QString bare = reason;
  if (bare.endsWith(u'.')) bare.chop(1);
  for (const auto& [original, russian] : KnownReasons)
    if (bare == QLatin1String(original))
      return QString::fromUtf8(russian) + QStringLiteral(" (") + bare + u')';
  return reason;
}
