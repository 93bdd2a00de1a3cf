// The data set's cases on both engines: the same table runs on an SQLite file and on the
// register of the test's PostgreSQL server, each checked through another client of the same
// database.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "app/DataModuleUnit.h"
#include "app/store/ADOConnection.h"
#include "app/store/ADOTable.h"
#include "app/store/DatabaseError.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/store/PgStoreTestSupport.h"
#include "tests/app/store/TestRegisters.h"

namespace {

enum { Bag, Package, Recipient, Account, Inn, Symbol, FullName };

struct TEngine {
  const char* Name;
  std::function<std::unique_ptr<TRegister>()> Make;
};

void PrintTo(const TEngine& engine, std::ostream* out) { *out << engine.Name; }

TBagRow Row(const QString& bag, QVariant package = QVariant()) {
  return {bag, package, QStringLiteral("ООО Ромашка"), QStringLiteral("40702810900000000001"),
          QStringLiteral("7701234567"), qint64(2), QStringLiteral("Иванов И.И.")};
}

const TBagRow NullRow(7);

class DataSet : public testing::TestWithParam<TEngine> {
protected:
  // A fresh register holding `rows`, opened by a fresh data set.
  void Open(const std::vector<TBagRow>& rows) {
    Table.reset();
    Register.reset();  // a file register's folder is the working directory until it goes
    Register = GetParam().Make();
    Register->Create(rows);
    Table = std::make_unique<TADOTable>(Register->Connection(), QStringLiteral("Clients"), ClientsFields());
    Table->Open();
  }
  // The failure `action` raised: its kind, or dfDataSet with "no error".
  TDatabaseFailure FailureOf(const std::function<void()>& action) {
    try {
      action();
    } catch (const EDatabaseError& e) {
      return e.Failure();
    }
    ADD_FAILURE() << "no error";
    return TDatabaseFailure::dfDataSet;
  }
  QString Shown(int field) const { return FieldDisplayText(Table->FieldValue(field)); }

  std::unique_ptr<TRegister> Register;
  std::unique_ptr<TADOTable> Table;
};

TEST_P(DataSet, OpensEveryRowWithTheFirstCurrentAndKeepsNullsAndCyrillic) {
  Open({Row(QStringLiteral("Сумка-1"), 5678), NullRow, Row(QStringLiteral("3"))});
  EXPECT_EQ(Table->RecordCount(), 3);
  EXPECT_EQ(Table->RecNo(), 0);
  EXPECT_EQ(Table->State(), TDataSetState::dsBrowse);
  EXPECT_EQ(Table->FieldValue(Bag), QVariant(QStringLiteral("Сумка-1")));
  EXPECT_EQ(Table->FieldValue(Package), QVariant(qint64(5678)));
  EXPECT_EQ(Table->FieldValue(FullName), QVariant(QStringLiteral("Иванов И.И.")));
  for (int field = Bag; field <= FullName; ++field) EXPECT_FALSE(Table->Value(1, field).isValid()) << field;
  EXPECT_EQ(FieldDisplayText(Table->Value(2, Bag)), QStringLiteral("3"));
}

TEST_P(DataSet, EditPostAndCancelWriteOnlyWhatIsPosted) {
  Open({Row(QStringLiteral("1"), 10), Row(QStringLiteral("2"), 20)});
  Table->Edit();
  Table->SetFieldText(Recipient, QStringLiteral("брошено"));
  Table->Cancel();
  EXPECT_EQ(Shown(Recipient), QStringLiteral("ООО Ромашка"));
  EXPECT_EQ(Register->Rows()[0][Recipient], QVariant(QStringLiteral("ООО Ромашка")));

  Table->Edit();
  Table->SetFieldText(Package, QStringLiteral("11"));
  Table->SetFieldText(Recipient, QString());
  Table->Post();
  EXPECT_EQ(Table->State(), TDataSetState::dsBrowse);
  EXPECT_FALSE(Table->Modified());
  std::vector<TBagRow> rows = Register->Rows();
  EXPECT_EQ(rows[0][Package], QVariant(qint64(11)));
  EXPECT_FALSE(rows[0][Recipient].isValid()) << "an empty text is stored as NULL";
  EXPECT_EQ(rows[1], Row(QStringLiteral("2"), 20));
  // The posted values are the base the next post is matched against.
  Table->Edit();
  Table->SetFieldText(Package, QStringLiteral("12"));
  Table->Post();
  EXPECT_EQ(Register->Rows()[0][Package], QVariant(qint64(12)));
}

TEST_P(DataSet, InsertAndDeleteReachTheTableAndAnEmptyRegisterRefusesDelete) {
  Open({Row(QStringLiteral("1"))});
  Table->Insert();
  Table->Delete();
  EXPECT_EQ(Table->RecordCount(), 1) << "a new record is only dropped";
  Table->Insert();
  Table->SetFieldText(FullName, QStringLiteral("Петров"));
  Table->SetFieldText(Symbol, QStringLiteral("19"));
  Table->Post();
  EXPECT_EQ(Table->RecNo(), 0);
  EXPECT_EQ(Register->Rows(), (std::vector<TBagRow>{Row(QStringLiteral("1")),
                                                    {QVariant(), QVariant(), QVariant(), QVariant(), QVariant(),
                                                     qint64(19), QStringLiteral("Петров")}}));
  // The row just added is found again by the key the store gave it.
  Table->Edit();
  Table->SetFieldText(Bag, QStringLiteral("2"));
  Table->Post();
  EXPECT_EQ(Register->Rows()[1][Bag], QVariant(QStringLiteral("2")));

  Table->Delete();
  EXPECT_EQ(Shown(Bag), QStringLiteral("1"));
  Table->Delete();
  EXPECT_EQ(Table->RecNo(), -1);
  EXPECT_TRUE(Register->Rows().empty());
  EXPECT_EQ(FailureOf([&] { Table->Delete(); }), TDatabaseFailure::dfDataSet);
}

TEST_P(DataSet, NullsAndTheLongestCyrillicValuesAreWrittenMatchedAndDeleted) {
  Open({NullRow});
  const QString recipient = QString(255, QChar(u'Ж'));
  const QString bag = QString(50, QChar(u'№'));
  Table->Edit();
  Table->SetFieldText(Recipient, recipient + QStringLiteral("ЯЯ"));
  Table->SetFieldText(Bag, bag);
  Table->Post();
  const TBagRow stored{bag, QVariant(), recipient, QVariant(), QVariant(), QVariant(), QVariant()};
  EXPECT_EQ(Register->Rows(), std::vector<TBagRow>{stored}) << "cut to the field's 255 characters";
  // Matched on those values and on the NULLs beside them.
  Table->Edit();
  Table->SetFieldText(FullName, QStringLiteral("Ёлкина Ё.Ё."));
  Table->Post();
  EXPECT_EQ(Register->Rows()[0][FullName], QVariant(QStringLiteral("Ёлкина Ё.Ё.")));
  Table->Delete();
  EXPECT_TRUE(Register->Rows().empty());
}

TEST_P(DataSet, APostOfABagChangedOrDeletedElsewhereIsRefusedAndKeepsTheTyping) {
  struct TCase {
    const char* Elsewhere;
    TDatabaseFailure Failure;
  };
  const TCase cases[] = {
      {"UPDATE \"Clients\" SET \"ФИО\" = 'Другой'", TDatabaseFailure::dfChangedOnPost},
      {"UPDATE \"Clients\" SET \"Номер пакета\" = NULL", TDatabaseFailure::dfChangedOnPost},
      {"DELETE FROM \"Clients\"", TDatabaseFailure::dfDeletedOnPost},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Elsewhere);
    Open({Row(QStringLiteral("1"), 10)});
    Register->Execute(QString::fromUtf8(c.Elsewhere));
    const std::vector<TBagRow> before = Register->Rows();
    Table->Edit();
    Table->SetFieldText(Recipient, QStringLiteral("ИП Сидоров"));
    EXPECT_EQ(FailureOf([&] { Table->Post(); }), c.Failure);
    EXPECT_EQ(Table->State(), TDataSetState::dsEdit);
    EXPECT_TRUE(Table->Modified());
    EXPECT_EQ(Shown(Recipient), QStringLiteral("ИП Сидоров"));
    EXPECT_EQ(Register->Rows(), before) << "nothing written";
  }
}

TEST_P(DataSet, ADeleteOfABagChangedOrDeletedElsewhereIsRefusedAndTheRegisterKeepsIt) {
  struct TCase {
    const char* Elsewhere;
    TDatabaseFailure Failure;
  };
  const TCase cases[] = {
      {"UPDATE \"Clients\" SET \"Символ\" = 11 WHERE \"Номер сумки\" = '2'", TDatabaseFailure::dfChangedOnDelete},
      {"DELETE FROM \"Clients\" WHERE \"Номер сумки\" = '2'", TDatabaseFailure::dfDeletedOnDelete},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Elsewhere);
    Open({Row(QStringLiteral("1")), Row(QStringLiteral("2"))});
    Register->Execute(QString::fromUtf8(c.Elsewhere));
    const std::vector<TBagRow> before = Register->Rows();
    Table->MoveTo(1);
    EXPECT_EQ(FailureOf([&] { Table->Delete(); }), c.Failure);
    EXPECT_EQ(Table->RecordCount(), 2);
    EXPECT_EQ(Register->Rows(), before);
    // Reloading shows what the other desk left.
    EXPECT_EQ(Table->RefreshRecord(), c.Failure == TDatabaseFailure::dfChangedOnDelete);
    EXPECT_EQ(Table->RecordCount(), int(before.size()));
  }
}

TEST_P(DataSet, APostARuleOfTheTableRefusesChangesNothingAndCanBeCorrected) {
  Open({Row(QStringLiteral("1"))});
  Register->Execute(QStringLiteral("CREATE UNIQUE INDEX \"BagNumbers\" ON \"Clients\" (\"Номер сумки\")"));
  Table->Insert();
  Table->SetFieldText(Bag, QStringLiteral("1"));
  EXPECT_EQ(FailureOf([&] { Table->Post(); }), TDatabaseFailure::dfConstraint);
  EXPECT_EQ(Table->State(), TDataSetState::dsInsert);
  EXPECT_EQ(Register->Rows().size(), 1u);
  Table->SetFieldText(Bag, QStringLiteral("2"));
  Table->Post();
  EXPECT_EQ(Register->Rows().size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Engines, DataSet,
                         testing::Values(TEngine{"SqliteFile", [] { return std::make_unique<TFileRegister>(); }},
                                         TEngine{"PostgresqlServer",
                                                 [] { return std::make_unique<TServerRegister>(); }}),
                         [](const testing::TestParamInfo<TEngine>& info) { return std::string(info.param.Name); });

}  // namespace
