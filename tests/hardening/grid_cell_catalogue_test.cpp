// Texts typed into a grid cell and entered: each row is the text, the entry width, and the
// value stored or the message shown. No byte but the entry's own ever changes.

#include "support/modal.h"
#include "support/temp_folder.h"
#include "support/window_fixture.h"
#include "textview/ui/text_edit.h"

#include <QRadioButton>
#include <QTableView>

#include <optional>

namespace {

const QString kBadValue = "Bad value. Must be decimal or hex with a leading '0x'";

struct Row {
  const char* typed;
  int width;
  std::optional<std::uint32_t> stored;  // nothing: rejected with the message
};

class GridCellCatalogueTest : public WindowTest {};

TEST_F(GridCellCatalogueTest, TypedTextsAndWhatTheyStore) {
  const Row rows[] = {
      {"", 1, {}},
      {" ", 1, {}},
      {"+5", 1, 5},
      {"-1", 1, 0xFF},
      {"-1", 2, 0xFFFF},
      {"-1", 4, 0xFFFFFFFF},
      {"-2147483647", 4, 0x80000001},
      {"-2147483648", 4, {}},
      {"0x80000000", 4, 0x80000000},
      {"0x100000000", 4, {}},
      {"00000000000000000000012", 1, 12},  // leading zeros are free
      {"99999999999", 2, {}},
      {"$", 1, {}},
      {"0x", 1, {}},
      {"x1F", 1, 0x1F},
      {"65536", 2, 0},  // cut to the entry width
      {"1e3", 2, {}},
      {"1.5", 2, {}},
      {"\xEF\xBC\x91\xEF\xBC\x92", 1, {}},  // full-width digits
      {"7\xC2\xA0", 1, {}},                 // a no-break space after the digits
      {"12 ", 1, {}},
      {"  12", 1, 12},
  };
  PretendImageLoaded(64);
  *RomImage.Bytes = CountingBytes(64, 0x40);
  Main->Rows->setText("2");
  Main->Columns->setText("2");
  TypeAndEnter(Main->TableAddress, "0x10");
  QTest::mouseClick(Main->TextModeButton, Qt::LeftButton);
  QRadioButton* widths[] = {nullptr, Main->EightBitTable, Main->SixteenBitTable, nullptr,
                            Main->ThirtyTwoBitTable};
  QAbstractItemModel* model = TextEdit->TextGrid->model();

  for (const Row& row : rows) {
    QTest::mouseClick(widths[row.width], Qt::LeftButton);
    const std::vector<std::uint8_t> before = *RomImage.Bytes;
    const QModelIndex cell = model->index(1, 1);
    TextEdit->TextGrid->setCurrentIndex(cell);
    model->setData(cell, QString::fromUtf8(row.typed), Qt::EditRole);
    const auto boxes = AnsweringBoxes([] { QTest::keyClick(TextEdit->TextGrid, Qt::Key_Return); });
    const std::string where = std::string("'") + row.typed + "' in " + std::to_string(row.width);

    std::vector<std::uint8_t> expected = before;
    if (row.stored) {
      EXPECT_TRUE(boxes.empty()) << where;
      for (int i = 0; i < row.width; ++i) {
        expected[0x10 + i] = static_cast<std::uint8_t>(*row.stored >> (8 * (row.width - 1 - i)));
      }
    } else {
      ASSERT_EQ(boxes.size(), 1u) << where;
      EXPECT_EQ(boxes[0].text, kBadValue) << where;
      EXPECT_EQ(boxes[0].title, "Input Error") << where;
    }
    EXPECT_EQ(*RomImage.Bytes, expected) << where;
    EXPECT_NE(model->index(1, 1).data().toString(), "") << where;  // the stored value again
  }
}

}  // namespace
