// The data set's cases on both engines: the same table runs on an SQLite file and on the
// register of the test's PostgreSQL server, each checked through another client of the same
// database.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>

#include "app/DataModuleUnit.h"
#include "app/store/ADOConnection.h"
#include "app/store/ADOTable.h"
#include "app/store/DatabaseError.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/store/PgStoreTestSupport.h"
#include "tests/app/store/TestRegisters.h"

namespace {

enum { Bag, Package, Recipient, Account, Inn, Symbol, FullName };

TBagRow Row(const QString& bag, QVariant package = QVariant()) {
  return {bag,
          package,
          QStringLiteral("ООО Ромашка"),
          QStringLiteral("40702810900000000001"),
          QStringLiteral("7701234567"),
          qint64(2),
          QStringLiteral("Иванов И.И.")};
}

const TBagRow NullRow(7);

// Records the order of the events a link hears.
class TEventLog : public TDataLink {
public:
  void DataEvent(TDataEvent event, int info) override { Events.push_back({event, info}); }
  void UpdateData() override {}
  std::vector<std::pair<TDataEvent, int>> Events;
};

class DataSet : public testing::TestWithParam<TRegisterEngine> {
protected:
  // A fresh register holding `rows`, opened by a fresh data set.
  void Open(const std::vector<TBagRow>& rows) {
    Table.reset();
    Register.reset();  // a file register's folder is the working directory until it goes
    Register = GetParam().Make();
    Register->Create(rows);
    // Pages of two rows: every case reads across pages and, past 40 rows, drops rows from
    // the cache and reads them again.
    Table = std::make_unique<TADOTable>(Register->Connection(), QStringLiteral("Clients"),
                                        ClientsFields(), 2);
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
  // The bag numbers in register order, as the grid shows them.
  QStringList Bags() const {
    QStringList bags;
    for (int row = 0; row < Table->RecordCount(); ++row)
      bags << FieldDisplayText(Table->Value(row, Bag));
    return bags;
  }
  // The failure of a post; none when it went through.
  std::optional<TDatabaseFailure> PostFailure() {
    try {
      Table->Post();
    } catch (const EDatabaseError& e) {
      return e.Failure();
    }
    return std::nullopt;
  }

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
  for (int field = Bag; field <= FullName; ++field)
    EXPECT_FALSE(Table->Value(1, field).isValid()) << field;
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
  EXPECT_EQ(Register->Rows(),
            (std::vector<TBagRow>{Row(QStringLiteral("1")),
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

// A field's size counts characters as the server does (an emoji is one); a longer text is
// refused, never cut.
TEST_P(DataSet, NullsAndTheLongestCyrillicValuesAreWrittenMatchedAndDeleted) {
  Open({NullRow});
  const QString recipient = QString(255, QChar(u'Ж'));
  const QString bag = QString::fromUcs4(U"\U0001F4B0").repeated(50);
  Table->Edit();
  try {
    Table->SetFieldText(Recipient, recipient + QStringLiteral("ЯЯ"));
    ADD_FAILURE() << "257 characters taken by a field of 255";
  } catch (const EDatabaseError& error) {
    EXPECT_EQ(error.Failure(), TDatabaseFailure::dfDataSet);
    EXPECT_EQ(QString::fromUtf8(error.what()),
              "В поле «Получатель» помещается не больше 255 символов, а в нём 257. Сократите "
              "текст.");
  }
  Table->SetFieldText(Recipient, recipient);
  Table->SetFieldText(Bag, bag);
  Table->Post();
  const TBagRow stored{bag, QVariant(), recipient, QVariant(), QVariant(), QVariant(), QVariant()};
  EXPECT_EQ(Register->Rows(), std::vector<TBagRow>{stored});
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
      {"UPDATE \"Clients\" SET \"Символ\" = 11 WHERE \"Номер сумки\" = '2'",
       TDatabaseFailure::dfChangedOnDelete},
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

// Another desk changes one field of the bag, each field in turn, the bag number included
// (and one from NULL to a value): this desk's post of another field and its delete of that
// bag are both refused, and the other desk's change stays.
TEST_P(DataSet, AChangeElsewhereToAnyOneFieldRefusesThePostAndTheDelete) {
  const char* const changes[] = {
      "UPDATE \"Clients\" SET \"Номер сумки\" = '1а'",
      "UPDATE \"Clients\" SET \"Номер пакета\" = 11",
      "UPDATE \"Clients\" SET \"Получатель\" = 'ООО Ромашка '",
      "UPDATE \"Clients\" SET \"Счет\" = '40702810900000000002'",
      "UPDATE \"Clients\" SET \"Инн\" = '7701234567'",
      "UPDATE \"Clients\" SET \"Символ\" = 32",
      "UPDATE \"Clients\" SET \"ФИО\" = 'иванов И.И.'",
  };
  TBagRow bag = Row(QStringLiteral("1"), 10);
  bag[Inn] = QVariant();
  for (const char* change : changes) {
    SCOPED_TRACE(change);
    Open({bag});
    Register->Execute(QString::fromUtf8(change));
    const std::vector<TBagRow> changed = Register->Rows();
    ASSERT_NE(changed, std::vector<TBagRow>{bag});
    Table->Edit();
    Table->SetFieldText(Package, QStringLiteral("12"));
    EXPECT_EQ(FailureOf([&] { Table->Post(); }), TDatabaseFailure::dfChangedOnPost);
    Table->Cancel();
    EXPECT_EQ(FailureOf([&] { Table->Delete(); }), TDatabaseFailure::dfChangedOnDelete);
    EXPECT_EQ(Register->Rows(), changed);
  }
}

TEST_P(DataSet, APostARuleOfTheTableRefusesChangesNothingAndCanBeCorrected) {
  Open({Row(QStringLiteral("1"))});
  Register->Execute(
      QStringLiteral("CREATE UNIQUE INDEX \"BagNumbers\" ON \"Clients\" (\"Номер сумки\")"));
  Table->Insert();
  Table->SetFieldText(Bag, QStringLiteral("1"));
  EXPECT_EQ(FailureOf([&] { Table->Post(); }), TDatabaseFailure::dfConstraint);
  EXPECT_EQ(Table->State(), TDataSetState::dsInsert);
  EXPECT_EQ(Register->Rows().size(), 1u);
  Table->SetFieldText(Bag, QStringLiteral("2"));
  Table->Post();
  EXPECT_EQ(Register->Rows().size(), 2u);
}

// Another desk adds bag 4, changes bag 2's package to 99 or deletes bag 2, while this desk is
// on bag 2 (browsing, editing its full name, or inserting a new bag before it) or on bag 3.
TEST_P(DataSet, ChangesElsewhereReachTheRegisterWithoutDisturbingTheOperator) {
  const QString added = QStringLiteral(
      "INSERT INTO \"Clients\" (\"Номер сумки\", \"Номер пакета\") VALUES ('4', 40)");
  const QString changed =
      QStringLiteral("UPDATE \"Clients\" SET \"Номер пакета\" = 99 WHERE \"Номер сумки\" = '2'");
  const QString deleted = QStringLiteral("DELETE FROM \"Clients\" WHERE \"Номер сумки\" = '2'");
  enum TOnBag { Browse2, Edit2, InsertBefore2, Browse3 };
  struct TCase {
    const char* Name;
    TOnBag On;
    const QString& Elsewhere;
    QStringList Register;  // afterwards
    const char* Current;   // the current bag number afterwards
    int Package;           // shown for the current bag afterwards (0: NULL)
    TResyncCurrent What;
    std::optional<TDatabaseFailure> PostFailure;  // of the edit or insert afterwards
  };
  const TCase cases[] = {
      {"browse 2, 2 changed",
       Browse2,
       changed,
       {u"1"_qs, u"2"_qs, u"3"_qs},
       "2",
       99,
       TResyncCurrent::rcReloaded,
       {}},
      {"browse 2, 2 deleted",
       Browse2,
       deleted,
       {u"1"_qs, u"3"_qs},
       "3",
       30,
       TResyncCurrent::rcDeleted,
       {}},
      {"browse 2, 4 added",
       Browse2,
       added,
       {u"1"_qs, u"2"_qs, u"3"_qs, u"4"_qs},
       "2",
       20,
       TResyncCurrent::rcUnchanged,
       {}},
      {"edit 2, 2 changed",
       Edit2,
       changed,
       {u"1"_qs, u"2"_qs, u"3"_qs},
       "2",
       20,
       TResyncCurrent::rcChangedWhileEdited,
       TDatabaseFailure::dfChangedOnPost},
      {"edit 2, 2 deleted",
       Edit2,
       deleted,
       {u"1"_qs, u"2"_qs, u"3"_qs},
       "2",
       20,
       TResyncCurrent::rcDeletedWhileEdited,
       TDatabaseFailure::dfDeletedOnPost},
      {"edit 2, 4 added",
       Edit2,
       added,
       {u"1"_qs, u"2"_qs, u"3"_qs, u"4"_qs},
       "2",
       20,
       TResyncCurrent::rcUnchanged,
       {}},
      {"insert, 2 changed",
       InsertBefore2,
       changed,
       {u"1"_qs, u"новая"_qs, u"2"_qs, u"3"_qs},
       "новая",
       0,
       TResyncCurrent::rcUnchanged,
       {}},
      {"insert, 2 deleted",
       InsertBefore2,
       deleted,
       {u"1"_qs, u"новая"_qs, u"3"_qs},
       "новая",
       0,
       TResyncCurrent::rcUnchanged,
       {}},
      {"insert, 4 added",
       InsertBefore2,
       added,
       {u"1"_qs, u"новая"_qs, u"2"_qs, u"3"_qs, u"4"_qs},
       "новая",
       0,
       TResyncCurrent::rcUnchanged,
       {}},
      {"browse 3, 2 changed",
       Browse3,
       changed,
       {u"1"_qs, u"2"_qs, u"3"_qs},
       "3",
       30,
       TResyncCurrent::rcUnchanged,
       {}},
      {"browse 3, 2 deleted",
       Browse3,
       deleted,
       {u"1"_qs, u"3"_qs},
       "3",
       30,
       TResyncCurrent::rcUnchanged,
       {}},
      {"browse 3, 4 added",
       Browse3,
       added,
       {u"1"_qs, u"2"_qs, u"3"_qs, u"4"_qs},
       "3",
       30,
       TResyncCurrent::rcUnchanged,
       {}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Open({Row(u"1"_qs, 10), Row(u"2"_qs, 20), Row(u"3"_qs, 30)});
    TADOTable& table = *Table;
    table.MoveTo(c.On == Browse3 ? 2 : 1);
    if (c.On == Edit2) {
      table.Edit();
      table.SetFieldText(FullName, QStringLiteral("Ким"));
    } else if (c.On == InsertBefore2) {
      table.Insert();
      table.SetFieldText(Bag, QStringLiteral("новая"));
    }
    const TDataSetState state = table.State();
    Register->Execute(c.Elsewhere);

    const TResyncResult result = table.Resync();
    EXPECT_EQ(result.Current, c.What);
    EXPECT_EQ(Bags(), c.Register);
    EXPECT_EQ(FieldDisplayText(table.FieldValue(Bag)), QString::fromUtf8(c.Current));
    EXPECT_EQ(table.FieldValue(Package), c.Package ? QVariant(qint64(c.Package)) : QVariant());
    EXPECT_EQ(table.State(), state) << "the mode stays";
    EXPECT_EQ(table.Modified(), state != TDataSetState::dsBrowse);
    if (c.On == Edit2) {
      EXPECT_EQ(table.FieldValue(FullName), QVariant(u"Ким"_qs)) << "the typing stays";
    }
    if (c.What != TResyncCurrent::rcUnchanged) {
      EXPECT_EQ(result.CurrentValues[Bag], QVariant(u"2"_qs));
    }
    EXPECT_EQ(result.Added + result.Changed + result.Deleted, 1);

    if (state == TDataSetState::dsBrowse) continue;
    const std::vector<TBagRow> before = Register->Rows();
    EXPECT_EQ(PostFailure(), c.PostFailure);
    if (c.PostFailure) {
      EXPECT_EQ(Register->Rows(), before) << "the other desk's change is kept";
      EXPECT_EQ(table.State(), state);
    } else {
      EXPECT_EQ(Register->Rows().size(),
                before.size() + (state == TDataSetState::dsInsert ? 1 : 0));
      EXPECT_EQ(table.Resync().Added, 0) << "this desk's own post is no news";
    }
  }
}

TEST_P(DataSet, ACurrentBagDeletedElsewhereGivesWayToTheNextSurvivorOrThePreviousOne) {
  Open({Row(u"1"_qs, 1), Row(u"2"_qs, 2), Row(u"3"_qs, 3), Row(u"4"_qs, 4), Row(u"5"_qs, 5)});
  Table->MoveTo(1);
  Register->Execute(QStringLiteral("DELETE FROM \"Clients\" WHERE \"Номер сумки\" IN ('2', '3')"));
  EXPECT_EQ(Table->Resync().Current, TResyncCurrent::rcDeleted);
  EXPECT_EQ(Table->RecNo(), 1);
  EXPECT_EQ(FieldDisplayText(Table->FieldValue(Bag)), QStringLiteral("4"));

  Table->MoveTo(2);
  Register->Execute(QStringLiteral("DELETE FROM \"Clients\" WHERE \"Номер сумки\" IN ('1', '5')"));
  EXPECT_EQ(Table->Resync().Current, TResyncCurrent::rcDeleted);
  EXPECT_EQ(Bags(), QStringList{u"4"_qs});
  EXPECT_EQ(Table->RecNo(), 0) << "after the last, the previous";

  Register->Execute(QStringLiteral("DELETE FROM \"Clients\""));
  EXPECT_EQ(Table->Resync().Current, TResyncCurrent::rcDeleted);
  EXPECT_EQ(Table->RecNo(), -1);
  EXPECT_TRUE(Table->IsEmpty());

  Register->Execute(
      QStringLiteral("INSERT INTO \"Clients\" (\"Номер сумки\") VALUES ('6'), ('7')"));
  const TResyncResult arrived = Table->Resync();
  EXPECT_EQ(arrived.Current, TResyncCurrent::rcFirstArrived);
  EXPECT_EQ(arrived.Added, 2);
  EXPECT_EQ(Table->RecNo(), 0);
  EXPECT_EQ(FieldDisplayText(Table->FieldValue(Bag)), QStringLiteral("6"));
}

// The grid follows the rows by these events; the bound controls reload only on deRecordChange,
// which must not come while a record is edited (its typing would be lost).
TEST_P(DataSet, LinksHearEachRowAndARecordChangeOnlyWhenTheShownBagChanged) {
  Open({Row(u"1"_qs, 1), Row(u"2"_qs, 2), Row(u"3"_qs, 3)});
  TEventLog log;
  Table->AddLink(&log);
  Table->MoveTo(2);
  Table->Edit();
  Table->SetFieldText(FullName, QStringLiteral("Ким"));
  log.Events.clear();
  Register->Execute(QStringLiteral("DELETE FROM \"Clients\" WHERE \"Номер сумки\" = '1'"));
  Register->Execute(QStringLiteral("UPDATE \"Clients\" SET \"ФИО\" = 'Петров'"));
  Register->Execute(QStringLiteral("INSERT INTO \"Clients\" (\"Номер сумки\") VALUES ('4')"));
  Table->Resync();
  using E = TDataEvent;
  EXPECT_EQ(log.Events, (std::vector<std::pair<E, int>>{{E::deRowChanged, 1},
                                                        {E::deBeforeRowDelete, 0},
                                                        {E::deRowDeleted, 0},
                                                        {E::deBeforeRowInsert, 2},
                                                        {E::deRowInserted, 2}}));
  EXPECT_EQ(Table->RecNo(), 1);

  Table->Cancel();
  log.Events.clear();
  Table->Resync();
  EXPECT_EQ(log.Events,
            (std::vector<std::pair<E, int>>{{E::deRowChanged, 1}, {E::deRecordChange, 0}}))
      << "back in browse mode the bag takes the change it was spared";
  EXPECT_EQ(Table->FieldValue(FullName), QVariant(u"Петров"_qs));
  Table->RemoveLink(&log);
}

// Many rows gone at once reach the links as one reset (a view's removal of one row costs as
// much as the register is long); the current record is found the same way.
TEST_P(DataSet, ManyRowsGoneAtOnceReachTheLinksAsOneResetWithTheCurrentRecordKept) {
  std::vector<TBagRow> rows;
  for (int n = 0; n < 100; ++n) rows.push_back(Row(QString::number(n), n));
  Open(rows);
  TEventLog log;
  Table->AddLink(&log);
  Table->MoveTo(51);
  log.Events.clear();
  Register->Execute(QStringLiteral("DELETE FROM \"Clients\" WHERE \"Номер пакета\" % 2 = 0"));
  EXPECT_EQ(Table->Resync().Deleted, 50);
  using E = TDataEvent;
  EXPECT_EQ(log.Events, (std::vector<std::pair<E, int>>{{E::deRowsReset, 0}}));
  EXPECT_EQ(Table->RecordCount(), 50);
  EXPECT_EQ(Table->RecNo(), 25);
  EXPECT_EQ(FieldDisplayText(Table->FieldValue(Bag)), QStringLiteral("51"));

  log.Events.clear();
  Register->Execute(
      QStringLiteral("DELETE FROM \"Clients\" WHERE \"Номер пакета\" BETWEEN 21 AND 91"));
  EXPECT_EQ(Table->Resync().Current, TResyncCurrent::rcDeleted);
  EXPECT_EQ(log.Events, (std::vector<std::pair<E, int>>{
                            {E::deRowsReset, 0}, {E::deScroll, 10}, {E::deRecordChange, 0}}));
  EXPECT_EQ(FieldDisplayText(Table->FieldValue(Bag)), QStringLiteral("93")) << "the next survivor";

  Register->Execute(QStringLiteral("DELETE FROM \"Clients\" WHERE \"Номер пакета\" > 7"));
  EXPECT_EQ(Table->Resync().Deleted, 10);
  EXPECT_EQ(FieldDisplayText(Table->FieldValue(Bag)), QStringLiteral("7"))
      << "after the last, the previous";
  Table->RemoveLink(&log);
}

// The rows are read a page at a time into a cache that drops the rows read longest ago; the
// bag being edited keeps the values its post is checked against however many rows the grid
// reads meanwhile, and a dropped row read again shows what is stored now.
TEST_P(DataSet, AnEditKeepsItsBaseWhileTheGridReadsEveryPageAndDroppedRowsComeBackAsStored) {
  std::vector<TBagRow> rows;
  for (int n = 0; n < 100; ++n) rows.push_back(Row(QString::number(n), n));
  Open(rows);
  Table->MoveTo(1);
  Table->Edit();
  Table->SetFieldText(FullName, QStringLiteral("Ким"));
  Register->Execute(
      QStringLiteral("UPDATE \"Clients\" SET \"Номер пакета\" = 1000 + "
                     "\"Номер пакета\" WHERE \"Номер пакета\" < 2"));
  QStringList expected;
  for (int n = 0; n < 100; ++n) expected << QString::number(n);
  EXPECT_EQ(Bags(), expected);
  EXPECT_EQ(Table->Value(0, Package), QVariant(qint64(1000))) << "row 0 was dropped and read again";
  EXPECT_EQ(Table->FieldValue(FullName), QVariant(u"Ким"_qs));
  EXPECT_EQ(FailureOf([&] { Table->Post(); }), TDatabaseFailure::dfChangedOnPost);
  Table->Cancel();
  EXPECT_EQ(Table->FieldValue(Package), QVariant(qint64(1))) << "until the resync";
  EXPECT_EQ(Table->Resync().Current, TResyncCurrent::rcReloaded);
  EXPECT_EQ(Table->FieldValue(Package), QVariant(qint64(1001)));
  Table->MoveTo(99);
  Table->MoveTo(0);
  EXPECT_EQ(Table->RecNo(), 0);
  EXPECT_EQ(Shown(Bag), QStringLiteral("0"));
}

INSTANTIATE_TEST_SUITE_P(Engines, DataSet, TestedEngines(), EngineName);

}  // namespace
