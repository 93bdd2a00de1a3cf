#include "app/SaveChecks.h"

#include "app/BankNumbers.h"

std::vector<TSaveWarning> SaveWarnings(const TBagTexts& texts) {
  std::vector<TSaveWarning> warnings;
  if (texts.BagNumber.isEmpty())
    warnings.push_back({QStringLiteral("Введите номер сумки"), TBagField::BagNumber});
  if (texts.PackageNumber.isEmpty())
    warnings.push_back({QStringLiteral("Введите номер сейф-пакета"), TBagField::PackageNumber});
  if (texts.Account.size() != AccountLength)
    warnings.push_back({QStringLiteral("Проверьте номер счета"), {}});
  if (texts.Inn.size() != InnLength)
    warnings.push_back({QStringLiteral("Проверьте номер ИНН"), {}});
  if (texts.Recipient.isEmpty())
    warnings.push_back({QStringLiteral("Введите получателя"), TBagField::Recipient});
  return warnings;
}
