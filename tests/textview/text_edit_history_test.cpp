// Undo and redo of the text view's edits, pressed on the real grid.
#include "image/image_document.h"
#include "support/modal.h"
#include "support/temp_folder.h"
#include "support/window_fixture.h"
#include "textview/counting_table_test.h"
#include "textview/ui/text_edit.h"

#include <QRadioButton>
#include <QTableView>

#include <string>
#include <vector>

namespace {

class TextEditHistoryTest : public CountingTableTest {
 protected:
  static QString Cell(int row, int column) {
    return TextEdit->TextGrid->model()->index(row, column).data().toString();
  }

  static void Enter(int row, int column, const QString& text) {
    Select(row, column);
    QAbstractItemModel* model = TextEdit->TextGrid->model();
    model->setData(model->index(row, column), text, Qt::EditRole);
    EXPECT_TRUE(
        AnsweringBoxes([] { QTest::keyClick(TextEdit->TextGrid, Qt::Key_Return); }).empty());
  }

  static void Press(char key, int row, int column) {
    Select(row, column);
    QTest::keyClick(TextEdit->TextGrid, key);
  }

  static void Undo() { QTest::keyClick(TextEdit->TextGrid, Qt::Key_Z, Qt::ControlModifier); }
  static void Redo(bool withY) {
    if (withY) {
      QTest::keyClick(TextEdit->TextGrid, Qt::Key_Y, Qt::ControlModifier);
    } else {
      QTest::keyClick(TextEdit->TextGrid, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    }
  }

  static int Byte(std::size_t position) { return (*RomImage.Bytes)[position]; }
};

TEST_F(TextEditHistoryTest, UndoAndRedoEnterPlusAndMinus) {
  const struct {
    const char* what;
    void (*edit)();
    int after;  // byte 0x11 after the edit; it held 0x11 = 17 before
    bool redoWithY;
  } rows[] = {
      {"Enter", [] { Enter(1, 2, "0x40"); }, 0x40, false},
      {"plus", [] { Press('+', 1, 2); }, 0x12, true},
      {"minus", [] { Press('-', 1, 2); }, 0x10, false},
  };
  for (const auto& row : rows) {
    Open("0x10");
    row.edit();
    ASSERT_EQ(Byte(0x11), row.after) << row.what;
    Undo();
    EXPECT_EQ(Byte(0x11), 0x11) << row.what;
    EXPECT_EQ(Cell(1, 2), "17") << row.what;
    EXPECT_FALSE(ImageDocument.Modified()) << row.what;
    Redo(row.redoWithY);
    EXPECT_EQ(Byte(0x11), row.after) << row.what;
    EXPECT_EQ(Cell(1, 2), QString::number(row.after)) << row.what;
    Redo(!row.redoWithY);  // nothing left to redo
    EXPECT_EQ(Byte(0x11), row.after) << row.what;
  }
}

// The step restores the bytes it wrote, although the table shown now lies elsewhere; the cell
// that shows those bytes in the new table is shown again, not a stale text.
TEST_F(TextEditHistoryTest, UndoAcrossATableChange) {
  Open("0x10");
  Enter(1, 1, "99");
  ASSERT_EQ(Byte(0x10), 99);
  TypeAndEnter(Main->TableAddress, "0x0C");  // byte 0x10 is now cell (2, 1)
  EXPECT_EQ(Cell(2, 1), "99");
  Undo();
  EXPECT_EQ(Byte(0x10), 0x10);
  EXPECT_EQ(Cell(2, 1), "16");
  Redo(false);
  EXPECT_EQ(Cell(2, 1), "99");
}

// Where an undo or redo changes bytes the grid does not show, the user is shown where.
TEST_F(TextEditHistoryTest, AStepOutsideTheShownTableIsNeverInvisible) {
  Open("0x10");
  Enter(1, 1, "99");
  TypeAndEnter(Main->TableAddress, "0x80");
  auto seen = AnsweringBoxes(Undo);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].title, "Undo");
  EXPECT_EQ(seen[0].text, "Undo changed bytes outside the table shown, at 0x0010.");
  EXPECT_EQ(Byte(0x10), 0x10);
  seen = AnsweringBoxes([] { Redo(true); });
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].title, "Redo");

  // Inside the table but scrolled away: the grid scrolls to the cell.
  Main->Rows->setText("64");
  TypeAndEnter(Main->TableAddress, "0x0");
  Enter(60, 1, "7");
  TextEdit->TextGrid->scrollToTop();
  EXPECT_TRUE(AnsweringBoxes(Undo).empty());
  const QRect cell = TextEdit->TextGrid->visualRect(TextEdit->TextGrid->model()->index(60, 1));
  EXPECT_TRUE(TextEdit->TextGrid->viewport()->rect().intersects(cell));
}

TEST_F(TextEditHistoryTest, ANewChangeAfterUndoDropsRedo) {
  Open("0x10");
  Press('+', 1, 1);
  Press('+', 1, 1);
  Undo();
  ASSERT_EQ(Byte(0x10), 0x11);
  Press('-', 1, 2);
  Redo(false);
  Redo(true);
  EXPECT_EQ(Byte(0x10), 0x11);
  EXPECT_EQ(Byte(0x11), 0x10);
  Undo();
  Undo();
  EXPECT_EQ(Byte(0x10), 0x10);
  EXPECT_EQ(Byte(0x11), 0x11);
}

TEST_F(TextEditHistoryTest, SaveKeepsTheHistoryAndMakesTheBytesTheBaseline) {
  TempFolder folder;
  Open("0x10");
  RomImage.FileName = folder / "saved.bin";
  WriteFile(RomImage.FileName, *RomImage.Bytes);
  Press('+', 1, 1);
  ASSERT_TRUE(ImageDocument.Modified());
  AnsweringBoxes([] { Main->SaveClick(); });
  EXPECT_FALSE(ImageDocument.Modified());
  Undo();  // back to the bytes before the save, which now differ from the file
  EXPECT_EQ(Byte(0x10), 0x10);
  EXPECT_TRUE(ImageDocument.Modified());
}

// A load starts a fresh history: nothing of the longer image before it can be undone into
// the shorter one.
TEST_F(TextEditHistoryTest, LoadAndCloseClearTheHistory) {
  TempFolder folder;
  Open("0xF0");
  Press('+', 1, 1);  // byte 0xF0
  ASSERT_TRUE(ImageDocument.CanUndo());
  const std::string path = folder / "short.bin";
  WriteFile(path, std::vector<std::uint8_t>(0x20, 0x5A));
  AnsweringBoxes([&] { Main->LoadFile(QString::fromStdString(path)); });
  ASSERT_EQ(RomImage.Size, 0x20);
  EXPECT_FALSE(ImageDocument.CanUndo());
  Undo();
  EXPECT_EQ(*RomImage.Bytes, std::vector<std::uint8_t>(0x20, 0x5A));

  TypeAndEnter(Main->TableAddress, "0");
  if (!TextEdit->isVisible()) QTest::mouseClick(Main->TextModeButton, Qt::LeftButton);
  Press('+', 1, 1);
  ASSERT_TRUE(ImageDocument.CanUndo());
  AnsweringBoxes([] { QTest::mouseClick(Main->Close, Qt::LeftButton); });
  EXPECT_FALSE(ImageDocument.CanUndo());
  EXPECT_FALSE(ImageDocument.CanRedo());
}

// With the in-place editor open the keys belong to its text; the image's history is untouched.
TEST_F(TextEditHistoryTest, TheKeysLeaveTheHistoryAloneWhileTheEditorIsOpen) {
  Open("0x10");
  Press('+', 1, 1);
  TextEdit->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(TextEdit));
  Select(1, 2);
  TextEdit->TextGrid->setFocus();
  QTest::keyClick(TextEdit->TextGrid, '7');  // opens the editor
  QWidget* editor = QApplication::focusWidget();
  ASSERT_NE(editor, TextEdit->TextGrid);
  QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Byte(0x10), 0x11);
  EXPECT_EQ(ImageDocument.UndoCount(), 1u);
}

}  // namespace
