#pragma once

#include <QString>

#include <optional>
#include <vector>

#include "app/BagFields.h"

// The texts of the bag editors that the save checks read, as the editors display them.
struct TBagTexts {
  QString BagNumber;
  QString PackageNumber;
  QString Recipient;
  QString Account;
  QString Inn;
};

// One finding of the save checks: the message for the operator, and the field whose editor
// takes the focus once the message is closed (none: the focus stays where it is).
struct TSaveWarning {
  QString Message;
  std::optional<TBagField> Focus;

  bool operator==(const TSaveWarning&) const = default;
};

// The checks a save of a changed bag runs, each whatever the others found, in this order:
//   bag number empty           "Введите номер сумки"        focus to the bag number
//   package number empty       "Введите номер сейф-пакета"  focus to the package number
//   account not AccountLength  "Проверьте номер счета"
//   INN not InnLength          "Проверьте номер ИНН"
//   recipient empty            "Введите получателя"         focus to the recipient
// They look at emptiness and length only (UTF-16 code units; app/BankNumbers.h has the lengths
// and what the account and INN editors admit). They only warn: the bag is saved all the same.
std::vector<TSaveWarning> SaveWarnings(const TBagTexts& texts);
