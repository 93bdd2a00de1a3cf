// The rules of an import that need no database: reading CSV, lining its columns up with the
// fields, the checks of a bag, the plan and what the operator reads.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "app/import/BagColumns.h"
#include "app/import/CsvFile.h"
#include "app/import/ImportError.h"
#include "app/import/ImportPlan.h"
#include "app/import/ImportTexts.h"
#include "tests/support/FileBytes.h"
#include "tests/support/QtPrinters.h"

namespace {

using namespace Qt::StringLiterals;

const TCell Null = std::nullopt;

TCell Text(const char16_t* text) { return QString::fromUtf16(text); }

std::vector<TCell> Cells(std::initializer_list<TCell> cells) { return cells; }

std::string Show(const TSourceTable& table) {
  std::string out;
  for (const TSourceRow& row : table) {
    out += std::to_string(row.Line) + ":";
    for (const TCell& cell : row.Cells) out += cell ? " [" + cell->toStdString() + "]" : " NULL";
    out += "\n";
  }
  return out;
}

TEST(Csv, ReadsFieldsAsTheExportsWriteThem) {
  struct TCase {
    const char* Name;
    const char16_t* Text;
    const char* Rows;  // each row: its line, then its cells
  };
  const TCase cases[] = {
      {"commas, quoted text, NULL unquoted, empty text quoted",
       u"0012,17,\"ООО \"\"Ромашка\"\", филиал\",,\"\"\r\n",
       "1: [0012] [17] [ООО \"Ромашка\", филиал] NULL []\n"},
      {"a Russian spreadsheet's semicolons; commas inside are text",
       u"0012;Иванов, Пётр;2\n77;;\n", "1: [0012] [Иванов, Пётр] [2]\n2: [77] NULL NULL\n"},
      {"tabs", u"a\tb c\t\n", "1: [a] [b c] NULL\n"},
      {"a line break inside quotes: the next row keeps its own line",
       u"1,\"Строка первая\nстрока вторая\"\n2,x\n",
       "1: [1] [Строка первая\nстрока вторая]\n3: [2] [x]\n"},
      {"blanks kept, empty lines left out, no break at the end",
       u" 1 ,  \n\n\r\n2,b", "1: [ 1 ] [  ]\n4: [2] [b]\n"},
      {"CR alone ends a line", u"1,a\r2,b\r", "1: [1] [a]\n2: [2] [b]\n"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(Show(ParseCsv(QString::fromUtf16(c.Text), u"x.csv"_s)), c.Rows);
  }
}

TEST(Csv, AQuoteNeverClosedNamesTheFileAndTheLine) {
  try {
    ParseCsv(u"1,a\n2,\"b\n3,c\n"_s, u"/tmp/old.csv"_s);
    FAIL() << "no error";
  } catch (const EBagImport& e) {
    EXPECT_EQ(e.Sentence(),
              u"В файле /tmp/old.csv кавычка, открытая в строке 2, не закрыта: файл, видимо, "
              u"обрезан или испорчен. Выгрузите сумки в файл заново."_s);
  }
}

TEST(Csv, TextIsUtf8WhenItCanBeAndWindows1251Otherwise) {
  // "Ёлкин;Ромашка" in Windows-1251, then in UTF-8 with and without a byte-order mark.
  const QByteArray win1251 = "\xA8\xEB\xEA\xE8\xED;\xD0\xEE\xEC\xE0\xF8\xEA\xE0";
  EXPECT_EQ(DecodeCsvText(win1251), u"Ёлкин;Ромашка"_s);
  EXPECT_EQ(DecodeCsvText(u"Ёлкин;Ромашка"_s.toUtf8()), u"Ёлкин;Ромашка"_s);
  EXPECT_EQ(DecodeCsvText("\xEF\xBB\xBF" + u"Ёлкин"_s.toUtf8()), u"Ёлкин"_s);
}

TEST(BagColumns, AHeaderTakesFieldsByNameAndLeavesOtherColumnsOut) {
  const TSourceTable table{
      {1, Cells({Text(u"ID"), Text(u" фио "), Text(u"Номер сумки"), Text(u"Номер пакета"),
                 Text(u"Получатель"), Text(u"Счет"), Text(u"Инн"), Text(u"СИМВОЛ")})},
      {2, Cells({Text(u"1"), Text(u"Иванов"), Text(u"0012"), Null, Text(u"ООО"), Text(u"4070"),
                 Text(u"0770"), Text(u"2")})},
      {3, Cells({Text(u"2"), Text(u"Петров")})},
  };
  const TBagCells cells = TakeBagColumns(table, u"x.csv"_s);
  EXPECT_EQ(Show(cells.Rows), "2: [0012] NULL [ООО] [4070] [0770] [2] [Иванов]\n");
  EXPECT_EQ(cells.Rejected, (std::vector<TRejectedRow>{{3, u"в строке 2 столбцов, а нужно 8"_s}}));
}

TEST(BagColumns, WithoutAHeaderTheSevenColumnsStandInOrder) {
  const TSourceTable table{
      {1, Cells({Text(u"77"), Text(u"3"), Null, Null, Null, Null, Text(u"Петров")})},
      {2, Cells({Text(u"78"), Text(u"3"), Null, Null, Null, Null, Text(u"Петров"), Null, Null})},
      {3, Cells({Text(u"79"), Text(u"3"), Null, Null, Null, Null, Text(u"Петров"), Text(u"?")})},
      {4, Cells({Text(u"80"), Text(u"3")})},
  };
  const TBagCells cells = TakeBagColumns(table, u"x.xls"_s);
  EXPECT_EQ(Show(cells.Rows), "1: [77] [3] NULL NULL NULL NULL [Петров]\n"
                              "2: [78] [3] NULL NULL NULL NULL [Петров]\n");
  EXPECT_EQ(cells.Rejected, (std::vector<TRejectedRow>{{3, u"в строке 8 столбцов, а нужно 7"_s},
                                                       {4, u"в строке 2 столбцов, а нужно 7"_s}}));
}

TEST(BagColumns, AHeaderWithoutAFieldIsRefused) {
  const TSourceTable table{{1, Cells({Text(u"Номер сумки"), Text(u"Получатель")})}};
  try {
    TakeBagColumns(table, u"/tmp/old.csv"_s);
    FAIL() << "no error";
  } catch (const EBagImport& e) {
    EXPECT_EQ(e.Sentence(), u"В первой строке файла /tmp/old.csv названы столбцы, но нет столбца "
                            u"«Номер пакета». Добавьте его или уберите строку заголовка."_s);
  }
}

TEST(BagChecks, ABagPassesOnlyWhatTheEditorsWouldTake) {
  const QString recipient255(255, u'Щ');
  struct TCase {
    const char* Name;
    std::vector<TCell> Cells;
    QString Reasons;  // empty: the bag passes
  };
  const TCase cases[] = {
      {"a whole bag", Cells({Text(u"0012"), Text(u"17"), recipient255, Text(u"0040"), Null,
                             Text(u"32"), Text(u"Ёлкин")}),
       {}},
      {"NULLs and an empty text", Cells({Text(u"1"), Null, Null, Text(u""), Null, Null, Null}), {}},
      {"no bag number", Cells({Null, Null, Null, Null, Null, Null, Null}), u"нет номера сумки"_s},
      {"a bag number of blanks", Cells({Text(u"  "), Null, Null, Null, Null, Null, Null}),
       u"нет номера сумки"_s},
      {"too long", Cells({QString(51, u'1'), Null, recipient255 + u'Щ', Null, Null, Null,
                          QString(101, u'ж')}),
       u"«Номер сумки» длиннее 50 знаков; «Получатель» длиннее 255 знаков; «ФИО» длиннее 100 "
       u"знаков"_s},
      {"not whole numbers",
       Cells({Text(u"1"), Text(u"12а"), Null, Null, Null, Text(u"2147483648"), Null}),
       u"«Номер пакета» не целое число: «12а»; «Символ» не целое число: «2147483648»"_s},
      {"a cash symbol not in the list",
       Cells({Text(u"1"), Null, Null, Null, Null, Text(u"5"), Null}),
       u"символа 5 нет в списке (2, 11, 19, 32)"_s},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const auto bag = CheckedBag(c.Cells);
    if (c.Reasons.isEmpty())
      EXPECT_TRUE(std::holds_alternative<TBagValues>(bag)) << std::get<QString>(bag).toStdString();
    else
      EXPECT_EQ(std::get<QString>(bag), c.Reasons);
  }
  const TBagValues values = std::get<TBagValues>(CheckedBag(
      Cells({Text(u"0012"), Text(u"-17"), Null, Text(u""), Null, Text(u"32"), Text(u"Ёлкин")})));
  EXPECT_EQ(values, (TBagValues{u"0012"_s, qint64(-17), QVariant(), u""_s, QVariant(), qint64(32),
                                u"Ёлкин"_s}));
}

TEST(BagChecks, TheOldRegisterIsKeptWhateverTheRulesSay) {
  EXPECT_EQ(KeptBag(Cells({Null, Text(u"17"), QString(300, u'Щ'), Text(u""), Null, Text(u"5"),
                           Text(u"Ёлкин")})),
            (TBagValues{QVariant(), qint64(17), QString(300, u'Щ'), u""_s, QVariant(), qint64(5),
                        u"Ёлкин"_s}));
}

TEST(ImportPlan, CountsTheBagsAlreadyThereAndListsRefusalsInFileOrder) {
  const TBagCells cells{
      {{2, Cells({Text(u"77"), Null, Null, Null, Null, Null, Null})},
       {3, Cells({Text(u"78"), Null, Null, Null, Null, Text(u"5"), Null})},
       {5, Cells({Text(u"79"), Null, Null, Null, Null, Null, Null})},
       {6, Cells({Text(u"77"), Null, Null, Null, Null, Null, Null})}},
      {{4, u"в строке 2 столбцов, а нужно 7"_s}}};
  const TImportPlan plan = PlanImport(cells, {u"77"_s, u"80"_s});
  EXPECT_EQ(plan.Bags.size(), 3u);
  EXPECT_EQ(plan.AlreadyThere, 2);
  EXPECT_EQ(plan.Rejected,
            (std::vector<TRejectedRow>{{3, u"символа 5 нет в списке (2, 11, 19, 32)"_s},
                                       {4, u"в строке 2 столбцов, а нужно 7"_s}}));
  EXPECT_EQ(ImportPreviewText(u"/tmp/old.csv"_s, plan).Text,
            u"Импорт из файла /tmp/old.csv.\n"
            u"Будет взято сумок: 3.\n"
            u"Из них уже есть в списке (тот же номер сумки): 2. Пропустить их или заменить сумки "
            u"списка сумками из файла?\n"
            u"Не могут быть взяты строки файла: 2.\n"
            u"строка 3: символа 5 нет в списке (2, 11, 19, 32)\n"
            u"строка 4: в строке 2 столбцов, а нужно 7"_s);
}

TEST(ImportTexts, APreviewListsTenRefusalsAndKeepsTheRestInItsDetails) {
  TImportPlan plan;
  for (int line = 1; line <= 12; ++line) plan.Rejected.push_back({line, u"нет номера сумки"_s});
  const TImportPreview preview = ImportPreviewText(u"/tmp/x.csv"_s, plan);
  EXPECT_TRUE(preview.Text.endsWith(u"строка 10: нет номера сумки\n… и ещё 2 (все — в "
                                    u"подробностях)."_s))
      << preview.Text.toStdString();
  EXPECT_TRUE(preview.Details.endsWith(u"строка 11: нет номера сумки\nстрока 12: нет номера "
                                       u"сумки"_s));
  EXPECT_EQ(ImportSummaryText(u"/tmp/x.csv"_s, {5, 2, 0}, 12),
            u"Импорт из файла /tmp/x.csv закончен.\nДобавлено сумок: 5.\nЗаменено сумок списка: "
            u"2.\nНе взято строк файла: 12."_s);
}

TEST(ImportTexts, BagCountsTakeTheFormTheNumberWants) {
  const std::pair<qint64, const char16_t*> cases[] = {
      {0, u"0 сумок"},    {1, u"1 сумка"},     {2, u"2 сумки"},     {4, u"4 сумки"},
      {5, u"5 сумок"},    {11, u"11 сумок"},   {12, u"12 сумок"},   {14, u"14 сумок"},
      {21, u"21 сумка"},  {22, u"22 сумки"},   {101, u"101 сумка"}, {111, u"111 сумок"},
      {100000, u"100000 сумок"}};
  for (const auto& [n, text] : cases) EXPECT_EQ(BagCount(n), QString::fromUtf16(text)) << n;
  EXPECT_EQ(ConversionQuestion(3, u"db.mdb.jet"_s),
            u"В папке найдена база прежней версии программы (3 сумки). Перенести сумки в новую "
            u"базу? Старый файл останется рядом под именем db.mdb.jet."_s);
}

// A file as Access writes it on a Russian Windows: Windows-1251, a header, NULLs as nothing,
// leading zeros kept.
TEST(CsvImport, AnAccessExportComesInValueForValue) {
  const QTemporaryDir dir;
  const QString path = dir.filePath(u"old.csv"_s);
  WriteFile(path, "\"\xCD\xEE\xEC\xE5\xF0 \xF1\xF3\xEC\xEA\xE8\";\"\xCD\xEE\xEC\xE5\xF0 "
                  "\xEF\xE0\xEA\xE5\xF2\xE0\";\"\xCF\xEE\xEB\xF3\xF7\xE0\xF2\xE5\xEB\xFC\";"
                  "\"\xD1\xF7\xE5\xF2\";\"\xC8\xED\xED\";\"\xD1\xE8\xEC\xE2\xEE\xEB\";\"\xD4\xC8\xCE\"\r\n"
                  "\"0012\";17;\"\xCE\xCE\xCE \xAB\xD0\xEE\xEC\xE0\xF8\xEA\xE0\xBB\";"
                  "\"00702810900000012345\";\"0123456789\";11;\r\n");
  const TImportPlan plan = PlanImport(TakeBagColumns(ReadCsvFile(path), path), {});
  ASSERT_TRUE(plan.Rejected.empty());
  ASSERT_EQ(plan.Bags.size(), 1u);
  EXPECT_EQ(plan.Bags[0], (TBagValues{u"0012"_s, qint64(17), u"ООО «Ромашка»"_s,
                                      u"00702810900000012345"_s, u"0123456789"_s, qint64(11),
                                      QVariant()}));
}

}  // namespace
