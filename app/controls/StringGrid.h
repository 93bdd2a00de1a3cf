#pragma once

#include <QPointer>
#include <QString>
#include <QTableView>

class TStringGridModel;

// A grid of text cells in the manner of a classic string grid: a number of fixed (heading)
// columns on the left and fixed rows on the top, painted as headings and never selectable or
// editable; every other cell holds text that the program sets and, while editing is on, the
// operator edits in an in-place editor. Cells are addressed (column, row), both from 0.
// Tab leaves the grid; Enter is an ordinary typed character (it does not open the editor).
class TStringGrid : public QTableView {
  Q_OBJECT

public:
  explicit TStringGrid(QWidget* parent = nullptr);
  ~TStringGrid() override;

  // Size of the grid; cells keep their text when the grid grows, cells cut off are lost.
  // Ranges: 0 <= count. Fixed counts larger than the grid hold the whole grid fixed.
  int ColCount() const;
  void SetColCount(int count);
  int RowCount() const;
  void SetRowCount(int count);
  int FixedCols() const;
  void SetFixedCols(int count);
  int FixedRows() const;
  void SetFixedRows(int count);

  // Width of column `col` (0 <= col < ColCount()) in pixels.
  void SetColWidth(int col, int width);
  // Height of every row in pixels.
  void SetDefaultRowHeight(int height);

  // Text of a cell; outside the grid Cells returns an empty text and SetCells does nothing.
  // Setting a cell never emits SetEditText.
  QString Cells(int col, int row) const;
  void SetCells(int col, int row, const QString& text);

  // The editing option: while on, a typed character, F2, a double click or a click on the
  // current cell opens the in-place editor on a non-fixed cell; turning it off closes an open
  // editor (keeping what was typed). Off after construction.
  bool Editing() const;
  void SetEditing(bool on);

  // At most this many characters can be typed or pasted into the in-place editor; 0, the
  // default, means no limit. A paste keeps what fits of the characters KeyPress lets through.
  int EditLimit() const { return FEditLimit; }
  void SetEditLimit(int chars) { FEditLimit = chars; }

  // The current cell, (-1, -1) when there is none. SetCurrentCell emits SelectCell.
  // Precondition of SetCurrentCell: (col, row) is a non-fixed cell of the grid.
  int Col() const;
  int Row() const;
  void SetCurrentCell(int col, int row);

signals:
  // A character typed in the grid or in its in-place editor, before anything acts on it.
  // Control keys count with their control character (Backspace 8, Enter 13, Escape 27,
  // Ctrl+V 22 ...); Tab and keys that produce no character are not reported. Setting `key` to
  // QChar() swallows the key; any other value lets the original key through.
  void KeyPress(QChar& key);
  // The current cell moved to (col, row), by the operator or by SetCurrentCell; the editor of
  // the cell left is already closed.
  void SelectCell(int col, int row);
  // The in-place editor's text changed through the operator (each keystroke, cut or paste);
  // the cell already holds `value` when this is emitted.
  void SetEditText(int col, int row, const QString& value);

protected:
  void keyPressEvent(QKeyEvent* event) override;
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
  friend class TStringGridDelegate;
  // Reports a typed key through KeyPress; true when the key was swallowed.
  bool FilterKey(const QKeyEvent& event);
  // Reports a pasted character through KeyPress: the character to insert, QChar() to drop it.
  QChar FilterChar(QChar c);
  void EditorOpened(QWidget* editor);
  void EditorTextEdited(const QModelIndex& index, const QString& text);

  TStringGridModel* FModel;   // owned through Qt parenthood
  QPointer<QWidget> FEditor;  // the open in-place editor, owned by the view
  bool FEditing = false;
  int FEditLimit = 0;
  bool FForwardingKey = false;  // the view hands a key it already reported to a new editor
};
