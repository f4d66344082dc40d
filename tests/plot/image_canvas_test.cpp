#include "plot/image_canvas.h"

#include <QApplication>
#include <QImage>

#include <gtest/gtest.h>

namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kRed = 0xFFFF0000;   // TColor 0x0000FF
constexpr QRgb kBlue = 0xFF0000FF;  // TColor 0xFF0000

class ImageCanvasTest : public ::testing::Test {
 protected:
  void SetUp() override {
    image.fill(kWhite);
    canvas.Begin(image, QApplication::font());
    canvas.SetPenColor(0x0000FF);
    canvas.SetBrushColor(0xFF0000);
  }
  void TearDown() override { canvas.End(); }

  int Count(QRgb color) const {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) count += image.pixel(x, y) == color;
    }
    return count;
  }

  QImage image{20, 10, QImage::Format_RGB32};
  TImageCanvas canvas;
};

TEST_F(ImageCanvasTest, ColoursAreBlueGreenRedValues) {
  EXPECT_EQ(TImageCanvas::ToRgb(0x0000FF), kRed);
  EXPECT_EQ(TImageCanvas::ToRgb(0x800000), 0xFF000080u);
  EXPECT_EQ(TImageCanvas::ToRgb(0x00FF00), 0xFF00FF00u);
}

TEST_F(ImageCanvasTest, LinesCoverBothEndsAndMoveTheCurrentPosition) {
  canvas.MoveTo(2, 3);
  canvas.LineTo(7, 3);
  canvas.LineTo(7, 8);
  EXPECT_EQ(Count(kRed), 6 + 5);
  EXPECT_EQ(image.pixel(2, 3), kRed);
  EXPECT_EQ(image.pixel(7, 8), kRed);
  EXPECT_EQ(image.pixel(1, 3), kWhite);
  canvas.MoveTo(0, 0);
  canvas.LineTo(9, 9);
  EXPECT_EQ(image.pixel(4, 4), kRed);
  EXPECT_EQ(image.pixel(9, 9), kRed);
}

TEST_F(ImageCanvasTest, SegmentsDrawAsMovesAndLinesDo) {
  const POINT ends[] = {{2, 3}, {7, 3}, {-50, 8}, {50, 8}, {9, 0}, {9, 9}, {1, 1}};
  canvas.Segments(ends);  // the unpaired last point draws nothing
  QImage drawn = image.copy();
  image.fill(kWhite);
  for (std::size_t k = 0; k + 1 < std::size(ends); k += 2) {
    canvas.MoveTo(ends[k].x, ends[k].y);
    canvas.LineTo(ends[k + 1].x, ends[k + 1].y);
  }
  EXPECT_EQ(drawn, image);
  EXPECT_EQ(Count(kRed), 6 + 20 + 10 - 1);
  canvas.LineTo(9, 5);  // on from the last line's end, over pixels already drawn
  EXPECT_EQ(Count(kRed), 6 + 20 + 10 - 1);
}

TEST_F(ImageCanvasTest, LinesAreClippedToTheImageWhereverTheirEndsLie) {
  canvas.MoveTo(-1'000'000'000, 5);
  canvas.LineTo(1'000'000'000, 5);
  EXPECT_EQ(Count(kRed), 20);
  canvas.MoveTo(-50, -50);
  canvas.LineTo(-10, 400);  // wholly outside
  canvas.MoveTo(30, 0);
  canvas.LineTo(30, 9);
  EXPECT_EQ(Count(kRed), 20);
  canvas.MoveTo(-5, -5);
  canvas.LineTo(25, 25);
  EXPECT_EQ(image.pixel(0, 0), kRed);
  EXPECT_EQ(image.pixel(9, 9), kRed);
}

TEST_F(ImageCanvasTest, RectangleOutlinesUpToButNotIncludingTheFarEdges) {
  canvas.Rectangle(2, 2, 7, 6);
  EXPECT_EQ(image.pixel(2, 2), kRed);
  EXPECT_EQ(image.pixel(6, 5), kRed);
  EXPECT_EQ(image.pixel(7, 6), kWhite);
  EXPECT_EQ(image.pixel(4, 4), kBlue);
  EXPECT_EQ(Count(kBlue), 3 * 2);
  EXPECT_EQ(Count(kRed), 5 * 4 - 6);
  canvas.Rectangle(-5, -5, 1, 1);  // partly outside
  EXPECT_EQ(image.pixel(0, 0), kRed);
}

TEST_F(ImageCanvasTest, PolygonIsFilledAndOutlined) {
  const POINT square[] = {{2, 2}, {8, 2}, {8, 8}, {2, 8}};
  canvas.Polygon(square);
  EXPECT_EQ(image.pixel(2, 2), kRed);
  EXPECT_EQ(image.pixel(8, 8), kRed);
  EXPECT_EQ(image.pixel(5, 5), kBlue);
  EXPECT_EQ(Count(kBlue), 5 * 5);
  EXPECT_EQ(image.pixel(9, 5), kWhite);
  const POINT far_away[] = {{-2'000'000, -5}, {2'000'000, -5}, {0, 3'000'000}};
  canvas.Polygon(far_away);
  EXPECT_EQ(image.pixel(19, 9), kBlue);
}

TEST_F(ImageCanvasTest, FillRectAndTextStayInsideTheImage) {
  canvas.FillRect(-10, -10, 3, 100);
  EXPECT_EQ(Count(kBlue), 3 * 10);
  canvas.FillRect(-1, 0, 20, 10);  // the whole picture
  EXPECT_EQ(Count(kBlue), 20 * 10);
  canvas.MoveTo(0, 0);
  canvas.LineTo(19, 0);  // the canvas draws on into the filled picture
  EXPECT_EQ(Count(kRed), 20);
  canvas.SetBrushColor(0xFFFFFF);
  canvas.TextOut(4, 0, "8");
  canvas.TextOut(-400, 900, "outside");
  int dark = 0;
  for (int y = 0; y < 10; ++y) {
    for (int x = 4; x < 20; ++x) dark += qGray(image.pixel(x, y)) < 128;
  }
  EXPECT_GT(dark, 0);
}

}  // namespace
