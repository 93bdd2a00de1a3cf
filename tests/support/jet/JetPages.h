#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

// The page level of a Jet 4 file: pages, rows placed on data pages, usage maps. Internal to
// the writer.
namespace jet::detail {

inline constexpr std::size_t PageSize = 4096;

inline void Put16(std::uint8_t* at, std::uint32_t value) {
  at[0] = static_cast<std::uint8_t>(value);
  at[1] = static_cast<std::uint8_t>(value >> 8);
}
inline void Put32(std::uint8_t* at, std::uint32_t value) {
  Put16(at, value);
  Put16(at + 2, value >> 16);
}
inline void Append16(std::vector<std::uint8_t>& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}
inline void Append32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  Append16(out, value);
  Append16(out, value >> 16);
}

// The file as a growing list of zeroed pages.
class TPageFile {
public:
  // Appends a zeroed page and returns its number.
  std::uint32_t Add();
  std::uint8_t* Page(std::uint32_t number) { return FBytes.data() + number * PageSize; }
  std::vector<std::uint8_t> Take() { return std::move(FBytes); }

private:
  std::vector<std::uint8_t> FBytes;
};

// A row's address: page number << 8 | row number on that page.
using TRowPointer = std::uint32_t;

// Rows placed on data pages of one owner (a table's definition page, or "LVAL" for long
// values): a page is filled from its end until the next row no longer fits, then a new page
// is taken from the file. The page header (14 bytes) and the row offset table follow the
// format: type 01, free space, owner, row count, one offset per row.
class TRowPages {
public:
  // The longest row a page holds: the page less its header and one row offset.
  static constexpr std::size_t MaxRow = PageSize - 14 - 2;

  // `firstPage`: a page already taken from the file to start on; 0 for none.
  TRowPages(TPageFile& file, std::array<std::uint8_t, 4> owner, std::uint32_t firstPage = 0);

  // Places `row` (1..MaxRow bytes) on the current page, or on a new one when it does not fit.
  TRowPointer Add(std::span<const std::uint8_t> row);
  // Places `row` on a page of its own (a long value that fills a page).
  TRowPointer AddAlone(std::span<const std::uint8_t> row);
  // The pages taken so far, in order.
  const std::vector<std::uint32_t>& Pages() const { return FPages; }

private:
  void NewPage() { StartPage(FFile.Add()); }
  void StartPage(std::uint32_t number);

  TPageFile& FFile;
  std::array<std::uint8_t, 4> FOwner;
  std::vector<std::uint32_t> FPages;
  std::size_t FRows = 0;
  std::size_t FLow = 0;  // the offset of the lowest row on the current page
};

// A usage map record naming `pages`: type 0 (a start page and 64 bytes of bitmap) when they
// lie within 512 pages of the first; type 1 otherwise (up to 17 pointers to 0x05 pages, each
// a bitmap of 32736 pages; the 0x05 pages are taken from `file`). No pages: an empty type 0.
std::vector<std::uint8_t> UsageMap(const std::vector<std::uint32_t>& pages, TPageFile& file);

}  // namespace jet::detail
