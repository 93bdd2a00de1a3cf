#pragma once

#include <vector>

#include "app/store/BagSearch.h"
#include "app/store/PgConnection.h"
#include "app/store/StoreEngine.h"

// How a server register of schema version `version` (>= 4, the search's step) holds what the
// search compares: from version 6 the folded names are stored columns of "Clients"
// (app/upgrade-postgresql-6-search-columns.sql), before that expressions computed per bag.
struct TPgSearchColumns {
  explicit TPgSearchColumns(int version);
  bool Stored;     // the two below are columns
  QString Folded;  // the recipient and full name folded as TBagSearch::Text is
  QString Latin;   // the same spelled in Latin letters, as the names' trigram index holds it
};

// The condition that a bag matches `search` (a filter that FiltersBags), its text (as
// PgSearchText gives it) in parameter $`parameter`: written as the search indexes are, so
// that the server can look the bags up in them.
QString PgIndexedSearchCondition(const TPgSearchColumns& columns, const TBagSearch& search,
                                 int parameter);
// The same match, for a bag read anyway (by its key): without the names' Latin spelling, which
// only serves the index and follows from the folded names holding the text.
QString PgRowSearchCondition(const TPgSearchColumns& columns, const TBagSearch& search,
                             int parameter);
// The search's text as a LIKE pattern's part: its own '%', '_' and '\\' taken literally.
QString PgSearchText(const TBagSearch& search);

// The first column of every row of `result`, a key.
std::vector<TRowKey> ResultKeys(const TPgResult& result);

// The keys above `after` of the bags `search` finds in the table `quotedTable` keyed by
// `quotedKey`, ascending, at most `limit` (> 0): the rows after `after` are first walked in
// key order, a bounded number of them, which answers a text that many bags hold after a few
// thousand rows; when the walk does not fill `limit`, the search indexes are asked, which
// answer a text that few bags hold after reading only those. Names not Stored are left to the
// server's planner. Either way the same keys.
// Throws EDatabaseError.
std::vector<TRowKey> ReadPgSearchKeys(TPgConnection& connection, const QString& quotedTable,
                                      const QString& quotedKey, const TPgSearchColumns& columns,
                                      const TBagSearch& search, TRowKey after, int limit);
