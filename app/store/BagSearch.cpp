#include "app/store/BagSearch.h"

#include <algorithm>

TBagSearch ParseBagSearch(const TRowFilter& filter) {
  QString text = filter.Text.trimmed().toLower();
  text.replace(u'ё', u'е');
  if (text.isEmpty()) return {TSearchKind::skEvery, text};
  if (text.size() < SearchMinLength) return {TSearchKind::skWaiting, text};
  const bool digits =
      std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
  return {digits ? TSearchKind::skNumbers : TSearchKind::skNames, text};
}

bool FiltersBags(const TRowFilter& filter) {
  const TSearchKind kind = ParseBagSearch(filter).Kind;
  return kind == TSearchKind::skNumbers || kind == TSearchKind::skNames;
}
