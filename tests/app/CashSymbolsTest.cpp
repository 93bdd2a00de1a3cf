#include "app/CashSymbols.h"

#include <gtest/gtest.h>

#include "tests/support/QtPrinters.h"

namespace {

// Which receipt name the voucher carries for the item chosen in the cash-symbol list.
TEST(CashSymbols, OnlyTheBlankItem2_11And19SetTheReceiptName) {
  const struct {
    int Index;
    std::optional<QString> Name;  // none: the name shown stays
  } cases[] = {
      {-1, std::nullopt},
      {0, u""_qs},
      {1, u"Поступления от продажи товаров"_qs},
      {2, u"Поступления от реализации платных услуг (выполненных работ)"_qs},
      {3, u"Поступления на счета индивидуальных предпринимателей"_qs},
      {4, std::nullopt},
      {5, std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ReceiptNameForItem(c.Index), c.Name) << c.Index;
}

}  // namespace
