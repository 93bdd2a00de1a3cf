#include "tests/support/jet/ClientsRegister.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <stdexcept>

namespace jet {

const std::vector<std::string>& ClientsFieldNames() {
  static const std::vector<std::string> names{"Номер сумки", "Номер пакета", "Получатель", "Счет",
                                              "Инн",         "Символ",       "ФИО"};
  return names;
}

std::vector<TColumn> ClientsColumns() {
  using T = TColumnType;
  const auto& n = ClientsFieldNames();
  return {{"ID", T::LongInteger, 0, true}, {n[0], T::Text, 50}, {n[1], T::LongInteger},
          {n[2], T::Text, 255},            {n[3], T::Text, 255}, {n[4], T::Text, 255},
          {n[5], T::LongInteger},          {n[6], T::Text, 100}};
}

TTable ClientsTable(const std::vector<TBag>& bags) {
  TTable table{"Clients", ClientsColumns(), {}};
  for (std::size_t i = 0; i < bags.size(); ++i) {
    if (bags[i].size() != 7)
      throw std::invalid_argument("a bag has seven fields");
    std::vector<TValue> row{static_cast<std::int32_t>(i + 1)};
    row.insert(row.end(), bags[i].begin(), bags[i].end());
    table.Rows.push_back(std::move(row));
  }
  return table;
}

TDatabase ClientsDatabase(const std::vector<TBag>& bags, TFormat format) {
  return {format, {ClientsTable(bags)}};
}

namespace {

std::string Repeat(const std::string& piece, int times) {
  std::string out;
  for (int i = 0; i < times; ++i)
    out += piece;
  return out;
}

std::string Printf(const char* format, int n) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, n);
  return buffer;
}

}  // namespace

const std::vector<TBag>& SampleBags() {
  using S = std::string;
  static const std::vector<TBag> bags{
      {S("0012345"), 17, S("ООО «Ромашка»"), S("40702810900000012345"), S("0123456789"), 11,
       S("Иванов Иван Иванович")},
      {S("77"), 3, S("ИП Петров П. П."), S("40802810400000000077"), S("7701234567"), 19, Null},
      {S("А-001"), Null, Null, Null, Null, Null, Null},
      // The longest value of each text field, in letters that take two bytes each.
      {Repeat("Ё", 50), std::numeric_limits<std::int32_t>::max(), Repeat("Щ", 255), Repeat("0", 255),
       Repeat("9", 255), 32, Repeat("ж", 100)},
      {S("000"), std::numeric_limits<std::int32_t>::min(), S("Café «Ёлка» № 5 — ул. Мира, д. 1"),
       S("00000000000000000000"), S("0000000000"), 2, S("Müller-Лёвина Анна-Мария")},
      {S("Б/Н \"12\""), 0, S("ООО \"Кавычки\", запятая;\tтаб"), S("40702810 000 0000 0001"),
       S("500100732259"), Null, S("Строка первая\r\nстрока вторая")},
  };
  return bags;
}

const std::vector<TBag>& RefusedBags() {
  using S = std::string;
  static const std::vector<TBag> bags{
      {S(""), 5, S("ООО «Пустой номер»"), S("40702810900000000005"), S("7700000005"), 2, S("Пустов")},
      {Null, 6, S("ООО «Нет номера»"), S("40702810900000000006"), S("7700000006"), 11, S("Нетов")},
      {S("9099"), 99, S("ООО «Не тот символ»"), S("40702810900000009099"), S("7700009099"), 99,
       S("Символов")},
  };
  return bags;
}

TBag GeneratedBag(int n) {
  static const std::vector<std::string> recipients{"ООО «Ромашка»", "ИП Петров П. П.", "АО «Северный ветер»",
                                                   "ООО \"Берёзка\"", "МУП «Водоканал»"};
  static const std::vector<std::string> names{"Иванов Иван Иванович", "Петрова Анна Сергеевна",
                                              "Ёлкин Пётр", "Сидоров С. С."};
  static const std::int32_t symbols[] = {2, 11, 19, 32};
  TBag bag;
  bag.push_back(n % 7 == 0 ? Printf("СБ-%05d", n) : Printf("%06d", n));
  bag.push_back(n % 11 == 0 ? TValue(Null) : TValue(100000 + n));
  bag.push_back(recipients[n % recipients.size()] + Printf(" № %d", n));
  bag.push_back("40702810" + Printf("%012d", n));
  bag.push_back((n % 2 == 1 ? "0" : "7") + Printf("%09d", n));
  bag.push_back(n % 5 == 4 ? TValue(Null) : TValue(symbols[n % 5]));
  bag.push_back(n % 5 == 0 ? TValue(Null) : TValue(names[n % names.size()]));
  return bag;
}

std::vector<TBag> GeneratedBags(int count) {
  std::vector<TBag> bags;
  bags.reserve(static_cast<std::size_t>(std::max(count, 0)));
  for (int n = 1; n <= count; ++n)
    bags.push_back(GeneratedBag(n));
  return bags;
}

TDatabase ClientsWithoutField(const std::vector<TBag>& bags, const std::string& field) {
  const auto& names = ClientsFieldNames();
  const auto at = std::find(names.begin(), names.end(), field);
  if (at == names.end())
    throw std::invalid_argument("not a field of Clients: " + field);
  const auto column = 1 + (at - names.begin());  // after ID
  TTable table = ClientsTable(bags);
  table.Columns.erase(table.Columns.begin() + column);
  for (auto& row : table.Rows)
    row.erase(row.begin() + column);
  return {TFormat::Jet4, {std::move(table)}};
}

TDatabase WithoutClients(const std::vector<TBag>& bags) {
  TTable table = ClientsTable(bags);
  table.Name = "Сумки";
  return {TFormat::Jet4, {std::move(table)}};
}

TDatabase ClientsWithLongName(std::vector<TBag> bags, std::size_t index, const std::string& name) {
  bags.at(index)[6] = name;
  TTable table = ClientsTable(bags);
  table.Columns[7].Type = TColumnType::Memo;
  return {TFormat::Jet4, {std::move(table)}};
}

TDatabase ClientsWithNotes(const std::vector<TBag>& bags, const std::vector<TValue>& notes) {
  if (notes.size() != bags.size())
    throw std::invalid_argument("one note for each bag");
  TTable table = ClientsTable(bags);
  table.Columns.push_back({"Примечание", TColumnType::Memo});
  for (std::size_t i = 0; i < notes.size(); ++i)
    table.Rows[i].push_back(notes[i]);
  return {TFormat::Jet4, {std::move(table)}};
}

}  // namespace jet
