#include "tests/support/jet/JetDatabase.h"

#include "tests/support/jet/JetPages.h"
#include "tests/support/jet/JetText.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>
#include <limits>
#include <set>
#include <stdexcept>

namespace jet {

using namespace detail;

namespace {

constexpr std::array<std::uint8_t, 4> LvalOwner{'L', 'V', 'A', 'L'};
// A memo value up to this many bytes stays in its row.
constexpr std::size_t InlineLongValue = 64;
// A memo value longer than this many characters is never compressed.
constexpr std::size_t MaxCompressedMemo = 1024;
// A long value's bytes on one page of a chain: the row less the pointer to the next page.
constexpr std::size_t ChainPiece = TRowPages::MaxRow - 4;

bool IsLong(TColumnType type) { return type == TColumnType::Memo || type == TColumnType::Ole; }

std::size_t FixedSize(TColumnType type) {
  switch (type) {
    case TColumnType::Integer: return 2;
    case TColumnType::LongInteger: return 4;
    case TColumnType::DateTime: return 8;
    default: return 0;
  }
}

std::invalid_argument Misfit(const TTable& table, const TColumn& column, const std::string& what) {
  return std::invalid_argument(table.Name + "." + column.Name + ": " + what);
}

// Where each column lives in a row: fixed columns at their offset in the fixed area, variable
// ones at their index in the offset table.
struct TLayout {
  std::vector<std::size_t> FixedOffset;  // per column; for fixed columns
  std::vector<std::size_t> VarIndex;     // per column; for variable columns
  std::vector<std::size_t> VarColumns;   // column numbers of the variable columns, in order
  std::size_t FixedBytes = 0;
};

TLayout Layout(const TTable& table) {
  TLayout layout;
  for (std::size_t c = 0; c < table.Columns.size(); ++c) {
    const std::size_t fixed = FixedSize(table.Columns[c].Type);
    layout.FixedOffset.push_back(layout.FixedBytes);
    layout.VarIndex.push_back(layout.VarColumns.size());
    if (fixed > 0)
      layout.FixedBytes += fixed;
    else
      layout.VarColumns.push_back(c);
  }
  return layout;
}

// A table's pages as they are written: its definition page, its rows and long values, and
// the usage maps that name them.
struct TTablePages {
  std::uint32_t Definition = 0;
  std::vector<std::uint32_t> DataPages;
  std::vector<std::vector<std::uint32_t>> LongValuePages;  // per column; empty for the others
  std::int32_t NextAutoNumber = 1;
};

class TTableWriter {
public:
  // `definition`: the page the table's definition will be written to.
  TTableWriter(TPageFile& file, const TTable& table, std::uint32_t definition)
      : FFile(file), FTable(table), FLayout(Layout(table)) {
    FPages.Definition = definition;
    FPages.LongValuePages.resize(table.Columns.size());
  }

  TTablePages Write() {
    // Long values first, so that the data pages of the table lie together.
    std::vector<std::vector<std::vector<std::uint8_t>>> longFields(
        FTable.Rows.size(), std::vector<std::vector<std::uint8_t>>(FTable.Columns.size()));
    for (std::size_t c = 0; c < FTable.Columns.size(); ++c) {
      if (!IsLong(FTable.Columns[c].Type))
        continue;
      TRowPages lval(FFile, LvalOwner);
      for (std::size_t r = 0; r < FTable.Rows.size(); ++r) {
        longFields[r][c] = LongField(lval, FTable.Columns[c], Row(r)[c]);
      }
      FPages.LongValuePages[c] = lval.Pages();
    }
    std::array<std::uint8_t, 4> owner{};
    Put32(owner.data(), FPages.Definition);
    TRowPages data(FFile, owner);
    for (std::size_t r = 0; r < FTable.Rows.size(); ++r)
      data.Add(EncodeRow(Row(r), longFields[r]));
    FPages.DataPages = data.Pages();
    return FPages;
  }

private:
  const std::vector<TValue>& Row(std::size_t r) const {
    const auto& row = FTable.Rows[r];
    if (row.size() != FTable.Columns.size())
      throw std::invalid_argument(FTable.Name + ": row " + std::to_string(r) + " has " +
                                  std::to_string(row.size()) + " values for " +
                                  std::to_string(FTable.Columns.size()) + " columns");
    return row;
  }

  std::vector<std::uint8_t> ValueBytes(const TColumn& column, const TValue& value, bool memo) {
    if (column.Type == TColumnType::Text || column.Type == TColumnType::Memo) {
      const auto* text = std::get_if<std::string>(&value);
      if (!text)
        throw Misfit(FTable, column, "expects text");
      const std::u16string wide = Utf16FromUtf8(*text);
      if (column.Type == TColumnType::Text && wide.size() > static_cast<std::size_t>(column.Size))
        throw Misfit(FTable, column, "\"" + *text + "\" is longer than the column");
      const bool compress = column.Compressed && (!memo || wide.size() <= MaxCompressedMemo);
      return EncodeText(wide, compress);
    }
    if (column.Type == TColumnType::Binary || column.Type == TColumnType::Ole) {
      const auto* bytes = std::get_if<TBytes>(&value);
      if (!bytes || (column.Type == TColumnType::Binary && bytes->size() > static_cast<std::size_t>(column.Size)))
        throw Misfit(FTable, column, "expects bytes within the column's size");
      return *bytes;
    }
    std::vector<std::uint8_t> out;
    if (column.Type == TColumnType::DateTime) {
      const auto* date = std::get_if<double>(&value);
      if (!date)
        throw Misfit(FTable, column, "expects a date");
      std::uint64_t bits = 0;
      std::memcpy(&bits, date, 8);
      Append32(out, static_cast<std::uint32_t>(bits));
      Append32(out, static_cast<std::uint32_t>(bits >> 32));
      return out;
    }
    const auto* number = std::get_if<std::int32_t>(&value);
    if (!number)
      throw Misfit(FTable, column, "expects an integer");
    if (column.Type == TColumnType::Integer) {
      if (*number < std::numeric_limits<std::int16_t>::min() || *number > std::numeric_limits<std::int16_t>::max())
        throw Misfit(FTable, column, std::to_string(*number) + " is out of the 16-bit range");
      Append16(out, static_cast<std::uint32_t>(*number));
    } else {
      Append32(out, static_cast<std::uint32_t>(*number));
      if (column.AutoNumber)
        FPages.NextAutoNumber = std::max(FPages.NextAutoNumber, *number + 1);
    }
    return out;
  }

  // The 12-byte field a row holds for a long value, and the value itself when it stays in
  // the row; the value's pages are placed on `lval`.
  std::vector<std::uint8_t> LongField(TRowPages& lval, const TColumn& column, const TValue& value) {
    if (std::holds_alternative<std::monostate>(value))
      return {};
    const std::vector<std::uint8_t> bytes = ValueBytes(column, value, true);
    if (bytes.size() >= (1u << 24))
      throw Misfit(FTable, column, "a long value of 16 MB or more");
    std::vector<std::uint8_t> field(12, 0);
    auto length = static_cast<std::uint32_t>(bytes.size());
    if (bytes.size() <= InlineLongValue) {
      Put32(field.data(), length | 0x80000000u);
      field.insert(field.end(), bytes.begin(), bytes.end());
    } else if (bytes.size() <= TRowPages::MaxRow) {
      Put32(field.data(), length | 0x40000000u);
      Put32(field.data() + 4, lval.Add(bytes));
    } else {
      // A chain: each piece names the next; written from the last so that each knows it.
      TRowPointer next = 0;
      for (std::size_t end = bytes.size(); end > 0;) {
        const std::size_t start = (end - 1) / ChainPiece * ChainPiece;
        std::vector<std::uint8_t> piece(4, 0);
        Put32(piece.data(), next);
        piece.insert(piece.end(), bytes.begin() + static_cast<std::ptrdiff_t>(start),
                     bytes.begin() + static_cast<std::ptrdiff_t>(end));
        next = lval.AddAlone(piece);
        end = start;
      }
      Put32(field.data(), length);
      Put32(field.data() + 4, next);
    }
    return field;
  }

  // num_cols, the fixed area, the variable data, eod, the offsets of the variable columns
  // from the last to the first, their count, and the null mask.
  std::vector<std::uint8_t> EncodeRow(const std::vector<TValue>& values,
                                      const std::vector<std::vector<std::uint8_t>>& longFields) {
    const std::size_t columns = FTable.Columns.size();
    std::vector<std::uint8_t> row;
    Append16(row, static_cast<std::uint32_t>(columns));
    row.resize(2 + FLayout.FixedBytes, 0);
    std::vector<std::uint8_t> nullMask((columns + 7) / 8, 0);
    std::vector<std::uint32_t> varOffsets;
    for (std::size_t c = 0; c < columns; ++c) {
      const TColumn& column = FTable.Columns[c];
      const bool present = !std::holds_alternative<std::monostate>(values[c]);
      if (present)
        nullMask[c / 8] |= static_cast<std::uint8_t>(1u << (c % 8));
      if (FixedSize(column.Type) > 0) {
        if (present) {
          const auto bytes = ValueBytes(column, values[c], false);
          std::copy(bytes.begin(), bytes.end(), row.begin() + 2 + static_cast<std::ptrdiff_t>(FLayout.FixedOffset[c]));
        }
        continue;
      }
      varOffsets.push_back(static_cast<std::uint32_t>(row.size()));
      if (IsLong(column.Type))
        row.insert(row.end(), longFields[c].begin(), longFields[c].end());
      else if (present) {
        const auto bytes = ValueBytes(column, values[c], false);
        row.insert(row.end(), bytes.begin(), bytes.end());
      }
    }
    if (!FLayout.VarColumns.empty()) {
      Append16(row, static_cast<std::uint32_t>(row.size()));  // eod
      for (auto it = varOffsets.rbegin(); it != varOffsets.rend(); ++it)
        Append16(row, *it);
      Append16(row, static_cast<std::uint32_t>(varOffsets.size()));
    }
    row.insert(row.end(), nullMask.begin(), nullMask.end());
    if (row.size() > TRowPages::MaxRow)
      throw std::invalid_argument(FTable.Name + ": a row of " + std::to_string(row.size()) +
                                  " bytes, more than a page holds");
    return row;
  }

  TPageFile& FFile;
  const TTable& FTable;
  TLayout FLayout;
  TTablePages FPages;
};

// The flags of a column definition.
constexpr std::uint8_t FixedLength = 0x01;
constexpr std::uint8_t Nullable = 0x02;
constexpr std::uint8_t AutoLong = 0x04;
constexpr std::uint8_t CompressedUnicode = 0x01;
constexpr std::uint16_t GeneralSortOrder = 0x0409;

void AppendName(std::vector<std::uint8_t>& out, const std::string& name) {
  const std::vector<std::uint8_t> bytes = EncodeText(Utf16FromUtf8(name), false);
  Append16(out, static_cast<std::uint32_t>(bytes.size()));
  out.insert(out.end(), bytes.begin(), bytes.end());
}

// The usage maps of a table, placed as rows on the file's map pages.
struct TTableMaps {
  TRowPointer Used = 0;
  TRowPointer Free = 0;
  std::vector<std::pair<TRowPointer, TRowPointer>> LongValues;  // per column
};

TTableMaps PlaceMaps(const TTablePages& pages, TRowPages& mapRows, TPageFile& file) {
  const auto place = [&](const std::vector<std::uint32_t>& used) {
    // Pages with room for more rows: the last one, which is still being filled.
    const std::vector<std::uint32_t> free =
        used.empty() ? std::vector<std::uint32_t>() : std::vector<std::uint32_t>{used.back()};
    const TRowPointer usedMap = mapRows.Add(UsageMap(used, file));
    return std::pair{usedMap, mapRows.Add(UsageMap(free, file))};
  };
  TTableMaps maps;
  std::tie(maps.Used, maps.Free) = place(pages.DataPages);
  for (const auto& lval : pages.LongValuePages)
    maps.LongValues.push_back(place(lval));
  return maps;
}

void WriteDefinition(TPageFile& file, const TTable& table, bool system, const TTablePages& pages,
                     const TTableMaps& maps) {
  const TLayout layout = Layout(table);
  std::vector<std::uint8_t> def(63, 0);
  def[0] = 0x02;
  def[1] = 0x01;
  Put32(def.data() + 16, static_cast<std::uint32_t>(table.Rows.size()));
  const bool autoNumber =
      std::any_of(table.Columns.begin(), table.Columns.end(), [](const TColumn& c) { return c.AutoNumber; });
  Put32(def.data() + 20, autoNumber ? static_cast<std::uint32_t>(pages.NextAutoNumber) : 0);
  def[24] = autoNumber ? 0x01 : 0x00;
  def[40] = system ? 0x53 : 0x4E;
  Put16(def.data() + 41, static_cast<std::uint32_t>(table.Columns.size()));
  Put16(def.data() + 43, static_cast<std::uint32_t>(layout.VarColumns.size()));
  Put16(def.data() + 45, static_cast<std::uint32_t>(table.Columns.size()));
  Put32(def.data() + 55, maps.Used);
  Put32(def.data() + 59, maps.Free);
  for (std::size_t c = 0; c < table.Columns.size(); ++c) {
    const TColumn& column = table.Columns[c];
    const bool fixed = FixedSize(column.Type) > 0;
    const bool text = column.Type == TColumnType::Text || column.Type == TColumnType::Memo;
    std::vector<std::uint8_t> entry(25, 0);
    entry[0] = static_cast<std::uint8_t>(column.Type);
    Put16(entry.data() + 5, static_cast<std::uint32_t>(c));
    Put16(entry.data() + 7, fixed ? 0 : static_cast<std::uint32_t>(layout.VarIndex[c]));
    Put16(entry.data() + 9, static_cast<std::uint32_t>(c));
    if (text)
      Put16(entry.data() + 11, GeneralSortOrder);
    entry[15] = static_cast<std::uint8_t>((fixed ? FixedLength : 0) | (column.AutoNumber ? AutoLong : Nullable));
    entry[16] = text && column.Compressed ? CompressedUnicode : 0;
    Put16(entry.data() + 21, fixed ? static_cast<std::uint32_t>(layout.FixedOffset[c]) : 0);
    const std::size_t length = fixed                                 ? FixedSize(column.Type)
                               : column.Type == TColumnType::Text   ? 2 * column.Size
                               : column.Type == TColumnType::Binary ? column.Size
                                                                    : 0;
    Put16(entry.data() + 23, static_cast<std::uint32_t>(length));
    def.insert(def.end(), entry.begin(), entry.end());
  }
  for (const TColumn& column : table.Columns)
    AppendName(def, column.Name);
  for (std::size_t c = 0; c < table.Columns.size(); ++c) {
    if (!IsLong(table.Columns[c].Type))
      continue;
    Append16(def, static_cast<std::uint32_t>(c));
    Append32(def, maps.LongValues[c].first);
    Append32(def, maps.LongValues[c].second);
  }
  Append16(def, 0xFFFF);
  if (def.size() > PageSize)
    throw std::invalid_argument(table.Name + ": a table definition longer than a page");
  Put32(def.data() + 8, static_cast<std::uint32_t>(def.size() - 8));
  Put16(def.data() + 2, static_cast<std::uint32_t>(PageSize - def.size() - 8));
  std::memcpy(file.Page(pages.Definition), def.data(), def.size());
}

// The system catalog as Access starts it: the containers, itself, then one row per table.
TTable Catalog(const TDatabase& database, const std::vector<std::uint32_t>& definitions) {
  using T = TColumnType;
  TTable catalog{"MSysObjects",
                 {{"Id", T::LongInteger},
                  {"ParentId", T::LongInteger},
                  {"Name", T::Text, 255},
                  {"Type", T::Integer},
                  {"DateCreate", T::DateTime},
                  {"DateUpdate", T::DateTime},
                  {"Owner", T::Binary, 255},
                  {"Flags", T::LongInteger},
                  {"Database", T::Memo},
                  {"Connect", T::Memo},
                  {"ForeignName", T::Text, 255},
                  {"RmtInfoShort", T::Binary, 255},
                  {"RmtInfoLong", T::Ole},
                  {"Lv", T::Ole},
                  {"LvExtra", T::Ole},
                  {"LvModule", T::Ole},
                  {"LvProp", T::Ole}},
                 {}};
  constexpr std::int32_t Root = 0x0F000000;
  constexpr std::int32_t Tables = Root + 1;
  constexpr std::int32_t Container = 3;
  constexpr std::int32_t Table = 1;
  constexpr std::int32_t SystemTable = static_cast<std::int32_t>(0x80000002u);
  // 2001-01-01, when the desks' registers were new.
  constexpr double Created = 36892.0;
  const auto row = [&](std::int32_t id, std::int32_t parent, const std::string& name, std::int32_t type,
                       std::int32_t flags) {
    std::vector<TValue> values(catalog.Columns.size(), Null);
    values[0] = id;
    values[1] = parent;
    values[2] = name;
    values[3] = type;
    values[4] = Created;
    values[5] = Created;
    values[7] = flags;
    catalog.Rows.push_back(std::move(values));
  };
  row(Tables, Root, "Tables", Container, 0);
  row(Root + 2, Root, "Databases", Container, 0);
  row(Root + 3, Root, "Relationships", Container, 0);
  row(2, Tables, "MSysObjects", Table, SystemTable);
  for (std::size_t t = 0; t < database.Tables.size(); ++t)
    row(static_cast<std::int32_t>(definitions[t]), Tables, database.Tables[t].Name, Table, 0);
  return catalog;
}

// RC4, with which Access masks the start of the definition page.
void Rc4(std::span<const std::uint8_t> key, std::uint8_t* data, std::size_t size) {
  std::array<std::uint8_t, 256> s{};
  for (int i = 0; i < 256; ++i)
    s[i] = static_cast<std::uint8_t>(i);
  for (int i = 0, j = 0; i < 256; ++i) {
    j = (j + s[i] + key[i % key.size()]) & 0xFF;
    std::swap(s[i], s[j]);
  }
  for (std::size_t n = 0, i = 0, j = 0; n < size; ++n) {
    i = (i + 1) & 0xFF;
    j = (j + s[i]) & 0xFF;
    std::swap(s[i], s[j]);
    data[n] ^= s[(s[i] + s[j]) & 0xFF];
  }
}

void WriteHeader(std::uint8_t* page, TFormat format) {
  static constexpr std::uint8_t magic[] = {0x00, 0x01, 0x00, 0x00};
  std::memcpy(page, magic, 4);
  const char* name = format == TFormat::Jet4 ? "Standard Jet DB" : "Standard ACE DB";
  std::memcpy(page + 4, name, std::strlen(name) + 1);
  Put32(page + 0x14, format == TFormat::Jet4 ? 1 : 2);
  // The masked block: code page 1251 (Russian Windows), database key 0 (not encrypted), no
  // password (the creation date that would mask it is 0), sort order "General".
  Put16(page + 0x3C, 1251);
  Put32(page + 0x6E, GeneralSortOrder);
  static constexpr std::uint8_t key[] = {0xC7, 0xDA, 0x39, 0x6B};
  Rc4(key, page + 0x18, 128);
}

void CheckNames(const TDatabase& database) {
  std::set<std::string> tables;
  for (const TTable& table : database.Tables) {
    if (table.Name.empty() || table.Name.starts_with("MSys") || !tables.insert(table.Name).second)
      throw std::invalid_argument("a table name empty, taken or reserved: " + table.Name);
    if (table.Columns.empty() || table.Columns.size() > 255)
      throw std::invalid_argument(table.Name + ": 1..255 columns");
    std::set<std::string> columns;
    for (const TColumn& column : table.Columns) {
      if (column.Name.empty() || !columns.insert(column.Name).second)
        throw std::invalid_argument(table.Name + ": a column name empty or taken: " + column.Name);
      if (column.AutoNumber && column.Type != TColumnType::LongInteger)
        throw Misfit(table, column, "an AutoNumber must be a LongInteger");
      if (column.Type == TColumnType::Text && (column.Size < 1 || column.Size > 255))
        throw Misfit(table, column, "a Text column holds 1..255 characters");
    }
  }
}

}  // namespace

std::vector<std::uint8_t> WriteDatabase(const TDatabase& database) {
  CheckNames(database);
  TPageFile file;
  WriteHeader(file.Page(file.Add()), database.Format);
  const std::uint32_t mapPage = file.Add();
  // Readers find the catalog's definition on page 2. As in a file Access made, the definitions
  // and the catalog come before the tables' rows: a file cut short loses rows, not its tables.
  const std::uint32_t catalogDefinition = file.Add();
  std::vector<std::uint32_t> definitions;
  for (std::size_t t = 0; t < database.Tables.size(); ++t)
    definitions.push_back(file.Add());
  const TTable catalog = Catalog(database, definitions);
  const TTablePages catalogPages = TTableWriter(file, catalog, catalogDefinition).Write();
  std::vector<TTablePages> pages;
  for (std::size_t t = 0; t < database.Tables.size(); ++t)
    pages.push_back(TTableWriter(file, database.Tables[t], definitions[t]).Write());
  TRowPages mapRows(file, {0, 0, 0, 0}, mapPage);
  WriteDefinition(file, catalog, true, catalogPages, PlaceMaps(catalogPages, mapRows, file));
  for (std::size_t t = 0; t < database.Tables.size(); ++t)
    WriteDefinition(file, database.Tables[t], false, pages[t], PlaceMaps(pages[t], mapRows, file));
  return file.Take();
}

void WriteDatabaseFile(const TDatabase& database, const std::filesystem::path& path) {
  const std::vector<std::uint8_t> bytes = WriteDatabase(database);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out)
    throw std::runtime_error("cannot write " + path.string());
}

}  // namespace jet
