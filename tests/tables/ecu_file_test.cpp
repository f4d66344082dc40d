#include "tables/ecu_file.h"

#include "support/file_size_limit.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Row = std::vector<std::string>;

Row RowOf(const DefinitionList& list, int row) {
  Row fields;
  for (int column = 0; column < list.ColumnCount(); ++column) {
    fields.push_back(list.Field(row, column));
  }
  return fields;
}

Row BitWiseRow(const std::string& name, const std::string& address, const std::string& bytes) {
  Row fields = {name, address, bytes};
  fields.resize(35);
  return fields;
}

const std::string kExported =
    "{   0,   0, 0,   0, 2}\r\n"
    "{ 3f0,16,12, 1,0,-40.0000,  1.0000,  0.5000,Fuel Map, , , , }\r\n"
    "{}\r\n";

// The lists of the export example: Fuel Map and one bit-wise definition.
TableDefinitions FuelMapLists() {
  TableDefinitions lists;
  Row fuel = NewTableDefinition("0x03F0", "16", "12", 1);
  fuel[TableDefinition::TableName] = "Fuel Map";
  fuel[TableDefinition::XScale] = "0.5";
  fuel[TableDefinition::XOffset] = "-40";
  lists.Ordinary.Append(fuel);
  lists.BitWise.Append(NewBitWiseDefinition("0x0400"));
  return lists;
}

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void WriteAll(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

class EcuFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("ecu_test_" + std::to_string(::getpid()));
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  EcuReadReport Read(const std::string& text) { return ReadEcuText(text, header_, lists_); }

  fs::path folder_;
  EcuHeader header_;
  TableDefinitions lists_;
};

TEST_F(EcuFileTest, WritesTheExampleByteForByte) {
  const TableDefinitions lists = FuelMapLists();
  const EcuText text = FormatEcu(EcuHeader{}, lists);
  EXPECT_TRUE(text.Complete);
  EXPECT_EQ(text.Text, kExported);

  const fs::path path = folder_ / "out.qvt";
  EXPECT_EQ(WriteEcuFile(path, EcuHeader{}, lists).Status, EcuWriteStatus::Written);
  EXPECT_EQ(ReadAll(path), kExported);
}

TEST_F(EcuFileTest, ReadsTheExampleBack) {
  const fs::path path = folder_ / "in.ecu";
  WriteAll(path, kExported);
  header_.Values = {7, 7, 7, 7};
  const EcuReadReport report = ReadEcuFile(path, header_, lists_);

  EXPECT_EQ(report.Status, EcuReadStatus::Loaded);
  EXPECT_EQ(report.Message, "Bad .ecu file! Could only load 1 out of 2 tables. (1)");
  EXPECT_EQ(report.OpenRow, 1);
  EXPECT_EQ(header_.Values, (std::array<std::int32_t, 4>{}));
  ASSERT_EQ(lists_.Ordinary.DataRowCount(), 1);
  EXPECT_EQ(RowOf(lists_.Ordinary, 1), (Row{"Fuel Map", "0x03F0", "16", "12", "1", "", "1", "0", "",
                                            "1", "0", "", "2", "-40", "No", "0"}));
  EXPECT_FALSE(lists_.BitWise.InUse());
  EXPECT_EQ(lists_.SelectedList, ListKind::Ordinary);
  EXPECT_EQ(lists_.Ordinary.CurrentRow(), 1);
}

TEST_F(EcuFileTest, WriterFieldForms) {
  TableDefinitions lists;
  Row wide = NewTableDefinition("-1", "100", "0x10", 4);
  wide[TableDefinition::TableName] = "Name, with comma";
  wide[TableDefinition::XScale] = "123456.789";
  wide[TableDefinition::XOffset] = "abc";
  lists.Ordinary.Append(wide);
  EcuHeader header;
  header.Values = {0x12345, -1, 123, 0xabc};
  EXPECT_EQ(FormatEcu(header, lists).Text,
            "{12345,ffffffff,123, abc, 2}\r\n"
            "{ffffffff,100,16, 4,0,  0.0000,  1.0000,123456.7891,Name, with comma, , , , }\r\n"
            "{}\r\n");
}

TEST_F(EcuFileTest, ExportOfAnEmptyOrdinaryListStopsAfterTheBrace) {
  const EcuText text = FormatEcu(EcuHeader{}, TableDefinitions{});
  EXPECT_FALSE(text.Complete);
  EXPECT_EQ(text.Text, "{   0,   0, 0,   0, 2}\r\n{");

  const fs::path path = folder_ / "empty.qvt";
  const EcuWriteReport report = WriteEcuFile(path, EcuHeader{}, TableDefinitions{});
  EXPECT_EQ(report.Status, EcuWriteStatus::Failed);
  EXPECT_EQ(report.Message,
            "Can't perform one of the following file operations: Open, Seek, Read, Close.");
  EXPECT_EQ(ReadAll(path), text.Text);
}

TEST_F(EcuFileTest, LineMapping) {
  // A bit-wise line of an outside file.
  Read("{0,0,0,0,1}\n{ 400, 1, 1, 2,80, 0.0000, 0.0000, 1.0000,Flags,,,,}\n");
  EXPECT_EQ(RowOf(lists_.BitWise, 1), BitWiseRow("Flags", "0x0400", "2"));
  EXPECT_FALSE(lists_.Ordinary.InUse());

  // Axis names, the scale as held in single precision, a divisor, the offset.
  const struct {
    const char* line;
    const char* scale;
  } cases[] = {{"{3f0,8,4,2,0,1.5,0,0.1,N,Y axis,-,X axis,-}", "0.100000001490116"},
               {"{3f0,8,4,2,0,1.5,1,0.5,N,Y axis,-,X axis,-}", "2"},
               {"{3f0,8,4,2,0,1.5,-2,3,N,Y axis,-,X axis,-}", "0.333333333333333"},
               {"{3f0,8,4,2,0,1.5,1,0.1,N,Y axis,-,X axis,-}", "9.99999985098839"},
               {"{3f0,8,4,2,0,1.5,0,0,N,Y axis,-,X axis,-}", "0"}};
  for (const auto& c : cases) {
    Read(std::string("{0,0,0,0,1}\n") + c.line + "\n");
    EXPECT_EQ(RowOf(lists_.Ordinary, 1), (Row{"N", "0x03F0", "8", "4", "2", "X axis", "1", "0",
                                              "Y axis", "1", "0", "", c.scale, "1.5", "No", "0"}))
        << c.line;
  }
}

TEST_F(EcuFileTest, HeaderAndCountCases) {
  const std::string line = "{10,1,1,1,0,0,0,1,T,,,,}\r\n";
  const struct {
    std::string text;
    EcuReadStatus status;
    std::string message;
    int ordinary_rows;
  } cases[] = {
      {"", EcuReadStatus::BadHeader, "Bad .ecu Header!", 0},
      {"{1,2,3", EcuReadStatus::BadHeader, "Bad .ecu Header!", 0},
      {"{1,2,3,4,1}", EcuReadStatus::BadHeader, "Bad .ecu Header!", 0},
      {"{1,2,3,4,0}\r\n" + line, EcuReadStatus::Loaded, "", 0},
      {"{1,2,3,4,-3}\n" + line, EcuReadStatus::Loaded,
       "Bad .ecu file! Could only load 0 out of -3 tables. (1)", 0},
      {"{1,2,3,4,5}\r\n" + line + line, EcuReadStatus::Loaded,
       "Bad .ecu file! Could only load 2 out of 5 tables. (1)", 2},
      {"{1,2,3,4,2147483647}\n" + line, EcuReadStatus::Loaded,
       "Bad .ecu file! Could only load 1 out of 2147483647 tables. (1)", 1},
      {"{1,2,3,4,3}\n" + line + "{10,1,1,1,0,0,1,0,Zero,,,,}\n" + line, EcuReadStatus::Loaded,
       "Bad .ecu file! Check there are actually 3 tables. (2)", 1},
  };
  for (const auto& c : cases) {
    lists_ = FuelMapLists();
    const EcuReadReport report = Read(c.text);
    EXPECT_EQ(report.Status, c.status) << c.text;
    EXPECT_EQ(report.Message, c.message) << c.text;
    EXPECT_EQ(lists_.Ordinary.InUse() ? lists_.Ordinary.DataRowCount() : 0, c.ordinary_rows)
        << c.text;
    EXPECT_FALSE(lists_.BitWise.InUse()) << c.text;
    EXPECT_EQ(report.OpenRow.has_value(), c.status == EcuReadStatus::Loaded) << c.text;
  }
}

TEST_F(EcuFileTest, HeaderValuesReadBeforeAFailureStay) {
  header_.Values = {9, 9, 9, 9};
  Read("{a1,b2,zz");
  EXPECT_EQ(header_.Values, (std::array<std::int32_t, 4>{0xa1, 0xb2, 9, 9}));
}

TEST_F(EcuFileTest, BitWiseOnlyFileLeavesTheOrdinaryListEmpty) {
  const EcuReadReport report =
      Read("{0,0,0,0,2}\n{1,1,1,1,80,0,0,1,A,,,,}\n{2,1,1,3,80,0,0,1,B,,,,}\n");
  EXPECT_EQ(report.Message, "");
  EXPECT_EQ(lists_.BitWise.DataRowCount(), 2);
  EXPECT_EQ(RowOf(lists_.BitWise, 2), BitWiseRow("B", "0x0002", "3"));
  EXPECT_FALSE(lists_.Ordinary.InUse());
  // The window cannot open the blank row and shows this instead.
  EXPECT_EQ(report.OpenFailureMessage(), "Bad .ecu file! Check there are actually 2 tables. (3)");
}

TEST_F(EcuFileTest, FieldThatDoesNotConvertKeepsThePreviousLinesValue) {
  Read(
      "{0,0,0,0,3}\n{zz,q,4,2,0,0,0,1,A,,,,}\n{3f0,16,4,2,0,0,0,1,B,,,,}\n{,x,x,x,0,0,0,1,C,,,,}"
      "\n");
  EXPECT_EQ(RowOf(lists_.Ordinary, 1)[1], "0x0000");  // nothing before the first line
  EXPECT_EQ(RowOf(lists_.Ordinary, 1)[2], "0");
  EXPECT_EQ(RowOf(lists_.Ordinary, 3)[1], "0x03F0");
  EXPECT_EQ(RowOf(lists_.Ordinary, 3)[2], "16");
}

TEST_F(EcuFileTest, NameWithACommaShiftsIntoTheNextFields) {
  EXPECT_EQ(WriteEcuFile(folder_ / "c.qvt", EcuHeader{},
                         [] {
                           TableDefinitions lists;
                           Row row = NewTableDefinition("0x10", "1", "1", 1);
                           row[0] = "Spark, high";
                           lists.Ordinary.Append(row);
                           return lists;
                         }())
                .Status,
            EcuWriteStatus::Written);
  // The blank bit-wise row is exported as "{}", which reads as no table.
  EXPECT_EQ(ReadEcuFile(folder_ / "c.qvt", header_, lists_).Stored, 1);
  EXPECT_EQ(lists_.Ordinary.Field(1, TableDefinition::TableName), "Spark");
  EXPECT_EQ(lists_.Ordinary.Field(1, TableDefinition::YLabel), " high");
}

TEST_F(EcuFileTest, LineWithTooFewTextFieldsTakesTheNextLine) {
  const EcuReadReport report = Read(
      "{0,0,0,0,3}\n{1,1,1,1,0,0,0,1,A,b,c}\n{2,1,1,1,0,0,0,1,B,,,,}\n"
      "{3,1,1,1,0,0,0,1,C,,,,}\n");
  EXPECT_EQ(report.Message, "Bad .ecu file! Could only load 2 out of 3 tables. (1)");
  ASSERT_EQ(lists_.Ordinary.DataRowCount(), 2);
  EXPECT_EQ(lists_.Ordinary.Field(1, TableDefinition::XLabel), "\n{2");
  EXPECT_EQ(lists_.Ordinary.Field(2, TableDefinition::TableName), "C");
}

TEST_F(EcuFileTest, TextFieldsAreCutAtTheirLimits) {
  const std::string name(100, 'n'), y(40, 'y'), skip(300, 's'), x(40, 'x');
  Read("{0,0,0,0,1}\n{1,1,1,1,0,0,0,1," + name + "," + y + "," + skip + "," + x + "," + skip +
       "}\n");
  EXPECT_EQ(lists_.Ordinary.Field(1, TableDefinition::TableName), name.substr(0, 63));
  EXPECT_EQ(lists_.Ordinary.Field(1, TableDefinition::YLabel), y.substr(0, 31));
  EXPECT_EQ(lists_.Ordinary.Field(1, TableDefinition::XLabel), x.substr(0, 31));
  EXPECT_EQ(lists_.Ordinary.Field(1, TableDefinition::FxxxTable), "No");
}

TEST_F(EcuFileTest, LineEnds) {
  const std::string lines[] = {
      "{0,0,0,0,2}\r\n{1,1,1,1,0,0,0,1,A,Y,,X,}\r\n{2,1,1,1,0,0,0,1,B,,,,}",
      "{0,0,0,0,2}\n{1,1,1,1,0,0,0,1,A,Y,,X,}\n{2,1,1,1,0,0,0,1,B,,,,}",
      "{0,0,0,0,2}\n{1,1,1,1,0,0,0,1,A,Y,,X,}\n{2,1,1,1,0,0,0,1,B,,,,}\n"};
  for (const std::string& text : lines) {
    const EcuReadReport report = Read(text);
    EXPECT_EQ(report.Message, "") << text;  // the last line counts without its line end
    ASSERT_EQ(lists_.Ordinary.DataRowCount(), 2) << text;
    EXPECT_EQ(lists_.Ordinary.Field(1, TableDefinition::YLabel), "Y");
    EXPECT_EQ(lists_.Ordinary.Field(1, TableDefinition::XLabel), "X");
    EXPECT_EQ(lists_.Ordinary.Field(2, TableDefinition::TableName), "B");
  }
  // A last line cut inside a text field is not stored.
  EXPECT_EQ(Read("{0,0,0,0,2}\n{1,1,1,1,0,0,0,1,A,,,,}\n{2,1,1,1,0,0,0,1,B,,,").Message,
            "Bad .ecu file! Could only load 1 out of 2 tables. (1)");
}

TEST_F(EcuFileTest, StreamReaderReadsTheSameText) {
  std::istringstream in(kExported);
  const EcuReadReport report = ReadEcuStream(in, header_, lists_);
  EXPECT_EQ(report.Stored, 1);
  EXPECT_EQ(lists_.Ordinary.Field(1, 0), "Fuel Map");
}

TEST_F(EcuFileTest, FileThatCannotBeReadLeavesEverythingUntouched) {
  for (const fs::path& path : {folder_ / "missing.ecu", folder_}) {
    lists_ = FuelMapLists();
    header_.Values = {1, 2, 3, 4};
    const EcuReadReport report = ReadEcuFile(path, header_, lists_);
    EXPECT_EQ(report.Status, EcuReadStatus::CouldNotOpen) << path;
    EXPECT_EQ(report.Message, "Couldn't open file!");
    EXPECT_FALSE(report.OpenRow.has_value());
    EXPECT_EQ(header_.Values, (std::array<std::int32_t, 4>{1, 2, 3, 4}));
    EXPECT_EQ(lists_.Ordinary.Field(1, 0), "Fuel Map");
  }
}

TEST_F(EcuFileTest, ReaderStopsOnArbitraryBytes) {
  std::mt19937 random(7);
  const std::string alphabet = std::string("{},\r\n\t 0123456789abcdefx.-+e\xff") + '\0';
  for (int round = 0; round < 2000; ++round) {
    std::string text = "{0,0,0,0,99}\n";
    const int length = std::uniform_int_distribution(0, 400)(random);
    for (int k = 0; k < length; ++k) {
      text += alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(random)];
    }
    const EcuReadReport report = Read(text);
    EXPECT_LE(report.Stored, 99);
  }
  // CR-only line ends: all one line, so the first table line swallows the rest.
  EXPECT_EQ(Read("{0,0,0,0,2}\r{1,1,1,1,0,0,0,1,A,,,,}\r{2,1,1,1,0,0,0,1,B,,,,}\r").Status,
            EcuReadStatus::BadHeader);
  // One line of a megabyte.
  const std::string big(1 << 20, '7');
  const EcuReadReport report = Read("{0,0,0,0,1}\n{" + big + "," + big + ",1,1,0," + big + ",0," +
                                    big + "," + big + "," + big + ",,,}");
  EXPECT_EQ(report.Stored, 1);
  EXPECT_EQ(lists_.Ordinary.Field(1, TableDefinition::TableName).size(), 63u);
  EXPECT_EQ(lists_.Ordinary.Field(1, TableDefinition::ZScale), "INF");
}

TEST_F(EcuFileTest, FailedOpenLeavesAnExistingFileUntouched) {
  const fs::path path = folder_ / "keep.qvt";
  WriteAll(path, "old content");
  // With no file descriptor left, opening for writing fails, whoever runs the test.
  rlimit limit{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &limit), 0);
  const rlimit saved = limit;
  const int lowest_free = ::open("/dev/null", O_RDONLY);
  ASSERT_GE(lowest_free, 0);
  ::close(lowest_free);
  limit.rlim_cur = static_cast<rlim_t>(lowest_free);
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &limit), 0);
  const EcuWriteReport report = WriteEcuFile(path, EcuHeader{}, FuelMapLists());
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &saved), 0);

  EXPECT_EQ(report.Status, EcuWriteStatus::CouldNotOpen);
  EXPECT_EQ(report.Message, "Couldn't open file for writing!");
  EXPECT_EQ(ReadAll(path), "old content");
  EXPECT_EQ(WriteEcuFile(folder_, EcuHeader{}, FuelMapLists()).Status,
            EcuWriteStatus::CouldNotOpen);
}

TEST_F(EcuFileTest, FailedWriteIsReported) {
  const fs::path path = folder_ / "full.qvt";
  WriteAll(path, "old content");
  EcuWriteReport report;
  {
    const FileSizeLimit full(8);  // a write past 8 bytes fails as on a full disk
    report = WriteEcuFile(path, EcuHeader{}, FuelMapLists());
  }
  EXPECT_EQ(report.Status, EcuWriteStatus::Failed);
  EXPECT_EQ(report.Message,
            "Can't perform one of the following file operations: Open, Seek, Read, Close.");
  EXPECT_EQ(ReadAll(path), "old content");
  // A device is no file to export into.
  EXPECT_EQ(WriteEcuFile("/dev/full", EcuHeader{}, FuelMapLists()).Status,
            EcuWriteStatus::CouldNotOpen);
}

TEST_F(EcuFileTest, IgnoresLocale) {
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) GTEST_SKIP() << "no de_DE.UTF-8";
  const std::string text = FormatEcu(EcuHeader{}, FuelMapLists()).Text;
  Read(text);
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(text, kExported);
  EXPECT_EQ(lists_.Ordinary.Field(1, TableDefinition::ZScale), "2");
}

}  // namespace
