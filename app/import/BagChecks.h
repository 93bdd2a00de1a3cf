#pragma once

#include <QString>
#include <QVariant>

#include <variant>
#include <vector>

#include "app/import/SourceTable.h"

// The values of a bag as the register stores them, in its field order (TBagField): text as a
// QString, whole numbers as qint64, NULL as an invalid QVariant.
using TBagValues = std::vector<QVariant>;

// The bag of seven `cells` (field order), checked as the window's editors would have let it
// be typed: a bag number that is not empty (blanks alone are empty), texts within their
// fields' sizes (ClientsFields), whole numbers as FieldValueFromText reads them, a cash symbol
// of the list (2, 11, 19, 32) or none. Otherwise the reasons, each a Russian phrase naming the
// field, joined by "; ".
std::variant<TBagValues, QString> CheckedBag(const std::vector<TCell>& cells);

// The bag of seven `cells` (field order) as it is, for the conversion of the old register,
// which must keep every bag: texts whatever their length, whole numbers from their text, and
// a text an integer field cannot read kept as text.
TBagValues KeptBag(const std::vector<TCell>& cells);
