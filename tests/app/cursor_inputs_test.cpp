#include "app/cursor_inputs.h"

#include "app/number_text.h"
#include "app/shared_state.h"

#include <gtest/gtest.h>

namespace {

OpenedTable Fuel(std::string rows, std::string columns) {
  return {"0x03F0", columns, rows, "Fuel", "Load", "Speed", "Fuel", "0.5", "-40"};
}

TEST(ApplyOpenedTableTest, NamesSizeAndZScaling) {
  TTableCursor cursor;
  ApplyOpenedTable(cursor, Fuel("12", "0x10"));
  EXPECT_EQ(cursor.TableName, "Fuel");
  EXPECT_EQ(cursor.XLabelName, "Load");
  EXPECT_EQ(cursor.YLabelName, "Speed");
  EXPECT_EQ(cursor.ZLabelName, "Fuel");
  EXPECT_EQ(cursor.Rows, 12);
  EXPECT_EQ(cursor.Columns, 16);
  EXPECT_EQ(cursor.ZScale, 0.5f);
  EXPECT_EQ(cursor.ZOffset, -40.0f);
  EXPECT_EQ(cursor.TableAddress, 0);  // the address is the main window's check's
}

TEST(ApplyOpenedTableTest, ASizeThatIsNoNumberEndsItKeepingWhatWasSet) {
  const struct {
    const char* rows;
    const char* columns;
    std::int32_t rowsAfter;
  } cases[] = {{"x", "4", 16}, {"8", "y", 8}};
  for (const auto& c : cases) {
    TTableCursor cursor;
    EXPECT_THROW(ApplyOpenedTable(cursor, Fuel(c.rows, c.columns)), ConversionError);
    EXPECT_EQ(cursor.TableName, "Fuel");
    EXPECT_EQ(cursor.Rows, c.rowsAfter);
    EXPECT_EQ(cursor.Columns, 16);
    EXPECT_EQ(cursor.ZScale, 1.0f);
    EXPECT_EQ(cursor.ZOffset, 0.0f);
  }
}

TEST(ApplyOpenedTableTest, EntrySignAndByteOrderOnlyOnceTheSizeParsed) {
  TTableCursor cursor;
  OpenedTable table = Fuel("x", "16");
  table.EntrySigned = true;
  table.EntryOrder = TByteOrder::LittleEndian;
  EXPECT_THROW(ApplyOpenedTable(cursor, table), ConversionError);
  EXPECT_FALSE(cursor.EntrySigned);
  table.Rows = "12";
  ApplyOpenedTable(cursor, table);
  EXPECT_TRUE(cursor.EntrySigned);
  EXPECT_EQ(cursor.EntryOrder, TByteOrder::LittleEndian);
}

}  // namespace
