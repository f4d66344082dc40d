// Bad and odd texts in the main window's edit boxes: each row is what is typed and what the
// box then shows, with the message it brings; no byte of the image ever changes.

#include "support/modal.h"
#include "support/temp_folder.h"
#include "support/window_fixture.h"

namespace {

const QString kEntryError = "Bad hex address. It must be 'C style', e.g. 0x3F0";

struct Row {
  const char* typed;
  const char* shown;  // the box's text after Enter
  QString message;    // the box shown, if any
};

class EditBoxCatalogueTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    PretendImageLoaded(0x8000);
    *RomImage.Bytes = CountingBytes(0x8000);
  }

  void Check(QLineEdit* edit, const Row& row) {
    const auto boxes = AnsweringBoxes([&] { TypeAndEnter(edit, QString::fromUtf8(row.typed)); });
    const std::string where = edit->objectName().toStdString() + " <- '" + row.typed + "'";
    if (row.message.isEmpty()) {
      EXPECT_TRUE(boxes.empty()) << where;
    } else {
      ASSERT_EQ(boxes.size(), 1u) << where;
      EXPECT_EQ(boxes[0].text, row.message) << where;
    }
    EXPECT_EQ(edit->text(), QString::fromUtf8(row.shown)) << where;
    EXPECT_EQ(*RomImage.Bytes, CountingBytes(0x8000)) << where;
  }
};

TEST_F(EditBoxCatalogueTest, TableAddress) {
  const Row rows[] = {
      {"0x100", "0x0100", {}},
      {"", "0x0100", kEntryError},
      {"   ", "0x0100", kEntryError},
      {"+16", "0x0010", {}},
      {"-16", "0x0000", {}},  // below the base: the base
      {"- 16", "0x0000", kEntryError},
      {"0x12345678AB", "0x7FFF", {}},         // typing stops at ten characters: 0x12345678
      {"$123456789", "0x7FFF", kEntryError},  // nine significant hex digits
      {"0x", "0x7FFF", kEntryError},
      {"2147483648", "0x7FFF", kEntryError},
      {"0x1\xC3\x84", "0x7FFF", kEntryError},      // non-ASCII
      {"\xEF\xBC\x90x10", "0x7FFF", kEntryError},  // a full-width digit
      {"  0x10", "0x0010", {}},
  };
  for (const Row& row : rows) Check(Main->TableAddress, row);
}

TEST_F(EditBoxCatalogueTest, BaseAddress) {
  const Row rows[] = {
      {"", "0x0000", kEntryError},
      {"0x8000", "0x8000", {}},
      {"-1", "0xFFFFFFFF", {}},
      {"0xFFFFFFFF", "0xFFFFFFFF", {}},
      {"0x100000000", "0xFFFFFFFF", kEntryError},
      {"12 ", "0xFFFFFFFF", kEntryError},
      {"x7FFFFFFF", "0x7FFFFFFF", {}},
      {"\xC3\xA9", "0x7FFFFFFF", kEntryError},
  };
  for (const Row& row : rows) Check(Main->BaseAddress, row);
  // An extreme base still leaves every table address check without overflow.
  TypeAndEnter(Main->TableAddress, "0");
  EXPECT_EQ(Main->TableAddress->text(), "0x7FFFFFFF");
}

TEST_F(EditBoxCatalogueTest, RowsAndColumns) {
  const Row rows[] = {
      {"", "", "'' is not a valid integer value."},
      {" ", " ", "' ' is not a valid integer value."},
      {"+300", "256", {}},
      {"-300", "1", {}},
      {"99999999999", "99999999999", "'99999999999' is not a valid integer value."},
      {"0x7FFFFFFF", "256", {}},
      {"0xFFFFFFFF", "1", {}},
      {"1\xC3\xA4", "1\xC3\xA4", "'1\xC3\xA4' is not a valid integer value."},
      {"12", "12", {}},
  };
  for (QLineEdit* edit : {Main->Rows, Main->Columns}) {
    for (const Row& row : rows) Check(edit, row);
  }
}

}  // namespace
