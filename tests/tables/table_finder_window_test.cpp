// Find Tables: scanning the loaded image, opening a candidate and adding candidates to the
// definition list.
#include "tables/ui/table_finder_window.h"
#include "app/number_text.h"
#include "support/window_fixture.h"
#include "tables/ui/table_ed.h"

#include <QTableView>

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

QWidget* TopLevel(const char* name) {
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (window->objectName() == name) return window;
  }
  return nullptr;
}

// Code-like bytes with a smooth 12 × 16 map of little-endian 16-bit entries at 0x2000, its
// two rising axes in front of it.
std::vector<std::uint8_t> ImageWithAMap() {
  std::vector<std::uint8_t> image(0x8000);
  std::uint32_t state = 12345;
  for (auto& byte : image) {
    state = state * 1103515245u + 12345u;
    byte = static_cast<std::uint8_t>(state >> 16);
  }
  std::size_t at = 0x2000 - 2 * (16 + 12);
  const auto put16 = [&](int value) {
    image[at++] = static_cast<std::uint8_t>(value & 0xFF);
    image[at++] = static_cast<std::uint8_t>(value >> 8);
  };
  for (int x = 0; x < 16; ++x) put16(500 + 400 * x);
  for (int y = 0; y < 12; ++y) put16(10 + 15 * y);
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 16; ++x) {
      put16(static_cast<int>(1000 + 300 * std::sin(x * 0.3) + 40 * y));
    }
  }
  return image;
}

class TableFinderTest : public WindowTest {};

TEST_F(TableFinderTest, FindTablesListsCandidatesThatOpenAndBecomeDefinitions) {
  const std::vector<std::uint8_t> image = ImageWithAMap();
  PretendImageLoaded(static_cast<std::int32_t>(image.size()));
  *RomImage.Bytes = image;
  TypeAndEnter(Main->BaseAddress, "0x10000");
  ASSERT_TRUE(Main->FindTables->isEnabled());
  Main->FindTables->trigger();

  auto* finder = qobject_cast<TTableFinder*>(TopLevel("TableFinder"));
  ASSERT_NE(finder, nullptr);
  EXPECT_TRUE(finder->isVisible());
  const QAbstractItemModel* list = finder->CandidateList->model();
  const std::vector<TTableCandidate>& candidates = finder->Candidates();
  ASSERT_EQ(list->rowCount(), static_cast<int>(candidates.size()));
  ASSERT_GE(candidates.size(), 1u);
  bool planted = false;
  for (const TTableCandidate& c : candidates) {
    planted |=
        c.Offset == 0x2000 && c.Rows == 12 && c.Columns == 16 && c.Width == 2 && c.LittleEndian;
  }
  EXPECT_TRUE(planted);

  // Double-click on row 0 opens candidate 0 at the base address plus its offset.
  const TTableCandidate first = candidates[0];
  const QString address =
      QString::fromStdString(HexText(static_cast<std::int32_t>(0x10000 + first.Offset), 4));
  EXPECT_EQ(list->index(0, 0).data().toString(), address);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(finder));
  const QRect cell = finder->CandidateList->visualRect(list->index(0, 0));
  QTest::mouseClick(finder->CandidateList->viewport(), Qt::LeftButton, {}, cell.center());
  QTest::mouseDClick(finder->CandidateList->viewport(), Qt::LeftButton, {}, cell.center());
  EXPECT_EQ(Main->TableAddress->text(), address);
  EXPECT_EQ(Main->Rows->text().toInt(), first.Rows);
  EXPECT_EQ(Main->Columns->text().toInt(), first.Columns);
  EXPECT_EQ(Main->GetEntryWidth().Bytes(), first.Width);
  EXPECT_EQ(TableCursor.EntryOrder,
            first.LittleEndian ? TByteOrder::LittleEndian : TByteOrder::BigEndian);

  // Add to Definitions appends the selected candidate to the ordinary list.
  finder->CandidateList->selectRow(0);
  QTest::mouseClick(finder->AddToDefinitions, Qt::LeftButton);
  const QAbstractItemModel* definitions = TableEd->TableList1->model();
  ASSERT_EQ(definitions->rowCount(), 2);
  EXPECT_EQ(definitions->index(1, TableDefinition::TableName).data().toString(),
            "Found " + address);
  EXPECT_EQ(definitions->index(1, TableDefinition::Rows).data().toString().toInt(), first.Rows);
  EXPECT_EQ(definitions->index(1, TableDefinition::EntrySize).data().toString().toInt(),
            first.Width);

  // Closing the image forgets the candidates that lay in it.
  Main->Close1->trigger();
  EXPECT_FALSE(finder->isVisible());
  EXPECT_EQ(list->rowCount(), 0);
}

}  // namespace
