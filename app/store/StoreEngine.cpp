#include "app/store/StoreEngine.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <unordered_set>

std::vector<TRowKey> ReadAllKeys(TStoreEngine& engine, const TTableDef& table, TRowKey after,
                                 int sliceRows, std::stop_token stop) {
  std::vector<TRowKey> keys;
  while (!stop.stop_requested()) {
    const std::vector<TRowKey> slice = engine.ReadKeys(table, after, sliceRows, {});
    keys.insert(keys.end(), slice.begin(), slice.end());
    if (int(slice.size()) < sliceRows) break;
    after = slice.back();
  }
  return keys;
}

std::vector<TRowKey> DistinctKeys(const std::vector<TRowKey>& keys) {
  std::unordered_set<TRowKey> seen;
  std::vector<TRowKey> distinct;
  for (const TRowKey key : keys)
    if (seen.insert(key).second) distinct.push_back(key);
  return distinct;
}

ERecordConflict RowConflict(bool deleting, bool deleted, const QString& database,
                            TDatabaseKind kind) {
  const TDatabaseFailure failure =
      deleting
          ? (deleted ? TDatabaseFailure::dfDeletedOnDelete : TDatabaseFailure::dfChangedOnDelete)
          : (deleted ? TDatabaseFailure::dfDeletedOnPost : TDatabaseFailure::dfChangedOnPost);
  // The messages ADO gives for a row its optimistic lock no longer finds.
  const QString message =
      deleting
          ? QStringLiteral(
                "Row cannot be located for deleting. Some values may have been changed since it "
                "was last read.")
          : QStringLiteral(
                "Row cannot be located for updating. Some values may have been changed since it "
                "was last read.");
  return ERecordConflict(failure, message, database, kind);
}

QStringList FieldTexts(const std::vector<std::vector<QVariant>>& rows, int field) {
  QStringList texts;
  for (const std::vector<QVariant>& row : rows)
    if (row[field].isValid() && !row[field].isNull()) texts << row[field].toString();
  return texts;
}

QString JsonTexts(const QStringList& texts) {
  return QString::fromUtf8(
      QJsonDocument(QJsonArray::fromStringList(texts)).toJson(QJsonDocument::Compact));
}

TImportMatch MatchImport(const std::vector<std::vector<QVariant>>& rows, int matchField,
                         const QSet<QString>& held, TImportExisting existing) {
  TImportMatch match;
  QSet<QString> matched;
  match.Matches.reserve(rows.size());
  for (const std::vector<QVariant>& row : rows) {
    const QVariant& value = row[matchField];
    const bool found = value.isValid() && !value.isNull() && held.contains(value.toString());
    match.Matches.push_back(found);
    if (!found) {
      ++match.Counts.Added;
      continue;
    }
    if (existing == TImportExisting::ieSkip) {
      ++match.Counts.Skipped;
      continue;
    }
    ++match.Counts.Replaced;
    if (!matched.contains(value.toString())) {
      matched.insert(value.toString());
      match.MatchedTexts << value.toString();
    }
  }
  return match;
}
