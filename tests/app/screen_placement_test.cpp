#include "app/ui/screen_placement.h"
#include "graphview/ui/graph_edit.h"
#include "support/window_fixture.h"
#include "tables/ui/table_ed.h"
#include "textview/ui/text_edit.h"

#include <QGuiApplication>
#include <QRect>

namespace {

using ScreenPlacementTest = WindowTest;

// A shown window whose frame the platform knows.
void ShowAndWait(QWidget* window) {
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
}

TEST_F(ScreenPlacementTest, TheOffscreenPlatformKeepsTheDesignsPlaces) {
  EXPECT_FALSE(HasWindowFrames());
  PretendImageLoaded(64);
  QTest::mouseClick(Main->GraphicsModeButton, Qt::LeftButton);
  EXPECT_EQ(GraphEdit->size(), QSize(828, 615));
}

TEST_F(ScreenPlacementTest, AWindowOffTheSmallScreenMovesBackInsideWithItsSize) {
  const QRect screen(0, 0, 1366, 768);
  ShowAndWait(GraphEdit);
  const QRect before = GraphEdit->frameGeometry();
  ASSERT_GT(before.bottom(), screen.bottom());  // the bottom strip is off-screen
  FitWindowInside(GraphEdit, screen);
  EXPECT_EQ(GraphEdit->size(), QSize(828, 615));
  EXPECT_TRUE(screen.contains(GraphEdit->frameGeometry()));
  EXPECT_EQ(GraphEdit->frameGeometry().bottom(), screen.bottom());  // moved no further
  EXPECT_EQ(GraphEdit->frameGeometry().left(), before.left());
}

TEST_F(ScreenPlacementTest, AWindowThatFitsKeepsItsPlaceAndSize) {
  ShowAndWait(TextEdit);
  const QRect before = TextEdit->frameGeometry();
  FitWindowInside(TextEdit, QRect(0, 0, 1366, 768));
  EXPECT_EQ(TextEdit->frameGeometry(), before);
  EXPECT_EQ(TextEdit->size(), QSize(527, 352));
}

TEST_F(ScreenPlacementTest, AWindowLargerThanTheAreaShrinksToIt) {
  const QRect area(10, 20, 640, 480);
  ShowAndWait(TableEd);
  FitWindowInside(TableEd, area);
  EXPECT_EQ(TableEd->frameGeometry(), area);
}

TEST_F(ScreenPlacementTest, AFixedSizeWindowKeepsItsSizeAndShowsItsTopLeft) {
  const QSize size = Main->size();
  const QRect area(40, 30, 300, 200);  // smaller than the main window
  FitWindowInside(Main, area);
  EXPECT_EQ(Main->size(), size);
  EXPECT_EQ(Main->frameGeometry().topLeft(), area.topLeft());
}

}  // namespace
