// An import into the register on both engines: one transaction, the bags already there
// skipped or replaced, all or nothing, given up at the operator's word.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "app/BagFields.h"
#include "app/store/DatabaseError.h"
#include "app/store/StoreEngine.h"
#include "tests/app/store/PgStoreTestSupport.h"
#include "tests/app/store/TestRegisters.h"

namespace {

using namespace Qt::StringLiterals;

TBagRow Bag(const QString& number, qint64 package, const QString& fullName = u"Ёлкин Пётр"_s) {
  return {number, package, u"ООО «Ромашка»"_s, u"00702810900000012345"_s, QVariant(), qint64(11),
          fullName};
}

class Import : public testing::TestWithParam<TRegisterEngine> {
protected:
  void Create(const std::vector<TBagRow>& rows) {
    Register.reset();  // a file register's folder is the working directory until it goes
    Register = GetParam().Make();
    Register->Create(rows);
    Register->Connection().Open();
  }
  std::optional<TImportCounts> Run(const std::vector<TBagRow>& rows, TImportExisting existing,
                                   const TImportProgress& progress = {}) {
    return Register->Connection().Engine().Import({u"Clients"_s, ClientsFields()},
                                                  int(TBagField::BagNumber), rows, existing,
                                                  progress);
  }
  std::unique_ptr<TRegister> Register;
};

TEST_P(Import, BagsAlreadyThereAreSkippedOrReplacedAndTheRestAdded) {
  const std::vector<TBagRow> held{Bag(u"0012"_s, 1), Bag(u"77"_s, 2), Bag(u"77"_s, 3)};
  const std::vector<TBagRow> file{Bag(u"77"_s, 10, u"Новый"_s), Bag(u"0013"_s, 11),
                                  Bag(u"0013"_s, 12), Bag(u"12"_s, 13)};
  struct TCase {
    TImportExisting Existing;
    TImportCounts Counts;
    std::vector<TBagRow> After;
  };
  const TCase cases[] = {
      {TImportExisting::ieSkip,
       {3, 0, 1},
       {Bag(u"0012"_s, 1), Bag(u"77"_s, 2), Bag(u"77"_s, 3), Bag(u"0013"_s, 11), Bag(u"0013"_s, 12),
        Bag(u"12"_s, 13)}},
      // Both bags 77 of the register give way to the file's one; "12" is not "0012".
      {TImportExisting::ieReplace,
       {3, 1, 0},
       {Bag(u"0012"_s, 1), Bag(u"77"_s, 10, u"Новый"_s), Bag(u"0013"_s, 11), Bag(u"0013"_s, 12),
        Bag(u"12"_s, 13)}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(int(c.Existing));
    Create(held);
    EXPECT_EQ(Run(file, c.Existing), c.Counts);
    EXPECT_EQ(Register->Rows(), c.After);
  }
}

TEST_P(Import, ARowTheRegisterRefusesLeavesItAsItWas) {
  Create({Bag(u"1"_s, 1)});
  Register->Execute(u"CREATE UNIQUE INDEX \"BagNumbers\" ON \"Clients\" (\"Номер сумки\")"_s);
  std::vector<TBagRow> file;
  for (int i = 0; i < 1500; ++i) file.push_back(Bag(QString::number(1000 + i), i));
  file.push_back(Bag(u"1000"_s, 0));  // the same number twice in the file
  try {
    Run(file, TImportExisting::ieReplace);
    FAIL() << "no error";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Failure(), TDatabaseFailure::dfConstraint) << e.what();
  }
  EXPECT_EQ(Register->Rows(), std::vector<TBagRow>{Bag(u"1"_s, 1)});
  // The connection goes on working.
  EXPECT_EQ(Run({Bag(u"2"_s, 2)}, TImportExisting::ieSkip), (TImportCounts{1, 0, 0}));
}

TEST_P(Import, GivenUpItWritesNothing) {
  Create({Bag(u"1"_s, 1)});
  std::vector<TBagRow> file;
  for (int i = 0; i < 2500; ++i) file.push_back(Bag(QString::number(1000 + i), i));
  std::vector<int> reports;
  EXPECT_EQ(Run(file, TImportExisting::ieReplace,
                [&](int done) {
                  reports.push_back(done);
                  return done < 2000;
                }),
            std::nullopt);
  ASSERT_FALSE(reports.empty());
  EXPECT_GE(reports.back(), 2000);
  EXPECT_EQ(Register->Rows(), std::vector<TBagRow>{Bag(u"1"_s, 1)});
  // Reports grow to the whole import when it is not given up.
  reports.clear();
  EXPECT_EQ(Run(file, TImportExisting::ieSkip, [&](int done) {
              reports.push_back(done);
              return true;
            }),
            (TImportCounts{2500, 0, 0}));
  EXPECT_TRUE(std::is_sorted(reports.begin(), reports.end()));
  EXPECT_EQ(reports.back(), 2500);
  EXPECT_EQ(Register->Rows().size(), 2501u);
}

// An import asks the register for its own bags' numbers only: exact texts, letters' case and
// spaces as they are, quotes carried safely, NULL never.
TEST_P(Import, HeldTextsAreTheNumbersAskedForThatTheRegisterHoldsExactly) {
  TBagRow noNumber = Bag(u"x"_s, 4);
  noNumber[0] = QVariant();
  Create({Bag(u"0012"_s, 1), Bag(u"Ж-7"_s, 2), Bag(u"Ж-7"_s, 3), Bag(u"\"'"_s, 5), noNumber});
  EXPECT_EQ(Register->Connection().Engine().HeldTexts(
                {u"Clients"_s, ClientsFields()}, int(TBagField::BagNumber),
                {u"12"_s, u"0012"_s, u"ж-7"_s, u"Ж-7"_s, u"Ж-7 "_s, u"\"'"_s, QString()}),
            (QSet<QString>{u"0012"_s, u"Ж-7"_s, u"\"'"_s}));
}

INSTANTIATE_TEST_SUITE_P(Engines, Import, TestedEngines(), EngineName);

}  // namespace
