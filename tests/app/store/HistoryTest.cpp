// The bags' history on both engines: every change recorded with who, when and what, by the
// desk and by another tool (sqlite3, psql); the chain's check finds a changed, a removed and
// two swapped records at the right number; the administrator's command checks and exports it.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QProcess>
#include <QRegularExpression>

#include <memory>

#include "app/DataModuleUnit.h"
#include "app/store/ADOTable.h"
#include "app/store/PgHistory.h"
#include "app/store/SqliteHistory.h"
#include "tests/app/store/PgStoreTestSupport.h"
#include "tests/app/store/TestRegisters.h"

namespace {

enum { Bag, Package, Recipient, Account, Inn, Symbol, FullName };

// Output of a program that must succeed.
QString RunTool(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.start(program, arguments);
  process.waitForFinished(60000);
  EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
  return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

QString AsText(const QVariant& value) { return value.isNull() ? u"NULL"_qs : value.toString(); }

class History : public testing::TestWithParam<TRegisterEngine> {
protected:
  void SetUp() override {
    Table.reset();
    Register.reset();
    Register = GetParam().Make();
    Register->Create({});
    Table = std::make_unique<TADOTable>(Register->Connection(), QStringLiteral("Clients"),
                                        ClientsFields());
    Table->Open();
  }
  // The desk's name in the history, and another tool's.
  QString Desk() const {
    return Register->OnServer()
               ? QString::fromLatin1(TPgTestEnvironment::DeskRole)
               : RunTool(u"id"_qs, {u"-un"_qs}) + u'@' + RunTool(u"hostname"_qs, {});
  }
  QString OtherTool() const { return Register->OnServer() ? u"postgres"_qs : u"другая программа"_qs; }
  // SQL run by the engine's own command-line tool, as the register's owner.
  void Tool(const QString& sql) {
    if (Register->OnServer())
      TPgTestEnvironment::Cluster().Psql(
          QString::fromLatin1(TPgTestEnvironment::RegisterDatabase), sql);
    else
      RunTool(u"sqlite3"_qs, {u"db.mdb"_qs, sql});
  }
  // The desk adds a bag with the given field texts.
  void AddBag(const std::vector<std::pair<int, QString>>& fields) {
    Table->Insert();
    for (const auto& [field, text] : fields) Table->SetFieldText(field, text);
    Table->Post();
  }
  // Each record: "Seq Kind ID Who feed FeedSeq: Field before → after; …", in order.
  QStringList Records() {
    QStringList records;
    if (Register->OnServer()) {
      TPgConnection owner(RegisterConnInfo(u"postgres"_qs));
      const TPgResult rows = owner.Execute(QStringLiteral(
          "SELECT h.\"Seq\", h.\"Kind\", h.\"ID\", h.\"Who\", h.\"FeedSeq\", coalesce(string_agg("
          "f.\"Field\" || ' ' || coalesce(f.\"Before\", 'NULL') || ' → ' || "
          "coalesce(f.\"After\", 'NULL'), '; ' ORDER BY f.\"Field\" COLLATE \"C\"), '') "
          "FROM \"ClientsHistory\" h LEFT JOIN \"ClientsHistoryFields\" f USING (\"Seq\") "
          "GROUP BY h.\"Seq\" ORDER BY h.\"Seq\""));
      for (int row = 0; row < rows.RowCount(); ++row)
        records << QStringLiteral("%1 %2 %3 %4 feed %5: %6")
                       .arg(AsText(rows.Value(row, 0)), AsText(rows.Value(row, 1)),
                            AsText(rows.Value(row, 2)), AsText(rows.Value(row, 3)),
                            AsText(rows.Value(row, 4)), AsText(rows.Value(row, 5)));
      return records;
    }
    TSqliteDatabase db(u"db.mdb"_qs, 1000);
    TSqliteStatement history(db, QStringLiteral("SELECT \"Seq\", \"Kind\", \"ID\", \"Who\", "
                                                "\"FeedSeq\" FROM \"ClientsHistory\" ORDER BY 1"));
    while (history.Step()) {
      TSqliteStatement fields(db, QStringLiteral("SELECT \"Field\", \"Before\", \"After\" FROM "
                                                 "\"ClientsHistoryFields\" WHERE \"Seq\" = ?1 "
                                                 "ORDER BY 1"));
      fields.Bind(1, history.Column(0));
      QStringList changed;
      while (fields.Step())
        changed << fields.Column(0).toString() + u' ' + AsText(fields.Column(1)) + u" → "_qs +
                       AsText(fields.Column(2));
      records << QStringLiteral("%1 %2 %3 %4 feed %5: %6")
                     .arg(AsText(history.Column(0)), AsText(history.Column(1)),
                          AsText(history.Column(2)), AsText(history.Column(3)),
                          AsText(history.Column(4)), changed.join(u"; "_qs));
    }
    return records;
  }
  // When each record was made, in milliseconds since 1970 UTC.
  std::vector<qint64> Times() {
    std::vector<qint64> times;
    if (Register->OnServer()) {
      TPgConnection owner(RegisterConnInfo(u"postgres"_qs));
      const TPgResult rows = owner.Execute(QStringLiteral(
          "SELECT (extract(epoch FROM \"Time\") * 1000)::bigint FROM \"ClientsHistory\" "
          "ORDER BY \"Seq\""));
      for (int row = 0; row < rows.RowCount(); ++row)
        times.push_back(rows.Value(row, 0).toLongLong());
      return times;
    }
    TSqliteDatabase db(u"db.mdb"_qs, 1000);
    TSqliteStatement rows(db, u"SELECT \"Time\" FROM \"ClientsHistory\" ORDER BY \"Seq\""_qs);
    while (rows.Step()) {
      QDateTime time = QDateTime::fromString(rows.Column(0).toString(), Qt::ISODateWithMs);
      time.setTimeSpec(Qt::UTC);
      times.push_back(time.toMSecsSinceEpoch());
    }
    return times;
  }
  THistoryCheck Check() {
    if (Register->OnServer()) {
      TPgConnection desk(RegisterConnInfo());
      return CheckPgHistory(desk);
    }
    TSqliteDatabase db(u"db.mdb"_qs, 1000);
    return CheckSqliteHistory(db);
  }

  std::unique_ptr<TRegister> Register;
  std::unique_ptr<TADOTable> Table;
};

TEST_P(History, EveryChangeIsRecordedWithWhoWhenAndEachChangedFieldBeforeAndAfter) {
  const qint64 start = QDateTime::currentMSecsSinceEpoch();
  AddBag({{Bag, u"С-1"_qs}, {Symbol, u"32"_qs}, {Recipient, u"ООО «Ёлка»"_qs}});
  const QString desk = Desk();
  QStringList expected{u"1 INSERT 1 %1 feed 1: Номер сумки NULL → С-1; Получатель NULL → "
                       "ООО «Ёлка»; Символ NULL → 32"_qs.arg(desk)};
  // Each field changed on its own is one update naming that field alone.
  const struct {
    int Field;
    const char* Text;
    const char* Record;
  } updates[] = {
      {Bag, "С-2", "Номер сумки С-1 → С-2"},
      {Package, "17", "Номер пакета NULL → 17"},
      {Recipient, "ИП Ёжиков", "Получатель ООО «Ёлка» → ИП Ёжиков"},
      {Account, "40702810900000000001", "Счет NULL → 40702810900000000001"},
      {Inn, "7701234567", "Инн NULL → 7701234567"},
      {Symbol, "19", "Символ 32 → 19"},
      {FullName, "Ёлкин Пётр", "ФИО NULL → Ёлкин Пётр"},
      {FullName, "", "ФИО Ёлкин Пётр → NULL"},
  };
  int seq = 1;
  for (const auto& update : updates) {
    Table->Edit();
    Table->SetFieldText(update.Field, QString::fromUtf8(update.Text));
    Table->Post();
    ++seq;
    expected << u"%1 UPDATE 1 %2 feed %1: %3"_qs.arg(seq).arg(desk, QString::fromUtf8(update.Record));
  }
  Tool(u"UPDATE \"Clients\" SET \"Счет\" = '40817810000000000002', \"Символ\" = NULL"_qs);
  expected << u"10 UPDATE 1 %1 feed 10: Символ 19 → NULL; Счет 40702810900000000001 → "
              "40817810000000000002"_qs.arg(OtherTool());
  Tool(u"INSERT INTO \"Clients\" (\"Номер сумки\") VALUES ('чужая')"_qs);
  expected << u"11 INSERT 2 %1 feed 11: Номер сумки NULL → чужая"_qs.arg(OtherTool());
  Table->Resync();
  Table->MoveTo(0);
  Table->Delete();
  expected << u"12 DELETE 1 %1 feed 12: Инн 7701234567 → NULL; Номер пакета 17 → NULL; Номер "
              "сумки С-2 → NULL; Получатель ИП Ёжиков → NULL; Счет 40817810000000000002 → NULL"_qs
                  .arg(desk);
  Tool(u"DELETE FROM \"Clients\""_qs);
  expected << u"13 DELETE 2 %1 feed 13: Номер сумки чужая → NULL"_qs.arg(OtherTool());
  const qint64 end = QDateTime::currentMSecsSinceEpoch();

  EXPECT_EQ(Records(), expected);
  const std::vector<qint64> times = Times();
  ASSERT_EQ(times.size(), 13u);
  EXPECT_TRUE(std::is_sorted(times.begin(), times.end()));
  EXPECT_GE(times.front(), start - 1);
  EXPECT_LE(times.back(), end + 1);
  // On the file the last change is another program's, not sealed until a desk writes again.
  const THistoryCheck check = Check();
  EXPECT_EQ(check.Text(), Register->OnServer()
                              ? u"Журнал цел: 13 записей."_qs
                              : u"Журнал цел: 13 записей, из них последние 1 ещё не запечатаны "
                                "программой (изменения, сделанные другой программой после "
                                "последней записи с рабочего места)."_qs);
  AddBag({{Bag, u"С-3"_qs}});
  EXPECT_EQ(Check().Text(), u"Журнал цел: 14 записей."_qs);
}

// Each way of rewriting the past is found at the record where it was done: the history holds
// five records of the desk, then the register's owner changes it with the engine's own tool.
TEST_P(History, TheCheckNamesTheFirstRecordChangedRemovedOrMoved) {
  struct TCase {
    const char* Name;
    QString Sql;
    QString Found;
  };
  const QString swap = u"UPDATE \"%1\" SET \"Seq\" = -2 WHERE \"Seq\" = 2; "
                       "UPDATE \"%1\" SET \"Seq\" = 2 WHERE \"Seq\" = 3; "
                       "UPDATE \"%1\" SET \"Seq\" = 3 WHERE \"Seq\" = -2;"_qs;
  std::vector<TCase> cases = {
      {"a field's value changed",
       u"UPDATE \"ClientsHistoryFields\" SET \"After\" = 'подменено' WHERE \"Seq\" = 3"_qs,
       u"Журнал нарушен: запись № 3 изменена или переставлена."_qs},
      {"who changed", u"UPDATE \"ClientsHistory\" SET \"Who\" = 'кто-то' WHERE \"Seq\" = 2"_qs,
       u"Журнал нарушен: запись № 2 изменена или переставлена."_qs},
      {"a field removed", u"DELETE FROM \"ClientsHistoryFields\" WHERE \"Seq\" = 4"_qs,
       u"Журнал нарушен: запись № 4 изменена или переставлена."_qs},
      {"a record removed",
       u"DELETE FROM \"ClientsHistory\" WHERE \"Seq\" = 3; "
       "DELETE FROM \"ClientsHistoryFields\" WHERE \"Seq\" = 3;"_qs,
       u"Журнал нарушен: запись № 3 отсутствует."_qs},
      {"the last record removed", u"DELETE FROM \"ClientsHistory\" WHERE \"Seq\" = 5"_qs,
       u"Журнал нарушен: запись № 5 отсутствует."_qs},
      {"two records swapped",
       swap.arg(u"ClientsHistory"_qs) + swap.arg(u"ClientsHistoryFields"_qs),
       u"Журнал нарушен: запись № 2 изменена или переставлена."_qs},
  };
  if (!Register->OnServer())
    cases.push_back({"a seal taken off",
                     u"UPDATE \"ClientsHistory\" SET \"Digest\" = NULL WHERE \"Seq\" = 4"_qs,
                     u"Журнал нарушен: запись № 4 лишилась печати, хотя следующие "
                     "запечатаны."_qs});
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    SetUp();
    for (int bag = 1; bag <= 5; ++bag)
      AddBag({{Bag, QString::number(bag)}, {FullName, u"Ли"_qs}});
    ASSERT_EQ(Check().Text(), u"Журнал цел: 5 записей."_qs);
    Tool(c.Sql);
    EXPECT_EQ(Check().Text(), c.Found);
  }
}

// The administrator's command says what the check says, and its exit code tells a whole history
// (0) from a broken one (1) and from a register it cannot check (2).
TEST_P(History, TheAdministratorsCommandNamesTheBrokenRecordAndExitsAccordingly) {
  const QStringList registerArguments =
      Register->OnServer() ? QStringList{u"--server"_qs, RegisterConnInfo()} : QStringList{u"db.mdb"_qs};
  const auto check = [](const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(HISTORY_CHECK), arguments);
    process.waitForFinished(60000);
    return std::pair(process.exitCode(),
                     QString::fromUtf8(process.readAllStandardOutput() +
                                       process.readAllStandardError())
                         .trimmed());
  };
  AddBag({{Bag, u"1"_qs}});
  AddBag({{Bag, u"2"_qs}});
  EXPECT_EQ(check(registerArguments), std::pair(0, u"Журнал цел: 2 записи."_qs));
  Tool(u"UPDATE \"ClientsHistory\" SET \"ID\" = 7 WHERE \"Seq\" = 1"_qs);
  EXPECT_EQ(check(registerArguments),
            std::pair(1, u"Журнал нарушен: запись № 1 изменена или переставлена."_qs));
  EXPECT_EQ(check({}).first, 2);
}

// The export of a date range: one CSV line per changed field, commas and quotes quoted, a record
// without fields kept as one line; a range without changes has the header alone.
TEST_P(History, TheExportListsEveryChangedFieldOfTheRangeAsCsv) {
  const QStringList registerArguments =
      Register->OnServer() ? QStringList{u"--server"_qs, RegisterConnInfo()} : QStringList{u"db.mdb"_qs};
  const auto exported = [&](const QString& from, const QString& to) {
    QProcess process;
    process.start(QStringLiteral(HISTORY_CHECK),
                  QStringList{u"--export"_qs, from, to} + registerArguments);
    process.waitForFinished(60000);
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    return QString::fromUtf8(process.readAllStandardOutput());
  };
  // Today and tomorrow in UTC, so that changes made about midnight are in the range too.
  const QDate today = QDateTime::currentDateTimeUtc().date();
  const QString range[] = {today.toString(Qt::ISODate), today.addDays(1).toString(Qt::ISODate)};
  AddBag({{Bag, u"С-1"_qs}, {Recipient, u"ООО \"Ёлка, и К\""_qs}, {Symbol, u"32"_qs}});
  Table->Edit();
  Table->SetFieldText(Recipient, u"ИП Ли"_qs);
  Table->Post();
  Tool(u"UPDATE \"Clients\" SET \"ФИО\" = NULL"_qs);
  Table->Resync();
  Table->Delete();
  QString csv = exported(range[0], range[1]);
  // The times are in the range, to the millisecond; the rest is literal.
  const QRegularExpression time(u"^(\\d+),("_qs + range[0] + u"|"_qs + range[1] +
                                    u") \\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d,"_qs,
                                QRegularExpression::MultilineOption);
  csv.replace(time, u"\\1,T,"_qs);
  const QString desk = Desk();
  EXPECT_EQ(csv, u"Запись,Время (UTC),Кто,Изменение,Сумка,Поле,Было,Стало\r\n"
                 "1,T,%1,добавление,1,Номер сумки,,С-1\r\n"
                 "1,T,%1,добавление,1,Получатель,,\"ООО \"\"Ёлка, и К\"\"\"\r\n"
                 "1,T,%1,добавление,1,Символ,,32\r\n"
                 "2,T,%1,изменение,1,Получатель,\"ООО \"\"Ёлка, и К\"\"\",ИП Ли\r\n"
                 "3,T,%2,изменение,1,,,\r\n"
                 "4,T,%1,удаление,1,Номер сумки,С-1,\r\n"
                 "4,T,%1,удаление,1,Получатель,ИП Ли,\r\n"
                 "4,T,%1,удаление,1,Символ,32,\r\n"_qs.arg(desk, OtherTool()));
  const QString later = today.addDays(2).toString(Qt::ISODate);
  EXPECT_EQ(exported(later, later),
            u"Запись,Время (UTC),Кто,Изменение,Сумка,Поле,Было,Стало\r\n"_qs);
}

INSTANTIATE_TEST_SUITE_P(Engines, History, TestedEngines(), EngineName);

}  // namespace
