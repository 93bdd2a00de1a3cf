#pragma once

#include <QByteArray>
#include <QMetaType>

// A text value exactly as the database holds it, for text whose bytes are not valid UTF-8
// (left there by another program). The data set keeps such a value as it is, so that the row
// can still be found by it and is written back byte for byte when the operator does not
// change it; the controls show it with the undecodable bytes replaced (FieldDisplayText).
struct TStoredText {
  QByteArray Bytes;
  friend bool operator==(const TStoredText&, const TStoredText&) = default;
};

Q_DECLARE_METATYPE(TStoredText)
