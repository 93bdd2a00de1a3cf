#include "app/store/PgConnInfo.h"

#include <libpq-fe.h>

#include <memory>

#include "app/store/PgError.h"

TPgConnInfo::TPgConnInfo(const QString& conninfo) {
  char* error = nullptr;
  const std::unique_ptr<PQconninfoOption, decltype(&PQconninfoFree)> options(
      PQconninfoParse(conninfo.toUtf8().constData(), &error), PQconninfoFree);
  if (!options) {
    // Without a message libpq ran out of memory.
    const QString message =
        error ? QString::fromUtf8(error).trimmed() : QStringLiteral("out of memory");
    PQfreemem(error);
    throw PgError(message);
  }
  for (const PQconninfoOption* option = options.get(); option->keyword; ++option) {
    if (option->val)
      FValues.emplace(QString::fromUtf8(option->keyword), QString::fromUtf8(option->val));
  }
}

QString TPgConnInfo::Value(const QString& keyword) const {
  const auto found = FValues.find(keyword);
  return found == FValues.end() ? QString() : found->second;
}

bool TPgConnInfo::HasPassword() const { return FValues.count(QStringLiteral("password")) != 0; }
