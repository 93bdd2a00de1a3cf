#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

// The page level of a Jet file: pages, rows placed on data pages, usage maps. Internal to the
// writer.
namespace jet::detail {

// What differs between Jet 3 (Access 97) and Jet 4 (Access 2000 on) at the page level.
struct TPageRules {
  std::size_t PageSize;        // 2048 | 4096
  std::size_t DataHeader;      // a data page's header: 10 | 14 bytes
  std::size_t RowCountAt;      // where in it the row count is: 8 | 12
  std::size_t MapBitmapBytes;  // a type 0 usage map's bitmap: 128 | 64 bytes
  std::size_t MapPointers;     // a type 1 usage map's page pointers: 33 | 17

  // The longest row a page holds: the page less its header and one row offset.
  std::size_t MaxRow() const { return PageSize - DataHeader - 2; }
};
inline constexpr TPageRules Jet3Pages{2048, 10, 8, 128, 33};
inline constexpr TPageRules Jet4Pages{4096, 14, 12, 64, 17};

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
  explicit TPageFile(const TPageRules& rules) : FRules(rules) {}
  const TPageRules& Rules() const { return FRules; }
  // Appends a zeroed page and returns its number.
  std::uint32_t Add();
  std::uint8_t* Page(std::uint32_t number) { return FBytes.data() + number * FRules.PageSize; }
  std::vector<std::uint8_t> Take() { return std::move(FBytes); }

private:
  const TPageRules& FRules;
  std::vector<std::uint8_t> FBytes;
};

// A row's address: page number << 8 | row number on that page.
using TRowPointer = std::uint32_t;

// Rows placed on data pages of one owner (a table's definition page, or "LVAL" for long
// values): a page is filled from its end until the next row no longer fits, then a new page
// is taken from the file. The page header and the row offset table follow the format: type
// 01, free space, owner, row count, one offset per row.
class TRowPages {
public:
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

// A usage map record naming `pages`: type 0 (a start page and a bitmap) when they lie within
// the bitmap's reach of the first; type 1 otherwise (pointers to 0x05 pages, each a bitmap of
// the pages its slot covers; the 0x05 pages are taken from `file`). No pages: an empty type 0.
std::vector<std::uint8_t> UsageMap(const std::vector<std::uint32_t>& pages, TPageFile& file);

}  // namespace jet::detail
