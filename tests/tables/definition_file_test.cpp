#include "tables/definition_file.h"

#include "support/temp_folder.h"
#include "tables/xdf_file.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <string>

namespace {

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::string Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos ? part : text;
}

TEST(DefinitionFileTest, OnlyRegularFilesUpToTheLimitAreRead) {
  const TempFolder folder;
  std::string text = "left alone";
  EXPECT_NE(ReadDefinitionText(folder.path(), text), "");
  EXPECT_EQ(text, "left alone");

  const std::string big = folder / "big.xml";
  WriteText(big, "<rom/>");
  ASSERT_EQ(::truncate(big.c_str(), static_cast<off_t>(kDefinitionFileLimit + 1)), 0);
  EXPECT_EQ(ReadDefinitionText(big, text), "the file is larger than 64 MiB");
  EXPECT_EQ(ReadDefinitionFile(big, 0).Problem, "the file is larger than 64 MiB");

  const std::string small = folder / "small.xml";
  WriteText(small, "<rom/>\n");
  EXPECT_EQ(ReadDefinitionText(small, text), "");
  EXPECT_EQ(text, "<rom/>\n");
}

TEST(DefinitionFileTest, TheRootElementChoosesTheReader) {
  const TempFolder folder;
  struct Case {
    const char* Text;
    const char* Problem;  // a part of the problem
  };
  const Case refused[] = {
      {"just some words", "the file is not XML"},
      {"", "the file is not XML"},
      {"<rom><table>", "not well-formed XML"},
      {"<?xml version=\"1.0\"?>\n<!-- a note -->\n<catalog/>", "root element is <catalog>"},
      {"XDF\r\n%%HEADER%%\r\n", "XDF in the old text form"},
  };
  for (const Case& c : refused) {
    const std::string path = folder / "file.xml";
    WriteText(path, c.Text);
    const TDefinitionFileRead read = ReadDefinitionFile(path, 0);
    EXPECT_EQ(read.Read, 0) << c.Text;
    EXPECT_EQ(Contains(read.Problem, c.Problem), c.Problem) << c.Text;
  }

  const std::string xdf = "<?xml version=\"1.0\"?>\n<XDFFORMAT version=\"1.60\"></XDFFORMAT>";
  WriteText(folder / "file.xdf", xdf);
  const TDefinitionFileRead read = ReadDefinitionFile(folder / "file.xdf", 0x40);
  const TDefinitionFileRead direct = ReadXdfText(xdf, 0x40);
  EXPECT_EQ(read.Read, direct.Read);
  EXPECT_EQ(read.Problem, direct.Problem);

  WriteText(folder / "file.xml",
            "\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<rom><romid><xmlid>A</xmlid></romid>"
            "<scaling name=\"s\" storagetype=\"uint8\"/>"
            "<table name=\"T\" type=\"1D\" scaling=\"s\" address=\"7fff0000\"/></rom>");
  const TDefinitionFileRead rom = ReadDefinitionFile(folder / "file.xml", 0xFFFF);
  EXPECT_EQ(rom.Problem, "");
  ASSERT_EQ(rom.Read, 1);
  EXPECT_EQ(rom.Lists.Ordinary.Field(1, TableDefinition::TableAddr), "0x7FFFFFFF");
  // One more and the entry lies past 2 GiB.
  const TDefinitionFileRead past = ReadDefinitionFile(folder / "file.xml", 0x10000);
  EXPECT_EQ(past.Read, 0);
  EXPECT_EQ(Contains(past.Problem, "past 2 GiB"), "past 2 GiB");
}

TEST(DefinitionFileTest, EntitiesAreNeverExpanded) {
  std::string entities = "<!DOCTYPE rom [\n<!ENTITY lol0 \"lol\">\n";
  for (int k = 1; k < 10; ++k) {
    const std::string previous = "&lol" + std::to_string(k - 1) + ";";
    std::string value;
    for (int n = 0; n < 10; ++n) value += previous;
    entities += "<!ENTITY lol" + std::to_string(k) + " \"" + value + "\">\n";
  }
  entities += "]>\n";
  const TempFolder folder;
  const std::string laughs = folder / "laughs.xml";
  WriteText(laughs, entities + "<lolz>&lol9;</lolz>");
  EXPECT_EQ(Contains(ReadDefinitionFile(laughs, 0).Problem, "<lolz>"), "<lolz>");

  WriteText(laughs, entities +
                        "<rom><scaling name=\"s\" storagetype=\"uint8\"/>"
                        "<table name=\"&lol9;\" type=\"1D\" scaling=\"s\" address=\"10\"/></rom>");
  const TDefinitionFileRead read = ReadDefinitionFile(laughs, 0);
  ASSERT_EQ(read.Read, 1) << read.Problem;
  EXPECT_EQ(read.Lists.Ordinary.Field(1, TableDefinition::TableName), "&lol9;");
}

}  // namespace
