#include "tables/xdf_file.h"

#include "tables/typed_definition.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

std::string Document(const std::string& body, const std::string& header = "") {
  return "<XDFFORMAT version=\"1.70\">\n<XDFHEADER>" + header + "</XDFHEADER>\n" + body +
         "</XDFFORMAT>\n";
}

// A table whose z axis has the given EMBEDDEDDATA attributes and equation.
std::string Table(const std::string& title, const std::string& data,
                  const std::string& equation = "X") {
  return "<XDFTABLE><title>" + title +
         "</title>\n"
         "<XDFAXIS id=\"x\"><units>Speed</units><indexcount>3</indexcount>"
         "<MATH equation=\"40 * X\"><VAR id=\"X\"/></MATH></XDFAXIS>\n"
         "<XDFAXIS id=\"y\"><units>Load</units><indexcount>2</indexcount></XDFAXIS>\n"
         "<XDFAXIS id=\"z\"><EMBEDDEDDATA " +
         data + " /><units>Angle</units><MATH equation=\"" + equation +
         "\"><VAR id=\"X\"/></MATH></XDFAXIS>\n"
         "</XDFTABLE>\n";
}

const std::string& Field(const TDefinitionFileRead& read, int row, int column) {
  return read.Lists.Ordinary.Field(row, column);
}

TEST(XdfReadTest, TypeFlagsGiveShapeWidthAndEntryFormat) {
  struct Case {
    std::string Header, Data;
    std::string Columns, Rows, Size, XLabel, XScale;
    TEntryFormat Format;
  };
  const auto le = TByteOrder::LittleEndian;
  const auto be = TByteOrder::BigEndian;
  const std::string counts = R"( mmedaddress="0x10" mmedrowcount="2" mmedcolcount="3")";
  const Case cases[] = {
      {"", "mmedelementsizebits=\"8\"" + counts, "3", "2", "1", "Speed", "40", {}},
      {"",
       "mmedtypeflags=\"0x01\" mmedelementsizebits=\"16\"" + counts,
       "3",
       "2",
       "2",
       "Speed",
       "40",
       {true, be}},
      {"",
       "mmedtypeflags=\"0x02\" mmedelementsizebits=\"16\"" + counts,
       "3",
       "2",
       "2",
       "Speed",
       "40",
       {false, le}},
      {"",
       "mmedtypeflags=\"0x03\" mmedelementsizebits=\"32\"" + counts,
       "3",
       "2",
       "4",
       "Speed",
       "40",
       {true, le}},
      // Stored column by column: rows, columns and the axes exchanged.
      {"",
       "mmedtypeflags=\"0x04\" mmedelementsizebits=\"8\"" + counts,
       "2",
       "3",
       "1",
       "Load",
       "1",
       {}},
      {"",
       "mmedtypeflags=\"0x10000\" mmedelementsizebits=\"32\"" + counts,
       "3",
       "2",
       "4",
       "Speed",
       "40",
       {false, be, true}},
      {"",
       "mmedtypeflags=\"0x10002\" mmedelementsizebits=\"32\"" + counts,
       "3",
       "2",
       "4",
       "Speed",
       "40",
       {false, le, true}},
      // Without type flags or size the header's defaults hold; counts fall back to the axes.
      {R"(<DEFAULTS datasizeinbits="16" signed="1" lsbfirst="1" float="0" />)",
       "mmedaddress=\"0x10\"",
       "3",
       "2",
       "2",
       "Speed",
       "40",
       {true, le}},
      {R"(<DEFAULTS datasizeinbits="16" signed="1" lsbfirst="1" />)",
       "mmedtypeflags=\"0x00\" mmedaddress=\"0x10\" mmedrowcount=\"5\"",
       "3",
       "5",
       "2",
       "Speed",
       "40",
       {}},
  };
  for (const Case& c : cases) {
    const TDefinitionFileRead read = ReadXdfText(Document(Table("T", c.Data), c.Header), 0);
    ASSERT_EQ(read.Read, 1) << c.Data << read.Problem;
    EXPECT_EQ(read.Problem, "");
    EXPECT_EQ(Field(read, 1, TableDefinition::TableAddr), "0x0010");
    EXPECT_EQ(Field(read, 1, TableDefinition::Columns), c.Columns) << c.Data;
    EXPECT_EQ(Field(read, 1, TableDefinition::Rows), c.Rows) << c.Data;
    EXPECT_EQ(Field(read, 1, TableDefinition::EntrySize), c.Size) << c.Data;
    EXPECT_EQ(Field(read, 1, TableDefinition::XLabel), c.XLabel) << c.Data;
    EXPECT_EQ(Field(read, 1, TableDefinition::XScale), c.XScale) << c.Data;
    EXPECT_EQ(read.Lists.Ordinary.Format(1), c.Format) << c.Data;
  }
}

TEST(XdfReadTest, AddressesAreTheFileOffsetAfterTheBaseOffsetPlusTheBaseAddress) {
  struct Case {
    std::string Header, Address;
    std::int64_t Base;
    std::string Expected;
  };
  const Case cases[] = {
      {"", "0x1000", 0, "0x1000"},
      {"", "4096", 0x20, "0x1020"},
      {R"(<BASEOFFSET offset="0x100" subtract="0" />)", "0x1000", 0, "0x1100"},
      {R"(<BASEOFFSET offset="0x80000" subtract="1" />)", "0x81000", 0x10000, "0x11000"},
  };
  for (const Case& c : cases) {
    const TDefinitionFileRead read =
        ReadXdfText(Document(Table("T", "mmedaddress=\"" + c.Address + "\""), c.Header), c.Base);
    ASSERT_EQ(read.Read, 1) << read.Problem;
    EXPECT_EQ(Field(read, 1, TableDefinition::TableAddr), c.Expected) << c.Header;
  }
}

TEST(XdfReadTest, LinearEquationsBecomeScaleAndOffsetOthersAreKept) {
  struct Case {
    std::string Equation, Scale, Offset, Kept;
  };
  const Case cases[] = {
      {"0.454748 * X", "0.454748", "0", ""},
      {"X*0.75-48", "0.75", "-48", ""},
      {"(X-128)/2", "0.5", "-64", ""},
      {"", "1", "0", ""},
      {"14.7/(1+X*.0078125)", "1", "0", "14.7/(1+X*.0078125)"},
      {"X*X", "1", "0", "X*X"},
  };
  for (const Case& c : cases) {
    const TDefinitionFileRead read =
        ReadXdfText(Document(Table("T", "mmedaddress=\"0\"", c.Equation)), 0);
    ASSERT_EQ(read.Read, 1);
    EXPECT_EQ(Field(read, 1, TableDefinition::ZScale), c.Scale) << c.Equation;
    EXPECT_EQ(Field(read, 1, TableDefinition::ZOffset), c.Offset) << c.Equation;
    EXPECT_EQ(read.Lists.Ordinary.Format(1).Equation, c.Kept) << c.Equation;
  }
}

TEST(XdfReadTest, ConstantsAreOneByOneTablesAndFlagsAreGroupedByAddress) {
  const std::string flags = R"(
<XDFFLAG><title>Idle</title><EMBEDDEDDATA mmedaddress="0x200" mmedelementsizebits="8" /><mask>0x01</mask></XDFFLAG>
<XDFCONSTANT><title>Limit</title><EMBEDDEDDATA mmedtypeflags="0x03" mmedaddress="0x300" mmedelementsizebits="16" />
  <units>rpm</units><MATH equation="X/4"><VAR id="X"/></MATH></XDFCONSTANT>
<XDFFLAG><title>Wide</title><EMBEDDEDDATA mmedaddress="0x201" mmedelementsizebits="16" /><mask>0x100</mask></XDFFLAG>
<XDFFLAG><title>Knock</title><EMBEDDEDDATA mmedaddress="0x200" /><mask>0x80</mask></XDFFLAG>
<XDFFLAG><title>Lambda</title><EMBEDDEDDATA mmedaddress="0x200" /><mask>0x04</mask></XDFFLAG>
)";
  const TDefinitionFileRead read = ReadXdfText(Document(flags), 0);
  EXPECT_EQ(read.Read, 3);
  EXPECT_EQ(read.Problem, "");
  const auto constant = read.Lists.Ordinary.Row(1);
  EXPECT_EQ(std::vector<std::string>(constant.begin(), constant.end()),
            (std::vector<std::string>{"Limit", "0x0300", "1", "1", "2", "", "1", "0", "", "1", "0",
                                      "rpm", "0.25", "0", "No", "0"}));
  EXPECT_EQ(read.Lists.Ordinary.Format(1), (TEntryFormat{true, TByteOrder::LittleEndian}));

  const DefinitionList& bits = read.Lists.BitWise;
  ASSERT_EQ(bits.DataRowCount(), 2);
  std::vector<std::string> first(BitWiseDefinition::ColumnCount);
  first[0] = "Idle";
  first[1] = "0x0200";
  first[2] = "1";
  first[BitWiseDefinition::BitColumn(0)] = "Idle";
  first[BitWiseDefinition::BitColumn(2)] = "Lambda";
  first[BitWiseDefinition::BitColumn(7)] = "Knock";
  EXPECT_EQ(std::vector<std::string>(bits.Row(1).begin(), bits.Row(1).end()), first);
  EXPECT_EQ(bits.Field(2, BitWiseDefinition::TableAddr), "0x0201");
  EXPECT_EQ(bits.Field(2, BitWiseDefinition::Bytes), "2");
  EXPECT_EQ(bits.Field(2, BitWiseDefinition::BitColumn(8)), "Wide");
}

TEST(XdfReadTest, DocumentsThatAreNoXmlXdfReadNothing) {
  struct Case {
    std::string Text, Problem;
  };
  const Case cases[] = {
      {"just some text", "not XML"},
      {"<XDFFORMAT><XDFTABLE></XDFFORMAT>", "line 1: the file is not XML"},
      {"", "not XML"},
      {"<?xml version=\"1.0\"?>\n<rom><table name=\"a\"/></rom>", "another kind"},
      {"XDF\r\n1.110000\r\n\r\n%%HEADER%%\r\n", "old text form"},
      {Document(""), "holds no tables"},
  };
  for (const Case& c : cases) {
    const TDefinitionFileRead read = ReadXdfText(c.Text, 0);
    EXPECT_EQ(read.Read, 0) << c.Text;
    EXPECT_NE(read.Problem.find(c.Problem), std::string::npos) << read.Problem;
    EXPECT_FALSE(read.Lists.Ordinary.InUse());
    EXPECT_FALSE(read.Lists.BitWise.InUse());
  }
}

TEST(XdfReadTest, ABadTableIsSkippedTheFirstProblemNamedAndTheRestRead) {
  const std::string body = Table("Good", "mmedaddress=\"0x10\"") +
                           Table("Bad address", "mmedaddress=\"zz\"") +
                           Table("Far", "mmedaddress=\"0x7FFFFFFF\"") +
                           Table("Size", "mmedaddress=\"0\" mmedelementsizebits=\"abc\"") +
                           Table("Rows", "mmedaddress=\"0\" mmedrowcount=\"two\"") +
                           Table("Huge", "mmedaddress=\"0xFFFFFFFFFFFFFFFFFFFF\"") +
                           Table("Also good", "mmedaddress=\"0x20\"");
  const TDefinitionFileRead read = ReadXdfText(Document(body), 1);
  EXPECT_EQ(read.Read, 2);
  EXPECT_EQ(Field(read, 1, TableDefinition::TableName), "Good");
  EXPECT_EQ(Field(read, 2, TableDefinition::TableName), "Also good");
  // Each table takes 5 lines after the 2 of the document's start; the z axis is its 4th.
  EXPECT_EQ(read.Problem, "line 11: table \"Bad address\": the address \"zz\" is not a number");

  const TDefinitionFileRead far =
      ReadXdfText(Document(Table("Far", "mmedaddress=\"0x7FFFFFFF\"")), 1);
  EXPECT_EQ(far.Problem, "line 6: table \"Far\": the address 0x80000000 is past 2 GiB");
  const TDefinitionFileRead negative = ReadXdfText(
      Document(Table("Low", "mmedaddress=\"0x10\""), R"(<BASEOFFSET offset="0x20" subtract="1"/>)"),
      0);
  EXPECT_EQ(negative.Problem, "line 6: table \"Low\": the address -0x10 is negative");
  EXPECT_EQ(negative.Read, 0);
}

TEST(XdfReadTest, EntitiesAreNeverExpanded) {
  std::string doctype = "<!DOCTYPE XDFFORMAT [\n<!ENTITY lol \"lol\">\n";
  for (int level = 1; level <= 9; ++level) {
    doctype += "<!ENTITY lol" + std::to_string(level) + " \"";
    for (int i = 0; i < 10; ++i)
      doctype += "&lol" + (level == 1 ? "" : std::to_string(level - 1)) + ";";
    doctype += "\">\n";
  }
  doctype += "]>\n";
  const TDefinitionFileRead read =
      ReadXdfText(doctype + Document(Table("&lol9;", "mmedaddress=\"0\"")), 0);
  ASSERT_EQ(read.Read, 1) << read.Problem;
  EXPECT_LT(Field(read, 1, TableDefinition::TableName).size(), 10u);
}

// Lists with every kind of awkward text.
TableDefinitions AwkwardLists() {
  TableDefinitions lists;
  TTypedDefinition plain{.TableName = "Fuel",
                         .TableAddress = 0x10400,
                         .Columns = 16,
                         .Rows = 12,
                         .EntrySize = 2,
                         .XLabel = "rpm",
                         .XScale = 40,
                         .YLabel = "Load",
                         .YOffset = -1.5,
                         .ZLabel = "ms",
                         .ZScale = 0.0078125,
                         .ZOffset = -40,
                         .Format = {true, TByteOrder::LittleEndian}};
  lists.Ordinary.Append(DefinitionRow(plain), plain.Format);
  plain.TableName = "Lambda";
  plain.ZScale = 1;
  plain.ZOffset = 0;
  plain.EntrySize = 4;
  plain.Format = {false, TByteOrder::BigEndian, true, "14.7/(1+X*.0078125)"};
  lists.Ordinary.Append(DefinitionRow(plain), plain.Format);
  lists.Ordinary.Append(
      {"Quote \" & <tag> 'x' %41 %", "0x10", "abc", "-3", "3",
       "Z\xC3\xBCndwinkel \xC2\xB0 \xE2\x82\xAC \xF0\x9F\x98\x80", "1,5", " 2 ",
       "\x01\t\n\r\x7F end", "\xFF\xC3(", "\xED\xA0\x80", "", "1e999", "nan", "yes please", "40"},
      {true, TByteOrder::LittleEndian, false, "A\x02 < B & \"C\""});
  lists.Ordinary.Append({});

  std::vector<std::string> full(BitWiseDefinition::ColumnCount);
  for (int column = 0; column < BitWiseDefinition::ColumnCount; ++column) {
    full[static_cast<std::size_t>(column)] =
        "F" + std::to_string(column) + (column % 3 == 0 ? " <&\"\x1F\xE2\x82\xAC" : "");
  }
  full[BitWiseDefinition::TableAddr] = "0x10800";
  full[BitWiseDefinition::Bytes] = "4";
  lists.BitWise.Append(full);
  lists.BitWise.Append({"No bits", "$zz", "x"});
  lists.BitWise.Append(NewBitWiseDefinition("0x10900"));
  return lists;
}

void ExpectSameLists(const TableDefinitions& read, const TableDefinitions& written) {
  for (const ListKind kind : {ListKind::Ordinary, ListKind::BitWise}) {
    const DefinitionList& a = read.List(kind);
    const DefinitionList& b = written.List(kind);
    ASSERT_EQ(a.DataRowCount(), b.DataRowCount());
    EXPECT_EQ(a.InUse(), b.InUse());
    for (int row = 1; row <= a.DataRowCount(); ++row) {
      for (int column = 0; column < a.ColumnCount(); ++column) {
        EXPECT_EQ(a.Field(row, column), b.Field(row, column)) << row << "," << column;
      }
      EXPECT_EQ(a.Format(row), b.Format(row)) << row;
    }
  }
}

TEST(XdfWriteTest, WrittenListsReadBackWithEveryTextAndFormat) {
  const TableDefinitions lists = AwkwardLists();
  const std::string text = FormatXdf(lists, 0x10000);
  for (const char c : text) {
    ASSERT_TRUE(c == '\n' || (c >= 0x20 && c < 0x7F)) << static_cast<int>(c);
  }
  const TDefinitionFileRead read = ReadXdfText(text, 0x10000);
  EXPECT_EQ(read.Problem, "");
  EXPECT_EQ(read.Read, 7);
  ExpectSameLists(read.Lists, lists);
  EXPECT_EQ(read.Lists.SelectedList, ListKind::Ordinary);

  const TableDefinitions empty;
  const TDefinitionFileRead none = ReadXdfText(FormatXdf(empty, 0), 0);
  ExpectSameLists(none.Lists, empty);
}

TEST(XdfWriteTest, TheXdfElementsAloneDescribeTheTablesAndFlags) {
  // What another program sees: the file without this editor's own elements.
  const TableDefinitions lists = AwkwardLists();
  const std::string text =
      std::regex_replace(FormatXdf(lists, 0x10000), std::regex("<qv[a-z]+[^>]*/>"), "");
  const TDefinitionFileRead read = ReadXdfText(text, 0x10000);
  ASSERT_GE(read.Lists.Ordinary.DataRowCount(), 2);
  for (int row = 1; row <= 2; ++row) {
    for (int column = 0; column < TableDefinition::ColumnCount; ++column) {
      EXPECT_EQ(read.Lists.Ordinary.Field(row, column), lists.Ordinary.Field(row, column))
          << row << "," << column;
    }
    EXPECT_EQ(read.Lists.Ordinary.Format(row), lists.Ordinary.Format(row));
  }
  // Below the base address, malformed counts, texts XML cannot hold; the row without an
  // address is passed over.
  ASSERT_EQ(read.Lists.Ordinary.DataRowCount(), 3);
  const auto awkward = read.Lists.Ordinary.Row(3);
  EXPECT_EQ(std::vector<std::string>(awkward.begin(), awkward.begin() + 9),
            (std::vector<std::string>{"Quote \" & <tag> 'x' %41 %", "0x0010", "1", "1", "3",
                                      "Z\xC3\xBCndwinkel \xC2\xB0 \xE2\x82\xAC \xF0\x9F\x98\x80",
                                      "1", "2", "\xEF\xBF\xBD\t\n\r\x7F end"}));
  // The flags of the full row and of the new one, grouped back by address.
  const DefinitionList& bits = read.Lists.BitWise;
  ASSERT_EQ(bits.DataRowCount(), 2);
  EXPECT_EQ(bits.Field(1, BitWiseDefinition::TableAddr), "0x10800");
  EXPECT_EQ(bits.Field(1, BitWiseDefinition::Bytes), "4");
  EXPECT_EQ(bits.Field(1, BitWiseDefinition::BitColumn(31)), "F34");
  EXPECT_EQ(bits.Field(2, BitWiseDefinition::Bytes), "1");
  EXPECT_EQ(bits.Field(2, BitWiseDefinition::BitColumn(7)), "Bit 7 Description");
}

TEST(XdfWriteTest, WriteXdfFileWritesTheTextOrSaysWhy) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("xdf_test_" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const TableDefinitions lists = AwkwardLists();
  EXPECT_EQ(WriteXdfFile(folder / "out.xdf", lists, 0), "");
  std::ifstream in(folder / "out.xdf", std::ios::binary);
  const std::string written{std::istreambuf_iterator<char>(in), {}};
  EXPECT_EQ(written, FormatXdf(lists, 0));
  EXPECT_NE(WriteXdfFile(folder / "missing" / "out.xdf", lists, 0), "");
  std::filesystem::remove_all(folder);
}

}  // namespace
