#include "tests/support/jet/JetPages.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace jet::detail {

std::uint32_t TPageFile::Add() {
  const auto number = static_cast<std::uint32_t>(FBytes.size() / PageSize);
  FBytes.resize(FBytes.size() + PageSize);
  return number;
}

namespace {

constexpr std::size_t HeaderSize = 14;
// A row pointer has one byte for the row.
constexpr std::size_t MaxRowsOnPage = 255;

}  // namespace

TRowPages::TRowPages(TPageFile& file, std::array<std::uint8_t, 4> owner, std::uint32_t firstPage)
    : FFile(file), FOwner(owner) {
  if (firstPage != 0)
    StartPage(firstPage);
}

void TRowPages::StartPage(std::uint32_t number) {
  std::uint8_t* page = FFile.Page(number);
  page[0] = 0x01;
  page[1] = 0x01;
  std::memcpy(page + 4, FOwner.data(), 4);
  Put16(page + 2, PageSize - HeaderSize);
  FPages.push_back(number);
  FRows = 0;
  FLow = PageSize;
}

TRowPointer TRowPages::Add(std::span<const std::uint8_t> row) {
  if (row.empty() || row.size() > MaxRow)
    throw std::invalid_argument("a row of " + std::to_string(row.size()) + " bytes does not fit a page");
  const auto fits = [&] { return HeaderSize + 2 * (FRows + 1) + row.size() <= FLow; };
  if (FPages.empty() || FRows == MaxRowsOnPage || !fits())
    NewPage();
  std::uint8_t* page = FFile.Page(FPages.back());
  FLow -= row.size();
  std::memcpy(page + FLow, row.data(), row.size());
  Put16(page + HeaderSize + 2 * FRows, static_cast<std::uint32_t>(FLow));
  ++FRows;
  Put16(page + 12, static_cast<std::uint32_t>(FRows));
  Put16(page + 2, static_cast<std::uint32_t>(FLow - HeaderSize - 2 * FRows));
  return FPages.back() << 8 | static_cast<std::uint32_t>(FRows - 1);
}

TRowPointer TRowPages::AddAlone(std::span<const std::uint8_t> row) {
  if (!FPages.empty())
    FRows = MaxRowsOnPage;  // the next Add takes a new page
  const TRowPointer at = Add(row);
  FRows = MaxRowsOnPage;
  return at;
}

namespace {

constexpr std::size_t Type0Bytes = 64;
constexpr std::size_t Type1Pointers = 17;
constexpr std::uint32_t PagesPerMapPage = (PageSize - 4) * 8;

}  // namespace

std::vector<std::uint8_t> UsageMap(const std::vector<std::uint32_t>& pages, TPageFile& file) {
  std::vector<std::uint8_t> map;
  const std::uint32_t first = pages.empty() ? 0 : *std::min_element(pages.begin(), pages.end());
  const std::uint32_t last = pages.empty() ? 0 : *std::max_element(pages.begin(), pages.end());
  if (last - first < Type0Bytes * 8) {
    map.assign(1 + 4 + Type0Bytes, 0);
    Put32(map.data() + 1, first);
    for (const std::uint32_t page : pages)
      map[5 + (page - first) / 8] |= static_cast<std::uint8_t>(1u << ((page - first) % 8));
    return map;
  }
  if (last / PagesPerMapPage >= Type1Pointers)
    throw std::invalid_argument("a table larger than a Jet usage map covers");
  map.assign(1 + 4 * Type1Pointers, 0);
  map[0] = 0x01;
  std::vector<std::uint32_t> mapPages(Type1Pointers, 0);
  for (const std::uint32_t page : pages) {
    const std::uint32_t slot = page / PagesPerMapPage;
    if (mapPages[slot] == 0) {
      mapPages[slot] = file.Add();
      std::uint8_t* bitmap = file.Page(mapPages[slot]);
      bitmap[0] = 0x05;
      bitmap[1] = 0x01;
      Put32(map.data() + 1 + 4 * slot, mapPages[slot]);
    }
    const std::uint32_t bit = page % PagesPerMapPage;
    file.Page(mapPages[slot])[4 + bit / 8] |= static_cast<std::uint8_t>(1u << (bit % 8));
  }
  return map;
}

}  // namespace jet::detail
