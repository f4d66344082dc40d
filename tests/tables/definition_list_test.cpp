#include "tables/definition_list.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Row = std::vector<std::string>;

Row RowOf(const DefinitionList& list, int row) {
  Row fields;
  for (int column = 0; column < list.ColumnCount(); ++column) {
    fields.push_back(list.Field(row, column));
  }
  return fields;
}

Row Named(const std::string& name) { return {name, "0x0100", "8"}; }

TEST(DefinitionListTest, CaptionsAndWidths) {
  const DefinitionList ordinary(ListKind::Ordinary);
  ASSERT_EQ(ordinary.ColumnCount(), 16);
  EXPECT_EQ(ordinary.Cell(0, 0), "Table Name");
  EXPECT_EQ(ordinary.Caption(TableDefinition::EntrySize), "Entry Size");
  EXPECT_EQ(ordinary.Caption(15), "Fxxx DPs");
  EXPECT_EQ(ordinary.ColumnWidth(0), 300);
  EXPECT_EQ(ordinary.ColumnWidth(1), 72);
  EXPECT_EQ(ordinary.ColumnWidth(2), 60);
  EXPECT_EQ(ordinary.ColumnWidth(11), 300);

  const DefinitionList bitwise(ListKind::BitWise);
  ASSERT_EQ(bitwise.ColumnCount(), 35);
  EXPECT_EQ(bitwise.Caption(2), "Bytes");
  EXPECT_EQ(bitwise.Caption(8), "Bit 5 Description");
  EXPECT_EQ(bitwise.Caption(34), "Bit 31 Description");
  EXPECT_EQ(bitwise.ColumnWidth(1), 72);
  EXPECT_EQ(bitwise.ColumnWidth(2), 60);
  EXPECT_EQ(bitwise.ColumnWidth(34), 300);
}

TEST(DefinitionListTest, StartsEmptyWithOneBlankRow) {
  const DefinitionList list(ListKind::Ordinary);
  EXPECT_FALSE(list.InUse());
  EXPECT_EQ(list.RowCount(), 2);  // caption and blank row
  EXPECT_EQ(list.DataRowCount(), 1);
  EXPECT_EQ(list.CurrentRow(), 1);
  EXPECT_EQ(RowOf(list, 1), Row(16));
}

TEST(DefinitionListTest, AppendFillsTheBlankRowFirst) {
  DefinitionList list(ListKind::BitWise);
  EXPECT_EQ(list.Append(Named("A")), 1);
  EXPECT_TRUE(list.InUse());
  EXPECT_EQ(list.DataRowCount(), 1);
  EXPECT_EQ(list.Append(Named("B")), 2);
  EXPECT_EQ(list.RowCount(), 3);
  EXPECT_EQ(list.Field(2, 0), "B");
  EXPECT_EQ(list.Field(2, 2), "8");
  EXPECT_EQ(list.Field(2, 3), "");
  EXPECT_THROW(list.Append(Row(36)), std::invalid_argument);
}

TEST(DefinitionListTest, TypingIntoTheBlankRowKeepsItUnused) {
  DefinitionList list(ListKind::Ordinary);
  list.SetField(1, 0, "typed");
  EXPECT_FALSE(list.InUse());
  list.Append(Named("A"));
  EXPECT_EQ(list.DataRowCount(), 1);
  EXPECT_EQ(list.Field(1, 0), "A");
}

TEST(DefinitionListTest, FieldsReadBackExactly) {
  DefinitionList list(ListKind::Ordinary);
  list.Append({});
  for (const char* text : {"0x03F0 ", " 12", "abc", "1,5", "", "-0", "0x", "x\ty", "\xff\x01"}) {
    list.SetField(1, TableDefinition::Columns, text);
    EXPECT_EQ(list.Field(1, TableDefinition::Columns), text);
    EXPECT_EQ(list.Cell(1, TableDefinition::Columns), text);
  }
}

TEST(DefinitionListTest, DeleteMiddleRow) {
  DefinitionList list(ListKind::BitWise);
  for (const char* name : {"A", "B", "C"}) list.Append(Named(name));
  list.SetCurrentRow(2);
  list.DeleteSelected();
  EXPECT_EQ(list.DataRowCount(), 2);
  EXPECT_EQ(list.Field(1, 0), "A");
  EXPECT_EQ(list.Field(2, 0), "C");
  EXPECT_TRUE(list.InUse());
  // Deleting the last row moves the selection onto the new last row.
  list.DeleteSelected();
  EXPECT_EQ(list.CurrentRow(), 1);
  EXPECT_EQ(list.Field(1, 0), "A");
  EXPECT_THROW((void)list.Field(2, 0), std::out_of_range);
}

TEST(DefinitionListTest, DeleteOnlyRowLeavesTheBlankRow) {
  DefinitionList list(ListKind::Ordinary);
  list.Append(NewTableDefinition("0x10", "2", "3", 1));
  list.DeleteSelected();
  EXPECT_FALSE(list.InUse());
  EXPECT_EQ(list.DataRowCount(), 1);
  EXPECT_EQ(RowOf(list, 1), Row(16));
  list.DeleteSelected();  // deleting in an empty list leaves it empty
  EXPECT_EQ(list.DataRowCount(), 1);
  EXPECT_EQ(list.Append(Named("again")), 1);
}

TEST(DefinitionListTest, ClearLeavesNoTrace) {
  DefinitionList list(ListKind::Ordinary);
  list.Append(NewTableDefinition("0x10", "2", "3", 4));
  list.Append(NewTableDefinition("0x20", "2", "3", 4));
  list.SetCurrentRow(2);
  list.Clear();
  EXPECT_FALSE(list.InUse());
  EXPECT_EQ(list.RowCount(), 2);
  EXPECT_EQ(list.CurrentRow(), 1);
  EXPECT_EQ(RowOf(list, 1), Row(16));
}

TEST(DefinitionListTest, FormatsStayWithTheirRows) {
  const TEntryFormat little{true, TByteOrder::LittleEndian};
  DefinitionList list(ListKind::Ordinary);
  list.SetFormat(1, little);  // the blank row's format is not the next definition's
  list.Append(Named("A"));
  list.Append(NewTableDefinition("0x0010", "4", "3", 2), little);
  list.Append(Named("C"));
  EXPECT_EQ(list.Format(1), TEntryFormat{});
  EXPECT_EQ(TypedDefinition(list.Row(2), list.Format(2)).value().Format, little);
  list.SetCurrentRow(1);
  list.DeleteSelected();
  EXPECT_EQ(list.Format(1), little);
  EXPECT_EQ(list.Format(2), TEntryFormat{});
  EXPECT_THROW((void)list.Format(3), std::out_of_range);
  list.Clear();
  EXPECT_EQ(list.Format(1), TEntryFormat{});
}

TEST(AddDefinitionTest, OrdinaryFromTheMainWindowInputs) {
  TableDefinitions lists;
  const CursorInputs inputs{false, "0x03F0", "16", "16", EntryWidth::k16Bit};
  EXPECT_EQ(RowOf(lists.Ordinary, 1), Row(16));
  const AddedDefinition added = AddDefinitionFromInputs(lists, inputs);
  EXPECT_EQ(added.List, ListKind::Ordinary);
  EXPECT_EQ(added.Row, 1);
  EXPECT_EQ(RowOf(lists.Ordinary, 1),
            (Row{"New Table", "0x03F0", "16", "16", "2", "X Label", "1", "0", "Y Label", "1", "0",
                 "Z Label", "1", "0", "No", "0"}));
  EXPECT_TRUE(lists.Ordinary.InUse());
  EXPECT_EQ(AddDefinitionFromInputs(lists, inputs).Row, 2);
  EXPECT_FALSE(lists.BitWise.InUse());
}

TEST(AddDefinitionTest, BitWiseGoesToTheEndOfTheBitWiseList) {
  TableDefinitions lists;
  AddDefinitionFromInputs(lists, {false, "0x1", "1", "1", EntryWidth::k8Bit});
  AddDefinitionFromInputs(lists, {false, "0x2", "1", "1", EntryWidth::k8Bit});
  lists.SelectedList = ListKind::Ordinary;
  const AddedDefinition added =
      AddDefinitionFromInputs(lists, {true, "0x0400", "9", "9", EntryWidth::k32Bit});
  EXPECT_EQ(added.List, ListKind::BitWise);
  EXPECT_EQ(added.Row, 1);
  Row expected = {"New Table", "0x0400", "1"};
  for (int bit = 0; bit < 8; ++bit)
    expected.push_back("Bit " + std::to_string(bit) + " Description");
  expected.resize(35);
  EXPECT_EQ(RowOf(lists.BitWise, 1), expected);
  EXPECT_EQ(lists.SelectedList, ListKind::Ordinary);
  EXPECT_EQ(AddDefinitionFromInputs(lists, {true, "0x0500", "", "", EntryWidth::k8Bit}).Row, 2);
}

}  // namespace
