// Every fixture the generator writes is read back by two readers that share no code with it or
// with each other, mdbtools and npm's mdb-reader; both must give back what the generator meant,
// value for value.
#include "tests/support/QtPrinters.h"
#include "tests/support/jet/ClientsRegister.h"
#include "tests/support/jet/JetOracles.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>

namespace {

using jet::TBag;

std::vector<TBag> operator+(std::vector<TBag> a, const std::vector<TBag>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

std::string Times(const std::string& piece, int count) {
  std::string out;
  for (int i = 0; i < count; ++i)
    out += piece;
  return out;
}

// mdbtools reports a zero-length text as NULL (mdb-reader keeps it ""): a fact of that reader,
// which the importer built on libmdb inherits.
QVariant Meant(const jet::TValue& value, bool emptyTextIsNull) {
  if (const auto* number = std::get_if<std::int32_t>(&value))
    return static_cast<qlonglong>(*number);
  if (const auto* text = std::get_if<std::string>(&value))
    return text->empty() && emptyTextIsNull ? QVariant() : QVariant(QString::fromStdString(*text));
  return {};
}

void ExpectTableAsMeant(const char* reader, const TTableRead& read, const jet::TTable& meant,
                        bool emptyTextIsNull) {
  SCOPED_TRACE(reader);
  EXPECT_FALSE(read.Failed) << read.Errors.toStdString();
  QStringList columns;
  for (const jet::TColumn& column : meant.Columns)
    columns.append(QString::fromStdString(column.Name));
  EXPECT_EQ(read.Columns, columns);
  ASSERT_EQ(read.Rows.size(), meant.Rows.size());
  for (std::size_t r = 0; r < meant.Rows.size(); ++r) {
    for (std::size_t c = 0; c < meant.Columns.size(); ++c) {
      const QVariant expected = Meant(meant.Rows[r][c], emptyTextIsNull);
      const QVariant got = c < static_cast<std::size_t>(read.Rows[r].size()) ? read.Rows[r][static_cast<int>(c)] : QVariant();
      // The first difference is enough; a table of 10^5 rows would bury it.
      ASSERT_EQ(got, expected) << "row " << r << ", column " << meant.Columns[c].Name;
    }
  }
}

struct TFixture {
  const char* Name;
  std::function<jet::TDatabase()> Make;
};

void PrintTo(const TFixture& fixture, std::ostream* out) { *out << fixture.Name; }

// Notes of every size a long value takes: NULL, empty, in the row, on a page of its own
// (compressed and not), over a chain of 3 and of 15 pages.
std::vector<jet::TValue> Notes() {
  return {jet::Null,
          std::string(),
          std::string("Пломба цела"),
          std::string(300, 'N'),
          Times("ю", 1500),
          Times("Пломба повреждена; ", 250),
          std::string(30000, 'x')};
}

const TFixture Fixtures[] = {
    {"SampleAndRefusedBags", [] { return jet::ClientsDatabase(jet::SampleBags() + jet::RefusedBags()); }},
    {"AceHeader", [] { return jet::ClientsDatabase(jet::SampleBags(), jet::TFormat::Ace12); }},
    {"ThreeHundredBagsOverSeveralPages", [] { return jet::ClientsDatabase(jet::GeneratedBags(300)); }},
    {"NotesInRowOnPageAndInChains",
     [] { return jet::ClientsWithNotes(jet::SampleBags() + jet::GeneratedBags(1), Notes()); }},
    {"NameLongerThanItsFieldInAMemo",
     [] { return jet::ClientsWithLongName(jet::SampleBags(), 1, Times("Длинноимённов ", 11)); }},
    {"ClientsWithoutSymbol", [] { return jet::ClientsWithoutField(jet::GeneratedBags(20), "Символ"); }},
    {"BagsInAnotherTable", [] { return jet::WithoutClients(jet::GeneratedBags(20)); }},
    // Over 512 pages: the usage map of the second kind, over bitmap pages.
    {"HundredThousandBags", [] { return jet::ClientsDatabase(jet::GeneratedBags(100000)); }},
};

class JetReaders : public testing::TestWithParam<TFixture> {};

TEST_P(JetReaders, BothGiveBackEveryTableAsWritten) {
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("db.mdb"));
  const jet::TDatabase database = GetParam().Make();
  jet::WriteDatabaseFile(database, file.toStdString());
  QStringList tables;
  for (const jet::TTable& table : database.Tables)
    tables.append(QString::fromStdString(table.Name));
  EXPECT_EQ(TablesByMdbTools(file), tables);
  EXPECT_EQ(TablesByMdbReader(file), tables);
  for (const jet::TTable& table : database.Tables) {
    const QString name = QString::fromStdString(table.Name);
    ExpectTableAsMeant("mdb-export", ReadWithMdbTools(file, name), table, true);
    ExpectTableAsMeant("mdb-reader", ReadWithMdbReader(file, name), table, false);
  }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, JetReaders, testing::ValuesIn(Fixtures),
                         [](const testing::TestParamInfo<TFixture>& info) { return info.param.Name; });

TEST(JetSchema, ClientsHasTheKeyAndTheSevenFieldsWithTheirTypesAndSizes) {
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("db.mdb"));
  jet::WriteDatabaseFile(jet::ClientsDatabase(jet::SampleBags()), file.toStdString());
  // mdb-reader gives sizes in bytes: two a character.
  EXPECT_EQ(ColumnsByMdbReader(file, QStringLiteral("Clients")),
            QStringList({"ID long 4", "Номер сумки text 100", "Номер пакета long 4", "Получатель text 510",
                         "Счет text 510", "Инн text 510", "Символ long 4", "ФИО text 200"}));
  const QString schema = RunTool(QStringLiteral("mdb-schema"), {file, QStringLiteral("mysql")});
  EXPECT_TRUE(schema.contains(QStringLiteral("CREATE TABLE `Clients`\n (\n"
                                             "\t`ID`\t\t\tint not null auto_increment unique, \n"
                                             "\t`Номер сумки`\t\t\tvarchar (50), \n"
                                             "\t`Номер пакета`\t\t\tint, \n"
                                             "\t`Получатель`\t\t\tvarchar (255), \n"
                                             "\t`Счет`\t\t\tvarchar (255), \n"
                                             "\t`Инн`\t\t\tvarchar (255), \n"
                                             "\t`Символ`\t\t\tint, \n"
                                             "\t`ФИО`\t\t\tvarchar (100)\n);")))
      << schema.toStdString();
}

TEST(JetHeader, MdbVerNamesTheFormatTheHeaderSays) {
  QTemporaryDir dir;
  const struct {
    jet::TFormat Format;
    const char* Version;
  } cases[] = {{jet::TFormat::Jet4, "JET4\n"}, {jet::TFormat::Ace12, "ACE12\n"}};
  for (const auto& c : cases) {
    const QString file = dir.filePath(QStringLiteral("db.mdb"));
    jet::WriteDatabaseFile(jet::ClientsDatabase({}, c.Format), file.toStdString());
    EXPECT_EQ(RunTool(QStringLiteral("mdb-ver"), {file}), QString::fromLatin1(c.Version));
  }
}

// A file cut short. Cut inside the first pages, no reader finds a table. Cut among the rows,
// the table is still listed and mdbtools gives the rows before the cut with a complaint on
// stderr only (its exit code says success): a reader of this file must count the rows itself.
TEST(JetFaults, ATruncatedFileLosesItsTablesOrItsLastRows) {
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("db.mdb"));
  const std::vector<std::uint8_t> whole = jet::WriteDatabase(jet::ClientsDatabase(jet::GeneratedBags(300)));
  const auto writeFirst = [&](std::size_t size) {
    std::vector<std::uint8_t> bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
  };

  writeFirst(100);
  EXPECT_TRUE(ReadWithMdbTools(file, QStringLiteral("Clients")).Rows.empty());
  EXPECT_TRUE(ReadWithMdbReader(file, QStringLiteral("Clients")).Failed);

  writeFirst(whole.size() / 2 + 1000);
  EXPECT_EQ(TablesByMdbTools(file), QStringList{QStringLiteral("Clients")});
  const TTableRead cut = ReadWithMdbTools(file, QStringLiteral("Clients"));
  EXPECT_GT(cut.Rows.size(), 0u);
  EXPECT_LT(cut.Rows.size(), 300u);
  EXPECT_TRUE(cut.Errors.contains(QStringLiteral("beyond EOF"))) << cut.Errors.toStdString();
  EXPECT_TRUE(ReadWithMdbReader(file, QStringLiteral("Clients")).Failed);
}

}  // namespace
