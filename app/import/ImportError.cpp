#include "app/import/ImportError.h"

EBagImport::EBagImport(const QString& sentence, const QString& technical)
    : std::runtime_error(
          (technical.isEmpty() ? sentence : sentence + QStringLiteral("\n") + technical)
              .toStdString()),
      FSentence(sentence),
      FTechnical(technical) {}
