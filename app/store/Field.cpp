#include "app/store/Field.h"

#include <limits>

#include "app/store/DatabaseError.h"
#include "app/store/StoredText.h"

QString FieldDisplayText(const QVariant& value) {
  if (!value.isValid() || value.isNull()) return QString();
  if (value.typeId() == QMetaType::LongLong) return QString::number(value.toLongLong());
  if (value.metaType() == QMetaType::fromType<TStoredText>())
    return QString::fromUtf8(value.value<TStoredText>().Bytes);
  return value.toString();
}

namespace {

bool ParseInteger(const QString& text, qint32& result) {
  qsizetype i = 0;
  while (i < text.size() && text[i] == u' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  if (i == text.size()) return false;
  qint64 value = 0;
  for (; i < text.size(); ++i) {
    const char16_t c = text[i].unicode();
    if (c < u'0' || c > u'9') return false;
    value = value * 10 + (c - u'0');
    if (value > qint64(std::numeric_limits<qint32>::max()) + 1) return false;
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<qint32>::max()) return false;
  result = qint32(value);
  return true;
}

}  // namespace

qsizetype TextLength(QStringView text) {
  qsizetype length = 0;
  for (qsizetype i = 0; i < text.size(); ++i, ++length)
    if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ++i;
  return length;
}

QVariant FieldValueFromText(const TFieldDef& field, const QString& text) {
  if (text.isEmpty()) return QVariant();
  if (field.Type == TFieldType::ftWideString) {
    if (const qsizetype length = TextLength(text); length > field.Size)
      throw EDatabaseError(QStringLiteral("В поле «%1» помещается не больше %2 символов, а в нём "
                                          "%3. Сократите текст.")
                               .arg(field.Name)
                               .arg(field.Size)
                               .arg(length));
    return QVariant(text);
  }
  qint32 value = 0;
  if (!ParseInteger(text, value))
    throw EDatabaseError(
        QStringLiteral("'%1' is not a valid integer value for field '%2'").arg(text, field.Name));
  return QVariant(qint64(value));
}

bool FieldAcceptsChar(const TFieldDef& field, QChar c) {
  if (field.Type == TFieldType::ftWideString) return true;
  return (c >= u'0' && c <= u'9') || c == u'+' || c == u'-';
}
