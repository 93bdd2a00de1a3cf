#include "office/AutomationValues.h"

#include <QByteArrayView>

namespace {

// The characters a file URL carries as they are; everything else is percent-encoded.
bool IsPlainUrlByte(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         QByteArrayView("-._~/:").contains(c);
}

}  // namespace

QString FileNameToURL(const QString& fileName) {
  QString path = fileName;
  QString prefix = "file:///";
  if (path.startsWith(QLatin1Char('/')))
    prefix = "file://";
  else
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
  QString url = prefix;
  for (const char c : path.toUtf8()) {
    if (IsPlainUrlByte(c))
      url += QLatin1Char(c);
    else
      url += QString("%%1").arg(static_cast<unsigned char>(c), 2, 16, QLatin1Char('0')).toUpper();
  }
  return url;
}

TVariant MakePropertyValue(const TVariant& serviceManager, const QString& name,
                           const TVariant& value) {
  TVariant property = serviceManager.Call("Bridge_GetStruct", {"com.sun.star.beans.PropertyValue"});
  property.Set("Name", name);
  property.Set("Value", value);
  return property;
}
