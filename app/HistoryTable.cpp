#include "app/HistoryTable.h"

#include <QBrush>
#include <QColor>
#include <QFont>

#include <map>
#include <optional>

#include "app/store/Field.h"

namespace {

const QString Missing = QStringLiteral("—");
const QColor ChangedGround(255, 246, 191);

QString ChangeText(const THistoryField& field) {
  const auto shown = [](const QVariant& value) {
    return value.isNull() || !value.isValid() ? Missing : FieldDisplayText(value);
  };
  return shown(field.Before) + QStringLiteral(" → ") + shown(field.After);
}

const THistoryField* FindField(const THistoryRecord& record, const QString& name) {
  for (const THistoryField& field : record.Fields)
    if (field.Field == name) return &field;
  return nullptr;
}

}  // namespace

QString NoHistoryText() {
  return QStringLiteral("Этот реестр не ведёт журнал изменений: он создан прежней версией "
                        "программы и ещё не обновлён.");
}

THistoryTable MakeHistoryTable(const std::vector<THistoryRecord>& newestFirst,
                               const QStringList& bagFields) {
  THistoryTable table{bagFields, {}, false};
  std::map<qint64, std::vector<size_t>> bags;  // each bag's records, oldest first
  for (size_t i = newestFirst.size(); i-- > 0;) {
    const THistoryRecord& record = newestFirst[i];
    bags[record.Id].push_back(i);
    for (const THistoryField& field : record.Fields)
      if (!table.Fields.contains(field.Field)) table.Fields << field.Field;
  }
  table.ManyBags = bags.size() > 1;
  for (const THistoryRecord& record : newestFirst)
    table.Rows.push_back({HistoryTimeUtc(record.Time).toLocalTime().toString(
                              QStringLiteral("dd.MM.yyyy HH:mm:ss")),
                          record.Who, HistoryKindText(record.Kind), record.Id,
                          std::vector<THistoryCell>(size_t(table.Fields.size()))});
  for (const auto& [bag, order] : bags) {
    for (qsizetype column = 0; column < table.Fields.size(); ++column) {
      const QString& name = table.Fields[column];
      // What the field held before the record at hand; unknown until a record tells.
      std::optional<QVariant> held;
      if (newestFirst[order.front()].Kind == u"INSERT") held = QVariant();
      std::vector<size_t> untold;
      for (size_t index : order) {
        THistoryCell& cell = table.Rows[index].Fields[size_t(column)];
        if (const THistoryField* field = FindField(newestFirst[index], name)) {
          for (size_t earlier : untold)
            table.Rows[earlier].Fields[size_t(column)].Text = FieldDisplayText(field->Before);
          untold.clear();
          cell = {ChangeText(*field), true};
          held = field->After;
        } else if (held) {
          cell.Text = FieldDisplayText(*held);
        } else {
          untold.push_back(index);
        }
      }
    }
  }
  return table;
}

void THistoryModel::SetTable(THistoryTable table) {
  beginResetModel();
  FTable = std::move(table);
  endResetModel();
}

int THistoryModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(FTable.Rows.size());
}

int THistoryModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : LeadingColumns() + int(FTable.Fields.size());
}

QVariant THistoryModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const THistoryRow& row = FTable.Rows[size_t(index.row())];
  const int field = index.column() - LeadingColumns();
  if (field < 0) {
    if (role != Qt::DisplayRole) return {};
    switch (index.column()) {
      case 0: return row.Time;
      case 1: return row.Who;
      case 2: return row.Kind;
      default: return row.Bag;
    }
  }
  const THistoryCell& cell = row.Fields[size_t(field)];
  switch (role) {
    case Qt::DisplayRole:
      return cell.Text;
    case Qt::FontRole:
      if (cell.Changed) {
        QFont bold;
        bold.setBold(true);
        return bold;
      }
      return {};
    case Qt::BackgroundRole:
      return cell.Changed ? QVariant(QBrush(ChangedGround)) : QVariant();
    default:
      return {};
  }
}

QVariant THistoryModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
  static const QStringList leading{QStringLiteral("Время"), QStringLiteral("Кто"),
                                   QStringLiteral("Изменение"), QStringLiteral("Код")};
  if (section < LeadingColumns()) return leading[section];
  return FTable.Fields[section - LeadingColumns()];
}
