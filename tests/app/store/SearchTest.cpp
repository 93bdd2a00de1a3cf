// Finding bags as the operator types, on both engines: what a typed text finds through the
// register's search index, and the filtered register keeping up with another desk's changes.
#include <gtest/gtest.h>

#include <memory>

#include "app/DataModuleUnit.h"
#include "app/store/ADOTable.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/store/TestRegisters.h"

namespace {

enum { Bag, Recipient = 2 };

const QVariant Null;

// Bag number, package number, recipient, account, INN, cash symbol, full name.
const std::vector<TBagRow> Bags = {
    {u"12345"_qs, 678, u"ООО «Берёзка»"_qs, u"40702810000000000001"_qs, u"7700000001"_qs, 2,
     u"Ёлкин Пётр"_qs},
    {u"99123"_qs, 12399, u"ИП Ежов"_qs, u"40702810555000000002"_qs, u"5500000002"_qs, 11,
     u"ежова анна"_qs},
    {u"A-777"_qs, Null, u"Yandex LLC"_qs, Null, Null, Null, Null},
    {u"777"_qs, 1, u"50%_скидка"_qs, u"30101810400000000225"_qs, u"1234000003"_qs, 19,
     u"Петров"_qs},
};

class Search : public testing::TestWithParam<TRegisterEngine> {
protected:
  void Open() {
    Register = GetParam().Make();
    Register->Create(Bags);
    // Pages of two rows, so that every case crosses a page.
    Table = std::make_unique<TADOTable>(Register->Connection(), QStringLiteral("Clients"),
                                        ClientsFields(), 2);
    Table->Open();
  }
  // The bag numbers the register shows, in its order.
  QStringList Shown() const {
    QStringList bags;
    for (int row = 0; row < Table->RecordCount(); ++row)
      bags << FieldDisplayText(Table->Value(row, Bag));
    return bags;
  }
  QString CurrentBag() const { return FieldDisplayText(Table->FieldValue(Bag)); }

  std::unique_ptr<TRegister> Register;
  std::unique_ptr<TADOTable> Table;
};

TEST_P(Search, ATypedTextFindsTheBagsItShouldAndNoOthers) {
  Open();
  ASSERT_TRUE(Table->CanSearch());
  const QStringList every{u"12345"_qs, u"99123"_qs, u"A-777"_qs, u"777"_qs};
  const struct {
    const char* Typed;
    QStringList Found;
  } cases[] = {
      // Names: anywhere, whatever the case, "ё" and "е" alike on either side.
      {"берез", {u"12345"_qs}},
      {"БЕРЁЗ", {u"12345"_qs}},
      {"ЁЛКИН пётр", {u"12345"_qs}},
      {"«бер", {u"12345"_qs}},
      {"ЕЖОВ", {u"99123"_qs}},
      {"  анна ", {u"99123"_qs}},
      {"yaNDEX", {u"A-777"_qs}},
      // LIKE's own characters are the characters typed.
      {"0%_с", {u"777"_qs}},
      {"5_%", {}},
      {"a\"b", {}},
      {"нет такого", {}},
      // Digits: the bag or package number from its start, the INN or account anywhere.
      {"123", {u"12345"_qs, u"99123"_qs, u"777"_qs}},  // bag, package, INN
      {"991", {u"99123"_qs}},
      {"912", {}},  // inside a bag number only
      {"777", {u"777"_qs}},
      {"555", {u"99123"_qs}},
      {"0225", {u"777"_qs}},
      {"678", {u"12345"_qs}},
      // Fewer than three characters: every bag, until the third one.
      {"ёл", every},
      {"12", every},
      {"", every},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Typed);
    Table->SetFilter({QString::fromUtf8(c.Typed)});
    EXPECT_EQ(Shown(), c.Found);
  }
}

// The current bag stays current when the search finds it, and the bags another desk changes
// arrive when they now match and leave when they no longer do, without a whole read.
TEST_P(Search, TheFilteredRegisterKeepsItsBagAndFollowsAnotherDesk) {
  Open();
  Table->MoveTo(1);
  Table->SetFilter({u"ежов"_qs});
  EXPECT_EQ(CurrentBag(), u"99123"_qs);
  Table->SetFilter({u"777"_qs});
  EXPECT_EQ(CurrentBag(), u"777"_qs) << "the first found, when the bag is not among them";
  Table->SetFilter({u"ежов"_qs});
  const int reads = Table->WholeReads();

  Register->Execute(
      QStringLiteral("UPDATE \"Clients\" SET \"ФИО\" = 'Ежов Иван' WHERE \"Номер сумки\" = '777'"));
  Register->Execute(QStringLiteral(
      "UPDATE \"Clients\" SET \"Получатель\" = 'ООО Ёжик' WHERE \"Номер сумки\" = 'A-777'"));
  TResyncResult result = Table->Resync();
  EXPECT_EQ(result.Added, 1) << "Ёжик is not Ежов";
  EXPECT_EQ(Shown(), (QStringList{u"99123"_qs, u"777"_qs}));
  Register->Execute(
      QStringLiteral("UPDATE \"Clients\" SET \"ФИО\" = 'Сидоров' WHERE \"Номер сумки\" = '777'"));
  Register->Execute(QStringLiteral("DELETE FROM \"Clients\" WHERE \"Номер сумки\" = '99123'"));
  result = Table->Resync();
  EXPECT_EQ(result.Deleted, 2);
  EXPECT_EQ(Shown(), QStringList());
  EXPECT_EQ(Table->WholeReads(), reads);

  // Editing, saving and deleting in the filtered register.
  Table->SetFilter({u"берез"_qs});
  Table->Edit();
  Table->SetFieldText(Bag, u"12346"_qs);
  Table->Post();
  EXPECT_EQ(Shown(), QStringList{u"12346"_qs});
  Table->Delete();
  EXPECT_TRUE(Table->IsEmpty());
  Table->SetFilter({});
  EXPECT_EQ(Shown(), (QStringList{u"A-777"_qs, u"777"_qs}));
}

// A bag leaves the search when another desk changes it out of its reach, and the note says so;
// one this desk saved out of it stays under the operator's hands until the search changes.
TEST_P(Search, ABagLeavesTheSearchWhenChangedElsewhereNotWhenSavedHere) {
  Open();
  Table->SetFilter({u"берез"_qs});
  ASSERT_EQ(Shown(), QStringList{u"12345"_qs});
  Table->Edit();
  Table->SetFieldText(Recipient, u"ООО Ромашка"_qs);
  Table->Post();
  Register->Execute(
      QStringLiteral("UPDATE \"Clients\" SET \"Символ\" = 11 WHERE \"Номер сумки\" = '777'"));
  EXPECT_EQ(Table->Resync().Current, TResyncCurrent::rcUnchanged);
  EXPECT_EQ(Shown(), QStringList{u"12345"_qs}) << "saved here";

  Register->Execute(
      QStringLiteral("UPDATE \"Clients\" SET \"ФИО\" = 'Ким' WHERE \"Номер сумки\" = '12345'"));
  EXPECT_EQ(Table->Resync().Current, TResyncCurrent::rcLeftSearch);
  EXPECT_EQ(Shown(), QStringList());
}

// A word most bags hold: the first bags by key and one more, which says there are others.
TEST_P(Search, AWordManyBagsHoldReadsTheFirstOnesAndOneMore) {
  Open();
  Register->Execute(QString::fromUtf8(
      Register->OnServer()
          ? "INSERT INTO \"Clients\" (\"Номер сумки\", \"ФИО\") SELECT 'n' || x, 'Лимитов' FROM "
            "generate_series(1, 1100) AS x"
          : "WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < 1100) "
            "INSERT INTO Clients (\"Номер сумки\", \"ФИО\") SELECT 'n' || x, 'Лимитов' FROM n"));
  Table->SetFilter({u"ЛИМИТ"_qs});
  ASSERT_EQ(Table->RecordCount(), SearchLimit + 1);
  EXPECT_EQ(FieldDisplayText(Table->Value(0, Bag)), u"n1"_qs);
  EXPECT_EQ(FieldDisplayText(Table->Value(SearchLimit, Bag)), u"n1001"_qs);
}

// Matches spread thinly over many bags, a name and numbers alike: still the first by key and
// one more, however far apart they lie.
TEST_P(Search, ThinlySpreadMatchesAreFoundInKeyOrderUpToTheLimit) {
  Open();
  // Of the bags r1 to r8000, every seventh holds the word "Редкостный" and the digits "987".
  const QString fill = QStringLiteral(
      "'r' || x, CASE WHEN x % 7 = 0 THEN 'Редкостный' ELSE 'Обычный' END, "
      "CASE WHEN x % 7 = 0 THEN '9876' ELSE '1111' END");
  Register->Execute(
      Register->OnServer()
          ? QStringLiteral("INSERT INTO \"Clients\" (\"Номер сумки\", \"ФИО\", \"Инн\") "
                           "SELECT %1 FROM generate_series(1, 8000) AS x")
                .arg(fill)
          : QStringLiteral("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE "
                           "x < 8000) INSERT INTO Clients (\"Номер сумки\", \"ФИО\", \"Инн\") "
                           "SELECT %1 FROM n")
                .arg(fill));
  for (const char* typed : {"РЕДКОСТН", "987"}) {
    SCOPED_TRACE(typed);
    Table->SetFilter({QString::fromUtf8(typed)});
    ASSERT_EQ(Table->RecordCount(), SearchLimit + 1);
    EXPECT_EQ(FieldDisplayText(Table->Value(0, Bag)), u"r7"_qs);
    EXPECT_EQ(FieldDisplayText(Table->Value(SearchLimit, Bag)), u"r7007"_qs);
  }
}

INSTANTIATE_TEST_SUITE_P(Engines, Search, TestedEngines(), EngineName);

}  // namespace
