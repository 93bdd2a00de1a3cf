#include "app/import/ImportError.h"

#include "texts/TechnicalLine.h"

namespace {

QString OperatorText(const QString& sentence, const QString& technical) {
  return technical.isEmpty() ? sentence : sentence + QStringLiteral("\n") + technical;
}

}  // namespace

EBagImport::EBagImport(const QString& sentence, const QString& technical)
    : std::runtime_error(OperatorText(sentence, TechnicalLine(technical)).toStdString()),
      FSentence(sentence),
      FTechnical(TechnicalLine(technical)) {}
