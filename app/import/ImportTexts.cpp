#include "app/import/ImportTexts.h"

#include <QDir>
#include <QStringList>

namespace {

// Rows listed in the preview itself; the rest are in its details.
constexpr int ListedRejections = 10;

QString RejectionLine(const TRejectedRow& row) {
  return QStringLiteral("строка %1: %2").arg(row.Line).arg(row.Reason);
}

}  // namespace

QString BagCount(qint64 n) {
  const qint64 lastTwo = n % 100;
  const qint64 last = n % 10;
  QString word = QStringLiteral("сумок");
  if (lastTwo < 11 || lastTwo > 14) {
    if (last == 1) word = QStringLiteral("сумка");
    if (last >= 2 && last <= 4) word = QStringLiteral("сумки");
  }
  return QStringLiteral("%1 %2").arg(n).arg(word);
}

TImportPreview ImportPreviewText(const QString& fileName, const TImportPlan& plan) {
  QStringList lines{
      QStringLiteral("Импорт из файла %1.").arg(QDir::toNativeSeparators(fileName)),
      QStringLiteral("Будет взято сумок: %1.").arg(plan.Bags.size())};
  if (plan.AlreadyThere > 0)
    lines << QStringLiteral(
                 "Из них уже есть в списке (тот же номер сумки): %1. Пропустить их или заменить "
                 "сумки списка сумками из файла?")
                 .arg(plan.AlreadyThere);
  TImportPreview preview;
  if (!plan.Rejected.empty()) {
    lines << QStringLiteral("Не могут быть взяты строки файла: %1.").arg(plan.Rejected.size());
    QStringList all;
    for (const TRejectedRow& row : plan.Rejected) all << RejectionLine(row);
    lines << all.mid(0, ListedRejections);
    if (all.size() > ListedRejections)
      lines << QStringLiteral("… и ещё %1 (все — в подробностях).").arg(all.size() - ListedRejections);
    preview.Details = all.join(u'\n');
  }
  preview.Text = lines.join(u'\n');
  return preview;
}

QString ImportSummaryText(const QString& fileName, const TImportCounts& counts, int rejected) {
  QStringList lines{
      QStringLiteral("Импорт из файла %1 закончен.").arg(QDir::toNativeSeparators(fileName)),
      QStringLiteral("Добавлено сумок: %1.").arg(counts.Added)};
  if (counts.Replaced > 0)
    lines << QStringLiteral("Заменено сумок списка: %1.").arg(counts.Replaced);
  if (counts.Skipped > 0)
    lines << QStringLiteral("Пропущено (такой номер уже был в списке): %1.").arg(counts.Skipped);
  if (rejected > 0) lines << QStringLiteral("Не взято строк файла: %1.").arg(rejected);
  return lines.join(u'\n');
}

QString ConversionQuestion(int bags, const QString& keptName) {
  return QStringLiteral(
             "В папке найдена база прежней версии программы (%1). Перенести сумки в новую базу? "
             "Старый файл останется рядом под именем %2.")
      .arg(BagCount(bags), keptName);
}
