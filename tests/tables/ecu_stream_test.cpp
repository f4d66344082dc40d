#include "tables/ecu_file.h"
#include "tables/ecu_scan.h"

#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

const std::string kTwoTables =
    "{ 1a, 2b, 3, 4d, 2}\r\n"
    "{ 3f0,16,12, 1,0,-40.0000,  1.0000,  0.5000,Fuel Map,Load,-,Rpm,-}\r\n"
    "{ 400, 1, 1, 2,80, 0.0000, 0.0000, 1.0000,Flags,,,,}\n";

// A source giving the text `step` bytes at a time, as a slow file would.
EcuInput::Source Trickle(const std::string& text, std::size_t step) {
  return [&text, step, at = std::size_t{0}](std::span<char> block) mutable {
    const std::size_t count = std::min({step, block.size(), text.size() - at});
    std::copy_n(text.data() + at, count, block.data());
    at += count;
    return count;
  };
}

TEST(EcuInputTest, ASourceReadsAsTheWholeText) {
  for (const std::size_t step : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{7}}) {
    EcuInput whole(kTwoTables);
    EcuInput trickled(Trickle(kTwoTables, step));
    for (;;) {
      ASSERT_EQ(trickled.Position(), whole.Position()) << step;
      const int c = whole.Get();
      ASSERT_EQ(trickled.Get(), c) << step;
      if (c == EcuInput::End) break;
      if (c == '\n' || c == ',') {  // one step back and forth again, over block edges
        whole.Unget(c);
        trickled.Unget(c);
        ASSERT_EQ(trickled.Get(), whole.Get());
      }
    }
    EcuInput skipping(Trickle(kTwoTables, step));
    EXPECT_TRUE(skipping.SkipPast('\n'));
    EXPECT_EQ(skipping.Position(), 21u) << step;
    EXPECT_TRUE(skipping.SkipPast('\n'));
    EXPECT_EQ(skipping.Get(), '{') << step;
    EXPECT_FALSE(skipping.SkipPast('#'));
    EXPECT_EQ(skipping.Position(), kTwoTables.size());
  }
}

TEST(EcuInputTest, TheFileReaderGivesWhatTheTextReaderGives) {
  TempFolder folder;
  const std::string path = folder / "car.ecu";
  WriteFile(path, std::vector<std::uint8_t>(kTwoTables.begin(), kTwoTables.end()));
  EcuHeader text_header, file_header;
  TableDefinitions text_lists, file_lists;
  const EcuReadReport text = ReadEcuText(kTwoTables, text_header, text_lists);
  const EcuReadReport file = ReadEcuFile(path, file_header, file_lists);
  EXPECT_EQ(file.Message, text.Message);
  EXPECT_EQ(file_header.Values, text_header.Values);
  EXPECT_EQ(file_lists.Ordinary.Field(1, TableDefinition::XLabel), "Rpm");
  EXPECT_EQ(file_lists.BitWise.Field(1, 0), "Flags");
}

// Read as a stream, a file of zeros as large as a disk image takes no memory and ends with
// the header message (the file is sparse, so it takes no disk either).
TEST(EcuInputTest, AHugeFileOfZerosIsABadHeader) {
  TempFolder folder;
  const std::string path = folder / "zeros.ecu";
  WriteFile(path, {});
  std::filesystem::resize_file(path, std::uintmax_t{3} << 30);
  EcuHeader header;
  header.Values = {1, 2, 3, 4};
  TableDefinitions lists;
  const EcuReadReport report = ReadEcuFile(path, header, lists);
  EXPECT_EQ(report.Status, EcuReadStatus::BadHeader);
  EXPECT_EQ(report.Message, "Bad .ecu Header!");

  const std::string fifo = folder / "pipe.ecu";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  for (const std::string& refused : {fifo, std::string("/dev/zero")}) {
    EXPECT_EQ(ReadEcuFile(refused, header, lists).Message, "Couldn't open file!") << refused;
  }
}

TEST(EcuInputTest, TheFileReaderTellsItsProgressAndStopsWhenToldTo) {
  TempFolder folder;
  const std::string path = folder / "many.ecu";
  std::string text = "{ 1a, 2b, 3, 4d,60000}\r\n";  // about 3 MB: several blocks
  for (int i = 0; i < 60000; ++i) text += "{3f0,16,12,1,0,-40,1,0.5,Fuel Map,Load,-,Rpm,-}\r\n";
  WriteFile(path, std::vector<std::uint8_t>(text.begin(), text.end()));
  EcuHeader header;
  TableDefinitions lists;
  std::vector<std::uint64_t> done;
  const EcuReadReport read =
      ReadEcuFile(path, header, lists, [&](std::uint64_t bytes, std::uint64_t total) {
        EXPECT_EQ(total, text.size());
        done.push_back(bytes);
        return true;
      });
  EXPECT_EQ(read.Stored, 60000);
  ASSERT_GE(done.size(), 3u);
  EXPECT_EQ(std::adjacent_find(done.begin(), done.end(), std::greater_equal<>()), done.end());
  EXPECT_EQ(done.back(), text.size());

  // Stopped after the first block: nothing changes.
  header.Values = {1, 2, 3, 4};
  lists = TableDefinitions();
  lists.Ordinary.Append({"Kept"});
  int told = 0;
  const EcuReadReport stopped = ReadEcuFile(path, header, lists, [&](std::uint64_t, std::uint64_t) {
    ++told;
    return false;
  });
  EXPECT_EQ(stopped.Status, EcuReadStatus::Cancelled);
  EXPECT_EQ(told, 1);
  EXPECT_TRUE(stopped.Message.empty());
  EXPECT_EQ(header.Values, (std::array<std::int32_t, 4>{1, 2, 3, 4}));
  EXPECT_EQ(lists.Ordinary.Field(1, TableDefinition::TableName), "Kept");
}

}  // namespace
