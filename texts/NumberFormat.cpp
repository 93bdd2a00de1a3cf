#include "texts/NumberFormat.h"

#include <QLocale>
#include <charconv>
#include <cmath>
#include <string>

namespace {

QChar LocaleSeparator() {
  const QString point = QLocale::system().decimalPoint();
  return point.size() == 1 ? point.front() : QChar(u'.');
}

QChar& Separator() {
  static QChar separator = LocaleSeparator();
  return separator;
}

}  // namespace

QChar DecimalSeparator() { return Separator(); }

void SetDecimalSeparator(QChar separator) {
  Q_ASSERT(!separator.isDigit() && separator != u'+' && separator != u'-' && separator != u'E' &&
           separator != u'e');
  Separator() = separator;
}

void InitDecimalSeparatorFromLocale() { SetDecimalSeparator(LocaleSeparator()); }

QString FormatGeneral(double value) {
  if (std::isnan(value)) return QStringLiteral("NAN");
  if (std::isinf(value)) return value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
  if (value == 0) return QStringLiteral("0");  // also for -0

  // %.15g picks fixed or exponent notation at the same thresholds and drops trailing zeros;
  // only the separator and the exponent's spelling ("e+15" -> "E15") differ.
  QString text = QString::number(value, 'g', 15);
  text.replace(u'.', DecimalSeparator());
  const qsizetype e = text.indexOf(u'e');
  if (e < 0) return text;
  const bool negative = text.at(e + 1) == u'-';
  QString digits = text.mid(e + 2);
  while (digits.size() > 1 && digits.front() == u'0') digits.remove(0, 1);
  return text.left(e) + u'E' + (negative ? QStringLiteral("-") : QString()) + digits;
}

std::optional<double> TryParseNumber(const QString& text) {
  // Hand-scanned rather than matched with a pattern: the grid reads every sum back on every
  // keystroke, and this runs dozens of times per key.
  const QString trimmed = text.trimmed();
  const QChar separator = DecimalSeparator();
  const qsizetype size = trimmed.size();
  qsizetype i = 0;
  std::string number;
  number.reserve(static_cast<std::size_t>(size));
  const auto isDigit = [&](qsizetype at) {
    return at < size && trimmed.at(at) >= u'0' && trimmed.at(at) <= u'9';
  };
  const auto takeDigits = [&] {
    int count = 0;
    for (; isDigit(i); ++i, ++count) number += static_cast<char>(trimmed.at(i).unicode());
    return count;
  };

  if (i < size && (trimmed.at(i) == u'+' || trimmed.at(i) == u'-')) {
    if (trimmed.at(i) == u'-') number += '-';
    ++i;
  }
  int mantissaDigits = takeDigits();
  if (i < size && trimmed.at(i) == separator) {
    number += '.';
    ++i;
    mantissaDigits += takeDigits();
  }
  if (mantissaDigits == 0) return std::nullopt;
  if (i < size && (trimmed.at(i) == u'e' || trimmed.at(i) == u'E')) {
    number += 'e';
    ++i;
    if (i < size && (trimmed.at(i) == u'+' || trimmed.at(i) == u'-')) {
      number += static_cast<char>(trimmed.at(i).unicode());
      ++i;
    }
    if (takeDigits() == 0) return std::nullopt;
  }
  if (i != size) return std::nullopt;

  double value = 0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (error != std::errc() || end != number.data() + number.size()) return std::nullopt;
  return value;
}

double ParseNumber(const QString& text) { return TryParseNumber(text).value_or(0); }
