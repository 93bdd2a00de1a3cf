#include "app/controls/DBGrid.h"

#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

#include <algorithm>

#include "app/controls/DBGridModel.h"
#include "app/controls/Dialogs.h"
#include "app/controls/FieldDataLink.h"
#include "app/controls/GuardedApplication.h"
#include "app/store/DataSource.h"

TDBGrid::TDBGrid(QWidget* parent) : QTableView(parent), FModel(new TDBGridModel(this)) {
  setModel(FModel);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setTabKeyNavigation(true);
  setWordWrap(false);
  setCornerButtonEnabled(false);
  setShowGrid(true);

  const int rowHeight = fontMetrics().height() + 3;
  QHeaderView* rows = verticalHeader();
  rows->setSectionResizeMode(QHeaderView::Fixed);
  rows->setMinimumSectionSize(1);
  rows->setDefaultSectionSize(rowHeight);
  rows->setDefaultAlignment(Qt::AlignCenter);
  rows->setFixedWidth(12);

  QHeaderView* titles = horizontalHeader();
  titles->setSectionResizeMode(QHeaderView::Interactive);
  titles->setHighlightSections(false);
  titles->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  titles->setFixedHeight(rowHeight + 1);
  // Heading cells in the window colour.
  for (QHeaderView* header : {rows, titles}) {
    QPalette palette = header->palette();
    palette.setColor(QPalette::Button, palette.color(QPalette::Base));
    header->setPalette(palette);
  }
}

TDBGrid::~TDBGrid() {
  if (FDataSource) FDataSource->RemoveLink(this);
}

void TDBGrid::SetDataSource(TDataSource* source) {
  if (FDataSource) FDataSource->RemoveLink(this);
  FDataSource = source;
  if (source) source->AddLink(this);
  FModel->SetDataSet(source ? &source->DataSet() : nullptr);
  ApplyColumnWidths();
  FIndicatorRow = -1;
  UpdateIndicator();
  SyncCurrent(0);
}

void TDBGrid::ApplyColumnWidths() {
  if (!FDataSource || !FDataSource->DataSet().Active()) return;
  const QFontMetrics metrics = fontMetrics();
  const std::vector<TFieldDef>& fields = FDataSource->DataSet().Fields();
  for (int column = 0; column < int(fields.size()); ++column) {
    // A display character is as wide as the font's average character, the width of an x.
    const int width = fields[column].DisplayWidth * metrics.horizontalAdvance(u'x') + 4;
    const int titleWidth = metrics.horizontalAdvance(fields[column].Name) + 4;
    setColumnWidth(column, std::max(width, titleWidth));
  }
}

void TDBGrid::UpdateIndicator() {
  const int row = FDataSource ? FDataSource->DataSet().RecNo() : -1;
  FModel->IndicatorChanged(FIndicatorRow, row);
  FIndicatorRow = row;
}

void TDBGrid::SyncCurrent(int column, bool scroll) {
  const int row = FDataSource ? FDataSource->DataSet().RecNo() : -1;
  FSyncing = true;
  if (row < 0) {
    selectionModel()->clear();
  } else {
    const QModelIndex index =
        FModel->index(row, std::clamp(column, 0, std::max(FModel->columnCount() - 1, 0)));
    selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (scroll) scrollTo(index);
  }
  FSyncing = false;
}

void TDBGrid::ScrollToTop(int row) {
  QScrollBar* bar = verticalScrollBar();
  bar->setValue(verticalScrollMode() == QAbstractItemView::ScrollPerItem
                    ? row
                    : verticalHeader()->sectionPosition(row));
}

void TDBGrid::KeepLayoutOverReset() {
  // A reset forgets the column widths the operator chose and the scroll position.
  std::vector<int> widths;
  for (int column = 0; column < FModel->columnCount(); ++column)
    widths.push_back(columnWidth(column));
  const int currentColumn = currentIndex().column();
  const int across = horizontalScrollBar()->value();
  const int down = verticalScrollBar()->value();
  FSyncing = true;
  FModel->Reset();
  FSyncing = false;
  for (int column = 0; column < int(widths.size()); ++column)
    setColumnWidth(column, widths[column]);
  updateGeometries();
  horizontalScrollBar()->setValue(across);
  verticalScrollBar()->setValue(down);
  SyncCurrent(currentColumn, false);
  UpdateIndicator();
}

void TDBGrid::DataEvent(TDataEvent event, int info) {
  switch (event) {
    // While rows come and go the view moves its current index by itself; the data set's
    // own deScroll that follows puts it on the current record.
    case TDataEvent::deDataSetChange:
      FSyncing = true;
      FModel->Reset();
      FSyncing = false;
      ApplyColumnWidths();
      break;
    case TDataEvent::deBeforeRowInsert:
      FSyncing = true;
      FModel->BeginInsertRow(info);
      break;
    case TDataEvent::deBeforeRowsAppend:
      FSyncing = true;
      FModel->BeginAppendRows(info);
      break;
    case TDataEvent::deRowsAppended:
      if (info == 0) break;  // the last keys of a loading register brought no row
      [[fallthrough]];
    case TDataEvent::deRowInserted:
      FModel->EndInsertRow();
      FSyncing = false;
      break;
    case TDataEvent::deBeforeRowDelete:
      FSyncing = true;
      FTopRow = rowAt(0);
      FModel->BeginRemoveRow(info);
      break;
    case TDataEvent::deRowDeleted:
      FModel->EndRemoveRow();
      FSyncing = false;
      // The view keeps its scroll value, which would pull the rows below up by one.
      if (info < FTopRow) ScrollToTop(FTopRow - 1);
      break;
    case TDataEvent::deRowChanged:
      FModel->RowChanged(info);
      break;
    case TDataEvent::deRowsReset:
      KeepLayoutOverReset();
      break;
    case TDataEvent::deScroll:
      SyncCurrent(currentIndex().column());
      UpdateIndicator();
      break;
    case TDataEvent::deUpdateState:
      UpdateIndicator();
      break;
    case TDataEvent::deRecordChange:
    case TDataEvent::deFieldChange:
      break;
  }
}

void TDBGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  QTableView::currentChanged(current, previous);
  if (FSyncing || !current.isValid() || !FDataSource) return;
  if (current.row() != FDataSource->DataSet().RecNo()) {
    Guarded([&] { FDataSource->DataSet().MoveTo(current.row()); });
    SyncCurrent(current.column());
  }
}

void TDBGrid::mousePressEvent(QMouseEvent* event) {
  FCellPressed = false;
  const QModelIndex index = indexAt(event->position().toPoint());
  if (event->button() != Qt::LeftButton || !FDataSource) {
    QTableView::mousePressEvent(event);
    return;
  }
  event->accept();
  if (!index.isValid()) return;  // below the last row: the current record stays selected
  // The move comes first, so that a refused browse-mode check leaves the row where it was.
  FCellPressed = Guarded([&] { FDataSource->DataSet().MoveTo(index.row()); });
  SyncCurrent(index.column());
}

void TDBGrid::mouseReleaseEvent(QMouseEvent* event) {
  QTableView::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && FCellPressed) {
    FCellPressed = false;
    emit CellClick();
  }
}

void TDBGrid::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    event->accept();
    if (FDataSource && FDataSource->DataSet().State() != TDataSetState::dsBrowse)
      Guarded([this] { FDataSource->DataSet().RefreshRecord(); });
    return;
  }
  if (event->key() == Qt::Key_Delete && (event->modifiers() & Qt::ControlModifier)) {
    event->accept();
    if (!FDataSource || FDataSource->DataSet().IsEmpty()) return;
    Guarded([this] {
      if (ShowMessageBox({QStringLiteral("Confirm"), QStringLiteral("Delete record?"),
                          TMsgDlgType::mtConfirmation, TMsgDlgButtons::mbOKCancel}) ==
          TModalResult::mrOk)
        FDataSource->DataSet().Delete();
    });
    return;
  }
  QTableView::keyPressEvent(event);
}

void TDBGrid::focusOutEvent(QFocusEvent* event) {
  QTableView::focusOutEvent(event);
  if (!FDataSource || !StoresOnFocusOut(event->reason())) return;
  TADOTable& dataSet = FDataSource->DataSet();
  if (dataSet.State() == TDataSetState::dsInsert && !dataSet.Modified())
    Guarded([&] { dataSet.Cancel(); });
}
