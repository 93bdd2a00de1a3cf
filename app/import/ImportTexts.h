#pragma once

#include <QString>

#include "app/import/ImportPlan.h"
#include "app/store/StoreEngine.h"

// What the operator reads about an import and about the conversion of the old register.

// `n` (>= 0) bags, the word in the form the number wants: "1 сумка", "3 сумки", "11 сумок",
// "21 сумка".
QString BagCount(qint64 n);

// The preview of an import of `fileName`: how many bags come in, how many of them the
// register already holds, and the rows that cannot be taken with their reasons (the first
// ten in Text, all of them in Details, which is empty when every row can be taken).
struct TImportPreview {
  QString Text;
  QString Details;
};
TImportPreview ImportPreviewText(const QString& fileName, const TImportPlan& plan);

// The summary after an import of `fileName` that went through: what was added, replaced and
// skipped, and how many rows were not taken (`rejected`).
QString ImportSummaryText(const QString& fileName, const TImportCounts& counts, int rejected);

// The question asked at start-up when db.mdb is the old program's register of `bags` bags;
// the old file is to keep the name `keptName` beside the new one.
QString ConversionQuestion(int bags, const QString& keptName);
