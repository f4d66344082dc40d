#pragma once

// What the block operations of the text view do to a rectangle of table entries, without a
// window: the new values computed from the old ones, and the writes of a whole block planned
// into one undoable step, or refused whole with the first entry that cannot be changed.

#include "image/element_type.h"
#include "image/image_document.h"
#include "image/table_layout.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// A rectangle of table entries, rows top … bottom and columns left … right inclusive, counted
// from 0. A block given corner to corner in any order means the same rectangle (Normalized).
struct TBlock {
  std::int32_t top = 0;
  std::int32_t left = 0;
  std::int32_t bottom = 0;
  std::int32_t right = 0;
  friend bool operator==(const TBlock&, const TBlock&) = default;
};

// The block with top ≤ bottom and left ≤ right.
[[nodiscard]] TBlock Normalized(TBlock block);

enum class TBlockOperation : std::uint8_t {
  Set,                      // every entry becomes the operand
  Add,                      // every entry plus the operand (which may be negative)
  Multiply,                 // every entry times the operand, a decimal factor
  InterpolateHorizontally,  // each row: straight line between its first and last column
  InterpolateVertically,    // each column: straight line between its first and last row
  InterpolateBilinear,      // every entry from the four corners alone
  Smooth,                   // mean of the entry and its neighbours inside the block
  StepUp,                   // plus one, wrapping within the entry's width
  StepDown,                 // minus one, wrapping within the entry's width
};

// The exact (unrounded) new values of a block of `rows` × `columns` entries whose old values
// are `values`, row by row. `operand` is used by Set, Add and Multiply only. Multiply takes the
// factor as its shortest decimal text, so 45 × 0.7 gives exactly 31.5 (not 31.499…). A block
// of one column (one row) is left as it is by horizontal (vertical) interpolation; bilinear
// interpolation of a single row or column is the straight line between its ends. Nothing when
// `values` does not hold rows × columns values or the shape is empty.
[[nodiscard]] std::vector<double> BlockResult(TBlockOperation op,
                                              std::span<const std::int64_t> values, int rows,
                                              int columns, double operand);

// `value` rounded half away from zero (2.5 → 3, −2.5 → −3) and held to the entry's range
// Min … Max instead of wrapping; infinities go to the nearer end. NaN has no entry value: it
// gives 0 held to the range, and PlanBlockOperation refuses a result that is NaN instead.
[[nodiscard]] std::int64_t HoldToEntry(double value, TElementType type);

// The value `value` stepped by `step`, wrapping within the entry's width as one cell does
// (255 + 1 is 0 in an 8-bit unsigned entry, 127 + 1 is −128 in a signed one).
[[nodiscard]] std::int64_t StepWrapped(std::int64_t value, std::int64_t step, TElementType type);

// The operand of Set and Add: any text ParseInteger takes. A decimal text gives its value; a
// hexadecimal one gives its 32-bit pattern read unsigned (0xFFFFFFFF is 4294967295), since the
// result is held, not wrapped, and an unsigned 32-bit entry must be able to reach its top.
[[nodiscard]] std::optional<std::int64_t> ParseBlockInteger(std::string_view text);

// The factor of Multiply: a decimal number with "." as separator whatever the locale
// ("1.05", "-0.5", ".5", "2"), leading spaces allowed. Nothing for an empty text, anything
// after the number, a comma, an exponent, a value too large for a double, inf or nan.
[[nodiscard]] std::optional<double> ParseFactor(std::string_view text);

enum class TBlockProblem : std::uint8_t {
  PastTable,     // the entry lies outside the table's rows and columns
  OutsideImage,  // the entry does not lie wholly inside the image
  NotANumber,    // the operation gives no number for the entry (a NaN operand)
};

// Why an operation is refused, naming the first offending entry in reading order (row by row,
// left to right). `row` and `column` are the table's, counted from 0.
struct TBlockRefusal {
  TBlockProblem problem = TBlockProblem::OutsideImage;
  std::int64_t row = 0;
  std::int64_t column = 0;
  friend bool operator==(const TBlockRefusal&, const TBlockRefusal&) = default;
};

// The message for a refusal, rows and columns counted from 1 as a user counts them, e.g.
// "Cannot change row 3, column 2: that entry lies outside the image."
[[nodiscard]] std::string BlockRefusalText(const TBlockRefusal& refusal, std::int32_t rows,
                                           std::int32_t columns);

// Either the writes of every entry of the block, in the table's byte order, or the refusal
// of the whole operation with an empty edit.
struct TBlockPlan {
  std::optional<TBlockRefusal> refusal;
  TImageEdit edit;
};

// The operation on `block` of `table` over `image`: every entry's new value is computed from
// the old values (BlockResult), held to the entry's range (HoldToEntry), or for StepUp and
// StepDown wrapped (StepWrapped), and written even when it keeps its value; the document
// records only what changes.
[[nodiscard]] TBlockPlan PlanBlockOperation(std::span<const std::uint8_t> image,
                                            const TTableLayout& table, TBlock block,
                                            TBlockOperation op, double operand);

// The compared image's bytes written into every entry of the block that lies inside both
// images; an entry outside the image (or the table) refuses the whole block, one outside only
// the compared image is left as it is.
[[nodiscard]] TBlockPlan PlanRevert(std::span<const std::uint8_t> image,
                                    std::span<const std::uint8_t> compared,
                                    const TTableLayout& table, TBlock block);

struct TBlockOutcome {
  std::optional<TBlockRefusal> refusal;  // set: nothing was written
  TEditOutcome edit;                     // the one step the operation made
};

// Plans and applies the operation as one undoable step; all or nothing.
[[nodiscard]] TBlockOutcome ApplyBlockOperation(TImageDocument& document, const TTableLayout& table,
                                                TBlock block, TBlockOperation op, double operand);
