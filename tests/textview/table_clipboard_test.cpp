#include "textview/table_clipboard.h"

#include "support/image_of.h"

#include "image/image_document.h"
#include "image/table_entry.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

TRomImage Counting(std::size_t size) {
  std::vector<std::uint8_t> bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i);
  return ImageOf(std::move(bytes));
}

TTableCursor Table(std::int32_t rows, std::int32_t columns, std::int32_t tableAddress = 0) {
  TTableCursor cursor;
  cursor.Rows = rows;
  cursor.Columns = columns;
  cursor.TableAddress = tableAddress;
  return cursor;
}

// The block's fields as "kind:value" texts, one string per line, for compact expectations.
std::vector<std::string> Fields(const TPasteBlock& block) {
  std::vector<std::string> lines;
  for (const auto& line : block.lines) {
    std::string text;
    for (const TPasteCell& cell : line) {
      if (!text.empty()) text += ' ';
      switch (cell.kind) {
        case TPasteCell::Kind::Empty:
          text += "_";
          break;
        case TPasteCell::Kind::Value:
          text += std::to_string(cell.value);
          break;
        case TPasteCell::Kind::Invalid:
          text += "!" + std::string(block.Text(cell));
          break;
      }
    }
    lines.push_back(text);
  }
  return lines;
}

TEST(TableTextTest, OneLinePerRowInTheGridsForms) {
  // A 3 × 2 table of 16-bit entries over 10 bytes: the last entry lies past the end.
  const TRomImage image = ImageOf({0x00, 0x0A, 0xFF, 0xFF, 0x12, 0x34, 0x00, 0x00, 0x80, 0x00});
  const struct {
    DisplayMode mode;
    const char* text;
  } rows[] = {
      {DisplayMode::Raw, "10\t65535\n4660\t0\n32768\t\n"},
      {DisplayMode::Hex, "0x000A\t0xFFFF\n0x1234\t0x0000\n0x8000\t\n"},
      {DisplayMode::Scaled, "10\t65535\n4660\t0\n32768\t\n"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(TableText(image, Table(3, 2), 2, row.mode), row.text);
  }
  // 32-bit entries read as signed decimal, as the grid shows them.
  EXPECT_EQ(TableText(ImageOf({0xFF, 0xFF, 0xFF, 0xFF}), Table(1, 1), 4, DisplayMode::Raw), "-1\n");
  EXPECT_EQ(TableText(image, Table(0, 4), 1, DisplayMode::Raw), "");
  EXPECT_EQ(TableText(image, Table(2, -1), 1, DisplayMode::Raw), "");
  TRomImage closed = image;
  closed.Size = 0;
  EXPECT_EQ(TableText(closed, Table(2, 2), 1, DisplayMode::Raw), "\t\n\t\n");
}

TEST(PasteTextTest, LinesAndFieldsInEveryForm) {
  const struct {
    const char* what;
    std::string text;
    std::vector<std::string> fields;
  } rows[] = {
      {"LF", "1\t2\n3\t4", {"1 2", "3 4"}},
      {"CR LF with a trailing line end", "1\t2\r\n3\t4\r\n", {"1 2", "3 4"}},
      {"one trailing line end adds no line", "5\n", {"5"}},
      {"an empty line keeps its place", "1\n\n2\n", {"1", "_", "2"}},
      {"hex, decimal and signed forms",
       "0x1F\t$ff\txff\t0XfF\t-2\t+7\t  12\t010",
       {"31 255 255 255 4294967294 7 12 10"}},
      {"all bits", "0xFFFFFFFF\t-2147483647", {"4294967295 2147483649"}},
      {"empty and short fields", "\t1\t\n2", {"_ 1 _", "2"}},
      {"reading stops at the first refused text", "1\t1,000\t3\nx", {"1 !1,000"}},
      {"a trailing space is refused", "12 \t4", {"!12 "}},
      {"a lone CR is part of the field", "1\r\t2", {"!1\r"}},
      {"nothing", "", {}},
  };
  for (const auto& row : rows) EXPECT_EQ(Fields(ParsePasteText(row.text)), row.fields) << row.what;
  EXPECT_EQ(ParsePasteText("1\n2\t3\t4\n").Columns(), 3u);
}

TEST(PastePlanTest, RefusesNamingTheFirstOffendingCell) {
  // A 4 × 4 8-bit table over a 14-byte image: entries (3, 2) and (3, 3) lie past the end.
  const TRomImage image = Counting(14);
  const TTableCursor table = Table(4, 4);
  const struct {
    const char* what;
    std::string text;
    std::int32_t top, left;
    TPasteRefusal refusal;
    const char* message;
  } rows[] = {
      {"a bad text",
       "1\t2\n3\tabc\t5",
       1,
       1,
       {TPasteProblem::NotANumber, 2, 2, "abc"},
       "Cannot paste 'abc' into row 3, column 3: it is not a valid integer value."},
      {"past the last column",
       "1\t2\t3",
       0,
       2,
       {TPasteProblem::PastTable, 0, 4, "3"},
       "Cannot paste '3' into row 1, column 5: the table has 4 rows and 4 columns."},
      {"past the last row, before a bad text",
       "1\n2\nzz",
       3,
       0,
       {TPasteProblem::PastTable, 4, 0, "2"},
       "Cannot paste '2' into row 5, column 1: the table has 4 rows and 4 columns."},
      {"an entry past the image's end",
       "1\t2\t3",
       3,
       0,
       {TPasteProblem::OutsideImage, 3, 2, "3"},
       "Cannot paste '3' into row 4, column 3: that entry lies outside the image."},
      {"only empty fields",
       "\t\n\n",
       0,
       0,
       {TPasteProblem::NothingToPaste, 0, 0, ""},
       "There is nothing to paste."},
  };
  for (const auto& row : rows) {
    const TPastePlan plan = PlanPaste(ParsePasteText(row.text), image, table, 1, row.top, row.left);
    ASSERT_TRUE(plan.refusal) << row.what;
    EXPECT_EQ(*plan.refusal, row.refusal) << row.what;
    EXPECT_TRUE(plan.edit.Empty()) << row.what;
    EXPECT_EQ(PasteRefusalText(*plan.refusal, table), row.message) << row.what;
  }
  // Empty fields are never refused, even past the table or the image.
  EXPECT_FALSE(
      PlanPaste(ParsePasteText("9\t\t\t\t\t\n\t\t\t\t\t\n"), image, table, 1, 3, 1).refusal);
}

TEST(PastePlanTest, ALongTextIsCutInTheMessage) {
  const TPasteRefusal refusal{TPasteProblem::NotANumber, 0, 0, std::string(100, 'q')};
  EXPECT_EQ(PasteRefusalText(refusal, Table(1, 1)),
            "Cannot paste '" + std::string(40, 'q') +
                "...' into row 1, column 1: it is not a valid integer value.");
}

TEST(PasteTableTextTest, StoresTheBlockAsOneStepCutToTheEntryWidth) {
  TRomImage image = ImageOf(std::vector<std::uint8_t>(16, 0xAA));
  TImageDocument document(image);
  // A 2 × 4 table of 16-bit entries; the block goes in at (0, 1) with a short second line.
  const TPasteOutcome pasted =
      PasteTableText(document, Table(2, 4), 2, "70000\t-2\t0x1F\r\n\t$ff\r\n", 0, 1);
  ASSERT_FALSE(pasted.refusal);
  EXPECT_TRUE(pasted.edit.Applied());
  EXPECT_EQ(pasted.edit.changed, (TByteRange{2, 12}));
  const std::vector<std::uint8_t> expected = {0xAA, 0xAA, 0x11, 0x70, 0xFF, 0xFE, 0x00, 0x1F,
                                              0xAA, 0xAA, 0xAA, 0xAA, 0x00, 0xFF, 0xAA, 0xAA};
  EXPECT_EQ(*image.Bytes, expected);
  EXPECT_EQ(document.UndoCount(), 1u);
  (void)document.Undo();
  EXPECT_EQ(*image.Bytes, std::vector<std::uint8_t>(16, 0xAA));
  EXPECT_FALSE(document.Modified());
}

TEST(PasteTableTextTest, ARefusedPasteWritesNothing) {
  const struct {
    const char* what;
    std::string text;
  } rows[] = {
      {"bad text at the end", "1\t2\t3\n4\t5\t6\n7\t8\tx"},
      {"runs past the table", "1\t2\t3\t4\t5"},
      {"runs past the image", "1\n2\n3\n4\n5\n6\n7\n8\n9"},
  };
  for (const auto& row : rows) {
    TRomImage image = Counting(12);  // a 4 × 4 8-bit table at 0 ends inside row 2
    TImageDocument document(image);
    const TPasteOutcome pasted = PasteTableText(document, Table(12, 4), 1, row.text, 0, 0);
    EXPECT_TRUE(pasted.refusal) << row.what;
    EXPECT_EQ(*image.Bytes, *Counting(12).Bytes) << row.what;
    EXPECT_FALSE(document.CanUndo()) << row.what;
  }
}

TEST(PasteTableTextTest, CopyThenPasteRoundTripsATable) {
  for (const DisplayMode mode : {DisplayMode::Raw, DisplayMode::Hex, DisplayMode::Scaled}) {
    for (const int width : {1, 2, 4}) {
      // An 8 × 5 table whose last entries lie past the image's end.
      const TTableCursor table = Table(8, 5, 3);
      TRomImage source = Counting(static_cast<std::size_t>(3 + 37 * width));
      for (std::size_t i = 0; i < source.Bytes->size(); ++i) (*source.Bytes)[i] ^= 0xA5;
      const std::string text = TableText(source, table, width, mode);

      TRomImage target = Counting(source.Bytes->size());
      TImageDocument document(target);
      const TPasteOutcome pasted = PasteTableText(document, table, width, text, 0, 0);
      ASSERT_FALSE(pasted.refusal) << width << ": " << PasteRefusalText(*pasted.refusal, table);
      EXPECT_EQ(TableText(target, table, width, mode), text) << width;
      // The three bytes before the table are untouched.
      EXPECT_EQ(std::vector(target.Bytes->begin(), target.Bytes->begin() + 3),
                (std::vector<std::uint8_t>{0, 1, 2}));
    }
  }
}

}  // namespace
