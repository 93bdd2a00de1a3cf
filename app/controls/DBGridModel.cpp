#include "app/controls/DBGridModel.h"

#include "app/store/ADOTable.h"

TDBGridModel::TDBGridModel(QObject* parent) : QAbstractTableModel(parent) {}

void TDBGridModel::SetDataSet(const TADOTable* dataSet) {
  beginResetModel();
  FDataSet = dataSet;
  endResetModel();
}

int TDBGridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() || !FDataSet || !FDataSet->Active() ? 0 : FDataSet->RecordCount();
}

int TDBGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() || !FDataSet || !FDataSet->Active() ? 0 : int(FDataSet->Fields().size());
}

QVariant TDBGridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || !FDataSet) return QVariant();
  switch (role) {
    case Qt::DisplayRole:
      return FieldDisplayText(FDataSet->Value(index.row(), index.column()));
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(FDataSet->Fields()[index.column()].Alignment | Qt::AlignVCenter);
    default:
      return QVariant();
  }
}

QVariant TDBGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || !FDataSet) return QVariant();
  if (orientation == Qt::Horizontal) return FDataSet->Fields()[section].Name;
  if (section != FDataSet->RecNo()) return QString();
  switch (FDataSet->State()) {
    case TDataSetState::dsEdit:
      return QStringLiteral("I");
    case TDataSetState::dsInsert:
      return QStringLiteral("*");
    default:
      return QStringLiteral("►");
  }
}

void TDBGridModel::RowChanged(int row) {
  if (row < 0 || row >= rowCount()) return;
  emit dataChanged(index(row, 0), index(row, columnCount() - 1), {Qt::DisplayRole});
}

void TDBGridModel::IndicatorChanged(int oldRow, int newRow) {
  const int count = rowCount();
  for (int row : {oldRow, newRow})
    if (row >= 0 && row < count) emit headerDataChanged(Qt::Vertical, row, row);
}
