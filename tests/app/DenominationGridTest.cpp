#include "app/controls/DBEdit.h"
#include "app/DenominationGrid.h"
#include "app/MainForm.h"
#include "app/controls/StringGrid.h"
#include "qr/QRSymbol.h"
#include "tests/support/QtPrinters.h"
#include "texts/NumberFormat.h"
#include "ui_MainForm.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

constexpr int CountCol = DenominationCountCol;
constexpr int SumCol = DenominationSumCol;
constexpr int TotalRow = DenominationTotalRow;

// The grid of a real main window, with no register attached: the keys reach the window's
// handlers as the operator's do, and every recalculation refreshes the payload.
class DenominationGridTest : public ::testing::Test {
protected:
  void SetUp() override { Fresh(); }
  void TearDown() override { InitDecimalSeparatorFromLocale(); }

  // A new window under `separator`, shown, its grid holding the focus.
  void Fresh(QChar separator = u',') {
    Window.reset();
    SetDecimalSeparator(separator);
    Window = std::make_unique<TForm1>();
    Grid = Window->Controls().StringGrid1;
    Refreshes = 0;
    Window->QRSymbol().SetOnAfterRebuild([this](TQRSymbol&) { ++Refreshes; });
    Window->show();
    Window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Window.get()));
    Grid->setFocus();
  }

  // Real key events to whatever holds the focus: the grid, or its in-place editor once open.
  static void Type(const QString& keys) {
    for (const QChar key : keys) {
      QWidget* target = QApplication::focusWidget();
      if (key == u'\b')
        QTest::keyClick(target, Qt::Key_Backspace);
      else if (key == u'\r')
        QTest::keyClick(target, Qt::Key_Return);
      else
        QTest::keyClick(target, key.toLatin1());
    }
  }
  static QLineEdit* Editor() { return qobject_cast<QLineEdit*>(QApplication::focusWidget()); }

  void TypeAt(int col, int row, const QString& keys) {
    Grid->SetCurrentCell(col, row);
    Type(keys);
  }

  std::unique_ptr<TForm1> Window;
  TStringGrid* Grid = nullptr;
  int Refreshes = 0;  // payload refreshes, one after each recalculation
};

TEST_F(DenominationGridTest, StartsWithHeadingsDenominationsZeroCountsAndNoSums) {
  ASSERT_EQ(Grid->ColCount(), 4);
  ASSERT_EQ(Grid->RowCount(), 17);
  EXPECT_EQ(Grid->FixedCols(), 1);
  EXPECT_EQ(Grid->FixedRows(), 1);
  const int widths[] = {50, 72, 72, 72};
  for (int col = 0; col < 4; ++col) EXPECT_EQ(Grid->columnWidth(col), widths[col]);
  for (int row = 0; row < 17; ++row) EXPECT_EQ(Grid->rowHeight(row), 20);

  const QStringList headings{"Номинал", "Тип", "Кол-во", "Сумма"};
  for (int col = 0; col < 4; ++col) EXPECT_EQ(Grid->Cells(col, 0), headings[col]);
  const QStringList denominations{"5000", "2000", "1000", "500", "200", "100", "50", "10",
                                  "25",   "10",   "5",    "2",   "1",   "0,5", "0,1"};
  for (int row = 1; row <= 15; ++row) {
    EXPECT_EQ(Grid->Cells(0, row), denominations[row - 1]);
    EXPECT_EQ(Grid->Cells(1, row), row <= 8 ? "банкнота" : "монета");
    EXPECT_EQ(Grid->Cells(CountCol, row), "0");
    EXPECT_EQ(Grid->Cells(SumCol, row), "");
  }
  EXPECT_EQ(Grid->Cells(0, TotalRow), "");
  EXPECT_EQ(Grid->Cells(1, TotalRow), "");
  EXPECT_EQ(Grid->Cells(CountCol, TotalRow), "Итого");
  EXPECT_EQ(Grid->Cells(SumCol, TotalRow), "");

  // Fixed cells cannot be selected; the type cell of the first row is current, not editable.
  EXPECT_FALSE(Grid->model()->flags(Grid->model()->index(0, 2)).testFlag(Qt::ItemIsSelectable));
  EXPECT_FALSE(Grid->model()->flags(Grid->model()->index(3, 0)).testFlag(Qt::ItemIsSelectable));
  EXPECT_EQ(Grid->Col(), 1);
  EXPECT_EQ(Grid->Row(), 1);
  EXPECT_FALSE(Grid->Editing());
}

TEST_F(DenominationGridTest, FractionalDenominationsFollowTheSeparator) {
  Fresh(u'.');
  EXPECT_EQ(Grid->Cells(0, 14), "0.5");
  EXPECT_EQ(Grid->Cells(0, 15), "0.1");
  TypeAt(CountCol, 15, "3");
  EXPECT_EQ(Grid->Cells(SumCol, 15), "0.3");
  EXPECT_EQ(Grid->Cells(SumCol, TotalRow), "0.3");
}

// Typed into the count column of a fresh grid (under a comma): what the row and the total show.
TEST_F(DenominationGridTest, ArithmeticThroughTheRealWidget) {
  const struct {
    int Row;
    const char* Keys;  // \b is Backspace
    const char* Count;
    const char* Sum;
    const char* Total;
  } cases[] = {
      {15, "3", "3", "0,3", "0,3"},
      {14, "7", "7", "3,5", "3,5"},
      {1, "12", "12", "60000", "60000"},
      {1, "12\b\b", "", "0", "0"},
      {1, "\b", "", "0", "0"},  // Backspace on a cell not being edited clears it
      {1, "2000000000", "200000000", "1000000000000", "1000000000000"},  // nine digits at most
      {9, "4", "4", "100", "100"},
      {13, "a-+ ,.e5x6", "56", "56",
       "56"},  // only digits get through, on the grid and in the editor
      {2, "\r1\r2", "12", "24000", "24000"},  // Enter neither opens nor closes the editor
  };
  for (const auto& c : cases) {
    Fresh();
    TypeAt(CountCol, c.Row, QString::fromLatin1(c.Keys));
    EXPECT_EQ(Grid->Cells(CountCol, c.Row), c.Count) << c.Keys;
    EXPECT_EQ(Grid->Cells(SumCol, c.Row), c.Sum) << c.Keys;
    EXPECT_EQ(Grid->Cells(SumCol, TotalRow), c.Total) << c.Keys;
    for (int row = 1; row <= 15; ++row) {
      if (row != c.Row) {
        EXPECT_EQ(Grid->Cells(SumCol, row), "0") << c.Keys << " row " << row;
      }
    }
  }
}

TEST_F(DenominationGridTest, RecalculatesAndRefreshesThePayloadOnEveryKeystrokeThatChangesTheCell) {
  TypeAt(CountCol, 3, "25");
  ASSERT_NE(Editor(), nullptr);
  EXPECT_EQ(Refreshes, 2);
  EXPECT_EQ(Grid->Cells(SumCol, TotalRow), "25000");
  EXPECT_TRUE(Window->QRSymbol().Text().contains(u"Сумма:25000 руб.;"_qs));
  Type("x");
  EXPECT_EQ(Refreshes, 2);
  Type("\b");
  EXPECT_EQ(Refreshes, 3);
  EXPECT_EQ(Grid->Cells(SumCol, TotalRow), "2000");

  // Moving on keeps every count, and the total adds up the rows.
  TypeAt(CountCol, 15, "7");
  EXPECT_EQ(Grid->Cells(CountCol, 3), "2");
  EXPECT_EQ(Grid->Cells(SumCol, TotalRow), "2000,7");
}

// Nine digits a count: even then the total keeps its kopecks within fifteen digits.
TEST_F(DenominationGridTest, TheLargestCountsStillGiveAnExactTotal) {
  for (int row = 1; row <= 15; ++row) TypeAt(CountCol, row, "9999999999");
  EXPECT_EQ(Grid->Cells(CountCol, 1), "999999999");
  EXPECT_EQ(Grid->Cells(SumCol, 1), "4999999995000");
  EXPECT_EQ(Grid->Cells(SumCol, 15), "99999999,9");
  EXPECT_EQ(Grid->Cells(SumCol, TotalRow), "8903599991096,4");
}

// Shift+Insert pastes (Ctrl+V is swallowed): digits only, as many as fit.
TEST_F(DenominationGridTest, APasteKeepsTheDigitsThatFit) {
  TypeAt(CountCol, 2, "5");
  ASSERT_NE(Editor(), nullptr);
  QApplication::clipboard()->setText("12 34x");
  QTest::keyClick(Editor(), Qt::Key_Insert, Qt::ShiftModifier);
  EXPECT_EQ(Grid->Cells(CountCol, 2), "51234");
  QApplication::clipboard()->setText("9 876 543 210");
  QTest::keyClick(Editor(), Qt::Key_Insert, Qt::ShiftModifier);
  EXPECT_EQ(Grid->Cells(CountCol, 2), "512349876");
  EXPECT_EQ(Grid->Cells(SumCol, TotalRow), "1024699752000");
  // The label cell opens with its own text, whatever the typing rules.
  Grid->SetCurrentCell(CountCol, TotalRow);
  QTest::keyClick(Grid, Qt::Key_F2);
  ASSERT_NE(Editor(), nullptr);
  EXPECT_EQ(Editor()->text(), "Итого");
}

TEST_F(DenominationGridTest, TheTotalLabelCellCanBeOverwrittenButIsNotCounted) {
  TypeAt(CountCol, 11, "3");
  TypeAt(CountCol, TotalRow, "99");
  EXPECT_EQ(Grid->Cells(CountCol, TotalRow), "99");
  EXPECT_EQ(Grid->Cells(SumCol, TotalRow), "15");
}

TEST_F(DenominationGridTest, OnlyTheCountColumnIsEditable) {
  for (const int col : {1, 3}) {
    TypeAt(col, 4, "5");
    EXPECT_FALSE(Grid->Editing()) << col;
    EXPECT_EQ(Editor(), nullptr) << col;
    EXPECT_EQ(Grid->Cells(col, 4), col == 1 ? "банкнота" : "") << col;
    QTest::keyClick(Grid, Qt::Key_F2);
    EXPECT_EQ(Editor(), nullptr) << col;
  }
  // Arrow keys move like the operator would; the editing switch follows.
  Grid->SetCurrentCell(1, 4);
  QTest::keyClick(Grid, Qt::Key_Right);
  EXPECT_EQ(Grid->Col(), CountCol);
  EXPECT_TRUE(Grid->Editing());
  Type("5");
  EXPECT_EQ(Grid->Cells(CountCol, 4), "5");
  // Leaving the count column closes the editor; the sum column takes no typing.
  QTest::keyClick(Grid, Qt::Key_Right);
  EXPECT_EQ(Editor(), nullptr);
  EXPECT_FALSE(Grid->Editing());
  EXPECT_EQ(Refreshes, 1);
}

TEST_F(DenominationGridTest, ClipboardKeysAreSwallowedAndTabLeavesTheGrid) {
  QApplication::clipboard()->setText("12abc");
  TypeAt(CountCol, 5, "4");
  ASSERT_NE(Editor(), nullptr);
  QTest::keyClick(Editor(), Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(Grid->Cells(CountCol, 5), "4");

  // Tab from the editor moves on to the full-name editor and keeps the count.
  Grid->SetCurrentCell(CountCol, 6);
  Type("8");
  ASSERT_NE(Editor(), nullptr);
  QTest::keyClick(Editor(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), Window->Controls().DBEdit5);
  EXPECT_EQ(Grid->Col(), CountCol);
  EXPECT_EQ(Grid->Row(), 6);
  EXPECT_EQ(Grid->Cells(CountCol, 6), "8");
  EXPECT_EQ(Grid->Cells(SumCol, TotalRow), "1600");
}

}  // namespace
