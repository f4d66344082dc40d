#include "app/ui/about.h"
#include "app/application.h"
#include "graphview/ui/graph_edit.h"
#include "support/window_fixture.h"
#include "tables/ui/table_ed.h"
#include "textview/ui/text_edit.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QStatusBar>

namespace {

using StartupTest = WindowTest;

TEST_F(StartupTest, StartsWithNoFileAndTheDefaultCursor) {
  EXPECT_EQ(Main->windowTitle(), "Quorvel Map Editor v0.3b - (none)");
  ASSERT_NE(Application::Instance(), nullptr);
  EXPECT_EQ(Application::Instance()->Title(), "Quorvel Map Editor v0.3b");
  // Qt's display name stays unset (it falls back to the program's name), so Qt appends
  // nothing to the title bars.
  EXPECT_EQ(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());
  EXPECT_FALSE(QGuiApplication::applicationDisplayName().contains("Quorvel Map Editor"));
  EXPECT_EQ(Main->MainStatusText->text(), "No file loaded");
  EXPECT_EQ(RomImage.Size, 0);
  EXPECT_FALSE(RomImage.Bytes.has_value());
  EXPECT_TRUE(RomImage.FileName.empty());
  EXPECT_EQ(TableCursor.BaseAddress, 0);
  EXPECT_EQ(TableCursor.TableAddress, 0);
  EXPECT_EQ(TableCursor.Rows, 16);
  EXPECT_EQ(TableCursor.Columns, 16);
  EXPECT_EQ(TableCursor.EntryWidth, 1);
  EXPECT_EQ(TableCursor.ZScale, 1.0f);
  EXPECT_EQ(TableCursor.ZOffset, 0.0f);
  EXPECT_TRUE(TableCursor.TableName.empty());
  EXPECT_TRUE(TableCursor.XLabelName.empty());
  EXPECT_TRUE(TableCursor.YLabelName.empty());
  EXPECT_TRUE(TableCursor.ZLabelName.empty());
}

TEST_F(StartupTest, CreatesTheFiveWindowsByName) {
  const struct {
    QWidget* window;
    const char* name;
    const char* caption;
    bool visible;
    bool enabled;
  } windows[] = {
      {Main, "Main", "Quorvel Map Editor v0.3b - (none)", true, true},
      {TextEdit, "TextEdit", "TextEdit", false, true},
      {GraphEdit, "GraphEdit", "GraphEdit", false, true},
      {About, "About", "", false, false},
      {TableEd, "TableEd", "Table Editor", false, false},
  };
  for (const auto& w : windows) {
    ASSERT_NE(w.window, nullptr) << w.name;
    EXPECT_EQ(w.window->objectName(), w.name);
    EXPECT_TRUE(w.window->isWindow()) << w.name;
    if (*w.caption != 0) {
      EXPECT_EQ(w.window->windowTitle(), w.caption) << w.name;
    }
    EXPECT_EQ(w.window->isVisible(), w.visible) << w.name;
    EXPECT_EQ(w.window->isEnabled(), w.enabled) << w.name;
  }
  EXPECT_EQ(TextEdit->size(), QSize(527, 352));
  EXPECT_EQ(GraphEdit->size(), QSize(828, 615));
  EXPECT_EQ(TableEd->size(), QSize(802, 601));
}

TEST_F(StartupTest, CreatingAgainStartsAfresh) {
  PretendImageLoaded(64);
  TableCursor.TableAddress = 0x20;
  TableCursor.TableName = "Ignition";
  Main->Rows->setText("3");
  Application::Instance()->SetTitle("Quorvel Map Editor v0.3b - /maps/car.bin");
  CreateWindows();
  EXPECT_EQ(Application::Instance()->Title(), "Quorvel Map Editor v0.3b");
  EXPECT_EQ(RomImage.Size, 0);
  EXPECT_EQ(TableCursor.TableAddress, 0);
  EXPECT_TRUE(TableCursor.TableName.empty());
  EXPECT_EQ(Main->Rows->text(), "16");
  EXPECT_FALSE(Main->TextModeButton->isEnabled());
}

TEST_F(StartupTest, ExitEndsTheProgramAtOnceWithStatusZero) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  PretendImageLoaded(16);
  EXPECT_EXIT(Main->Exit1->trigger(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
