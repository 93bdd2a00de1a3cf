#include "app/store/HistoryChain.h"

#include <QCryptographicHash>

#include "app/store/StoredText.h"
#include "texts/Plural.h"

namespace {

void AppendBytes(QByteArray& out, char tag, const QByteArray& bytes) {
  out += tag;
  out += QByteArray::number(bytes.size());
  out += ':';
  out += bytes;
}

void AppendValue(QByteArray& out, const QVariant& value) {
  if (value.isNull() || !value.isValid()) {
    out += "n;";
    return;
  }
  switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
      out += 'i' + QByteArray::number(value.toLongLong()) + ';';
      return;
    case QMetaType::Double:
      out += 'r' + QByteArray::number(value.toDouble(), 'g', 17) + ';';
      return;
    case QMetaType::QByteArray:
      AppendBytes(out, 'b', value.toByteArray());
      return;
    default:
      if (value.typeId() == qMetaTypeId<TStoredText>())
        AppendBytes(out, 't', value.value<TStoredText>().Bytes);
      else
        AppendBytes(out, 't', value.toString().toUtf8());
  }
}

}  // namespace

QByteArray HistoryContent(const THistoryRecord& record) {
  QByteArray out;
  AppendValue(out, record.Seq);
  AppendValue(out, record.Time);
  AppendValue(out, record.Who);
  AppendValue(out, record.Kind);
  AppendValue(out, record.FeedSeq);
  AppendValue(out, record.Id);
  for (const THistoryField& field : record.Fields) {
    AppendValue(out, field.Field);
    AppendValue(out, field.Before);
    AppendValue(out, field.After);
  }
  return out;
}

QDateTime HistoryTimeUtc(const QVariant& time) {
  if (time.typeId() == QMetaType::QString) {
    // "YYYY-MM-DD HH:MM:SS.mmm", read by its fixed places: a window of a thousand changes
    // would spend most of its time in a general parser.
    const QString text = time.toString();
    const auto number = [&](qsizetype from, qsizetype length) {
      return QStringView(text).mid(from, length).toInt();
    };
    return QDateTime(QDate(number(0, 4), number(5, 2), number(8, 2)),
                     QTime(number(11, 2), number(14, 2), number(17, 2), number(20, 3)), Qt::UTC);
  }
  return QDateTime::fromMSecsSinceEpoch(time.toLongLong() / 1000, Qt::UTC);
}

QString HistoryKindText(const QString& kind) {
  if (kind == u"INSERT") return QStringLiteral("добавление");
  if (kind == u"UPDATE") return QStringLiteral("изменение");
  if (kind == u"DELETE") return QStringLiteral("удаление");
  return kind;
}

QByteArray HistoryDigest(const QByteArray& previous, const THistoryRecord& record) {
  QCryptographicHash hash(QCryptographicHash::Sha256);
  hash.addData(previous);
  hash.addData(HistoryContent(record));
  return hash.result();
}

QString THistoryCheck::Text() const {
  if (Broken)
    return QStringLiteral("Журнал нарушен: запись № %1 %2.").arg(*Broken).arg(Problem);
  QString text = QStringLiteral("Журнал цел: %1 %2")
                     .arg(Records)
                     .arg(QString::fromUtf8(PluralForm(Records, "запись", "записи", "записей")));
  if (Unsealed > 0)
    text += QStringLiteral(", из них последние %1 ещё не запечатаны программой (изменения, "
                           "сделанные другой программой после последней записи с рабочего места)")
                .arg(Unsealed);
  return text + u'.';
}

bool THistoryChain::Break(qint64 seq, const QString& problem) {
  FResult.Broken = seq;
  FResult.Problem = problem;
  return false;
}

bool THistoryChain::Add(const THistoryRecord& record, const std::optional<QByteArray>& digest) {
  if (FResult.Broken) return false;
  if (record.Seq != FExpected) return Break(FExpected, QStringLiteral("отсутствует"));
  ++FExpected;
  ++FResult.Records;
  if (!digest) {
    if (!FFirstUnsealed) FFirstUnsealed = record.Seq;
    ++FResult.Unsealed;
    return true;
  }
  // A sealed record after one that is not: someone took the seal off a record.
  if (FFirstUnsealed)
    return Break(*FFirstUnsealed, QStringLiteral("лишилась печати, хотя следующие запечатаны"));
  if (HistoryDigest(FPrevious, record) != *digest)
    return Break(record.Seq, QStringLiteral("изменена или переставлена"));
  FPrevious = *digest;
  return true;
}

THistoryCheck THistoryChain::Finish(qint64 lastWritten) {
  if (!FResult.Broken && lastWritten >= FExpected) Break(FExpected, QStringLiteral("отсутствует"));
  return FResult;
}
