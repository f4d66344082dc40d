#include "tables/definition_panel.h"

#include "app/number_text.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

TEST(DefinitionPanelTest, EveryBoxShowsOneFieldAndNoFieldTwice) {
  std::set<int> columns;
  std::set<PanelBox> boxes;
  for (const PanelField& field : kPanelFields) {
    columns.insert(field.Column);
    boxes.insert(field.Box);
  }
  EXPECT_EQ(columns.size(), kPanelBoxCount);
  EXPECT_EQ(boxes.size(), kPanelBoxCount);
  EXPECT_EQ(columns.count(TableDefinition::EntrySize), 0u);
  EXPECT_EQ(columns.count(TableDefinition::FxxxTable), 0u);
  EXPECT_EQ(columns.count(TableDefinition::FxxxDPs), 0u);
  // The table's name, place and shape come before the axes.
  for (std::size_t k = 0; k < kPanelShapeFields; ++k) {
    EXPECT_LT(kPanelFields[k].Column, TableDefinition::EntrySize);
  }
}

TEST(DefinitionPanelTest, EntrySizeChoosesTheWidthButton) {
  const struct {
    const char* text;
    EntryWidth width;
  } cases[] = {{"1", EntryWidth::k8Bit},   {"2", EntryWidth::k16Bit},  {"4", EntryWidth::k32Bit},
               {"3", EntryWidth::k8Bit},   {"0", EntryWidth::k8Bit},   {"-2", EntryWidth::k8Bit},
               {" 4", EntryWidth::k32Bit}, {"0x2", EntryWidth::k16Bit}};
  for (const auto& c : cases) EXPECT_EQ(PanelEntryWidth(c.text), c.width) << c.text;
  try {
    (void)PanelEntryWidth("two");
    ADD_FAILURE() << "no failure";
  } catch (const ConversionError& error) {
    EXPECT_STREQ(error.what(), "'two' is not a valid integer value");
  }
  EXPECT_EQ(EntrySizeText(EntryWidth::k8Bit), "1");
  EXPECT_EQ(EntrySizeText(EntryWidth::k16Bit), "2");
  EXPECT_EQ(EntrySizeText(EntryWidth::k32Bit), "4");
}

TEST(DefinitionPanelTest, FxxxFieldsAsShown) {
  const struct {
    const char* table;
    const char* places;
    FxxxShown shown;
  } cases[] = {
      {"Yes", "12", {true, 12}}, {"yes", "40", {true, 0}}, {"Y", "abc", {true, 0}},
      {"y", "32", {true, 32}},   {"y", "-1", {true, 0}},   {"y", "0x10", {true, 16}},
      {"No", "12", {false, 0}},  {"", "5", {false, 0}},    {" yes", "5", {false, 0}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FxxxShownOf(c.table, c.places), c.shown) << c.table << " " << c.places;
  }
}

TEST(DefinitionPanelTest, StoringThePanelWritesItsFieldsAndTheEntrySize) {
  DefinitionList list(ListKind::Ordinary);
  list.Append({"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m", "n", "Yes", "7"});
  PanelTexts texts;
  for (std::size_t box = 0; box < kPanelBoxCount; ++box) texts[box] = "box" + std::to_string(box);
  StorePanelTexts(list, 1, texts, EntryWidth::k32Bit);
  for (const PanelField& field : kPanelFields) {
    EXPECT_EQ(list.Field(1, field.Column), texts[Index(field.Box)]) << field.Column;
  }
  EXPECT_EQ(list.Field(1, TableDefinition::TableName), "box0");
  EXPECT_EQ(list.Field(1, TableDefinition::XLabel), "box4");
  EXPECT_EQ(list.Field(1, TableDefinition::ZOffset), "box12");
  EXPECT_EQ(list.Field(1, TableDefinition::EntrySize), "4");
  EXPECT_EQ(list.Field(1, TableDefinition::FxxxTable), "Yes");
  EXPECT_EQ(list.Field(1, TableDefinition::FxxxDPs), "7");
}

TEST(DefinitionPanelTest, OpeningTakesTheBoxesOfTheSameNames) {
  PanelTexts texts;
  for (std::size_t box = 0; box < kPanelBoxCount; ++box) texts[box] = "box" + std::to_string(box);
  const OpenedTable table = OpenedTableOf(texts);
  EXPECT_EQ(table.TableName, texts[Index(PanelBox::TableName)]);
  EXPECT_EQ(table.TableAddress, texts[Index(PanelBox::TableAddress)]);
  EXPECT_EQ(table.Columns, texts[Index(PanelBox::Columns)]);
  EXPECT_EQ(table.Rows, texts[Index(PanelBox::Rows)]);
  EXPECT_EQ(table.XLabelName, texts[Index(PanelBox::XLabelName)]);
  EXPECT_EQ(table.YLabelName, texts[Index(PanelBox::YLabelName)]);
  EXPECT_EQ(table.ZLabelName, texts[Index(PanelBox::ZLabelName)]);
  EXPECT_EQ(table.ZScale, texts[Index(PanelBox::ZScale)]);
  EXPECT_EQ(table.ZOffset, texts[Index(PanelBox::ZOffset)]);
}

}  // namespace
