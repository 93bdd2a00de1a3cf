#include "app/BagFields.h"

#include <gtest/gtest.h>

#include "app/DataModuleUnit.h"
#include "tests/app/AppTestSupport.h"
#include "tests/support/QtPrinters.h"

namespace {

// app/schema.sql, which every new register is made from, declares the program's fields.
TEST(BagFields, TheSchemaDeclaresTheFieldsTheProgramReadsInTheirOrderTypeAndSize) {
  const struct {
    TBagField Field;
    const char* Name;
    TFieldType Type;
    int Size;
  } expected[] = {
      {TBagField::BagNumber, "Номер сумки", TFieldType::ftWideString, 50},
      {TBagField::PackageNumber, "Номер пакета", TFieldType::ftInteger, 0},
      {TBagField::Recipient, "Получатель", TFieldType::ftWideString, 255},
      {TBagField::Account, "Счет", TFieldType::ftWideString, 255},
      {TBagField::Inn, "Инн", TFieldType::ftWideString, 255},
      {TBagField::CashSymbol, "Символ", TFieldType::ftInteger, 0},
      {TBagField::FullName, "ФИО", TFieldType::ftWideString, 100},
  };
  const std::vector<TFieldDef> fields = ClientsFields();
  ASSERT_EQ(fields.size(), std::size(expected));
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const auto& e = expected[i];
    EXPECT_EQ(fields[i].Name, QString::fromUtf8(e.Name)) << i;
    EXPECT_EQ(BagFieldName(e.Field), QString::fromUtf8(e.Name)) << i;
    EXPECT_EQ(fields[i].Type, e.Type) << e.Name;
    EXPECT_EQ(fields[i].Size, e.Size) << e.Name;
  }
  TTempWorkDir dir;
  CreateClientsDatabase(dir.Path(u"db.mdb"_qs));
  EXPECT_EQ(
      QueryValue(
          dir.Path(u"db.mdb"_qs),
          u"SELECT group_concat(name || ' ' || type, '|') FROM pragma_table_info('Clients')"_qs),
      u"ID INTEGER|Номер сумки VARCHAR(50)|Номер пакета INTEGER|Получатель VARCHAR(255)|"
      u"Счет VARCHAR(255)|Инн VARCHAR(255)|Символ INTEGER|ФИО VARCHAR(100)"_qs);
}

}  // namespace
