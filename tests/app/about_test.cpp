#include "app/ui/about.h"
#include "support/window_fixture.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QWindow>

namespace {

using AboutTest = WindowTest;

TEST_F(AboutTest, ShowsTheTitleWithoutBlockingTheMainWindow) {
  Main->About1->trigger();
  Main->About1->trigger();  // a second time leaves the one box, title set again
  EXPECT_TRUE(About->isVisible());
  EXPECT_TRUE(About->isEnabled());
  EXPECT_EQ(About->Label1->text(), "Quorvel Map Editor v0.3b");
  EXPECT_TRUE(About->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(About->size(), QSize(396, 262));
  EXPECT_EQ(About->Image1->geometry(), QRect(-2, -7, 400, 276));

  // The main window still takes input while the box is open.
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  TypeAndEnter(Main->TableAddress, "0x10");
  EXPECT_EQ(Main->TableAddress->text(), "0x0000");

  QTest::mouseClick(About->Button1, Qt::LeftButton);
  EXPECT_FALSE(About->isVisible());
  EXPECT_FALSE(About->isEnabled());
}

TEST_F(AboutTest, ShowingAgainBringsTheBoxBackAboveTheMainWindow) {
  Main->About1->trigger();
  ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activeWindow() == About; }));
  // The window manager keeps the box above its owner, the main window.
  ASSERT_NE(About->windowHandle(), nullptr);
  EXPECT_EQ(About->windowHandle()->transientParent(), Main->windowHandle());
  EXPECT_EQ(About->windowType(), Qt::Dialog);  // X11 names the owner of dialog types only

  // A click on the main window puts the box behind it; "&About" again brings it to the front.
  Main->activateWindow();
  ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activeWindow() == Main; }));
  EXPECT_NE(QApplication::activeWindow(), About);
  Main->About1->trigger();
  // (The box's native window counts as active with its owner; the widget's own state is asked.)
  EXPECT_TRUE(QTest::qWaitFor([] { return QApplication::activeWindow() == About; }));
  EXPECT_TRUE(About->isVisible());
}

TEST(AboutPictureTest, IsDrawnAtItsSizeInTwentyFourBits) {
  const QImage picture = MakeAboutPicture();
  EXPECT_EQ(picture.size(), QSize(400, 276));
  EXPECT_EQ(picture.depth(), 24);
  EXPECT_NE(picture.pixel(10, 10), picture.pixel(300, 200));  // not a blank fill
}

}  // namespace
