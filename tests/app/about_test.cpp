#include "app/about.h"
#include "support/window_fixture.h"

#include <QAction>
#include <QApplication>
#include <QLabel>

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

TEST(AboutPictureTest, IsDrawnAtItsSizeInTwentyFourBits) {
  const QImage picture = MakeAboutPicture();
  EXPECT_EQ(picture.size(), QSize(400, 276));
  EXPECT_EQ(picture.depth(), 24);
  EXPECT_NE(picture.pixel(10, 10), picture.pixel(300, 200));  // not a blank fill
}

}  // namespace
