// The whole road of an editing run: load, edit through the text view, save, load again, and
// every byte of the file is the one expected — the edits and nothing else.

#include "support/modal.h"
#include "support/temp_folder.h"
#include "support/window_fixture.h"
#include "textview/ui/text_edit.h"

#include <QRadioButton>
#include <QTableView>

#include <random>

namespace {

class NoByteLostTest : public WindowTest {
 protected:
  static std::vector<std::uint8_t> RandomImage(std::size_t size) {
    std::mt19937 random(7);
    std::vector<std::uint8_t> bytes(size);
    for (auto& byte : bytes) byte = static_cast<std::uint8_t>(random());
    return bytes;
  }

  static void Load(const std::string& path) {
    ModalScript().ChooseFile(QString::fromStdString(path)).Run([] {
      QTest::mouseClick(Main->Load, Qt::LeftButton);
    });
  }

  static void Enter(int row, int column, const QString& text) {
    QAbstractItemModel* model = TextEdit->TextGrid->model();
    TextEdit->TextGrid->setCurrentIndex(model->index(row, column));
    model->setData(model->index(row, column), text, Qt::EditRole);
    QTest::keyClick(TextEdit->TextGrid, Qt::Key_Return);
  }

  static void Press(int row, int column, char key) {
    TextEdit->TextGrid->setCurrentIndex(TextEdit->TextGrid->model()->index(row, column));
    QTest::keyClick(TextEdit->TextGrid, key);
  }

  TempFolder folder_;
};

TEST_F(NoByteLostTest, EditsSavedAndLoadedAgainAreExactlyTheEdits) {
  const std::string path = folder_ / "car.bin";
  std::vector<std::uint8_t> expected = RandomImage(65536);
  WriteFile(path, expected);
  Load(path);
  QTest::mouseClick(Main->SixteenBitTable, Qt::LeftButton);
  TypeAndEnter(Main->TableAddress, "0x4000");
  QTest::mouseClick(Main->TextModeButton, Qt::LeftButton);

  Enter(1, 1, "0x1234");  // entry (0, 0) at 0x4000
  expected[0x4000] = 0x12;
  expected[0x4001] = 0x34;
  Enter(3, 5, "65535");  // entry (2, 4) at 0x4000 + (2 × 16 + 4) × 2
  expected[0x4048] = 0xFF;
  expected[0x4049] = 0xFF;
  Press(3, 5, '+');  // wraps to 0
  expected[0x4048] = 0;
  expected[0x4049] = 0;
  Press(16, 16, '-');  // entry (15, 15) at 0x41FE
  const std::uint16_t old = static_cast<std::uint16_t>(expected[0x41FE] << 8 | expected[0x41FF]);
  const std::uint16_t stepped = static_cast<std::uint16_t>(old - 1);
  expected[0x41FE] = static_cast<std::uint8_t>(stepped >> 8);
  expected[0x41FF] = static_cast<std::uint8_t>(stepped);
  AnsweringBoxes([this] { Enter(2, 2, "bad"); });  // rejected: changes nothing
  EXPECT_EQ(*RomImage.Bytes, expected);

  QTest::mouseClick(Main->Save, Qt::LeftButton);
  EXPECT_EQ(ReadFile(path), expected);
  QTest::mouseClick(Main->Close, Qt::LeftButton);
  Load(path);
  EXPECT_EQ(*RomImage.Bytes, expected);
  EXPECT_FALSE(std::filesystem::exists(folder_ / "car.BAK"));
}

TEST_F(NoByteLostTest, SaveAsOntoTheLoadedFileKeepsThePreviousContentInTheBackup) {
  const std::string path = folder_ / "car.bin";
  const std::vector<std::uint8_t> previous = RandomImage(40000);
  WriteFile(path, previous);
  Load(path);
  QTest::mouseClick(Main->TextModeButton, Qt::LeftButton);
  Enter(1, 1, "0");
  std::vector<std::uint8_t> edited = previous;
  edited[0] = 0;

  ModalScript().ChooseFile(QString::fromStdString(path)).Run([] {
    QTest::mouseClick(Main->SaveAs, Qt::LeftButton);
  });
  EXPECT_EQ(ReadFile(folder_ / "car.BAK"), previous);
  EXPECT_EQ(ReadFile(path), edited);
}

}  // namespace
