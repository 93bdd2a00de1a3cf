#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <variant>
#include <vector>

// A writer of Microsoft Jet database files (the .mdb of Access 2000-2003), for test fixtures:
// no Jet writer exists on Linux, so the tests describe the register they need here and get the
// file an Access desk would have. Written from the format's public description; what it
// writes is what a reader needs and nothing more:
// - page 0, the database definition (header "Standard Jet DB", Jet 4; RC4-masked as Access
//   masks it, no password, no encryption);
// - the system catalog MSysObjects (its definition on page 2, as readers expect), one row
//   naming each table and the page of its definition;
// - per table: the definition page (columns, no indexes), data pages filled from the end as
//   Access fills them, the usage maps of its data pages (type 0 within 512 pages, otherwise
//   type 1 over 0x05 bitmap pages), and for each memo column its long-value (LVAL) pages with
//   their own usage maps.
// Text is UCS-2 (UTF-16LE); a column with `Compressed` set stores a value in the "Unicode
// compression" form (FF FE, one byte per Latin-1 character) whenever that is shorter, as Access
// does; Cyrillic is never shorter that way, so it stays UCS-2. A memo value is kept in the row
// when the row has room for it, on one LVAL page when it fits one, otherwise in a chain of
// LVAL pages.
// The writer is deterministic: the same database gives the same bytes.

namespace jet {

enum class TColumnType : std::uint8_t {
  Integer = 0x03,      // 16-bit signed
  LongInteger = 0x04,  // 32-bit signed
  DateTime = 0x08,     // days since 1899-12-30 as a double
  Binary = 0x09,       // up to 255 bytes
  Text = 0x0A,         // up to 255 characters
  Ole = 0x0B,          // long binary
  Memo = 0x0C,         // long text
};

struct TColumn {
  std::string Name;  // UTF-8, 1..64 characters
  TColumnType Type = TColumnType::Text;
  // Text and Binary: the declared length in characters (Text, 1..255) or bytes (Binary).
  // Ignored for the other types.
  int Size = 255;
  // An AutoNumber: only for LongInteger; the table's next number is one past the largest
  // value written.
  bool AutoNumber = false;
  // Text and Memo: values may be stored in the compressed form (Access's default).
  bool Compressed = true;
};

using TBytes = std::vector<std::uint8_t>;

// One cell: NULL, an integer (Integer, LongInteger), a date (DateTime), UTF-8 text (Text,
// Memo) or bytes (Binary, Ole). A value of the wrong kind for its column, an integer out of
// the column's range, or a Text value longer than its column's Size is a std::invalid_argument
// at write time: a fixture that is not what it says is a bug of the test.
using TValue = std::variant<std::monostate, std::int32_t, double, std::string, TBytes>;
inline constexpr std::monostate Null{};

struct TTable {
  std::string Name;  // UTF-8, 1..64 characters, not starting with "MSys"
  std::vector<TColumn> Columns;        // 1..255 columns, names unique
  std::vector<std::vector<TValue>> Rows;  // each row has one value per column, in column order
};

// The file format named by the header. Jet 4 is what is written; Ace12 writes the same pages
// under the header of Access 2007 ("Standard ACE DB", version 2), whose layout Jet 4 is.
enum class TFormat { Jet4, Ace12 };

struct TDatabase {
  TFormat Format = TFormat::Jet4;
  std::vector<TTable> Tables;  // names unique
};

// The file's bytes: a whole number of 4096-byte pages. Throws std::invalid_argument for a
// database that breaks the rules above (see TValue) or a row longer than a page holds.
std::vector<std::uint8_t> WriteDatabase(const TDatabase& database);

// Writes WriteDatabase(database) to `path` (replaced when it exists). Throws
// std::runtime_error when the file cannot be written.
void WriteDatabaseFile(const TDatabase& database, const std::filesystem::path& path);

}  // namespace jet
