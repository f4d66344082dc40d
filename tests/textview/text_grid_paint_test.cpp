// The text grid's heat-map shades and changed-cell marks, checked on its painted pixels.
#include "image/image_document.h"
#include "support/window_fixture.h"
#include "textview/counting_table_test.h"
#include "textview/heat_shade.h"
#include "textview/ui/text_edit.h"

#include <QImage>
#include <QRadioButton>
#include <QTableView>

namespace {

const QColor kMark(200, 0, 0);

class TextGridPaintTest : public CountingTableTest {
 protected:
  static QImage Grab() { return TextEdit->TextGrid->viewport()->grab().toImage(); }

  static QRect CellRect(int row, int column) {
    return TextEdit->TextGrid->visualRect(TextEdit->TextGrid->model()->index(row, column));
  }

  // A pixel of the cell's background, left of its right-aligned text and below its mark.
  static QColor Background(const QImage& grid, int row, int column) {
    const QRect cell = CellRect(row, column);
    return grid.pixelColor(cell.left() + 8, cell.top() + cell.height() - 3);
  }

  static QColor MarkPixel(const QImage& grid, int row, int column) {
    const QRect cell = CellRect(row, column);
    return grid.pixelColor(cell.left() + 1, cell.top() + 1);
  }
};

TEST_F(TextGridPaintTest, CellsOfDifferentValueGetDifferentShades) {
  Open("0x10");  // values 16 … 31
  Select(2, 2);
  const QImage grid = Grab();
  EXPECT_NE(Background(grid, 1, 1), Background(grid, 4, 4));
  EXPECT_NE(Background(grid, 1, 1), Background(grid, 2, 3));
  // Equal values share a shade: the selected cell keeps the highlight instead.
  EXPECT_EQ(Background(grid, 2, 2), TextEdit->TextGrid->palette().color(QPalette::Highlight));
}

TEST_F(TextGridPaintTest, CellsOutsideTheImageStayPlain) {
  Open("0xF8");  // rows 3 and 4 lie past the image's end
  Select(1, 1);
  const QImage grid = Grab();
  const QColor plain = TextEdit->TextGrid->palette().color(QPalette::Base);
  EXPECT_EQ(Background(grid, 3, 1), plain);
  EXPECT_EQ(Background(grid, 4, 4), plain);
  EXPECT_NE(Background(grid, 2, 1), plain);
}

TEST_F(TextGridPaintTest, AChangedCellIsMarkedUntilItsChangeIsUndone) {
  Open("0x10");
  Select(1, 2);
  QTest::keyClick(TextEdit->TextGrid, '+');
  Select(3, 3);
  QImage grid = Grab();
  EXPECT_EQ(MarkPixel(grid, 1, 2), kMark);
  EXPECT_NE(MarkPixel(grid, 1, 1), kMark);
  EXPECT_NE(MarkPixel(grid, 1, 3), kMark);

  QTest::keyClick(TextEdit->TextGrid, Qt::Key_Z, Qt::ControlModifier);
  grid = Grab();
  EXPECT_NE(MarkPixel(grid, 1, 2), kMark);
  QTest::keyClick(TextEdit->TextGrid, Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(MarkPixel(Grab(), 1, 2), kMark);
}

// The shades follow an edit: a cell raised to the table's top takes the warm end's shade.
TEST_F(TextGridPaintTest, ShadesFollowAnEdit) {
  Open("0x10");
  Select(4, 1);
  const QColor before = Background(Grab(), 1, 1);
  TextEdit->TextGrid->model()->setData(TextEdit->TextGrid->model()->index(1, 1), "255",
                                       Qt::EditRole);
  Select(1, 1);
  QTest::keyClick(TextEdit->TextGrid, Qt::Key_Return);
  Select(4, 1);
  const QImage grid = Grab();
  EXPECT_NE(Background(grid, 1, 1), before);
  const TRgb warm = HeatShade(255, TValueRange{17, 255}).background;
  EXPECT_EQ(Background(grid, 1, 1), QColor(warm.red, warm.green, warm.blue));
  EXPECT_NE(Background(grid, 1, 1), Background(grid, 4, 4));  // 31 is no longer the top
}

// Shaded cells are kept as finished pictures; a new font must not show the old ones.
TEST_F(TextGridPaintTest, AFontChangeRedrawsTheCells) {
  Open("0x10");
  Select(4, 4);
  const QFont original = TextEdit->TextGrid->font();
  const QImage before = Grab();
  QFont large = original;
  large.setPointSize(original.pointSize() + 3);
  TextEdit->TextGrid->setFont(large);
  const QRect cell = CellRect(1, 1);
  const QImage after = Grab();
  EXPECT_NE(after.copy(cell), before.copy(cell));
  TextEdit->TextGrid->setFont(original);
  EXPECT_EQ(Grab().copy(CellRect(1, 1)), before.copy(CellRect(1, 1)));
}

// A text too wide for its cell is drawn in place, spilling to the left as before, not cut.
TEST_F(TextGridPaintTest, ATextWiderThanItsCellIsNotCut) {
  Open("0x10");
  Select(4, 4);
  TextEdit->TextGrid->setColumnWidth(1, 60);
  TextEdit->TextGrid->setColumnWidth(2, 6);
  const QImage grid = Grab();
  const QRect narrow = CellRect(1, 2);
  const QColor shade = Background(grid, 1, 1);
  // Some pixel of the cell to the left, next to the narrow one, carries the spilled text.
  bool spilled = false;
  for (int y = narrow.top(); y < narrow.bottom(); ++y) {
    spilled = spilled || grid.pixelColor(narrow.left() - 2, y) != shade;
  }
  EXPECT_TRUE(spilled);
}

}  // namespace
