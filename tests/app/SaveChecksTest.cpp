#include "app/SaveChecks.h"

#include <gtest/gtest.h>

#include <ostream>

#include "tests/support/QtPrinters.h"

// A warning as a failure message shows it.
static void PrintTo(const TSaveWarning& warning, std::ostream* out) {
  *out << '"' << warning.Message.toStdString() << '"';
  if (warning.Focus) *out << " focus " << static_cast<int>(*warning.Focus);
}

// The save checks on the editors' texts: the warnings in their order, and where the focus goes.
TEST(SaveChecks, EachCheckWarnsOnItsOwnInTheFixedOrder) {
  const TSaveWarning bagNumber{u"Введите номер сумки"_qs, TBagField::BagNumber};
  const TSaveWarning packageNumber{u"Введите номер сейф-пакета"_qs, TBagField::PackageNumber};
  const TSaveWarning account{u"Проверьте номер счета"_qs, std::nullopt};
  const TSaveWarning inn{u"Проверьте номер ИНН"_qs, std::nullopt};
  const TSaveWarning recipient{u"Введите получателя"_qs, TBagField::Recipient};
  const struct {
    const char* Name;
    TBagTexts Texts;  // bag number, package number, recipient, account, INN
    std::vector<TSaveWarning> Warnings;
  } cases[] = {
      {"complete", {u"1"_qs, u"2"_qs, u"Р"_qs, u"40702810900000000001"_qs, u"7701234567"_qs}, {}},
      {"all empty", {}, {bagNumber, packageNumber, account, inn, recipient}},
      {"blanks are not empty",
       {u" "_qs, u" "_qs, u" "_qs, QString(20, u' '), QString(10, u' ')},
       {}},
      {"account of 19",
       {u"1"_qs, u"2"_qs, u"Р"_qs, u"4070281090000000000"_qs, u"7701234567"_qs},
       {account}},
      {"account of 21",
       {u"1"_qs, u"2"_qs, u"Р"_qs, u"407028109000000000011"_qs, u"7701234567"_qs},
       {account}},
      {"account of 20 with a comma",
       {u"1"_qs, u"2"_qs, u"Р"_qs, u"4070281090000000000,"_qs, u"7701234567"_qs},
       {}},
      {"INN of 12",
       {u"1"_qs, u"2"_qs, u"Р"_qs, u"40702810900000000001"_qs, u"770123456789"_qs},
       {inn}},
      {"INN of 9", {u"1"_qs, u"2"_qs, u"Р"_qs, u"40702810900000000001"_qs, u"770123456"_qs}, {inn}},
      {"recipient and bag number empty",
       {QString(), u"2"_qs, QString(), u"40702810900000000001"_qs, u"7701234567"_qs},
       {bagNumber, recipient}},
  };
  for (const auto& c : cases) EXPECT_EQ(SaveWarnings(c.Texts), c.Warnings) << c.Name;
}
