#include "texts/NumberFormat.h"

#include <QLocale>
#include <QRegularExpression>
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

double ParseNumber(const QString& text) {
  const QString sep = QRegularExpression::escape(QString(DecimalSeparator()));
  const QRegularExpression pattern(QStringLiteral(R"(^([+-]?)(\d+(?:%1\d*)?|%1\d+)([eE][+-]?\d+)?$)")
                                       .arg(sep));
  const QRegularExpressionMatch match = pattern.match(text.trimmed());
  if (!match.hasMatch()) return 0;

  QString plain = match.captured(2);
  plain.replace(DecimalSeparator(), u'.');
  const std::string number =
      (match.captured(1) == u"-" ? "-" : "") + plain.toStdString() + match.captured(3).toStdString();
  double value = 0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (error != std::errc() || end != number.data() + number.size()) return 0;
  return value;
}
