#include "app/import/ImportPlan.h"

#include <algorithm>

#include "app/BagFields.h"

TImportPlan PlanImport(const TBagCells& cells, const QSet<QString>& registerNumbers) {
  TImportPlan plan;
  plan.Rejected = cells.Rejected;
  for (const TSourceRow& row : cells.Rows) {
    std::variant<TBagValues, QString> bag = CheckedBag(row.Cells);
    if (const QString* reason = std::get_if<QString>(&bag)) {
      plan.Rejected.push_back({row.Line, *reason});
      continue;
    }
    TBagValues& values = std::get<TBagValues>(bag);
    if (registerNumbers.contains(values[int(TBagField::BagNumber)].toString())) ++plan.AlreadyThere;
    plan.Bags.push_back(std::move(values));
  }
  std::stable_sort(plan.Rejected.begin(), plan.Rejected.end(),
                   [](const TRejectedRow& a, const TRejectedRow& b) { return a.Line < b.Line; });
  return plan;
}
