#include "app/HistoryTable.h"

#include <gtest/gtest.h>

#include <ostream>

#include "tests/support/QtPrinters.h"

static void PrintTo(const THistoryRow& row, std::ostream* out) {
  *out << row.Time.toStdString() << " | " << row.Who.toStdString() << " | "
       << row.Kind.toStdString() << " | " << row.Bag;
  for (const THistoryCell& cell : row.Fields)
    *out << " | " << (cell.Changed ? "*" : "") << cell.Text.toStdString();
}

namespace {

const QStringList BagFields{u"Номер сумки"_qs, u"Номер пакета"_qs, u"Получатель"_qs, u"Счет"_qs,
                            u"Инн"_qs,         u"Символ"_qs,       u"ФИО"_qs};

// A row whose field cells are written in a line each: "*" before a changed one.
THistoryRow Row(const char* time, const char* who, const char* kind, qint64 bag,
                const std::vector<const char*>& cells) {
  THistoryRow row{QString::fromUtf8(time), QString::fromUtf8(who), QString::fromUtf8(kind), bag, {}};
  for (const char* cell : cells) {
    const QString text = QString::fromUtf8(cell);
    row.Fields.push_back(text.startsWith(u'*') ? THistoryCell{text.mid(1), true}
                                               : THistoryCell{text, false});
  }
  return row;
}

// Two bags that bore the number 12: bag 5 from a register whose history began after it was
// added, and bag 9 added and deleted. Times as each engine keeps them (the file's UTC text,
// the server's microseconds); the test runs at UTC+3 (TZ=MSK-3).
TEST(HistoryTable, EachChangeShowsItsFieldsBeforeAndAfterAndTheOthersAsTheBagHeldThem) {
  const QVariant none;
  const std::vector<THistoryRecord> newestFirst = {
      {5, u"2026-12-11 05:04:00.000"_qs, u"другая программа"_qs, u"UPDATE"_qs, 7, 5,
       {{u"ID"_qs, 4, 5}}},
      {4, u"2026-12-11 05:03:00.999"_qs, u"кассир@desk1"_qs, u"DELETE"_qs, 6, 9,
       {{u"Номер сумки"_qs, u"12"_qs, none}, {u"Символ"_qs, 32, none}}},
      {3, qint64(1796965320000000), u"desk"_qs, u"UPDATE"_qs, 5, 5,
       {{u"Номер сумки"_qs, u"11"_qs, u"12"_qs}}},
      {2, u"2026-12-11 05:01:00.000"_qs, u"кассир@desk1"_qs, u"INSERT"_qs, 4, 9,
       {{u"Номер сумки"_qs, none, u"12"_qs}, {u"Символ"_qs, none, 32}}},
      {1, u"2026-12-11 05:00:00.123"_qs, u"кассир@desk1"_qs, u"UPDATE"_qs, 2, 5,
       {{u"ФИО"_qs, u"Ли"_qs, u"Ким Ё."_qs}}},
  };
  const THistoryTable table = MakeHistoryTable(newestFirst, BagFields);
  EXPECT_EQ(table.Fields, BagFields + QStringList{u"ID"_qs});
  EXPECT_TRUE(table.ManyBags);
  // Columns: bag number, package, recipient, account, INN, symbol, full name, key.
  const std::vector<THistoryRow> expected = {
      Row("11.12.2026 08:04:00", "другая программа", "изменение", 5,
          {"12", "", "", "", "", "", "Ким Ё.", "*4 → 5"}),
      Row("11.12.2026 08:03:00", "кассир@desk1", "удаление", 9,
          {"*12 → —", "", "", "", "", "*32 → —", "", ""}),
      Row("11.12.2026 08:02:00", "desk", "изменение", 5,
          {"*11 → 12", "", "", "", "", "", "Ким Ё.", "4"}),
      Row("11.12.2026 08:01:00", "кассир@desk1", "добавление", 9,
          {"*— → 12", "", "", "", "", "*— → 32", "", ""}),
      Row("11.12.2026 08:00:00", "кассир@desk1", "изменение", 5,
          {"11", "", "", "", "", "", "*Ли → Ким Ё.", "4"}),
  };
  EXPECT_EQ(table.Rows, expected);
}

TEST(HistoryTable, OneBagNeedsNoKeyColumnAndNoRecordsNoRows) {
  const THistoryTable one = MakeHistoryTable(
      {{1, u"2026-01-01 00:00:00.000"_qs, u"a@b"_qs, u"INSERT"_qs, 1, 3,
        {{u"Номер сумки"_qs, QVariant(), u"7"_qs}}}},
      BagFields);
  EXPECT_FALSE(one.ManyBags);
  EXPECT_EQ(one.Fields, BagFields);
  ASSERT_EQ(one.Rows.size(), 1u);
  THistoryModel model;
  model.SetTable(one);
  EXPECT_EQ(model.columnCount(), 10);
  EXPECT_EQ(model.headerData(3, Qt::Horizontal, Qt::DisplayRole).toString(), u"Номер сумки"_qs);
  EXPECT_EQ(model.data(model.index(0, 3), Qt::DisplayRole).toString(), u"— → 7"_qs);
  EXPECT_TRUE(MakeHistoryTable({}, BagFields).Rows.empty());
}

}  // namespace
