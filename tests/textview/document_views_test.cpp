// The views follow the session's document, whoever changes it, and show the table as its
// entries are stored.
#include "graphview/ui/graph_edit.h"
#include "image/image_document.h"
#include "plot/xyz_plot.h"
#include "support/window_fixture.h"
#include "textview/ui/text_edit.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QRadioButton>
#include <QTableView>

#include <vector>

namespace {

class DocumentViewsTest : public WindowTest {
 protected:
  // A 2 × 2 16-bit table at 0 over 0x10 bytes, both views open.
  static void Open(const std::vector<std::uint8_t>& bytes) {
    PretendImageLoaded(0x10);
    std::copy(bytes.begin(), bytes.end(), RomImage.Bytes->begin());
    Main->Rows->setText("2");
    Main->Columns->setText("2");
    QTest::mouseClick(Main->SixteenBitTable, Qt::LeftButton);
    QTest::mouseClick(Main->TextModeButton, Qt::LeftButton);
    QTest::mouseClick(Main->GraphicsModeButton, Qt::LeftButton);
  }

  static QString Cell(int row, int column) {
    return TextEdit->TextGrid->model()->index(row, column).data().toString();
  }

  static double Height(int row, int column) {
    return GraphEdit->XYZGraph->PlotList().front()->Point(column, row).z;
  }
};

TEST_F(DocumentViewsTest, AChangeMadeThroughTheDocumentReachesBothViews) {
  Open({0, 1, 0, 2, 0, 3, 0, 4});
  const std::vector<std::uint8_t> one = {0x01, 0x00};
  ASSERT_TRUE(ImageDocument.Write(2, one).Applied());
  EXPECT_EQ(Cell(1, 2), "256");
  EXPECT_DOUBLE_EQ(Height(0, 1), 256.0);

  const std::vector<std::uint8_t> block = {0, 7, 0, 8, 0, 9};
  ASSERT_TRUE(ImageDocument.Write(2, block).Applied());
  EXPECT_EQ(Cell(1, 2), "7");
  EXPECT_EQ(Cell(2, 2), "9");
  EXPECT_DOUBLE_EQ(Height(1, 1), 9.0);

  ASSERT_TRUE(ImageDocument.Undo().Applied());
  EXPECT_EQ(Cell(2, 2), "4");
  EXPECT_DOUBLE_EQ(Height(1, 1), 4.0);
}

TEST_F(DocumentViewsTest, ASignedLittleEndianTableIsShownAndEditedAsStored) {
  Open({0xFE, 0xFF, 0x34, 0x12, 0, 0x80, 5, 0});
  TableCursor.EntrySigned = true;
  TableCursor.EntryOrder = TByteOrder::LittleEndian;
  Main->Update();
  EXPECT_EQ(Cell(1, 1), "-2");
  EXPECT_EQ(Cell(1, 2), "4660");
  EXPECT_EQ(Cell(2, 1), "-32768");
  EXPECT_DOUBLE_EQ(Height(0, 0), -2.0);
  QTest::mouseClick(TextEdit->Hex, Qt::LeftButton);
  EXPECT_EQ(Cell(1, 1), "0xFFFE");

  TextEdit->TextGrid->setCurrentIndex(TextEdit->TextGrid->model()->index(2, 2));
  QTest::keyClick(TextEdit->TextGrid, '+');
  EXPECT_EQ((*RomImage.Bytes)[6], 6);
  EXPECT_EQ((*RomImage.Bytes)[7], 0);
  EXPECT_EQ(Cell(2, 2), "0x0006");
  QTest::mouseClick(TextEdit->Raw, Qt::LeftButton);
  TextEdit->CopyTable();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "-2\t4660\n-32768\t6\n");
}

}  // namespace
