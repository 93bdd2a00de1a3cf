#pragma once

#include <QChar>

#include "texts/NumberFormat.h"

// Sets the process-wide decimal separator while it lives and puts the previous one back.
class TDecimalSeparator {
public:
  explicit TDecimalSeparator(QChar separator) : FPrevious(DecimalSeparator()) {
    SetDecimalSeparator(separator);
  }
  ~TDecimalSeparator() { SetDecimalSeparator(FPrevious); }
  TDecimalSeparator(const TDecimalSeparator&) = delete;
  TDecimalSeparator& operator=(const TDecimalSeparator&) = delete;

private:
  QChar FPrevious;
};
