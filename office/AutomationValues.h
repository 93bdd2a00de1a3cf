#pragma once

#include <QString>

#include "office/Variant.h"

// Values the wrapper hands to the suite, made the way the suite expects them.

// The file URL of a path. An absolute path gives a correct URL: "/home/a b/QR.bmp" gives
// "file:///home/a%20b/QR.bmp", a drive path "C:\Voucher files\QR.bmp" (backslashes as
// separators) gives "file:///C:/Voucher%20files/QR.bmp". Every character outside letters,
// digits, "-._~", "/" and ":" is percent-encoded as its UTF-8 bytes (blank %20, '#' %23,
// '%' %25, Cyrillic letters as two bytes each); in a path rooted at "/" a backslash is an
// ordinary character (%5C). Any other text is put after "file:///" in the same encoding.
QString FileNameToURL(const QString& fileName);

// A property value as the suite understands it: a "com.sun.star.beans.PropertyValue" made
// through Bridge_GetStruct of serviceManager, with Name and Value set.
TVariant MakePropertyValue(const TVariant& serviceManager, const QString& name,
                           const TVariant& value);
