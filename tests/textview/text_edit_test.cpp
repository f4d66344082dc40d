#include "textview/ui/text_edit.h"
#include "graphview/ui/graph_edit.h"
#include "support/modal.h"
#include "support/model_check.h"
#include "support/window_fixture.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableView>

namespace {

class TextEditTest : public WindowTest {
 protected:
  // An image of `size` bytes counting up from 0, the table at `address`, the text view open.
  void Open(std::int32_t size, const char* address, const char* rows, const char* columns,
            QRadioButton* width) {
    PretendImageLoaded(size);
    for (std::int32_t i = 0; i < size; ++i) (*RomImage.Bytes)[i] = static_cast<std::uint8_t>(i);
    Main->Rows->setText(rows);
    Main->Columns->setText(columns);
    QTest::mouseClick(width, Qt::LeftButton);
    TypeAndEnter(Main->TableAddress, address);
    QTest::mouseClick(Main->TextModeButton, Qt::LeftButton);
    ASSERT_TRUE(TextEdit->isVisible());
  }

  static QString Cell(int row, int column) {
    return TextEdit->TextGrid->model()->index(row, column).data().toString();
  }

  static void Select(int row, int column) {
    TextEdit->TextGrid->setCurrentIndex(TextEdit->TextGrid->model()->index(row, column));
  }

  // Types `text` into the selected cell in place, then presses Enter; returns the boxes shown.
  static std::vector<SeenBox> TypeIntoCell(int row, int column, const QString& text) {
    Select(row, column);
    QAbstractItemModel* model = TextEdit->TextGrid->model();
    model->setData(model->index(row, column), text, Qt::EditRole);
    return AnsweringBoxes([] { QTest::keyClick(TextEdit->TextGrid, Qt::Key_Return); });
  }

  static void Press(char key, int row, int column) {
    Select(row, column);
    QTest::keyClick(TextEdit->TextGrid, key);
  }

  static std::uint8_t Byte(std::size_t position) { return (*RomImage.Bytes)[position]; }
};

TEST_F(TextEditTest, WindowHasItsModeStripAndGrid) {
  EXPECT_EQ(TextEdit->size(), QSize(527, 352));
  EXPECT_EQ(TextEdit->Raw->text(), "Raw (Decimal)");
  EXPECT_EQ(TextEdit->Hex->text(), "Raw (Hexadecimal)");
  EXPECT_EQ(TextEdit->Scaled->text(), "Scaled");
  EXPECT_TRUE(TextEdit->Raw->isChecked());
  EXPECT_EQ(TextEdit->Raw->pos(), QPoint(16, 8));
  EXPECT_EQ(TextEdit->Hex->pos(), QPoint(120, 8));
  EXPECT_EQ(TextEdit->Scaled->pos(), QPoint(248, 8));
  EXPECT_EQ(TextEdit->Panel2->height(), 33);
  Open(0x100, "0", "2", "2", Main->EightBitTable);
  TextEdit->resize(700, 500);
  EXPECT_EQ(TextEdit->TextGrid->geometry(), QRect(0, 0, 700 - 26, 500 - 83));
  EXPECT_EQ(TextEdit->Panel1->geometry(), QRect(0, 33, 700, 500 - 33));
  TextEdit->resize(20, 60);
  EXPECT_EQ(TextEdit->TextGrid->size(), QSize(0, 0));
}

TEST_F(TextEditTest, HeadersShowOffsetsAndRowAddresses) {
  Open(0x2000, "0x1000", "4", "3", Main->SixteenBitTable);
  QAbstractItemModel* model = TextEdit->TextGrid->model();
  EXPECT_EQ(model->rowCount(), 5);
  EXPECT_EQ(model->columnCount(), 4);
  EXPECT_EQ(Cell(0, 0), "0x1000");
  EXPECT_EQ(Cell(0, 1), "0x00");
  EXPECT_EQ(Cell(0, 2), "0x02");
  EXPECT_EQ(Cell(0, 3), "0x04");
  EXPECT_EQ(Cell(1, 0), "0x1000");
  EXPECT_EQ(Cell(2, 0), "0x1006");
  EXPECT_EQ(Cell(3, 0), "0x100C");
  EXPECT_EQ(Cell(4, 0), "0x1012");
  // The view's own headers show the same texts, and the column width follows the width.
  EXPECT_EQ(model->headerData(2, Qt::Horizontal).toString(), "0x02");
  EXPECT_EQ(model->headerData(3, Qt::Vertical).toString(), "0x100C");
  EXPECT_EQ(TextEdit->TextGrid->columnWidth(1), 50);
  EXPECT_EQ(TextEdit->TextGrid->rowHeight(1), 16);
  EXPECT_EQ(TextEdit->TextGrid->verticalHeader()->width(), 45);
  // The header row and column show as the view's frozen headers, not as cells.
  EXPECT_TRUE(TextEdit->TextGrid->isRowHidden(0));
  EXPECT_TRUE(TextEdit->TextGrid->isColumnHidden(0));
  EXPECT_EQ(TextEdit->TextGrid->visualRect(model->index(1, 1)).topLeft(), QPoint(0, 0));
  EXPECT_EQ(Cell(1, 1), QString::number(0x0001));  // bytes 00 01
  EXPECT_EQ(Cell(2, 1), QString::number(0x0607));

  QTest::mouseClick(Main->ThirtyTwoBitTable, Qt::LeftButton);
  EXPECT_EQ(Cell(0, 3), "0x08");
  EXPECT_EQ(Cell(2, 0), "0x100C");
  EXPECT_EQ(TextEdit->TextGrid->columnWidth(1), 90);
  QTest::mouseClick(Main->EightBitTable, Qt::LeftButton);
  EXPECT_EQ(Cell(0, 3), "0x02");
  EXPECT_EQ(TextEdit->TextGrid->columnWidth(1), 30);
}

TEST_F(TextEditTest, AddressesAboveFFFFShowAllTheirDigits) {
  Open(0x30000, "0x23456", "2", "16", Main->EightBitTable);
  EXPECT_EQ(Cell(0, 0), "0x23456");
  EXPECT_EQ(Cell(2, 0), "0x23466");
}

TEST_F(TextEditTest, TheRowHeaderColumnWidensToItsWidestAddress) {
  Open(0x100100, "0x03F0", "16", "16", Main->EightBitTable);
  QHeaderView* rows = TextEdit->TextGrid->verticalHeader();
  EXPECT_EQ(rows->width(), 45);
  QFont large = TextEdit->TextGrid->font();
  large.setPixelSize(24);
  TextEdit->TextGrid->setFont(large);
  TypeAndEnter(Main->TableAddress, "0x100000");
  ASSERT_EQ(Cell(16, 0), "0x1000F0");
  const int text = QFontMetrics(rows->font()).horizontalAdvance("0x1000F0");
  EXPECT_GT(rows->width(), text);
  // Back to short addresses, the column is 45 pixels again once they fit.
  TextEdit->TextGrid->setFont(QFont());
  TypeAndEnter(Main->TableAddress, "0x03F0");
  EXPECT_EQ(rows->width(), 45);
}

TEST_F(TextEditTest, TheThreeModesRenderEveryCell) {
  Open(0x100, "0x0A", "2", "2", Main->EightBitTable);
  EXPECT_EQ(Cell(1, 1), "10");
  QTest::mouseClick(TextEdit->Hex, Qt::LeftButton);
  EXPECT_EQ(Cell(1, 1), "0x0A");
  EXPECT_EQ(Cell(0, 2), "0x01");  // headers do not change with the mode
  QTest::mouseClick(TextEdit->Scaled, Qt::LeftButton);
  EXPECT_EQ(Cell(1, 1), "???");
  EXPECT_EQ(Cell(0, 0), "0x000A");

  QTest::mouseClick(TextEdit->Hex, Qt::LeftButton);
  QTest::mouseClick(Main->SixteenBitTable, Qt::LeftButton);
  EXPECT_EQ(Cell(1, 1), "0x0A0B");
  QTest::mouseClick(Main->ThirtyTwoBitTable, Qt::LeftButton);
  EXPECT_EQ(Cell(1, 1), "0x0A0B0C0D");
}

TEST_F(TextEditTest, A32BitEntryWithTheTopBitSetShowsNegativeInDecimal) {
  Open(8, "0", "1", "2", Main->ThirtyTwoBitTable);
  std::fill(RomImage.Bytes->begin(), RomImage.Bytes->begin() + 4, 0xFF);
  (*RomImage.Bytes)[4] = 0x80;
  TextEdit->FillGrid();
  EXPECT_EQ(Cell(1, 1), "-1");
  EXPECT_EQ(Cell(1, 2), "-2147154425");
}

TEST_F(TextEditTest, CellsPastTheImageEndAreEmpty) {
  Open(0x11, "0x08", "2", "4", Main->SixteenBitTable);
  // Entries at 8, 10, 12, 14 inside; 16 straddles the end; 18 and on lie past it.
  EXPECT_EQ(Cell(1, 4), QString::number(0x0E0F));
  EXPECT_EQ(Cell(2, 1), "");
  EXPECT_EQ(Cell(2, 2), "");
  EXPECT_EQ(Cell(2, 0), "0x0010");  // headers still show
}

TEST_F(TextEditTest, AColumnCountChangeFollowsWhileOnlyTheTextViewIsOpen) {
  Open(0x100, "0", "4", "4", Main->EightBitTable);
  TypeAndEnter(Main->Columns, "6");
  EXPECT_EQ(TextEdit->TextGrid->model()->columnCount(), 7);
  EXPECT_TRUE(TextEdit->TextGrid->isColumnHidden(0));
  EXPECT_EQ(Cell(2, 0), "0x0006");
  EXPECT_EQ(Cell(2, 1), "6");
  EXPECT_EQ(Cell(3, 1), "12");
}

TEST_F(TextEditTest, EnterStoresTheTypedValue) {
  Open(0x100, "0x10", "4", "4", Main->EightBitTable);
  EXPECT_TRUE(TypeIntoCell(1, 1, "0x1F").empty());
  EXPECT_EQ(Byte(0x10), 31);
  EXPECT_EQ(Cell(1, 1), "31");
  for (const char* text : {"$FF", "xff", "0XfF", "  255"}) {
    EXPECT_TRUE(TypeIntoCell(1, 2, text).empty()) << text;
    EXPECT_EQ(Byte(0x11), 255) << text;
    (*RomImage.Bytes)[0x11] = 0;
  }
  TypeIntoCell(1, 3, "300");  // cut to the entry width
  EXPECT_EQ(Byte(0x12), 0x2C);
  EXPECT_EQ(Cell(1, 3), "44");
}

TEST_F(TextEditTest, ABadTextIsRejectedAndTheStoredValueShownAgain) {
  Open(0x100, "0x10", "4", "4", Main->EightBitTable);
  for (const char* text : {"12 ", "-0x10", "2147483648", "-2147483648", "abc", ""}) {
    const auto boxes = TypeIntoCell(1, 1, text);
    ASSERT_EQ(boxes.size(), 1u) << text;
    EXPECT_EQ(boxes[0].title, "Input Error");
    EXPECT_EQ(boxes[0].text, "Bad value. Must be decimal or hex with a leading '0x'");
    EXPECT_EQ(boxes[0].icon, QMessageBox::NoIcon);
    EXPECT_EQ(boxes[0].buttons, QMessageBox::Ok);
    EXPECT_EQ(Byte(0x10), 0x10) << text;
    EXPECT_EQ(Cell(1, 1), "16") << text;
  }
  EXPECT_TRUE(TypeIntoCell(1, 1, "-2147483647").empty());
  EXPECT_EQ(Byte(0x10), 0x01);
}

TEST_F(TextEditTest, EnterOnAnUntouchedCellWritesBackItsValue) {
  Open(0x100, "0", "2", "2", Main->ThirtyTwoBitTable);
  std::fill(RomImage.Bytes->begin(), RomImage.Bytes->begin() + 4, 0xFE);
  TextEdit->FillGrid();
  Select(1, 1);
  EXPECT_TRUE(AnsweringBoxes([] { QTest::keyClick(TextEdit->TextGrid, Qt::Key_Return); }).empty());
  EXPECT_EQ(Byte(0), 0xFE);
  EXPECT_EQ(Byte(3), 0xFE);

  // 0x80000000 reads as -2147483648 in decimal, a text the integer parse refuses.
  (*RomImage.Bytes)[4] = 0x80;
  std::fill(RomImage.Bytes->begin() + 5, RomImage.Bytes->begin() + 8, 0);
  TextEdit->FillGrid();
  Select(1, 2);
  EXPECT_EQ(AnsweringBoxes([] { QTest::keyClick(TextEdit->TextGrid, Qt::Key_Return); }).size(), 1u);
  EXPECT_EQ(Byte(4), 0x80);
  QTest::mouseClick(TextEdit->Hex, Qt::LeftButton);  // in hex it writes back unchanged
  Select(1, 2);
  EXPECT_TRUE(AnsweringBoxes([] { QTest::keyClick(TextEdit->TextGrid, Qt::Key_Return); }).empty());
  EXPECT_EQ(Byte(4), 0x80);

  QTest::mouseClick(TextEdit->Scaled, Qt::LeftButton);
  Select(1, 1);
  EXPECT_EQ(AnsweringBoxes([] { QTest::keyClick(TextEdit->TextGrid, Qt::Key_Return); }).size(), 1u);
  EXPECT_EQ(Byte(0), 0xFE);
  EXPECT_EQ(Cell(1, 1), "???");
}

TEST_F(TextEditTest, PlusAndMinusStepWithWrapAround) {
  Open(0x100, "0", "1", "4", Main->EightBitTable);
  (*RomImage.Bytes)[0] = 0xFF;
  TextEdit->FillGrid();
  Press('+', 1, 1);
  EXPECT_EQ(Byte(0), 0x00);
  EXPECT_EQ(Cell(1, 1), "0");
  Press('-', 1, 1);
  EXPECT_EQ(Byte(0), 0xFF);

  QTest::mouseClick(Main->SixteenBitTable, Qt::LeftButton);
  (*RomImage.Bytes)[2] = 0;
  (*RomImage.Bytes)[3] = 0;
  Press('-', 1, 2);
  EXPECT_EQ(Byte(2), 0xFF);
  EXPECT_EQ(Byte(3), 0xFF);
  EXPECT_EQ(Cell(1, 2), "65535");

  QTest::mouseClick(Main->ThirtyTwoBitTable, Qt::LeftButton);
  std::fill(RomImage.Bytes->begin(), RomImage.Bytes->begin() + 4, 0xFF);
  Press('+', 1, 1);
  EXPECT_EQ(Byte(0), 0);
  EXPECT_EQ(Byte(3), 0);
}

TEST_F(TextEditTest, KeysWhileTheInPlaceEditorIsOpen) {
  Open(0x100, "0x20", "2", "2", Main->EightBitTable);
  TextEdit->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(TextEdit));
  Select(1, 1);
  TextEdit->TextGrid->setFocus();
  QTest::keyClick(TextEdit->TextGrid, '7');  // typing opens the editor over the old text
  auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
  ASSERT_NE(editor, nullptr);
  QTest::keyClick(editor, '7');
  EXPECT_EQ(editor->text(), "77");
  QTest::keyClick(editor, '+');  // stepped, never typed
  EXPECT_EQ(Byte(0x20), 0x21);
  EXPECT_EQ(Cell(1, 1), "33");

  QTest::keyClick(TextEdit->TextGrid, '9');
  editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
  ASSERT_NE(editor, nullptr);
  QTest::keyClick(editor, '0');
  QTest::keyClick(editor, Qt::Key_Return);
  EXPECT_EQ(Byte(0x20), 90);
  EXPECT_EQ(Cell(1, 1), "90");
}

TEST_F(TextEditTest, TypingIntoAFreshlyShownViewGoesToTheGrid) {
  Open(0x100, "0x10", "2", "2", Main->EightBitTable);
  ASSERT_TRUE(QTest::qWaitForWindowActive(TextEdit));
  EXPECT_EQ(QApplication::focusWidget(), TextEdit->TextGrid);

  // Keys typed at the window, as the platform delivers them, reach the selected cell.
  QTest::keyClick(TextEdit->windowHandle(), Qt::Key_4, Qt::NoModifier);
  QTest::keyClick(TextEdit->windowHandle(), Qt::Key_2, Qt::NoModifier);
  QTest::keyClick(TextEdit->windowHandle(), Qt::Key_Return, Qt::NoModifier);
  EXPECT_EQ(Byte(0x10), 42);
  EXPECT_EQ(Cell(1, 1), "42");

  // Hidden and shown again, the grid has the focus again, wherever it was before.
  TextEdit->Hex->setFocus();
  ASSERT_EQ(QApplication::focusWidget(), TextEdit->Hex);
  QTest::mouseClick(Main->TextModeButton, Qt::LeftButton);
  Main->activateWindow();
  ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activeWindow() == Main; }));
  QTest::mouseClick(Main->TextModeButton, Qt::LeftButton);
  ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activeWindow() == TextEdit; }));
  EXPECT_EQ(QApplication::focusWidget(), TextEdit->TextGrid);
}

TEST_F(TextEditTest, EditsOutsideTheImageChangeNothing) {
  Open(0x11, "0x10", "2", "2", Main->EightBitTable);
  const auto before = *RomImage.Bytes;
  EXPECT_TRUE(TypeIntoCell(2, 1, "5").empty());
  Press('+', 1, 2);
  Press('-', 2, 2);
  EXPECT_EQ(*RomImage.Bytes, before);
  EXPECT_EQ(Cell(2, 1), "");
  EXPECT_EQ(Cell(1, 2), "");
}

TEST_F(TextEditTest, ModelKeepsItsContractAndFollowsTheCursor) {
  Open(0x10000, "0", "256", "256", Main->SixteenBitTable);
  const ModelCheck check(TextEdit->TextGrid->model());
  TypeAndEnter(Main->Rows, "3");
  TypeAndEnter(Main->Columns, "0");  // checked up to 1
  EXPECT_EQ(TextEdit->TextGrid->model()->columnCount(), 2);
  Main->Rows->setText("-5");  // unchecked: a refresh copies it as it is
  TextEdit->FillGrid();
  EXPECT_EQ(TextEdit->TextGrid->model()->rowCount(), 1);
}

TEST_F(TextEditTest, TheGridPaintsTheCellsScrolledTo) {
  Open(0x20000, "0", "256", "256", Main->SixteenBitTable);
  (*RomImage.Bytes)[0x1FFFE] = 0x12;
  QTest::mouseClick(TextEdit->Hex, Qt::LeftButton);
  QAbstractItemModel* model = TextEdit->TextGrid->model();
  const QModelIndex last = model->index(256, 256);
  EXPECT_EQ(last.data().toString(), "0x12FF");
  QApplication::processEvents();  // the view lays itself out after the refresh
  TextEdit->TextGrid->scrollTo(last);
  const QRect cell = TextEdit->TextGrid->visualRect(last);
  ASSERT_TRUE(TextEdit->TextGrid->viewport()->rect().contains(cell));
  const QImage shown = TextEdit->TextGrid->viewport()->grab().toImage();
  int inked = 0;  // pixels of the cell's text
  for (int y = cell.top() + 1; y < cell.bottom() - 1; ++y) {
    for (int x = cell.left() + 1; x < cell.right() - 1; ++x) {
      if (qGray(shown.pixel(x, y)) < 128) ++inked;
    }
  }
  EXPECT_GT(inked, 10);
}

TEST_F(TextEditTest, ClosingTheWindowGoesThroughTheToggle) {
  Open(0x100, "0", "2", "2", Main->EightBitTable);
  TextEdit->close();
  EXPECT_FALSE(TextEdit->isVisible());
  EXPECT_EQ(Main->TextModeButton->text(), "Show Text View");
}

}  // namespace
