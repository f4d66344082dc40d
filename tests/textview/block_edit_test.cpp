// Block selection and block operations on the real grid.
#include "image/image_document.h"
#include "support/modal.h"
#include "support/temp_folder.h"
#include "support/window_fixture.h"
#include "textview/counting_table_test.h"
#include "textview/ui/text_edit.h"
#include "textview/ui/text_grid.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QInputDialog>
#include <QItemSelection>
#include <QTableView>
#include <QTimer>

#include <string>
#include <vector>

namespace {

class BlockEditTest : public CountingTableTest {
 protected:
  // Selects grid cells (top, left) … (bottom, right) as a block, the current cell its first.
  static void SelectBlock(int top, int left, int bottom, int right) {
    QAbstractItemModel* model = TextEdit->TextGrid->model();
    const QModelIndex a = model->index(top, left);
    TextEdit->TextGrid->selectionModel()->select(QItemSelection(a, model->index(bottom, right)),
                                                 QItemSelectionModel::ClearAndSelect);
    TextEdit->TextGrid->selectionModel()->setCurrentIndex(a, QItemSelectionModel::NoUpdate);
  }

  // Triggers the action, typing `text` into its dialog (or cancelling it when empty); returns
  // the message boxes shown after.
  static std::vector<SeenBox> Run(const char* action, const QString& text) {
    QTimer::singleShot(0, [text] {
      auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      if (text.isEmpty()) return dialog->reject();
      dialog->setTextValue(text);
      dialog->accept();
    });
    return AnsweringBoxes([action] { TextEdit->findChild<QAction*>(action)->trigger(); });
  }

  static std::vector<int> Bytes(std::size_t first, std::size_t count) {
    return {RomImage.Bytes->begin() + first, RomImage.Bytes->begin() + first + count};
  }
};

TEST_F(BlockEditTest, OperationsChangeTheBlockAsOneStepAndHoldTheirResults) {
  Open("0x10");  // entry (r, c) holds 0x10 + 4r + c
  SelectBlock(1, 1, 2, 2);
  EXPECT_TRUE(Run("SetValue", "300").empty());
  EXPECT_EQ(Bytes(0x10, 6), (std::vector<int>{255, 255, 0x12, 0x13, 255, 255}));
  ASSERT_TRUE(ImageDocument.Undo().Applied());  // one step
  EXPECT_EQ(Bytes(0x10, 2), (std::vector<int>{0x10, 0x11}));

  EXPECT_TRUE(Run("AddValue", "-20").empty());
  EXPECT_EQ(Bytes(0x10, 2), (std::vector<int>{0, 0}));  // held at 0, not wrapped
  EXPECT_TRUE(Run("MultiplyValue", "").empty());        // Cancel writes nothing
  EXPECT_EQ(ImageDocument.UndoCount(), 1u);

  const auto refused = Run("MultiplyValue", "1,5");
  ASSERT_EQ(refused.size(), 1u);
  EXPECT_EQ(refused[0].title, "Input Error");
  EXPECT_EQ(ImageDocument.UndoCount(), 1u);

  // H interpolates from the keyboard: row 3 from 0x18 to 0x1B is already straight, so set an
  // end first.
  SelectBlock(3, 1, 3, 4);
  (*RomImage.Bytes)[0x1B] = 0x24;
  QTest::keyClick(TextEdit->TextGrid, 'h');
  EXPECT_EQ(Bytes(0x18, 4), (std::vector<int>{0x18, 0x1C, 0x20, 0x24}));

  // Plus steps every entry of the block, wrapping; Ctrl+C copies the block alone.
  SelectBlock(4, 1, 4, 2);
  QTest::keyClick(TextEdit->TextGrid, '+');
  EXPECT_EQ(Bytes(0x1C, 2), (std::vector<int>{0x1D, 0x1E}));
  QTest::keyClick(TextEdit->TextGrid, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "29\t30\n");
}

TEST_F(BlockEditTest, OnOneCellTheBlockKeysTypeAsBefore) {
  Open("0x10");
  Select(1, 1);
  QTest::keyClick(TextEdit->TextGrid, 'h');
  QTest::keyClick(TextEdit->TextGrid, '=');
  // The keys went into the cell's text; Enter shows the box for a text that is no number.
  const auto seen = AnsweringBoxes([] { QTest::keyClick(TextEdit->TextGrid, Qt::Key_Return); });
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].title, "Input Error");
  EXPECT_EQ(ImageDocument.UndoCount(), 0u);
}

TEST_F(BlockEditTest, ABlockPastTheImageIsRefusedWhole) {
  Open("0xF8");  // rows 2 and 3 of the 4 × 4 table lie past the 0x100 bytes
  SelectBlock(1, 1, 3, 2);
  const auto seen = Run("SetValue", "7");
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].title, "Block Error");
  EXPECT_EQ(seen[0].text, "Cannot change row 3, column 1: that entry lies outside the image.");
  EXPECT_EQ(ImageDocument.UndoCount(), 0u);
  EXPECT_EQ((*RomImage.Bytes)[0xF8], 0xF8);
}

TEST_F(BlockEditTest, RevertWritesTheComparedBytesIntoTheBlock) {
  Open("0x10");
  EXPECT_FALSE(TextEdit->RevertToComparedAction->isEnabled());
  TempFolder folder;
  std::vector<std::uint8_t> stock = CountingBytes(0x100);
  stock[0x15] = 0x99;
  stock[0x16] = 0x98;
  const std::string path = folder / "stock.bin";
  WriteFile(path, stock);
  ModalScript().ChooseFile(QString::fromStdString(path)).Run([] { Main->CompareWith->trigger(); });
  (*RomImage.Bytes)[0x10] = 1;  // a difference outside the block stays
  SelectBlock(2, 2, 2, 3);
  TextEdit->RevertToComparedAction->trigger();
  EXPECT_EQ(Bytes(0x15, 2), (std::vector<int>{0x99, 0x98}));
  EXPECT_EQ((*RomImage.Bytes)[0x10], 1);
  ASSERT_TRUE(ImageDocument.Undo().Applied());
  EXPECT_EQ(Bytes(0x15, 2), (std::vector<int>{0x15, 0x16}));
}

TEST_F(BlockEditTest, TheMouseAndTheKeysSelectABlock) {
  Open("0x10");
  auto* grid = static_cast<TTextGrid*>(TextEdit->TextGrid);
  QAbstractItemModel* model = grid->model();
  const auto centre = [&](int row, int column) {
    return grid->visualRect(model->index(row, column)).center();
  };
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, centre(1, 1));
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ShiftModifier, centre(2, 3));
  EXPECT_EQ(grid->SelectedBlock(), QRect(QPoint(1, 1), QPoint(3, 2)));
  QTest::keyClick(grid, Qt::Key_Down, Qt::ShiftModifier);
  EXPECT_EQ(grid->SelectedBlock(), QRect(QPoint(1, 1), QPoint(3, 3)));
  QTest::keyClick(grid, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(grid->SelectedBlock(), QRect(QPoint(1, 1), QPoint(4, 4)));
  QTest::keyClick(grid, Qt::Key_Right);  // a plain move selects one cell again
  EXPECT_EQ(grid->SelectedBlock().width() * grid->SelectedBlock().height(), 1);
}

TEST_F(BlockEditTest, EveryOperationIsOneStepUndoneAndRedoneWhole) {
  Open("0x10");
  for (int i = 0; i < 0x100; ++i) (*RomImage.Bytes)[i] = static_cast<std::uint8_t>((i * 37) & 0xFF);
  const struct {
    const char* action;
    const char* text;
  } rows[] = {{"SetValue", "9"},
              {"AddValue", "3"},
              {"MultiplyValue", "1.5"},
              {"InterpolateHorizontally", nullptr},
              {"InterpolateVertically", nullptr},
              {"InterpolateBilinear", nullptr},
              {"Smooth", nullptr}};
  for (const auto& row : rows) {
    SelectBlock(1, 1, 4, 4);
    const std::vector<int> before = Bytes(0x10, 16);
    if (row.text != nullptr) {
      EXPECT_TRUE(Run(row.action, row.text).empty()) << row.action;
    } else {
      TextEdit->findChild<QAction*>(row.action)->trigger();
    }
    const std::vector<int> after = Bytes(0x10, 16);
    EXPECT_NE(after, before) << row.action;
    ASSERT_TRUE(ImageDocument.Undo().Applied()) << row.action;
    EXPECT_EQ(Bytes(0x10, 16), before) << row.action;
    ASSERT_TRUE(ImageDocument.Redo().Applied()) << row.action;
    EXPECT_EQ(Bytes(0x10, 16), after) << row.action;
    ASSERT_TRUE(ImageDocument.Undo().Applied()) << row.action;  // the next starts from before
  }
}

}  // namespace
