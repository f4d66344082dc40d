#pragma once

// A table as tab-separated text for the clipboard, and such text pasted back as a block of
// values: one line per table row, cells separated by tabs.

#include "app/shared_state.h"
#include "image/image_document.h"
#include "image/table_layout.h"
#include "textview/entry_text.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// `rows` lines of `columns` fields, each line ended by "\n"; field (r, c) is cellText(r, c).
// No rows or no columns give the empty text.
[[nodiscard]] std::string TableText(
    std::int32_t rows, std::int32_t columns,
    const std::function<std::string(std::int32_t row, std::int32_t column)>& cellText);

// The table's Rows × Columns cells as the grid shows them in `mode`: decimal in Raw mode, hex
// in Hex mode, and in Scaled mode the decimal raw value (never "???"). An entry outside the
// image gives an empty field. The caller bounds Rows and Columns as the grid does.
[[nodiscard]] std::string TableText(const TRomImage& image, const TTableLayout& table,
                                    DisplayMode mode);
// The same for the cursor's table at `width` bytes per entry.
[[nodiscard]] std::string TableText(const TRomImage& image, const TTableCursor& cursor, int width,
                                    DisplayMode mode);

// One field of pasted text.
struct TPasteCell {
  enum class Kind : std::uint8_t {
    Empty,    // no text: the cell is left as it is
    Value,    // a text ParseInteger accepts
    Invalid,  // a text ParseInteger refuses
  };
  Kind kind = Kind::Empty;
  std::uint32_t value = 0;  // the parsed value's 32-bit pattern
  std::size_t offset = 0;   // the field's text within the block's source
  std::size_t length = 0;
};

// Pasted text as lines of fields. Lines end at LF or CR LF; a line end after the last line
// adds no line. Lines may differ in length: a short line's missing fields, like empty fields,
// leave their cells as they are. Reading stops after the first Invalid field, which is then
// the block's last: whatever follows it cannot matter to a paste it refuses.
struct TPasteBlock {
  std::string source;  // the text as pasted
  std::vector<std::vector<TPasteCell>> lines;

  [[nodiscard]] std::size_t Rows() const { return lines.size(); }
  [[nodiscard]] std::size_t Columns() const;  // the longest line's field count
  [[nodiscard]] std::string_view Text(const TPasteCell& cell) const {
    return std::string_view(source).substr(cell.offset, cell.length);
  }
};

[[nodiscard]] TPasteBlock ParsePasteText(std::string_view text);

enum class TPasteProblem {
  NotANumber,      // a text ParseInteger refuses
  PastTable,       // a value that would land past the table's last row or column
  OutsideImage,    // a value for an entry that does not lie wholly inside the image
  NothingToPaste,  // no field holds any text
};

// Why a paste is refused, naming the first offending field in reading order (line by line,
// left to right). `row` and `column` are the table cell it would land in, counted from 0.
struct TPasteRefusal {
  TPasteProblem problem = TPasteProblem::NothingToPaste;
  std::int64_t row = 0;
  std::int64_t column = 0;
  std::string text;
  friend bool operator==(const TPasteRefusal&, const TPasteRefusal&) = default;
};

// The message for a refusal. Rows and columns are counted from 1 as a user counts the grid's
// cells (the first row of values is row 1), e.g.
// "Cannot paste 'abc' into row 3, column 2: it is not a valid integer value."
[[nodiscard]] std::string PasteRefusalText(const TPasteRefusal& refusal, std::int32_t rows,
                                           std::int32_t columns);
[[nodiscard]] std::string PasteRefusalText(const TPasteRefusal& refusal,
                                           const TTableCursor& cursor);

// A block placed with its first field at table cell (topRow, topColumn): either the writes of
// every value, cut to the entry width as typed values are, or the refusal of the whole paste.
struct TPastePlan {
  std::optional<TPasteRefusal> refusal;
  TImageEdit edit;
};

[[nodiscard]] TPastePlan PlanPaste(const TPasteBlock& block, const TRomImage& image,
                                   const TTableLayout& table, std::int32_t topRow,
                                   std::int32_t topColumn);
[[nodiscard]] TPastePlan PlanPaste(const TPasteBlock& block, const TRomImage& image,
                                   const TTableCursor& cursor, int width, std::int32_t topRow,
                                   std::int32_t topColumn);

struct TPasteOutcome {
  std::optional<TPasteRefusal> refusal;  // set: nothing was written
  TEditOutcome edit;                     // the one step the paste made
};

// Parses, places and applies a paste as one undoable step; all or nothing.
[[nodiscard]] TPasteOutcome PasteTableText(TImageDocument& document, const TTableLayout& table,
                                           std::string_view text, std::int32_t topRow,
                                           std::int32_t topColumn);
[[nodiscard]] TPasteOutcome PasteTableText(TImageDocument& document, const TTableCursor& cursor,
                                           int width, std::string_view text, std::int32_t topRow,
                                           std::int32_t topColumn);
