#include "texts/Plural.h"

const char* PluralForm(std::int64_t n, const char* one, const char* few, const char* many) {
  const std::int64_t lastTwo = n % 100;
  const std::int64_t last = n % 10;
  if (lastTwo >= 11 && lastTwo <= 14) return many;
  if (last == 1) return one;
  if (last >= 2 && last <= 4) return few;
  return many;
}
