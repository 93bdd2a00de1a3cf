#pragma once

#include <QAbstractTableModel>

class TADOTable;

// The register grid's view of a data set: one row per record (the new one included), one
// column per field, titles = field names, cell text and alignment from the field definitions,
// and the record indicator in the row heading of the current row: "►" browsing, "I" editing,
// "*" inserting. Rows are read on demand, so a large register costs nothing per row here.
class TDBGridModel : public QAbstractTableModel {
  Q_OBJECT

public:
  explicit TDBGridModel(QObject* parent);

  // The data set shown; null shows nothing. Resets the model.
  void SetDataSet(const TADOTable* dataSet);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // Brackets for the data set's row changes, called by the grid around them.
  void BeginInsertRow(int row) { beginInsertRows(QModelIndex(), row, row); }
  // `count` (> 0) rows are about to come after the last; EndInsertRow closes.
  void BeginAppendRows(int count) {
    beginInsertRows(QModelIndex(), rowCount(), rowCount() + count - 1);
  }
  void EndInsertRow() { endInsertRows(); }
  void BeginRemoveRow(int row) { beginRemoveRows(QModelIndex(), row, row); }
  void EndRemoveRow() { endRemoveRows(); }
  void Reset() {
    beginResetModel();
    endResetModel();
  }
  void RowChanged(int row);
  // The indicator moved or changed: repaints the row headings of `oldRow` and `newRow`.
  void IndicatorChanged(int oldRow, int newRow);

private:
  const TADOTable* FDataSet = nullptr;
};
