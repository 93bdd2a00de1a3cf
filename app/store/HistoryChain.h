#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QVariant>

#include <optional>
#include <vector>

// The bags' history as a chain: each record carries SHA-256 over the previous record's digest
// (nothing for the first record) and its own content, so that a record changed, removed or
// moved after it was chained breaks the chain at that record. Both engines' histories are
// walked by THistoryChain; the server's trigger computes the same content in SQL
// (app/upgrade-postgresql-5-history-head.sql), the file's records are sealed by the desk
// (SqliteHistory.h).

// One field a change touched: its name and the values before and after (NULL where the bag
// did not exist), each as the store holds it.
struct THistoryField {
  QString Field;
  QVariant Before;
  QVariant After;
};

// One record of the history, as stored. Seq counts from 1 without a hole; Time is the store's
// own (the file's UTC text, the server's microseconds since 1970); Fields are in the byte
// order of their UTF-8 names.
struct THistoryRecord {
  qint64 Seq = 0;
  QVariant Time;
  QString Who;
  QString Kind;
  qint64 FeedSeq = 0;
  qint64 Id = 0;
  std::vector<THistoryField> Fields;
};

// A record's Time as a moment in UTC, to the millisecond (the server's microseconds are cut).
QDateTime HistoryTimeUtc(const QVariant& time);
// A record's Kind as the administrator and the operator read it: "добавление", "изменение",
// "удаление"; an unknown kind as it is.
QString HistoryKindText(const QString& kind);

// The bytes a record's digest covers: each value in turn as "n;" (NULL), "i<decimal>;" (an
// integer), "r<17 significant digits>;" (a real), "t<length>:<UTF-8 bytes>" (a text; a
// TStoredText by its very bytes) or "b<length>:<bytes>" (a blob): Seq, Time, Who, Kind,
// FeedSeq, Id, then name, before and after of each field.
QByteArray HistoryContent(const THistoryRecord& record);
// SHA-256 over `previous` (empty for the first record) followed by the record's content.
QByteArray HistoryDigest(const QByteArray& previous, const THistoryRecord& record);

// What a walk of the chain found. Broken names the first record that breaks it, with a short
// Russian account of how (Problem); a whole chain counts its records, and on the file how
// many of the last ones no desk has sealed yet (changes by another program since the last
// write of a desk).
struct THistoryCheck {
  qint64 Records = 0;
  qint64 Unsealed = 0;
  std::optional<qint64> Broken;
  QString Problem;
  // "Журнал цел: …" or "Журнал нарушен: …", for the administrator.
  QString Text() const;
};

// Walks a history record by record, in the order of Seq, without keeping the records.
class THistoryChain {
public:
  // Takes the next record and the digest stored with it (nullopt: not sealed yet, which only
  // the last records of a file may be). False once the chain is found broken: further
  // records change nothing.
  bool Add(const THistoryRecord& record, const std::optional<QByteArray>& digest);
  // The walk's result, given the number of the last record the store has ever written
  // (the server's head, the file's sequence), so that missing last records are found too.
  THistoryCheck Finish(qint64 lastWritten);

private:
  bool Break(qint64 seq, const QString& problem);

  THistoryCheck FResult;
  QByteArray FPrevious;
  qint64 FExpected = 1;
  std::optional<qint64> FFirstUnsealed;
};
