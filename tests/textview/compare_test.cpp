// Comparing the image with another file: marks, tooltips and moving between differences.
#include "image/image_document.h"
#include "support/modal.h"
#include "support/temp_folder.h"
#include "support/window_fixture.h"
#include "textview/ui/text_edit.h"

#include <QAction>
#include <QImage>
#include <QRadioButton>
#include <QTableView>

#include <string>
#include <vector>

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

class CompareTest : public WindowTest {
 protected:
  // A 4 × 4 8-bit table over 16 bytes counting up, compared with a file whose bytes 5 and 10
  // differ; the text view open.
  void Open() {
    PretendImageLoaded(16);
    for (int i = 0; i < 16; ++i) (*RomImage.Bytes)[i] = static_cast<std::uint8_t>(i);
    Main->Rows->setText("4");
    Main->Columns->setText("4");
    QTest::mouseClick(Main->TextModeButton, Qt::LeftButton);
    std::vector<std::uint8_t> stock = CountingBytes(16);
    stock[5] = 200;
    stock[10] = 0xAB;
    stock_ = folder_ / "stock.bin";
    WriteFile(stock_, stock);
    const auto seen = ModalScript().ChooseFile(Q(stock_)).Run([] { Main->CompareWith->trigger(); });
    ASSERT_EQ(seen.size(), 1u) << Describe(seen);
  }

  static QString Tip(int row, int column) {
    return TextEdit->TextGrid->model()->index(row, column).data(Qt::ToolTipRole).toString();
  }

  static QModelIndex Current() { return TextEdit->TextGrid->currentIndex(); }

  std::string stock_;
  TempFolder folder_;
};

TEST_F(CompareTest, DifferingCellsAreMarkedAndTellTheComparedEntry) {
  Open();
  EXPECT_TRUE(Main->StopComparing->isEnabled());
  EXPECT_EQ(Tip(2, 2), "Compared: 200");  // byte 5
  EXPECT_EQ(Tip(3, 3), "Compared: 171");  // byte 10
  EXPECT_FALSE(Tip(1, 1).contains("Compared:"));
  QTest::mouseClick(TextEdit->Hex, Qt::LeftButton);
  EXPECT_EQ(Tip(3, 3), "Compared: 0xAB");
  QTest::mouseClick(TextEdit->Scaled, Qt::LeftButton);
  EXPECT_EQ(Tip(3, 3), "Compared: 171");  // the raw decimal, as Scaled cells show none

  // The blue mark in the top-right corner of a differing cell only.
  QImage shot(TextEdit->TextGrid->viewport()->size(), QImage::Format_RGB32);
  TextEdit->TextGrid->viewport()->render(&shot);
  const auto corner = [&](int row, int column) {
    const QRect cell =
        TextEdit->TextGrid->visualRect(TextEdit->TextGrid->model()->index(row, column));
    return QColor(shot.pixel(cell.right() - 1, cell.top() + 1));
  };
  EXPECT_EQ(corner(2, 2), QColor(0, 80, 220));
  EXPECT_NE(corner(1, 2), QColor(0, 80, 220));

  // An edit that makes the entry equal to the compared one takes its mark away.
  const std::vector<std::uint8_t> same = {200};
  ASSERT_TRUE(ImageDocument.Write(5, same).Applied());
  EXPECT_FALSE(Tip(2, 2).contains("Compared:"));
}

TEST_F(CompareTest, F3MovesBetweenDifferencesAndTheComparisonLastsUntilClose) {
  Open();
  TextEdit->TextGrid->setCurrentIndex(TextEdit->TextGrid->model()->index(1, 1));
  QTest::keyClick(TextEdit->TextGrid, Qt::Key_F3);
  EXPECT_EQ(Current(), TextEdit->TextGrid->model()->index(2, 2));
  QTest::keyClick(TextEdit->TextGrid, Qt::Key_F3);
  EXPECT_EQ(Current(), TextEdit->TextGrid->model()->index(3, 3));
  QTest::keyClick(TextEdit->TextGrid, Qt::Key_F3);  // no more: stays
  EXPECT_EQ(Current(), TextEdit->TextGrid->model()->index(3, 3));
  QTest::keyClick(TextEdit->TextGrid, Qt::Key_F3, Qt::ShiftModifier);
  EXPECT_EQ(Current(), TextEdit->TextGrid->model()->index(2, 2));

  Main->StopComparing->trigger();
  EXPECT_FALSE(Tip(2, 2).contains("Compared:"));
  EXPECT_FALSE(TextEdit->NextDifferenceAction->isEnabled());

  ModalScript().ChooseFile(Q(stock_)).Run([] { Main->CompareWith->trigger(); });
  QTest::mouseClick(Main->Close, Qt::LeftButton);
  EXPECT_FALSE(Main->StopComparing->isEnabled());
  EXPECT_FALSE(TextEdit->NextDifferenceAction->isEnabled());
}

TEST_F(CompareTest, ATooltipGivesTheScaledValueOfAnOpenedDefinition) {
  PretendImageLoaded(16);
  (*RomImage.Bytes)[0] = 100;
  QTest::mouseClick(Main->TextModeButton, Qt::LeftButton);
  EXPECT_TRUE(Tip(1, 1).isEmpty());  // no definition, no comparison: no tooltip
  Main->OpenDefinition({"0x0000", "4", "4", "Spark", "Rpm", "Load", "Degrees", "0.5", "-40"});
  EXPECT_EQ(Tip(1, 1), "Scaled: 10 Degrees");
  EXPECT_EQ(TextEdit->TextGrid->model()->index(1, 1).data().toString(), "100");
}

}  // namespace
