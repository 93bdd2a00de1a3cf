#pragma once

#include <QSet>
#include <QString>

#include <vector>

#include "app/import/BagChecks.h"
#include "app/import/BagColumns.h"

// What an import of a file would do to the register: the operator's preview.
struct TImportPlan {
  // The bags that pass the checks (CheckedBag), in file order.
  std::vector<TBagValues> Bags;
  // How many of Bags carry a bag number the register already holds.
  int AlreadyThere = 0;
  // The rows that cannot be taken and why, in file order.
  std::vector<TRejectedRow> Rejected;
};

// Checks every row of `cells` and counts the bags whose number is in `registerNumbers` (the
// bag numbers the register holds, compared exactly).
TImportPlan PlanImport(const TBagCells& cells, const QSet<QString>& registerNumbers);
