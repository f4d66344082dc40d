#include "graphview/ui/graph_edit.h"
#include "plot/xyz_plot.h"
#include "support/modal.h"
#include "support/window_fixture.h"
#include "textview/ui/text_edit.h"

#include <QLabel>
#include <QRadioButton>
#include <QStatusBar>
#include <QTableView>

namespace {

class GraphEditTest : public WindowTest {
 protected:
  // An image of `size` bytes counting up from 0 and the graph view open on the table.
  void Open(std::int32_t size, const char* address, const char* rows, const char* columns,
            QRadioButton* width) {
    PretendImageLoaded(size);
    for (std::int32_t i = 0; i < size; ++i) (*RomImage.Bytes)[i] = static_cast<std::uint8_t>(i);
    Main->Rows->setText(rows);
    Main->Columns->setText(columns);
    QTest::mouseClick(width, Qt::LeftButton);
    Main->TableAddress->setText(address);
    QTest::mouseClick(Main->GraphicsModeButton, Qt::LeftButton);
    ASSERT_TRUE(GraphEdit->isVisible());
  }

  static const T3DPlotListMember& Plot() {
    EXPECT_EQ(GraphEdit->XYZGraph->PlotList().size(), 1u);
    return *GraphEdit->XYZGraph->PlotList().front();
  }

  // The height plotted for table entry (row, column).
  static double Height(int row, int column) { return Plot().Point(column, row).z; }

  static void Refresh(const char* rows, const char* columns) {
    TypeAndEnter(Main->Rows, rows);
    TypeAndEnter(Main->Columns, columns);
  }
};

TEST_F(GraphEditTest, WindowHasItsPanelAndPlot) {
  EXPECT_EQ(GraphEdit->windowTitle(), "GraphEdit");
  EXPECT_EQ(GraphEdit->size(), QSize(828, 615));
  EXPECT_EQ(GraphEdit->CreateTableEntry->text(), "Create Table Entry");
  EXPECT_EQ(GraphEdit->CreateTableEntry->geometry(), QRect(662, 8, 147, 25));
  EXPECT_EQ(GraphEdit->XLabel->pos(), QPoint(272, 8));
  EXPECT_EQ(GraphEdit->XLabel->palette().color(QPalette::WindowText), QColor(Qt::red));
  EXPECT_EQ(GraphEdit->ZLabel->palette().color(QPalette::WindowText), QColor(Qt::blue));
  TXYZPlot* plot = GraphEdit->XYZGraph;
  EXPECT_EQ(plot->objectName(), "XYZGraph");
  EXPECT_DOUBLE_EQ(plot->property("Phi").toDouble(), 3.5);
  EXPECT_DOUBLE_EQ(plot->property("Psi").toDouble(), 0.2);
  EXPECT_FALSE(plot->property("PerspectiveOn").toBool());
  EXPECT_DOUBLE_EQ(plot->property("VanishingPoint").toDouble(), 100.0);
}

TEST_F(GraphEditTest, PlotsTheTableColumnsAlongXAndRowsAlongY) {
  Open(0x400, "0x3F0", "4", "3", Main->EightBitTable);
  const T3DPlotListMember& plot = Plot();
  EXPECT_EQ(plot.XCount, 3);
  EXPECT_EQ(plot.YCount, 4);
  EXPECT_EQ(plot.Style, psGrid);
  EXPECT_EQ(plot.LineColor, 0x800000u);
  EXPECT_EQ(plot.FillColor, 0x00FF00u);
  EXPECT_EQ(plot.PlotID, 0);
  EXPECT_DOUBLE_EQ(Height(0, 0), 0xF0);
  EXPECT_DOUBLE_EQ(Height(1, 2), 0xF5);  // 0x3F0 + 1 × 3 + 2
  EXPECT_DOUBLE_EQ(plot.Point(2, 3).x, 255.0);
  EXPECT_DOUBLE_EQ(plot.Point(2, 3).y, 255.0);
  EXPECT_DOUBLE_EQ(plot.Point(1, 1).x, 127.5);
  EXPECT_DOUBLE_EQ(plot.Point(1, 1).y, 85.0);

  EXPECT_EQ(GraphEdit->Rows->text(), "Rows : 4");
  EXPECT_EQ(GraphEdit->Columns->text(), "Columns : 3");
  EXPECT_EQ(GraphEdit->CurrentTable->text(), "Table : ");
  EXPECT_EQ(GraphEdit->TableAddress->text(), "Address : 0x03F0");

  TableCursor.TableName = "Fuel";
  TableCursor.XLabelName = "RPM";
  TableCursor.YLabelName = "Load";
  TableCursor.ZLabelName = "ms";
  TypeAndEnter(Main->TableAddress, "0x12345");  // clamped to the image's last byte
  EXPECT_EQ(GraphEdit->CurrentTable->text(), "Table : Fuel");
  EXPECT_EQ(GraphEdit->TableAddress->text(), "Address : 0x03FF");
  EXPECT_EQ(GraphEdit->XLabel->text(), "RPM");
  EXPECT_EQ(GraphEdit->YLabel->text(), "Load");
  EXPECT_EQ(GraphEdit->ZLabel->text(), "ms");
  // Entries past the image's end are not read: raw 0, height ZOffset.
  EXPECT_DOUBLE_EQ(Height(0, 0), 0xFF);
  EXPECT_DOUBLE_EQ(Height(0, 1), 0.0);
  EXPECT_DOUBLE_EQ(Height(3, 2), 0.0);
}

TEST_F(GraphEditTest, OneRowAndOneColumnTablesTurnTheView) {
  Open(0x400, "0", "1", "16", Main->EightBitTable);
  TXYZPlot* plot = GraphEdit->XYZGraph;
  EXPECT_DOUBLE_EQ(plot->Phi(), 3.14159);
  EXPECT_DOUBLE_EQ(plot->Psi(), 0.0);
  EXPECT_DOUBLE_EQ(plot->Theta(), 0.0);
  EXPECT_FALSE(plot->ShowYLabel());
  EXPECT_TRUE(plot->ShowXLabel());
  EXPECT_DOUBLE_EQ(Plot().Point(0, 0).y, 0.0);

  Refresh("16", "16");  // labels back, angles kept
  EXPECT_TRUE(plot->ShowYLabel());
  EXPECT_DOUBLE_EQ(plot->Phi(), 3.14159);

  Refresh("16", "1");
  EXPECT_DOUBLE_EQ(plot->Phi(), 4.712385);
  EXPECT_FALSE(plot->ShowXLabel());
  EXPECT_TRUE(plot->ShowYLabel());

  Refresh("1", "1");
  EXPECT_DOUBLE_EQ(plot->Phi(), 4.712385);
  EXPECT_FALSE(plot->ShowXLabel());
  EXPECT_FALSE(plot->ShowYLabel());
  EXPECT_EQ(Plot().XCount, 1);
  EXPECT_EQ(Plot().YCount, 1);
}

TEST_F(GraphEditTest, HeightsAreScaledUnsignedValues) {
  Open(8, "0", "1", "2", Main->ThirtyTwoBitTable);
  std::fill(RomImage.Bytes->begin(), RomImage.Bytes->begin() + 4, 0xFF);
  (*RomImage.Bytes)[7] = 100;
  std::fill(RomImage.Bytes->begin() + 4, RomImage.Bytes->begin() + 7, 0);
  TableCursor.ZScale = 0.5f;
  TableCursor.ZOffset = -40.0f;
  GraphEdit->PlotTable();
  EXPECT_DOUBLE_EQ(Height(0, 0), 4294967295.0 * 0.5 - 40.0);  // top bit set: large, positive
  EXPECT_DOUBLE_EQ(Height(0, 1), 10.0);

  TableCursor.ZScale = 0.1f;  // single precision, multiplied in double
  TableCursor.ZOffset = 0.0f;
  GraphEdit->PlotTable();
  EXPECT_DOUBLE_EQ(Height(0, 1), 100.0 * static_cast<double>(0.1f));
}

TEST_F(GraphEditTest, TheLargestTableIsPlottedWhole) {
  Open(0x20000, "0", "256", "256", Main->SixteenBitTable);
  EXPECT_EQ(Plot().XCount, 256);
  EXPECT_EQ(Plot().YCount, 256);
  EXPECT_DOUBLE_EQ(Height(255, 255), ((0x1FFFE & 0xFF) << 8) | (0x1FFFF & 0xFF));
  // A size typed past the limit and not yet checked plots the first 256 rows.
  Main->Rows->setText("1000");
  GraphEdit->PlotTable();
  EXPECT_EQ(Plot().YCount, 256);
  EXPECT_EQ(GraphEdit->Rows->text(), "Rows : 1000");
  Main->Rows->setText("-3");
  GraphEdit->PlotTable();
  EXPECT_EQ(Plot().YCount, 0);
}

TEST_F(GraphEditTest, ResizingRebuildsThePlotFromTheImage) {
  Open(0x100, "0", "2", "2", Main->EightBitTable);
  (*RomImage.Bytes)[0] = 200;
  GraphEdit->resize(600, 400);
  QApplication::processEvents();
  EXPECT_DOUBLE_EQ(Height(0, 0), 200.0);
  EXPECT_EQ(GraphEdit->XYZGraph->width(), 600);
  EXPECT_EQ(GraphEdit->XYZGraph->height(), 400 - 81 - GraphEdit->StatusBar1->height());
}

TEST_F(GraphEditTest, ATextViewEditMovesThePlottedHeight) {
  Open(0x100, "0", "2", "2", Main->EightBitTable);
  QTest::mouseClick(Main->TextModeButton, Qt::LeftButton);
  QAbstractItemModel* model = TextEdit->TextGrid->model();
  TextEdit->TextGrid->setCurrentIndex(model->index(2, 2));
  model->setData(model->index(2, 2), "77", Qt::EditRole);
  QTest::keyClick(TextEdit->TextGrid, Qt::Key_Return);
  EXPECT_DOUBLE_EQ(Height(1, 1), 77.0);
  QTest::keyClick(TextEdit->TextGrid, '+');
  EXPECT_DOUBLE_EQ(Height(1, 1), 78.0);
}

TEST_F(GraphEditTest, ClosingTheWindowGoesThroughTheToggle) {
  Open(0x100, "0", "2", "2", Main->EightBitTable);
  GraphEdit->close();
  EXPECT_FALSE(GraphEdit->isVisible());
  EXPECT_EQ(Main->GraphicsModeButton->text(), "Show Graphics View");
}

}  // namespace
