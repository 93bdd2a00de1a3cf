// The generator's own rules, without a reader: the bytes of stored text, and the fixtures it
// refuses to write because they would not be what the test says.
#include "tests/support/jet/JetDatabase.h"
#include "tests/support/jet/JetText.h"

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(JetText, StoresUcs2OrTheCompressedFormWhenThatIsShorter) {
  const struct {
    std::u16string Text;
    bool Compress;
    Bytes Stored;
  } cases[] = {
      {u"001", true, {0xFF, 0xFE, 0x30, 0x30, 0x31}},
      {u"001", false, {0x30, 0x00, 0x30, 0x00, 0x31, 0x00}},
      // Not shorter compressed: FF FE 61 62 is as long.
      {u"ab", true, {0x61, 0x00, 0x62, 0x00}},
      {u"Ёлка", true, {0x01, 0x04, 0x3B, 0x04, 0x3A, 0x04, 0x30, 0x04}},
      {u"AB Ж CD", true, {0xFF, 0xFE, 0x41, 0x42, 0x20, 0x00, 0x16, 0x04, 0x00, 0x20, 0x43, 0x44}},
      // A lone one-byte character between two-byte ones stays two bytes: cheaper than two switches.
      {u"abcЖ1Жdef",
       true,
       {0xFF, 0xFE, 0x61, 0x62, 0x63, 0x00, 0x16, 0x04, 0x31, 0x00, 0x16, 0x04, 0x00, 0x64, 0x65, 0x66}},
      // U+0400's low byte 00 would read as a switch: never compressed.
      {u"1234567Ѐ", true, {0x31, 0, 0x32, 0, 0x33, 0, 0x34, 0, 0x35, 0, 0x36, 0, 0x37, 0, 0x00, 0x04}},
      {u"", true, {}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(jet::detail::EncodeText(c.Text, c.Compress), c.Stored)
        << "case " << (&c - cases) << (c.Compress ? ", compressible" : ", not compressible");
}

TEST(JetText, ReadsUtf8IntoUtf16AndRefusesWhatIsNotUtf8) {
  EXPECT_EQ(jet::detail::Utf16FromUtf8("Ёж€😀"), std::u16string(u"Ёж€\xD83D\xDE00"));
  for (const char* bad : {"\xC3", "\xC0\x80", "\xED\xA0\x80", "a\xFF"})
    EXPECT_THROW(jet::detail::Utf16FromUtf8(bad), std::invalid_argument) << bad;
}

TEST(JetWriter, RefusesAFixtureThatWouldNotBeWhatItSays) {
  using T = jet::TColumnType;
  const auto table = [](std::vector<jet::TColumn> columns, std::vector<jet::TValue> row) {
    return jet::TDatabase{jet::TFormat::Jet4, {jet::TTable{"Clients", std::move(columns), {std::move(row)}}}};
  };
  jet::TDatabase refused[] = {
      table({{"Номер сумки", T::Text, 3}}, {std::string("1234")}),
      table({{"Номер пакета", T::Integer}}, {40000}),
      table({{"Номер пакета", T::LongInteger}}, {std::string("17")}),
      table({{"ФИО", T::Text, 100}}, {17}),
      table({{"ID", T::Text, 10, true}}, {std::string("1")}),
      table({{"A", T::LongInteger}, {"B", T::LongInteger}}, {1}),
      table({{"A", T::LongInteger}, {"A", T::LongInteger}}, {1, 2}),
      // Nine full Cyrillic Text(255) values: 4590 bytes, more than a page holds.
      table(std::vector<jet::TColumn>(9, {"Поле", T::Text, 255}), {}),
      {jet::TFormat::Jet4, {{"MSysClients", {{"A", T::LongInteger}}, {}}}},
      {jet::TFormat::Jet4, {{"Clients", {{"A", T::LongInteger}}, {}}, {"Clients", {{"A", T::LongInteger}}, {}}}},
  };
  refused[7].Tables[0].Rows[0].resize(9);
  for (std::size_t c = 0; c < 9; ++c) {
    refused[7].Tables[0].Columns[c].Name += std::to_string(c);
    refused[7].Tables[0].Rows[0][c] = [] {
      std::string text;
      for (int i = 0; i < 255; ++i)
        text += "ж";
      return text;
    }();
  }
  for (const auto& database : refused)
    EXPECT_THROW(jet::WriteDatabase(database), std::invalid_argument) << "case " << (&database - refused);
}

TEST(JetWriter, WritesWholePagesAndTheSameBytesEachTime) {
  const jet::TDatabase database{jet::TFormat::Jet4,
                                {{"Clients", {{"Номер сумки", jet::TColumnType::Text, 50}}, {{std::string("1")}}}}};
  const Bytes first = jet::WriteDatabase(database);
  EXPECT_EQ(first.size() % 4096, 0u);
  EXPECT_EQ(jet::WriteDatabase(database), first);
}

}  // namespace
