#include "app/BankNumbers.h"

#include "texts/NumberFormat.h"

void BankNumberKeyPress(QChar& key) {
  const bool passes = key == QChar(8) || (key >= u'0' && key <= u'9') || key == DecimalSeparator();
  if (!passes) key = QChar();
}
