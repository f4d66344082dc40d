// Copy Table and Paste in the text view, through the keys and the grid's context menu.
#include "image/image_document.h"
#include "support/modal.h"
#include "support/window_fixture.h"
#include "textview/counting_table_test.h"
#include "textview/ui/text_edit.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QRadioButton>
#include <QTableView>

#include <memory>
#include <vector>

namespace {

class TextEditClipboardTest : public CountingTableTest {
 protected:
  static void Copy() { QTest::keyClick(TextEdit->TextGrid, Qt::Key_C, Qt::ControlModifier); }
  static std::vector<SeenBox> Paste() {
    return AnsweringBoxes(
        [] { QTest::keyClick(TextEdit->TextGrid, Qt::Key_V, Qt::ControlModifier); });
  }

  static QAction* Item(QMenu& menu, const QString& caption) {
    for (QAction* action : menu.actions()) {
      if (action->text() == caption) return action;
    }
    ADD_FAILURE() << caption.toStdString();
    return nullptr;
  }

  static std::vector<std::uint8_t> Bytes(std::size_t first, std::size_t count) {
    return {RomImage.Bytes->begin() + static_cast<std::ptrdiff_t>(first),
            RomImage.Bytes->begin() + static_cast<std::ptrdiff_t>(first + count)};
  }
};

TEST_F(TextEditClipboardTest, CopyThenPasteRoundTripsATableAsOneStep) {
  for (QRadioButton* mode : {TextEdit->Raw, TextEdit->Hex, TextEdit->Scaled}) {
    Open("0x10");
    QTest::mouseClick(mode, Qt::LeftButton);
    Copy();
    const QString copied = QGuiApplication::clipboard()->text();
    const QString firstLine =
        mode == TextEdit->Hex ? "0x10\t0x11\t0x12\t0x13\n" : "16\t17\t18\t19\n";
    EXPECT_TRUE(copied.startsWith(firstLine)) << copied.toStdString();
    EXPECT_EQ(copied.count('\n'), 4);

    TypeAndEnter(Main->TableAddress, "0x40");
    Select(1, 1);
    EXPECT_TRUE(Paste().empty());
    EXPECT_EQ(Bytes(0x40, 16), Bytes(0x10, 16));
    EXPECT_EQ(TextEdit->TextGrid->model()->index(4, 4).data().toString(),
              mode == TextEdit->Hex ? "0x1F" : (mode == TextEdit->Scaled ? "???" : "31"));
    EXPECT_EQ(ImageDocument.UndoCount(), 1u);  // the whole block is one step
    QTest::keyClick(TextEdit->TextGrid, Qt::Key_Z, Qt::ControlModifier);
    for (int i = 0; i < 16; ++i) EXPECT_EQ((*RomImage.Bytes)[0x40 + i], 0x40 + i);
  }
}

TEST_F(TextEditClipboardTest, ARefusedPasteWritesNothingAndSaysWhy) {
  const struct {
    const char* what;
    const char* address;
    int row, column;
    const char* text;
    const char* named;  // a part of the box's text
  } rows[] = {
      {"not a number", "0x10", 1, 1, "1\t2\n3\tabc\n", "'abc'"},
      {"past the last column", "0x10", 1, 2, "1\t2\t3\t4\n", "'4'"},
      {"past the last row", "0x10", 3, 1, "1\n2\n3\n", "'3'"},
      {"outside the image", "0xF8", 2, 1, "1\n2\n", "'2'"},
  };
  for (const auto& row : rows) {
    Open(row.address);
    const std::vector<std::uint8_t> before = *RomImage.Bytes;
    Select(row.row, row.column);
    QGuiApplication::clipboard()->setText(row.text);
    const std::vector<SeenBox> seen = Paste();
    ASSERT_EQ(seen.size(), 1u) << row.what;
    EXPECT_EQ(seen[0].title, "Paste Error") << row.what;
    EXPECT_TRUE(seen[0].text.contains(row.named)) << row.what << ": " << seen[0].text.toStdString();
    EXPECT_EQ(*RomImage.Bytes, before) << row.what;
    EXPECT_FALSE(ImageDocument.CanUndo()) << row.what;
  }
}

TEST_F(TextEditClipboardTest, TheContextMenuOffersCopyPasteUndoAndRedo) {
  Open("0x10");
  {
    const std::unique_ptr<QMenu> menu(TextEdit->ContextMenu(nullptr));
    EXPECT_TRUE(Item(*menu, "Copy Table")->isEnabled());
    EXPECT_TRUE(Item(*menu, "Paste")->isEnabled());
    EXPECT_FALSE(Item(*menu, "Undo")->isEnabled());
    EXPECT_FALSE(Item(*menu, "Redo")->isEnabled());
    QGuiApplication::clipboard()->setText("0x7F\t1\r\n");
    Select(2, 2);
    Item(*menu, "Paste")->trigger();
  }
  EXPECT_EQ(Bytes(0x15, 2), (std::vector<std::uint8_t>{0x7F, 1}));
  {
    const std::unique_ptr<QMenu> menu(TextEdit->ContextMenu(nullptr));
    EXPECT_TRUE(Item(*menu, "Undo")->isEnabled());
    EXPECT_FALSE(Item(*menu, "Redo")->isEnabled());
    Item(*menu, "Undo")->trigger();
  }
  EXPECT_EQ(Bytes(0x15, 2), (std::vector<std::uint8_t>{0x15, 0x16}));
  const std::unique_ptr<QMenu> menu(TextEdit->ContextMenu(nullptr));
  EXPECT_FALSE(Item(*menu, "Undo")->isEnabled());
  EXPECT_TRUE(Item(*menu, "Redo")->isEnabled());
  Item(*menu, "Copy Table")->trigger();
  EXPECT_TRUE(QGuiApplication::clipboard()->text().startsWith("16\t17\t18\t19\n"));
}

}  // namespace
