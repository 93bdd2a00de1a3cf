// The bag register's data set on real SQLite files.
#include <gtest/gtest.h>

#include <QFile>

#include <functional>

#include "app/DataModuleUnit.h"
#include "app/store/ADOConnection.h"
#include "app/store/ADOTable.h"
#include "app/store/DatabaseError.h"
#include "tests/app/AppTestSupport.h"

namespace {

enum { Bag, Package, Recipient, Account, Inn, Symbol, FullName };

TBagRow Row(const QString& bag, QVariant package = QVariant(), QVariant symbol = QVariant()) {
  return {bag,
          package,
          QStringLiteral("ООО Ромашка"),
          QStringLiteral("40702810900000000001"),
          QStringLiteral("7701234567"),
          symbol,
          QStringLiteral("Иванов И.И.")};
}

class StoreTest : public ::testing::Test {
protected:
  void Open(const std::vector<TBagRow>& rows) {
    CreateClientsDatabase(Db, rows);
    Table.Open();
  }
  QString Message(const std::function<void()>& action) {
    try {
      action();
    } catch (const EDatabaseError& e) {
      return QString::fromUtf8(e.what());
    }
    return QStringLiteral("(no error)");
  }

  TTempWorkDir Dir;
  QString Db = Dir.Path(QStringLiteral("db.mdb"));
  TADOConnection Connection{QStringLiteral("db.mdb"), 2000};
  TADOTable Table{Connection, QStringLiteral("Clients"), ClientsFields()};
};

TEST_F(StoreTest, OpenFetchesEveryRowWithTheFirstCurrentAndKeepsNulls) {
  Open({Row(QStringLiteral("1"), 5678, 2), TBagRow(7), Row(QStringLiteral("3"))});
  EXPECT_EQ(Table.RecordCount(), 3);
  EXPECT_EQ(Table.RecNo(), 0);
  EXPECT_EQ(Table.State(), TDataSetState::dsBrowse);
  EXPECT_FALSE(Table.Modified());
  EXPECT_EQ(FieldDisplayText(Table.FieldValue(Package)), QStringLiteral("5678"));
  for (int field = Bag; field <= FullName; ++field)
    EXPECT_FALSE(Table.Value(1, field).isValid()) << field;
  EXPECT_EQ(FieldDisplayText(Table.Value(1, Recipient)), QString());
}

TEST_F(StoreTest, OpeningNeverCreatesOrChangesTheFile) {
  EXPECT_EQ(Message([&] { Table.Open(); }), QStringLiteral("unable to open database file"));
  EXPECT_TRUE(Dir.Files().isEmpty());

  ExecuteSql(Db, QStringLiteral("CREATE TABLE Other (x)"));
  QFile file(Db);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray before = file.readAll();
  file.close();
  EXPECT_EQ(Message([&] { Table.Open(); }), QStringLiteral("no such table: Clients"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), before);
  EXPECT_EQ(Dir.Files(), QStringList{QStringLiteral("db.mdb")});
}

TEST_F(StoreTest, EditAndPostWriteTheRowAndTheModifiedFlagFollowsAssignments) {
  Open({Row(QStringLiteral("1"), 10), Row(QStringLiteral("2"), 20)});
  Table.Edit();
  EXPECT_EQ(Table.State(), TDataSetState::dsEdit);
  EXPECT_FALSE(Table.Modified());
  Table.SetFieldText(Package, QStringLiteral("11"));
  Table.SetFieldText(Recipient, QString());
  EXPECT_TRUE(Table.Modified());
  Table.Post();
  EXPECT_EQ(Table.State(), TDataSetState::dsBrowse);
  EXPECT_FALSE(Table.Modified());
  const std::vector<TBagRow> rows = ReadBags(Db);
  EXPECT_EQ(rows[0][Package], QVariant(qint64(11)));
  EXPECT_FALSE(rows[0][Recipient].isValid()) << "an empty text is stored as NULL";
  EXPECT_EQ(rows[1][Package], QVariant(qint64(20)));
  // The posted values are the new base for the next change.
  Table.Edit();
  Table.SetFieldText(Package, QStringLiteral("12"));
  Table.Post();
  EXPECT_EQ(ReadBags(Db)[0][Package], QVariant(qint64(12)));
}

TEST_F(StoreTest, InsertGoesBeforeTheCurrentRecordAndAnUntouchedOneIsDroppedByTheNext) {
  Open({Row(QStringLiteral("1")), Row(QStringLiteral("2"))});
  Table.MoveTo(1);
  Table.Insert();
  Table.Insert();
  EXPECT_EQ(Table.RecordCount(), 3) << "the first untouched new record was dropped";
  EXPECT_EQ(Table.RecNo(), 1);
  EXPECT_EQ(Table.State(), TDataSetState::dsInsert);
  Table.SetFieldText(FullName, QStringLiteral("Петров"));
  Table.Post();
  EXPECT_EQ(FieldDisplayText(Table.Value(1, FullName)), QStringLiteral("Петров"));
  EXPECT_EQ(FieldDisplayText(Table.Value(2, Bag)), QStringLiteral("2"));
  const std::vector<TBagRow> rows = ReadBags(Db);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[2], (TBagRow{QVariant(), QVariant(), QVariant(), QVariant(), QVariant(),
                              QVariant(), QStringLiteral("Петров")}));
  EXPECT_EQ(QueryValue(Db, QStringLiteral("SELECT ID FROM Clients WHERE \"ФИО\" = 'Петров'")),
            QVariant(qint64(3)))
      << "the key is left to the table";
}

TEST_F(StoreTest, DeleteDropsANewRecordRemovesARowAndRefusesAnEmptyRegister) {
  Open({Row(QStringLiteral("1")), Row(QStringLiteral("2")), Row(QStringLiteral("3"))});
  Table.Insert();
  Table.Delete();
  EXPECT_EQ(Table.RecordCount(), 3);
  EXPECT_EQ(ReadBags(Db).size(), 3u);

  Table.MoveTo(1);
  Table.Delete();
  EXPECT_EQ(FieldDisplayText(Table.FieldValue(Bag)), QStringLiteral("3"))
      << "the next row becomes current";
  Table.Delete();
  EXPECT_EQ(FieldDisplayText(Table.FieldValue(Bag)), QStringLiteral("1"))
      << "after the last, the previous";
  Table.Delete();
  EXPECT_EQ(Table.RecNo(), -1);
  EXPECT_TRUE(ReadBags(Db).empty());
  EXPECT_EQ(Message([&] { Table.Delete(); }),
            QStringLiteral("Cannot perform this operation on an empty dataset"));
}

TEST_F(StoreTest, EditOnAnEmptyRegisterInserts) {
  Open({});
  Table.Edit();
  EXPECT_EQ(Table.State(), TDataSetState::dsInsert);
  EXPECT_EQ(Table.RecordCount(), 1);
}

TEST_F(StoreTest, MovingPostsChangesUncheckedAndLandsOnTheRowAimedAt) {
  Open({Row(QStringLiteral("1")), Row(QStringLiteral("2")), Row(QStringLiteral("3"))});
  Table.Edit();
  Table.SetFieldText(Bag, QString());
  Table.MoveTo(2);
  EXPECT_FALSE(ReadBags(Db)[0][Bag].isValid());
  EXPECT_EQ(FieldDisplayText(Table.FieldValue(Bag)), QStringLiteral("3"));

  // An untouched new record at index 1 goes; index 2 (bag "2" then) stays the target.
  Table.MoveTo(1);
  Table.Insert();
  ASSERT_EQ(FieldDisplayText(Table.Value(2, Bag)), QStringLiteral("2"));
  Table.MoveTo(2);
  EXPECT_EQ(Table.RecordCount(), 3);
  EXPECT_EQ(FieldDisplayText(Table.FieldValue(Bag)), QStringLiteral("2"));
}

TEST_F(StoreTest, IntegerFieldsTakeOnlyIntegersAndKeepTheirValueOtherwise) {
  Open({Row(QStringLiteral("1"), 5)});
  struct TCase {
    QString Text;
    QVariant Stored;  // invalid: refused
  };
  const TCase cases[] = {
      {QStringLiteral("42"), qint64(42)},
      {QStringLiteral(" +7"), qint64(7)},
      {QStringLiteral("-2147483648"), qint64(INT32_MIN)},
      {QString(), QVariant()},
      {QStringLiteral("2147483648"), QVariant()},
      {QStringLiteral("1 "), QVariant()},
      {QStringLiteral("   "), QVariant()},
      {QStringLiteral("12a"), QVariant()},
      {QStringLiteral("-"), QVariant()},
  };
  Table.Edit();
  for (const TCase& c : cases) {
    Table.SetFieldValue(Package, qint64(5));
    if (c.Stored.isValid() || c.Text.isEmpty()) {
      Table.SetFieldText(Package, c.Text);
      EXPECT_EQ(Table.FieldValue(Package), c.Stored) << c.Text.toStdString();
    } else {
      EXPECT_EQ(
          Message([&] { Table.SetFieldText(Package, c.Text); }),
          QStringLiteral("'%1' is not a valid integer value for field 'Номер пакета'").arg(c.Text));
      EXPECT_EQ(Table.FieldValue(Package), QVariant(qint64(5))) << c.Text.toStdString();
    }
  }
}

TEST_F(StoreTest, AChangeByAnotherWriterMakesPostAndDeleteFailWithoutLosingEither) {
  Open({Row(QStringLiteral("1"), 10), Row(QStringLiteral("2"), 20)});
  ExecuteSql(
      Db, QStringLiteral("UPDATE Clients SET \"Номер пакета\" = 99 WHERE \"Номер сумки\" = '1'"));
  Table.Edit();
  Table.SetFieldText(Recipient, QStringLiteral("ИП Сидоров"));
  const QString changed = QStringLiteral(
      "Row cannot be located for updating. Some values may have been changed since it was last "
      "read.");
  EXPECT_EQ(Message([&] { Table.Post(); }), changed);
  EXPECT_EQ(Table.State(), TDataSetState::dsEdit);
  EXPECT_TRUE(Table.Modified());
  EXPECT_EQ(FieldDisplayText(Table.FieldValue(Recipient)), QStringLiteral("ИП Сидоров"));
  EXPECT_EQ(ReadBags(Db)[0][Package], QVariant(qint64(99)));
  EXPECT_EQ(ReadBags(Db)[0][Recipient], QVariant(QStringLiteral("ООО Ромашка")));

  Table.Cancel();
  EXPECT_EQ(Message([&] { Table.Delete(); }),
            QStringLiteral("Row cannot be located for deleting. Some values may have been changed "
                           "since it was last read."));
  EXPECT_EQ(Table.RecordCount(), 2);

  ExecuteSql(Db, QStringLiteral("DELETE FROM Clients WHERE \"Номер сумки\" = '2'"));
  Table.MoveTo(1);
  Table.Edit();
  Table.SetFieldText(Package, QStringLiteral("21"));
  EXPECT_EQ(Message([&] { Table.Post(); }), changed);
  EXPECT_EQ(ReadBags(Db).size(), 1u);
}

TEST_F(StoreTest, AUniquenessRuleAddedByAnotherProgramRefusesTheDuplicateOnPost) {
  Open({Row(QStringLiteral("1"))});
  ExecuteSql(Db, QStringLiteral("CREATE UNIQUE INDEX BagNumbers ON Clients (\"Номер сумки\")"));
  Table.Insert();
  Table.SetFieldText(Bag, QStringLiteral("1"));
  EXPECT_EQ(Message([&] { Table.Post(); }),
            QStringLiteral("UNIQUE constraint failed: Clients.Номер сумки"));
  EXPECT_EQ(Table.State(), TDataSetState::dsInsert);
  Table.SetFieldText(Bag, QStringLiteral("2"));
  Table.Post();
  EXPECT_EQ(ReadBags(Db).size(), 2u);
}

TEST_F(StoreTest, AValueOfAnotherTypeShowsAndStillMatchesOnPost) {
  CreateClientsDatabase(Db);
  ExecuteSql(
      Db, QStringLiteral("INSERT INTO Clients (\"Номер пакета\", \"Символ\") VALUES ('abc', 2.5)"));
  Table.Open();
  EXPECT_EQ(FieldDisplayText(Table.FieldValue(Package)), QStringLiteral("abc"));
  Table.Edit();
  Table.SetFieldText(FullName, QStringLiteral("Петров"));
  Table.Post();
  EXPECT_EQ(ReadBags(Db)[0][FullName], QVariant(QStringLiteral("Петров")));
  EXPECT_EQ(ReadBags(Db)[0][Package], QVariant(QStringLiteral("abc")));
}

TEST_F(StoreTest, TextThatIsNotUtf8ShowsReplacedIsFoundByItsBytesAndIsKeptUnlessChanged) {
  CreateClientsDatabase(Db);
  // "1", a stray byte, "2"; "ООО " and half a character: bytes another program left.
  ExecuteSql(
      Db, QStringLiteral("INSERT INTO Clients (\"Номер сумки\", \"Получатель\", \"ФИО\") VALUES "
                         "(CAST(X'31FF32' AS TEXT), CAST(X'D09ED09ED09E20D0' AS TEXT), 'Петров'),"
                         "(CAST(X'FE' AS TEXT), 'ИП Ким', NULL)"));
  const QString stored = QStringLiteral(
      "SELECT typeof(\"Номер сумки\") || ' ' || hex(\"Номер сумки\") || ' ' || hex(\"Получатель\") "
      "|| ' ' || "
      "\"ФИО\" FROM Clients WHERE rowid = 1");
  Table.Open();
  EXPECT_EQ(FieldDisplayText(Table.FieldValue(Bag)), QStringLiteral("1\uFFFD2"));
  EXPECT_EQ(FieldDisplayText(Table.FieldValue(Recipient)), QStringLiteral("ООО \uFFFD"));

  Table.Edit();
  Table.SetFieldText(FullName, QStringLiteral("Сидоров"));
  Table.Post();
  EXPECT_EQ(QueryValue(Db, stored),
            QVariant(QStringLiteral("text 31FF32 D09ED09ED09E20D0 Сидоров")));

  // Once more from what the post read back, then the operator's own text replaces the bytes.
  Table.Edit();
  Table.SetFieldText(Recipient, QStringLiteral("ООО Ромашка"));
  Table.Post();
  EXPECT_EQ(
      QueryValue(Db, stored),
      QVariant(QStringLiteral("text 31FF32 D09ED09ED09E20D0A0D0BED0BCD0B0D188D0BAD0B0 Сидоров")));

  Table.MoveTo(1);
  Table.Delete();
  EXPECT_EQ(ReadBags(Db).size(), 1u);
}

TEST_F(StoreTest, RefreshRecordDropsTheChangesAndReadsTheRowAgainOrLetsAGoneRowLeave) {
  Open({Row(QStringLiteral("1"), 10), Row(QStringLiteral("2"), 20), Row(QStringLiteral("3"), 30)});
  ExecuteSql(
      Db, QStringLiteral("UPDATE Clients SET \"Номер пакета\" = 99 WHERE \"Номер сумки\" = '1'"));
  Table.Edit();
  Table.SetFieldText(Recipient, QStringLiteral("ИП Сидоров"));
  EXPECT_TRUE(Table.RefreshRecord());
  EXPECT_EQ(Table.State(), TDataSetState::dsBrowse);
  EXPECT_FALSE(Table.Modified());
  EXPECT_EQ(Table.FieldValue(Package), QVariant(qint64(99)));
  EXPECT_EQ(FieldDisplayText(Table.FieldValue(Recipient)), QStringLiteral("ООО Ромашка"));
  Table.Edit();
  Table.SetFieldText(Package, QStringLiteral("11"));
  Table.Post();
  EXPECT_EQ(ReadBags(Db)[0][Package], QVariant(qint64(11))) << "the reloaded row is the new base";

  ExecuteSql(Db, QStringLiteral("DELETE FROM Clients WHERE \"Номер сумки\" IN ('2', '3')"));
  Table.MoveTo(1);
  Table.Edit();
  Table.SetFieldText(FullName, QStringLiteral("Ким"));
  EXPECT_FALSE(Table.RefreshRecord());
  EXPECT_EQ(Table.RecordCount(), 2);
  EXPECT_EQ(FieldDisplayText(Table.FieldValue(Bag)), QStringLiteral("3")) << "the next row";
  EXPECT_EQ(Table.State(), TDataSetState::dsBrowse);
  EXPECT_FALSE(Table.RefreshRecord());
  EXPECT_EQ(FieldDisplayText(Table.FieldValue(Bag)), QStringLiteral("1"))
      << "after the last, the previous";

  Table.Insert();
  EXPECT_TRUE(Table.RefreshRecord());
  EXPECT_EQ(Table.RecordCount(), 1) << "a new record is dropped";
  EXPECT_EQ(ReadBags(Db).size(), 1u);
}

// Each way the store can fail, caused for real where the machine allows it, with the kind the
// engine's code maps to and what the operator reads of it (%1: the file's full path).
TEST(StoreFailures, EachReachesTheOperatorAsARussianSentenceWithTheTechnicalLine) {
  struct TCase {
    const char* Name;
    std::function<void(const QString& db, TADOTable& table)> Cause;
    TDatabaseFailure Failure;
    const char16_t* Text;
  };
  const auto createTable = [](const QString& columns) {
    return [columns](const QString& db, TADOTable& table) {
      ExecuteSql(db, QStringLiteral("CREATE TABLE Clients (%1)").arg(columns));
      table.Open();
    };
  };
  const auto change = [](const char* elsewhere, bool deleting) {
    return [elsewhere, deleting](const QString& db, TADOTable& table) {
      CreateClientsDatabase(db, {Row(QStringLiteral("1"), 10)});
      table.Open();
      ExecuteSql(db, QString::fromUtf8(elsewhere));
      if (deleting) {
        table.Delete();
      } else {
        table.Edit();
        table.SetFieldText(Recipient, QStringLiteral("ИП Сидоров"));
        table.Post();
      }
    };
  };
  const auto reported = [](TDatabaseFailure failure, const char* message) {
    return [failure, message](const QString& db, TADOTable&) {
      throw EDatabaseError(failure, QString::fromUtf8(message), db);
    };
  };
  const char* updateElsewhere = "UPDATE Clients SET \"ФИО\" = 'Другой'";
  const char* deleteElsewhere = "DELETE FROM Clients";
  const TCase cases[] = {
      {"no file", [](const QString&, TADOTable& table) { table.Open(); },
       TDatabaseFailure::dfCannotOpen,
       u"Не удалось открыть базу данных %1: файла нет или к нему нет доступа. Запустите программу "
       u"из папки с "
       u"файлом db.mdb или проверьте права на него.\nunable to open database file"},
      {"not a database",
       [](const QString& db, TADOTable& table) {
         QFile file(db);
         file.open(QIODevice::WriteOnly);
         file.write(QByteArray(4096, 'x'));
         file.close();
         table.Open();
       },
       TDatabaseFailure::dfNotADatabase,
       u"Файл %1 не является базой данных программы. Восстановите db.mdb из резервной копии.\n"
       u"file is not a database"},
      {"no table Clients",
       [](const QString& db, TADOTable& table) {
         ExecuteSql(db, QStringLiteral("CREATE TABLE Bags (x)"));
         table.Open();
       },
       TDatabaseFailure::dfNoTable,
       u"В базе данных %1 нет таблицы Clients. Проверьте, что это файл db.mdb этой программы.\n"
       u"no such table: Clients"},
      {"a column missing",
       createTable(QStringLiteral(
           "\"Номер сумки\", \"Номер пакета\", \"Получатель\", \"Счет\", \"Инн\", \"ФИО\"")),
       TDatabaseFailure::dfNoColumn,
       u"В базе данных %1 в таблице сумок нет столбца «Символ». Верните столбец или возьмите файл "
       u"db.mdb этой "
       u"программы.\nno such column: Символ"},
      // SQLite matches names without case in ASCII only: to it this is another column.
      {"a column in capitals",
       createTable(
           QStringLiteral("\"НОМЕР СУМКИ\", \"Номер пакета\", \"Получатель\", \"Счет\", \"Инн\", "
                          "\"Символ\", \"ФИО\"")),
       TDatabaseFailure::dfNoColumn,
       u"В базе данных %1 в таблице сумок нет столбца «Номер сумки». Верните столбец или возьмите "
       u"файл db.mdb "
       u"этой программы.\nno such column: Номер сумки"},
      {"locked by another desk",
       [](const QString& db, TADOTable& table) {
         CreateClientsDatabase(db, {Row(QStringLiteral("1"))});
         table.Open();
         TWriteLock lock(db);
         table.Edit();
         table.SetFieldText(FullName, QStringLiteral("Ким"));
         table.Post();
       },
       TDatabaseFailure::dfLocked,
       u"База данных %1 занята другой программой или другим рабочим местом. Подождите немного и "
       u"повторите "
       u"действие.\ndatabase is locked"},
      {"a unique bag number",
       [](const QString& db, TADOTable& table) {
         CreateClientsDatabase(db, {Row(QStringLiteral("1"))});
         ExecuteSql(db,
                    QStringLiteral("CREATE UNIQUE INDEX BagNumbers ON Clients (\"Номер сумки\")"));
         table.Open();
         table.Insert();
         table.SetFieldText(Bag, QStringLiteral("1"));
         table.Post();
       },
       TDatabaseFailure::dfConstraint,
       u"База данных %1 не приняла запись: она нарушает правило таблицы (например, такой номер "
       u"сумки уже есть). "
       u"Исправьте данные и сохраните снова.\nUNIQUE constraint failed: Clients.Номер сумки"},
      {"post of a bag changed elsewhere", change(updateElsewhere, false),
       TDatabaseFailure::dfChangedOnPost,
       u"Эту сумку изменили на другом рабочем месте, пока вы её правили: ваши изменения не "
       u"сохранены.\n"
       u"Row cannot be located for updating. Some values may have been changed since it was last "
       u"read."},
      {"post of a bag deleted elsewhere", change(deleteElsewhere, false),
       TDatabaseFailure::dfDeletedOnPost,
       u"Эту сумку удалили на другом рабочем месте, пока вы её правили: ваши изменения не "
       u"сохранены.\n"
       u"Row cannot be located for updating. Some values may have been changed since it was last "
       u"read."},
      {"delete of a bag changed elsewhere", change(updateElsewhere, true),
       TDatabaseFailure::dfChangedOnDelete,
       u"Эту сумку изменили на другом рабочем месте, поэтому она не удалена. Проверьте её новые "
       u"данные и удалите "
       u"снова, если нужно.\n"
       u"Row cannot be located for deleting. Some values may have been changed since it was last "
       u"read."},
      {"delete of a bag deleted elsewhere", change(deleteElsewhere, true),
       TDatabaseFailure::dfDeletedOnDelete,
       u"Эту сумку уже удалили на другом рабочем месте.\n"
       u"Row cannot be located for deleting. Some values may have been changed since it was last "
       u"read."},
      {"delete in an empty register",
       [](const QString& db, TADOTable& table) {
         CreateClientsDatabase(db);
         table.Open();
         table.Delete();
       },
       TDatabaseFailure::dfDataSet, u"Cannot perform this operation on an empty dataset"},
      {"disk full", reported(TDatabaseFailure::dfDiskFull, "database or disk is full"),
       TDatabaseFailure::dfDiskFull,
       u"На диске с базой данных %1 не хватает места, изменения не сохранены. Освободите место и "
       u"повторите.\n"
       u"database or disk is full"},
      {"disk error", reported(TDatabaseFailure::dfIoError, "disk I/O error"),
       TDatabaseFailure::dfIoError,
       u"Ошибка диска при работе с базой данных %1. Проверьте диск и повторите действие.\ndisk I/O "
       u"error"},
      {"a damaged page of the table",
       [](const QString& db, TADOTable& table) {
         CreateClientsDatabase(db, {Row(QStringLiteral("1"))});
         QFile file(db);
         file.open(QIODevice::ReadWrite);
         file.seek(4096);  // the second page: the table's rows
         file.write(QByteArray(100, '\xFF'));
         file.close();
         table.Open();
       },
       TDatabaseFailure::dfCorrupt,
       u"База данных %1 повреждена. Восстановите db.mdb из резервной копии.\ndatabase disk image "
       u"is malformed"},
      {"anything else", reported(TDatabaseFailure::dfOther, "out of memory"),
       TDatabaseFailure::dfOther,
       u"Ошибка базы данных %1. Повторите действие; если ошибка не уходит, обратитесь к "
       u"администратору.\n"
       u"out of memory"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TTempWorkDir dir;
    const QString db = dir.Path(QStringLiteral("db.mdb"));
    TADOConnection connection(QStringLiteral("db.mdb"), 50);
    TADOTable table(connection, QStringLiteral("Clients"), ClientsFields());
    try {
      c.Cause(db, table);
      ADD_FAILURE() << "no error";
    } catch (const EDatabaseError& e) {
      EXPECT_EQ(e.Failure(), c.Failure);
      EXPECT_EQ(DatabaseErrorText(e), QString::fromUtf16(c.Text).replace(QStringLiteral("%1"), db));
    }
  }
}

TEST_F(StoreTest, AHundredThousandBagsOpenAndTheLastOneCanBeChanged) {
  CreateClientsDatabase(Db);
  InsertGeneratedBags(Db, 100000);
  Table.Open();
  ASSERT_EQ(Table.RecordCount(), 100000);
  Table.MoveTo(99999);
  EXPECT_EQ(FieldDisplayText(Table.FieldValue(Bag)), QStringLiteral("bag-100000"));
  Table.Edit();
  Table.SetFieldText(Package, QStringLiteral("7"));
  Table.Post();
  EXPECT_EQ(
      QueryValue(Db,
                 QStringLiteral(
                     "SELECT \"Номер пакета\" FROM Clients WHERE \"Номер сумки\" = 'bag-100000'")),
      QVariant(qint64(7)));
}

}  // namespace
