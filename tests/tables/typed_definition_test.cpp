#include "tables/typed_definition.h"

#include "tables/definition_list.h"
#include "tables/ecu_file.h"

#include <gtest/gtest.h>

namespace {

const TTypedDefinition kFuel{.TableName = "Fuel",
                             .TableAddress = 0x03F0,
                             .Columns = 16,
                             .Rows = 12,
                             .EntrySize = 2,
                             .XLabel = "Load",
                             .YLabel = "Speed",
                             .ZScale = 0.5,
                             .ZOffset = -40};

TEST(TypedDefinitionTest, RowTextsAreThoseAnImportHoldsAndReadBack) {
  const EcuLine line{0x03F0, 16, 12, 2, 0, -40.0f, 0.0f, 0.5f, {"Fuel", "Speed", "", "Load", ""}};
  EXPECT_EQ(DefinitionRow(kFuel), DefinitionFromEcuLine(line)->second);

  TTypedDefinition spark = kFuel;
  spark.TableAddress = -2;  // the 32-bit pattern 0xFFFFFFFE
  spark.XScale = 0.1;
  spark.YOffset = -1.25e20;
  spark.FxxxTable = true;
  spark.Format = {true, TByteOrder::LittleEndian};
  EXPECT_EQ(TypedDefinition(DefinitionRow(spark), spark.Format), spark);
}

TEST(TypedDefinitionTest, AWholeNumberThatDoesNotParseGivesNothing) {
  for (const std::size_t column :
       {TableDefinition::TableAddr, TableDefinition::Columns, TableDefinition::Rows,
        TableDefinition::EntrySize, TableDefinition::FxxxDPs}) {
    std::vector<std::string> row = DefinitionRow(kFuel);
    row[column] = "12x";
    EXPECT_FALSE(TypedDefinition(row, {})) << column;
  }
  EXPECT_FALSE(TypedDefinition(std::vector<std::string>(15, "1"), {}));  // a column short
}

}  // namespace
