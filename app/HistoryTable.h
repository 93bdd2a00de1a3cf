#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <QStringList>

#include <vector>

#include "app/store/HistoryChain.h"

// What the "История" window shows of the bags' history: one row per change, newest first.

// What the operator reads about a register that keeps no history.
QString NoHistoryText();

// A field's cell in a row: "было → стало" (a missing value as "—") where the change touched the
// field, and then Changed; otherwise the value the bag held at that time, as far as the
// history tells it (empty where no record does).
struct THistoryCell {
  QString Text;
  bool Changed = false;
  friend bool operator==(const THistoryCell&, const THistoryCell&) = default;
};

// One change: when (local time, "dd.MM.yyyy HH:mm:ss"), who, the kind as the operator reads it
// (HistoryKindText), the bag's key, and a cell per field of THistoryTable::Fields.
struct THistoryRow {
  QString Time;
  QString Who;
  QString Kind;
  qint64 Bag = 0;
  std::vector<THistoryCell> Fields;
  friend bool operator==(const THistoryRow&, const THistoryRow&) = default;
};

struct THistoryTable {
  // The bag's fields in the order given, then any other field a change named (the key "ID"
  // when another program moved a bag), in the order met.
  QStringList Fields;
  std::vector<THistoryRow> Rows;
  // The rows are of more than one bag (several bags bore the number): the window then shows
  // each row's key.
  bool ManyBags = false;
};

// The table of `newestFirst` (records as ReadBagHistory gives them). The value a bag held when
// a change left a field alone is found from the other records of the same bag: the value after
// its last earlier change, else the value before its next later one; a bag whose history starts
// with its insert held nothing in the fields the insert did not name.
THistoryTable MakeHistoryTable(const std::vector<THistoryRecord>& newestFirst,
                               const QStringList& bagFields);

// THistoryTable for a view: columns "Время", "Кто", "Изменение", "Код" (only when ManyBags),
// then the fields by name; a changed field's cell is bold on a pale yellow ground.
class THistoryModel : public QAbstractTableModel {
public:
  explicit THistoryModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}
  void SetTable(THistoryTable table);
  const THistoryTable& Table() const { return FTable; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
  // The columns before the fields.
  int LeadingColumns() const { return FTable.ManyBags ? 4 : 3; }

  THistoryTable FTable;
};
