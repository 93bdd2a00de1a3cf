#pragma once

#include <QTableView>

#include "app/store/DataLink.h"

class TDataSource;
class TDBGridModel;

// The register grid: every record of the data source's data set as a row, the fields as
// columns (titles, display widths and alignment from the field definitions), a record
// indicator column, whole-row selection and no editing in cells. The grid's current row is
// the data set's current record: a click or a key that moves the row moves the record (with
// the data set's browse-mode check; a failure keeps the row). Tab moves between columns.
// Ctrl+Delete asks "Delete record?" (OK / Cancel) and deletes on OK. Escape drops the changes
// of the record being edited or inserted and reads its stored values again
// (TADOTable::RefreshRecord): a bag deleted elsewhere leaves the register. An untouched new
// record is dropped when the focus leaves the grid for another control. As rows above the rows
// on screen go (another desk's deletions), the rows on screen stay where they are; when many
// go at once, the scroll position stays.
class TDBGrid : public QTableView, public TDataLink {
  Q_OBJECT

public:
  explicit TDBGrid(QWidget* parent);
  ~TDBGrid() override;

  // Attaches to `source` (null detaches); the columns appear when its data set is open.
  void SetDataSource(TDataSource* source);

  void DataEvent(TDataEvent event, int info) override;
  void UpdateData() override {}

signals:
  // A left click on a data cell, on release, after the click made that row current.
  void CellClick();

protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
  // Puts the view's current row on the data set's current record, keeping the column, and
  // scrolls it into view unless told not to.
  void SyncCurrent(int column, bool scroll = true);
  void ApplyColumnWidths();
  void UpdateIndicator();
  // Scrolls so that `row` is the top row on screen, as far as the scroll range allows.
  void ScrollToTop(int row);
  // Shows the rows anew after many went at once (deRowsReset), with the column widths and
  // the scroll position as they were, and the current record selected.
  void KeepLayoutOverReset();

  TDBGridModel* FModel;  // owned through Qt parenthood
  TDataSource* FDataSource = nullptr;
  int FIndicatorRow = -1;
  int FTopRow = -1;  // the top row on screen as a row goes
  bool FCellPressed = false;
  bool FSyncing = false;
};
