#pragma once

#include <QString>
#include <QStringView>
#include <QVariant>
#include <Qt>

// The kinds of field a bag record has.
enum class TFieldType {
  ftWideString,  // text of at most Size characters
  ftInteger      // 32-bit signed integer
};

// One field of a data set: how it is stored, converted and shown in the register grid.
struct TFieldDef {
  QString Name;  // the column name in the table, also the grid's column title
  TFieldType Type;
  int Size;                 // characters, > 0 for ftWideString; 0 for ftInteger
  int DisplayWidth;         // grid column width in characters, > 0
  Qt::Alignment Alignment;  // grid cell alignment (horizontal part only)
};

// The text a bound control or the grid shows for a stored value: empty for NULL, the decimal
// number for an integer, the stored text otherwise (a value someone else stored with another
// type shows as SQLite would convert it to text; a TStoredText with U+FFFD for the bytes that
// are not UTF-8).
QString FieldDisplayText(const QVariant& value);

// The length of `text` as a text field counts it: Unicode code points, so that a character
// outside the Basic Multilingual Plane (an emoji) is one, as a server's varchar(n) counts it,
// not the two UTF-16 units QString::size() counts.
qsizetype TextLength(QStringView text);

// Converts a control's text into a value of `field`. Empty text gives NULL. A text field takes
// a text of at most Size characters (TextLength) and refuses a longer one with EDatabaseError
// (dfDataSet) "В поле «<name>» помещается не больше <Size> символов, а в нём <length>.
// Сократите текст.": nothing is ever cut without a word. An integer field takes optional leading blanks, an optional sign
// and decimal digits within the 32-bit range; anything else raises EDatabaseError
// "'<text>' is not a valid integer value for field '<name>'".
QVariant FieldValueFromText(const TFieldDef& field, const QString& text);

// True when `c` (a printable character) may be typed into a control bound to `field`:
// any character for text, digits and signs for integers.
bool FieldAcceptsChar(const TFieldDef& field, QChar c);
