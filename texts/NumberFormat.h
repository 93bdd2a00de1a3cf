#pragma once

#include <QChar>
#include <QString>

#include <optional>

// The one number format of the denomination grid and of every text derived from it:
// general format with at most 15 significant digits and the process-wide decimal separator.
// The separator is process-wide state for the user-interface thread only.

// The decimal separator used by FormatGeneral and ParseNumber. Until set, it is the system
// locale's separator (a comma on a Russian system).
QChar DecimalSeparator();

// Sets the decimal separator (tests set both a comma and a full stop).
// Precondition: `separator` is neither a digit, a sign, 'E' nor 'e'.
void SetDecimalSeparator(QChar separator);

// Re-reads the decimal separator from the system locale.
void InitDecimalSeparatorFromLocale();

// General format, precision 15: the shortest text that shows `value` rounded to 15
// significant digits; no thousands separator, no trailing zeros. Fixed notation while the
// decimal exponent lies in [-4, 14], otherwise exponent notation with a bare "E", a minus only
// for negative exponents and no leading zeros: 1500, "0,5", "2,3", "1E15", "1E-5" (comma).
// Infinities and NaN are written "INF", "-INF" and "NAN".
QString FormatGeneral(double value);

// Reads a number written with the current separator: optional blanks around it, an optional
// sign, digits with at most one separator, an optional exponent ("E" or "e", optional sign,
// digits). Anything else, an empty text and a value beyond the range of double give nullopt
// (so "INF" and "NAN" too).
std::optional<double> TryParseNumber(const QString& text);

// TryParseNumber, where anything it does not read counts as 0.
double ParseNumber(const QString& text);
