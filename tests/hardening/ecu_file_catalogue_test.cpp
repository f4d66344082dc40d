// Awkward ".ecu" files read into the table editor: each row is the file's bytes and the
// messages the user sees, with what the ordinary list then holds. No byte of the image changes.

#include "support/modal.h"
#include "support/temp_folder.h"
#include "support/window_fixture.h"
#include "tables/ui/table_ed.h"

#include <QTableView>

#include <string>

namespace {

struct Row {
  const char* what;
  std::string bytes;
  QStringList messages;    // every box shown, in order
  int tables;              // definitions in the ordinary list afterwards
  std::size_t nameLength;  // length of the first definition's name, when there is one
};

std::string Header(int count) { return "{1a2,7f,3,100," + std::to_string(count) + "}\r\n"; }

std::string Line(const std::string& name, const std::string& yAxis = "Load",
                 const std::string& xAxis = "RPM") {
  return "{100,16,16,1,0,0.0,0,1.0," + name + "," + yAxis + ",," + xAxis + ",}\r\n";
}

class EcuFileCatalogueTest : public WindowTest {};

TEST_F(EcuFileCatalogueTest, ReadingEachKindOfFile) {
  std::string junk;
  for (int i = 0; i < 4096; ++i) junk += static_cast<char>(0x80 + (i * 37) % 0x7F);
  const Row rows[] = {
      {"empty", "", {"Bad .ecu Header!"}, 0, 0},
      {"binary junk", junk, {"Bad .ecu Header!"}, 0, 0},
      {"NUL bytes", std::string(64, '\0'), {"Bad .ecu Header!"}, 0, 0},
      {"NUL bytes inside a line",
       Header(1) + "{100,16,16,1,0,0,0,1,Fu" + std::string(1, '\0') + "el,y,,x,}\r\n",
       {},
       1,
       5},
      {"CR-only line ends",
       "{0,0,0,0,1}\r{100,16,16,1,0,0,0,1,Fuel,y,,x,}\r",
       {"Bad .ecu Header!"},
       0,
       0},
      {"LF line ends",
       "{0,0,0,0,1}\n" + Line("Fuel").substr(0, Line("Fuel").size() - 2) + "\n",
       {},
       1,
       4},
      {"a count far above the lines present",
       Header(100000) + Line("Fuel"),
       {"Bad .ecu file! Could only load 1 out of 100000 tables. (1)"},
       1,
       4},
      {"a negative count",
       Header(-5) + Line("Fuel"),
       {"Bad .ecu file! Could only load 0 out of -5 tables. (1)",
        "Bad .ecu file! Check there are actually -5 tables. (3)"},
       0,
       0},
      {"one line of a megabyte", Header(1) + Line(std::string(1 << 20, 'N')), {}, 1, 63},
      {"fields beyond their limits",
       Header(1) + Line(std::string(100, 'n'), std::string(50, 'y'), std::string(300, 'x')),
       {},
       1,
       63},
      {"a divide by zero",
       Header(1) + "{100,16,16,1,0,0,1,0,Fuel,y,,x,}\r\n",
       {"Bad .ecu file! Check there are actually 1 tables. (2)",
        "Bad .ecu file! Check there are actually 1 tables. (3)"},
       0,
       0},
      {"bit-wise tables only",
       Header(1) + "{500,1,1,2,80,0,0,0,Flags,a,b,c,d}\r\n",
       {"Bad .ecu file! Check there are actually 1 tables. (3)"},
       0,
       0},
  };
  PretendImageLoaded(0x1000);
  *RomImage.Bytes = CountingBytes(0x1000);
  for (const Row& row : rows) {
    TempFolder folder;
    const std::string path = folder / "tables.ecu";
    WriteFile(path, std::vector<std::uint8_t>(row.bytes.begin(), row.bytes.end()));
    const auto boxes = AnsweringBoxes([&] { TableEd->ReadEcuFile(path); });
    QStringList messages;
    for (const SeenBox& box : boxes) {
      messages << box.text;
      EXPECT_EQ(box.title, "File Error") << row.what;
    }
    EXPECT_EQ(messages, row.messages) << row.what;
    const DefinitionList& list = TableEd->Lists.Ordinary;
    EXPECT_EQ(list.InUse() ? list.DataRowCount() : 0, row.tables) << row.what;
    if (row.tables > 0) {
      EXPECT_EQ(list.Field(1, TableDefinition::TableName).size(), row.nameLength) << row.what;
      EXPECT_LE(list.Field(1, TableDefinition::YLabel).size(), 31u) << row.what;
      EXPECT_LE(list.Field(1, TableDefinition::XLabel).size(), 31u) << row.what;
    }
    EXPECT_EQ(*RomImage.Bytes, CountingBytes(0x1000)) << row.what;
  }
}

TEST_F(EcuFileCatalogueTest, AFileThatCannotBeOpenedKeepsTheLists) {
  PretendImageLoaded(0x1000);
  TempFolder folder;
  const std::string path = folder / "good.ecu";
  const std::string text = Header(1) + Line("Fuel");
  WriteFile(path, std::vector<std::uint8_t>(text.begin(), text.end()));
  AnsweringBoxes([&] { TableEd->ReadEcuFile(path); });
  for (const std::string& bad : {folder / "missing.ecu", folder.path().string()}) {
    const auto boxes = AnsweringBoxes([&] { TableEd->ReadEcuFile(bad); });
    ASSERT_EQ(boxes.size(), 1u) << bad;
    EXPECT_EQ(boxes[0].text, "Couldn't open file!") << bad;
    EXPECT_EQ(TableEd->Lists.Ordinary.Field(1, TableDefinition::TableName), "Fuel") << bad;
  }
}

}  // namespace
