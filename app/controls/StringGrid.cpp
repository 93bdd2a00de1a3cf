#include "app/controls/StringGrid.h"

#include "app/controls/TypedChar.h"
#include "app/controls/TypingFilter.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QScopedValueRollback>
#include <QStyledItemDelegate>
#include <algorithm>
#include <vector>

// The cells of a TStringGrid, row by row; fixed cells are neither selectable nor editable.
class TStringGridModel : public QAbstractTableModel {
public:
  using QAbstractTableModel::QAbstractTableModel;

  int FCols = 0;
  int FRows = 0;
  int FFixedCols = 0;
  int FFixedRows = 0;

  bool IsFixed(int col, int row) const { return col < FFixedCols || row < FFixedRows; }
  bool Contains(int col, int row) const {
    return col >= 0 && col < FCols && row >= 0 && row < FRows;
  }
  QString& Cell(int col, int row) { return FCells[static_cast<std::size_t>(row) * FCols + col]; }
  const QString& Cell(int col, int row) const {
    return FCells[static_cast<std::size_t>(row) * FCols + col];
  }

  void Resize(int cols, int rows) {
    beginResetModel();
    std::vector<QString> cells(static_cast<std::size_t>(cols) * rows);
    for (int row = 0; row < std::min(rows, FRows); ++row)
      for (int col = 0; col < std::min(cols, FCols); ++col)
        cells[static_cast<std::size_t>(row) * cols + col] = std::move(Cell(col, row));
    FCells = std::move(cells);
    FCols = cols;
    FRows = rows;
    endResetModel();
  }

  void SetFixed(int cols, int rows) {
    beginResetModel();
    FFixedCols = cols;
    FFixedRows = rows;
    endResetModel();
  }

  int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : FRows; }
  int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : FCols; }

  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
    return Cell(index.column(), index.row());
  }

  bool setData(const QModelIndex& index, const QVariant& value, int role) override {
    if (!index.isValid() || role != Qt::EditRole) return false;
    QString& cell = Cell(index.column(), index.row());
    const QString text = value.toString();
    if (cell != text) {
      cell = text;
      emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    }
    return true;
  }

  Qt::ItemFlags flags(const QModelIndex& index) const override {
    if (!index.isValid() || IsFixed(index.column(), index.row())) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
  }

private:
  std::vector<QString> FCells;
};

// Paints fixed cells as headings, opens a plain line editor and runs the grid's key filter
// ahead of the editor's own key handling.
class TStringGridDelegate : public QStyledItemDelegate {
public:
  explicit TStringGridDelegate(TStringGrid* grid) : QStyledItemDelegate(grid), FGrid(grid) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    if (index.flags().testFlag(Qt::ItemIsEnabled)) {
      QStyledItemDelegate::paint(painter, option, index);
      return;
    }
    const QPalette& palette = FGrid->palette();
    painter->fillRect(option.rect, palette.button());
    painter->setPen(palette.buttonText().color());
    painter->setFont(option.font);
    painter->drawText(option.rect.adjusted(2, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter,
                      index.data().toString());
  }

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                        const QModelIndex& index) const override {
    auto* editor = new QLineEdit(parent);
    editor->setFrame(false);
    editor->setValidator(new TTypingFilter(
        editor, [grid = FGrid](QChar c) { return grid->FilterChar(c); },
        [grid = FGrid] { return grid->EditLimit(); }));
    const QPersistentModelIndex cell(index);
    QObject::connect(
        editor, &QLineEdit::textEdited, FGrid,
        [grid = FGrid, cell](const QString& text) { grid->EditorTextEdited(cell, text); });
    FGrid->EditorOpened(editor);
    return editor;
  }

  // The cell's text goes into the editor as it is; the typing rules are for the operator.
  void setEditorData(QWidget* editor, const QModelIndex& index) const override {
    auto* filter = dynamic_cast<TTypingFilter*>(
        const_cast<QValidator*>(static_cast<QLineEdit*>(editor)->validator()));
    if (filter) filter->SetShowing(true);
    QStyledItemDelegate::setEditorData(editor, index);
    if (filter) filter->SetShowing(false);
  }

protected:
  bool eventFilter(QObject* object, QEvent* event) override {
    if (event->type() == QEvent::KeyPress) {
      const auto& key = static_cast<const QKeyEvent&>(*event);
      // Tab leaves the grid (through the editor's own focus chain) instead of moving to the
      // next cell.
      if (key.key() == Qt::Key_Tab || key.key() == Qt::Key_Backtab) return false;
      if (!FGrid->FForwardingKey && FGrid->FilterKey(key)) return true;
    }
    return QStyledItemDelegate::eventFilter(object, event);
  }

private:
  TStringGrid* FGrid;
};

TStringGrid::TStringGrid(QWidget* parent) : QTableView(parent), FModel(new TStringGridModel(this)) {
  setModel(FModel);
  setItemDelegate(new TStringGridDelegate(this));
  horizontalHeader()->hide();
  verticalHeader()->hide();
  horizontalHeader()->setMinimumSectionSize(0);
  verticalHeader()->setMinimumSectionSize(0);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  setSelectionMode(QAbstractItemView::ContiguousSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setTabKeyNavigation(false);
  setWordWrap(false);
  SetEditing(false);
}

TStringGrid::~TStringGrid() = default;

int TStringGrid::ColCount() const { return FModel->FCols; }
void TStringGrid::SetColCount(int count) { FModel->Resize(std::max(count, 0), FModel->FRows); }
int TStringGrid::RowCount() const { return FModel->FRows; }
void TStringGrid::SetRowCount(int count) { FModel->Resize(FModel->FCols, std::max(count, 0)); }
int TStringGrid::FixedCols() const { return FModel->FFixedCols; }
void TStringGrid::SetFixedCols(int count) {
  FModel->SetFixed(std::max(count, 0), FModel->FFixedRows);
}
int TStringGrid::FixedRows() const { return FModel->FFixedRows; }
void TStringGrid::SetFixedRows(int count) {
  FModel->SetFixed(FModel->FFixedCols, std::max(count, 0));
}

void TStringGrid::SetColWidth(int col, int width) { setColumnWidth(col, width); }
void TStringGrid::SetDefaultRowHeight(int height) {
  verticalHeader()->setDefaultSectionSize(height);
}

QString TStringGrid::Cells(int col, int row) const {
  return FModel->Contains(col, row) ? FModel->Cell(col, row) : QString();
}

void TStringGrid::SetCells(int col, int row, const QString& text) {
  if (FModel->Contains(col, row)) FModel->setData(FModel->index(row, col), text, Qt::EditRole);
}

bool TStringGrid::Editing() const { return FEditing; }

void TStringGrid::SetEditing(bool on) {
  FEditing = on;
  setEditTriggers(on ? QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed |
                           QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked
                     : QAbstractItemView::NoEditTriggers);
  if (!on && FEditor && state() == EditingState) {
    commitData(FEditor);
    closeEditor(FEditor, QAbstractItemDelegate::NoHint);
  }
}

int TStringGrid::Col() const { return currentIndex().isValid() ? currentIndex().column() : -1; }
int TStringGrid::Row() const { return currentIndex().isValid() ? currentIndex().row() : -1; }

void TStringGrid::SetCurrentCell(int col, int row) { setCurrentIndex(FModel->index(row, col)); }

void TStringGrid::keyPressEvent(QKeyEvent* event) {
  if (FilterKey(*event)) {
    event->accept();
    return;
  }
  const QModelIndex current = currentIndex();
  // A backspace on a cell that is not being edited opens the editor and clears the cell,
  // like any other typed character replaces its text.
  if (FEditing && state() != EditingState && current.isValid() && TypedChar(*event) == QChar(8)) {
    const QScopedValueRollback forwarding(FForwardingKey, true);
    if (edit(current, AnyKeyPressed, event)) return;
  }
  const QScopedValueRollback forwarding(FForwardingKey, true);
  QTableView::keyPressEvent(event);
}

void TStringGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  QTableView::currentChanged(current, previous);
  if (current.isValid()) emit SelectCell(current.column(), current.row());
}

bool TStringGrid::FilterKey(const QKeyEvent& event) {
  // Tab moves the focus on; it is not typed into the grid.
  if (event.key() == Qt::Key_Tab || event.key() == Qt::Key_Backtab) return false;
  QChar key = TypedChar(event);
  if (key.isNull()) return false;
  emit KeyPress(key);
  return key.isNull();
}

QChar TStringGrid::FilterChar(QChar c) {
  emit KeyPress(c);
  return c;
}

void TStringGrid::EditorOpened(QWidget* editor) { FEditor = editor; }

void TStringGrid::EditorTextEdited(const QModelIndex& index, const QString& text) {
  if (!index.isValid()) return;
  FModel->setData(index, text, Qt::EditRole);
  emit SetEditText(index.column(), index.row(), text);
}
