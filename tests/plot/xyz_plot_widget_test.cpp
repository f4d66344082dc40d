#include "plot/xyz_plot.h"

#include <QMetaProperty>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

// QTest takes a null point for the widget's centre, so no press here is at (0, 0).
class XYZPlotWidget : public ::testing::Test {
 protected:
  void SetUp() override {
    plot = std::make_unique<TXYZPlot>();
    const double z[] = {1, 2, 3, 4};  // box 0..1, 0..1, 1..4
    plot->XYZPlot(z, 2, 2, 0, psGrid, 0x800000, 0x00FF00);
    plot->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(plot.get()));
  }

  void Drag(Qt::KeyboardModifiers keys, QPoint from, QPoint to,
            Qt::MouseButton button = Qt::LeftButton) {
    QTest::mousePress(plot.get(), button, keys, from);
    QTest::mouseMove(plot.get(), to);
    QTest::mouseRelease(plot.get(), button, keys, to);
  }

  // As the platform delivers it: press, release, double-click, release.
  void DoubleClick(QPoint at) {
    QTest::mousePress(plot.get(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseRelease(plot.get(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(plot.get(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseRelease(plot.get(), Qt::LeftButton, Qt::NoModifier, at);
  }

  std::unique_ptr<TXYZPlot> plot;
};

TEST_F(XYZPlotWidget, PublishesEveryPropertyUnderItsOwnName) {
  const char* const names[] = {"XAxisColor",
                               "YAxisColor",
                               "ZAxisColor",
                               "BoxColor",
                               "PlaneColor",
                               "XMax",
                               "YMax",
                               "ZMax",
                               "XMin",
                               "YMin",
                               "ZMin",
                               "Phi",
                               "Theta",
                               "Psi",
                               "AutoScale",
                               "FitToScreen",
                               "MouseControl",
                               "MouseFunction",
                               "PointSize",
                               "PerspectiveOn",
                               "VanishingPoint",
                               "XLabelPrecision",
                               "YLabelPrecision",
                               "ZLabelPrecision",
                               "XLabelFormat",
                               "YLabelFormat",
                               "ZLabelFormat",
                               "ShowXLabel",
                               "ShowYLabel",
                               "ShowZLabel",
                               "ShowLabels",
                               "ShowOrigin",
                               "AxisStyle",
                               "AutoRedraw",
                               "Color",
                               "Visible",
                               "Width",
                               "Height"};
  const QMetaObject* meta = plot->metaObject();
  for (const char* name : names) {
    const int index = meta->indexOfProperty(name);
    ASSERT_GE(index, 0) << name;
    EXPECT_TRUE(meta->property(index).isWritable()) << name;
  }
  EXPECT_FALSE(meta->property(meta->indexOfProperty("ClientWidth")).isWritable());
  EXPECT_EQ(meta->property(meta->indexOfProperty("XAxisColor")).typeId(), QMetaType::UInt);
  EXPECT_EQ(meta->property(meta->indexOfProperty("AxisStyle")).typeId(), QMetaType::Int);
}

TEST_F(XYZPlotWidget, PropertiesReadTheStateAndWriteThroughTheSetters) {
  EXPECT_EQ(plot->property("XAxisColor").toUInt(), 0x0000FFu);
  EXPECT_EQ(plot->property("YAxisColor").toUInt(), 0x008000u);
  EXPECT_EQ(plot->property("PlaneColor").toUInt(), 0x00FFFFu);
  EXPECT_EQ(plot->property("Phi").toDouble(), 5.3);
  EXPECT_EQ(plot->property("MouseFunction").toInt(), 2);
  EXPECT_EQ(plot->property("VanishingPoint").toDouble(), 100.0);
  EXPECT_EQ(plot->property("ZMax").toDouble(), 4.0);
  EXPECT_EQ(plot->property("Width").toInt(), 200);
  EXPECT_EQ(plot->property("Height").toInt(), 150);
  EXPECT_EQ(plot->property("ClientWidth").toInt(), plot->width());
  EXPECT_EQ(plot->property("ClientHeight").toInt(), plot->height());
  EXPECT_TRUE(plot->property("Visible").toBool());

  EXPECT_TRUE(plot->setProperty("Phi", 7.0));
  EXPECT_DOUBLE_EQ(plot->Phi(), 7.0 - TwoPi);
  EXPECT_TRUE(plot->setProperty("PointSize", 25));
  EXPECT_EQ(plot->property("PointSize").toInt(), 10);
  EXPECT_TRUE(plot->setProperty("VanishingPoint", -5.0));
  EXPECT_EQ(plot->VanishingPoint(), 100.0);
  EXPECT_TRUE(plot->setProperty("AxisStyle", 4));
  EXPECT_EQ(plot->AxisStyle(), asNone);
  EXPECT_TRUE(plot->setProperty("XLabelFormat", 2));
  EXPECT_EQ(plot->XLabelFormat(), sffFixed);
  EXPECT_TRUE(plot->setProperty("ShowLabels", false));
  EXPECT_FALSE(plot->ShowYLabel());
  EXPECT_TRUE(plot->setProperty("Width", 300));
  EXPECT_EQ(plot->ClientWidth(), 300);
  EXPECT_TRUE(plot->setProperty("Visible", false));
  EXPECT_FALSE(plot->isVisible());
  EXPECT_FALSE(plot->Visible());
}

TEST_F(XYZPlotWidget, AHiddenPlotDrawsItsLatestPictureWhenShownAgain) {
  plot->hide();
  const double z[] = {0, 0, 0, 0, 5, 0, 0, 0, 0};
  plot->XYZPlot(z, 3, 3, 0, psGrid, 0x800000, 0x00FF00);
  plot->SetColor(0xFFFFFF);
  plot->show();
  const QImage shown = plot->grab().toImage().convertToFormat(QImage::Format_RGB32);
  const auto middle = plot->PixelOf({1, 1, 5});
  ASSERT_TRUE(middle);
  EXPECT_EQ(shown.pixel(middle->x, middle->y), 0xFF000080u);   // navy
  EXPECT_EQ(shown.pixel(0, plot->height() - 1), 0xFFFFFFFFu);  // the latest background
  EXPECT_EQ(shown, plot->Buffer());
}

TEST_F(XYZPlotWidget, RedrawPaintsTheDataIntoTheBufferAndThePaintShowsIt) {
  const double z[] = {0, 0, 0, 0, 5, 0, 0, 0, 0};
  plot->XYZPlot(z, 3, 3, 0, psGrid, 0x800000, 0x00FF00);
  const QImage& buffer = plot->Buffer();
  ASSERT_EQ(buffer.size(), plot->size());
  const auto middle = plot->PixelOf({1, 1, 5});
  ASSERT_TRUE(middle);
  EXPECT_EQ(buffer.pixel(middle->x, middle->y), 0xFF000080u);   // navy
  EXPECT_EQ(buffer.pixel(0, plot->height() - 1), 0xFFF0F0F0u);  // background

  const QImage shown = plot->grab().toImage().convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(shown, buffer);

  plot->SetColor(0xFFFFFF);
  EXPECT_EQ(plot->Buffer().pixel(0, plot->height() - 1), 0xFFFFFFFFu);

  // With AutoRedraw off a change waits, but the next paint draws it.
  plot->SetAutoRedraw(false);
  plot->SetPhi(1.0);
  const QImage before = plot->Buffer().copy();
  const QImage painted = plot->grab().toImage().convertToFormat(QImage::Format_RGB32);
  EXPECT_NE(painted, before);
  EXPECT_EQ(painted, plot->Buffer());
}

TEST_F(XYZPlotWidget, LeftDragAcrossTheWidthTurnsPhiAndPsi) {
  Drag(Qt::NoModifier, {0, 20}, {plot->width(), 20 + plot->height()});
  // sx = -(XMax - XMin) = -1, sy = (YMax - YMin) = 1.
  EXPECT_DOUBLE_EQ(plot->Phi(), 5.3 - 0.2);
  EXPECT_DOUBLE_EQ(plot->Psi(), 0.2 + 0.2);
  EXPECT_EQ(plot->Theta(), 0.0);
  EXPECT_EQ(plot->MouseAction(), TMouseAction{});
}

TEST_F(XYZPlotWidget, AltLeftDragTurnsThetaInsteadOfPsi) {
  Drag(Qt::AltModifier, {0, 20}, {plot->width() / 2, 20 + plot->height()});
  EXPECT_DOUBLE_EQ(plot->Phi(), 5.3 - 0.1);
  EXPECT_DOUBLE_EQ(plot->Theta(), 0.2);
  EXPECT_EQ(plot->Psi(), 0.2);

  // Alt with the right button, or Alt and Shift, is the primary action again.
  Drag(Qt::AltModifier, {1, 1}, {1, 1 + plot->height()}, Qt::RightButton);
  EXPECT_DOUBLE_EQ(plot->Psi(), 0.4);
  Drag(Qt::AltModifier | Qt::ShiftModifier, {1, 1}, {1, 1 + plot->height()});
  EXPECT_DOUBLE_EQ(plot->Psi(), 0.6);
  EXPECT_DOUBLE_EQ(plot->Theta(), 0.2);
}

TEST_F(XYZPlotWidget, DragShiftsTheBoxAndMovesTheCentre) {
  plot->setProperty("MouseFunction", int{mfDrag});
  Drag(Qt::NoModifier, {10, 10}, {10 + plot->width() / 2, 10 + plot->height() / 2});
  // sx = -0.5, sy = 0.5: X shifts by +0.5, Z by +0.5 (the Y range scales the vertical step).
  EXPECT_DOUBLE_EQ(plot->XMin(), 0.5);
  EXPECT_DOUBLE_EQ(plot->XMax(), 1.5);
  EXPECT_DOUBLE_EQ(plot->ZMin(), 1.5);
  EXPECT_DOUBLE_EQ(plot->ZMax(), 4.5);
  EXPECT_EQ(plot->YMin(), 0.0);
  EXPECT_EQ(plot->RotationCenter(), (TXYZPoint{1.0, 0.5, 3.0}));

  Drag(Qt::AltModifier, {1, 1}, {1, 1 + plot->height() / 2});
  EXPECT_DOUBLE_EQ(plot->YMin(), 0.5);
  EXPECT_DOUBLE_EQ(plot->ZMin(), 1.5);
}

TEST_F(XYZPlotWidget, ZoomNarrowsToTheRightAndWidensDownwards) {
  plot->setProperty("MouseFunction", int{mfZoom});
  Drag(Qt::NoModifier, {1, 1}, {1 + plot->width() / 4, 31});
  EXPECT_DOUBLE_EQ(plot->XMin(), 0.25);
  EXPECT_DOUBLE_EQ(plot->XMax(), 0.75);
  EXPECT_DOUBLE_EQ(plot->ZMin(), 1.0 - 0.2);
  EXPECT_DOUBLE_EQ(plot->ZMax(), 4.0 + 0.2);

  Drag(Qt::AltModifier, {1, 31}, {1, 1});
  EXPECT_DOUBLE_EQ(plot->YMin(), 0.2);
  EXPECT_DOUBLE_EQ(plot->YMax(), 0.8);
}

TEST_F(XYZPlotWidget, DoubleClickRestoresTheBoxButKeepsTheAngles) {
  plot->setProperty("MouseFunction", int{mfZoom});
  Drag(Qt::NoModifier, {1, 1}, {1 + plot->width() / 4, 31});
  plot->SetPhi(1.0);
  DoubleClick({5, 5});
  EXPECT_EQ(plot->XMin(), 0.0);
  EXPECT_EQ(plot->XMax(), 1.0);
  EXPECT_EQ(plot->ZMax(), 4.0);
  EXPECT_EQ(plot->Phi(), 1.0);
  EXPECT_EQ(plot->MouseAction(), TMouseAction{});

  plot->SetAutoScale(false);
  plot->SetXMax(3.0);
  DoubleClick({5, 5});
  EXPECT_EQ(plot->XMax(), 3.0);
}

TEST_F(XYZPlotWidget, WithoutMouseControlOnlyThePositionIsRemembered) {
  plot->setProperty("MouseControl", false);
  Drag(Qt::NoModifier, {1, 1}, {77, 66});
  DoubleClick({5, 5});
  EXPECT_EQ(plot->Phi(), 5.3);
  EXPECT_EQ(plot->Psi(), 0.2);
  EXPECT_EQ(plot->LastX(), 5);
  EXPECT_EQ(plot->LastY(), 5);
  plot->SetAutoScale(false);
  plot->SetXMax(3.0);
  DoubleClick({5, 5});
  EXPECT_EQ(plot->XMax(), 3.0);
}

TEST_F(XYZPlotWidget, MoveWithoutAButtonOnlyRemembersThePosition) {
  QTest::mouseMove(plot.get(), {40, 30});
  EXPECT_EQ(plot->LastX(), 40);
  EXPECT_EQ(plot->LastY(), 30);
  EXPECT_EQ(plot->Phi(), 5.3);
}

TEST_F(XYZPlotWidget, CopyTakesPropertiesAndPlots) {
  plot->SetAxisStyle(asBoxAndPlane);
  plot->SetAngles(1, 2, 3);
  const TXYZPlot copy(*plot);
  EXPECT_EQ(copy.AxisStyle(), asBoxAndPlane);
  EXPECT_EQ(copy.Theta(), 2.0);
  ASSERT_EQ(copy.PlotList().size(), 1u);
  EXPECT_EQ(copy.PlotList()[0]->Points, plot->PlotList()[0]->Points);
  EXPECT_EQ(copy.RotationCenter(), plot->RotationCenter());  // auto-scaled again

  plot->SetAutoScale(false);
  const TXYZPlot fixed(*plot);
  EXPECT_EQ(fixed.RotationCenter(), (TXYZPoint{0, 0, 0}));
}

}  // namespace
