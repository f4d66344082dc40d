#include "textview/table_clipboard.h"

#include "app/number_text.h"
#include "image/document_entries.h"
#include "image/rom_image.h"

#include <algorithm>

namespace {

TPasteCell ParseField(std::string_view field, std::size_t offset) {
  TPasteCell cell;
  cell.offset = offset;
  cell.length = field.size();
  if (field.empty()) return cell;
  try {
    cell.value = static_cast<std::uint32_t>(ParseInteger(field));
    cell.kind = TPasteCell::Kind::Value;
  } catch (const ConversionError&) {
    cell.kind = TPasteCell::Kind::Invalid;
  }
  return cell;
}

// A pasted text in a message: long texts are cut so the box stays readable.
std::string Quoted(const std::string& text) {
  constexpr std::size_t kLongest = 40;
  if (text.size() <= kLongest) return "'" + text + "'";
  return "'" + text.substr(0, kLongest) + "...'";
}

}  // namespace

std::string TableText(std::int32_t rows, std::int32_t columns,
                      const std::function<std::string(std::int32_t, std::int32_t)>& cellText) {
  std::string text;
  if (columns <= 0) return text;
  for (std::int32_t r = 0; r < rows; ++r) {
    for (std::int32_t c = 0; c < columns; ++c) {
      if (c > 0) text += '\t';
      text += cellText(r, c);
    }
    text += '\n';
  }
  return text;
}

std::string TableText(const TRomImage& image, const TTableLayout& table, DisplayMode mode) {
  const DisplayMode shown = mode == DisplayMode::Hex ? DisplayMode::Hex : DisplayMode::Raw;
  const std::span<const std::uint8_t> bytes = ImageBytes(image);
  return TableText(table.Rows, table.Columns, [&](std::int32_t row, std::int32_t column) {
    const std::optional<std::uint32_t> bits = table.ReadBits(bytes, row, column);
    return bits ? EntryText(shown, table.Type, *bits) : std::string();
  });
}

std::string TableText(const TRomImage& image, const TTableCursor& cursor, int width,
                      DisplayMode mode) {
  const std::optional<EntryWidth> entryWidth = EntryWidth::FromBytes(width);
  if (!entryWidth) {
    return TableText(cursor.Rows, cursor.Columns, [](std::int32_t, std::int32_t) { return ""; });
  }
  return TableText(image, LayoutOf(cursor, *entryWidth), mode);
}

std::size_t TPasteBlock::Columns() const {
  std::size_t columns = 0;
  for (const auto& line : lines) columns = std::max(columns, line.size());
  return columns;
}

TPasteBlock ParsePasteText(std::string_view text) {
  TPasteBlock block;
  block.source = std::string(text);
  const std::string_view source = block.source;
  std::size_t start = 0;
  while (start < source.size()) {
    std::size_t end = source.find('\n', start);
    if (end == std::string_view::npos) end = source.size();
    std::size_t lineEnd = end;
    if (lineEnd > start && source[lineEnd - 1] == '\r') --lineEnd;

    std::vector<TPasteCell>& cells = block.lines.emplace_back();
    if (block.lines.size() > 1) cells.reserve(block.lines.end()[-2].size());
    for (std::size_t field = start;;) {
      // Searched within the line only, so a text without tabs is read in one pass.
      std::size_t tab = source.substr(field, lineEnd - field).find('\t');
      tab = tab == std::string_view::npos ? lineEnd : field + tab;
      cells.push_back(ParseField(source.substr(field, tab - field), field));
      if (cells.back().kind == TPasteCell::Kind::Invalid) return block;
      if (tab == lineEnd) break;
      field = tab + 1;
    }
    start = end + 1;
  }
  return block;
}

TPastePlan PlanPaste(const TPasteBlock& block, const TRomImage& image, const TTableCursor& cursor,
                     int width, std::int32_t topRow, std::int32_t topColumn) {
  const std::optional<EntryWidth> entryWidth = EntryWidth::FromBytes(width);
  // No entry of another width lies inside any image: planned over no image, every value is
  // refused as outside it.
  return PlanPaste(block, entryWidth ? image : TRomImage{},
                   LayoutOf(cursor, entryWidth.value_or(EntryWidth::k8Bit)), topRow, topColumn);
}

TPastePlan PlanPaste(const TPasteBlock& block, const TRomImage& image, const TTableLayout& cursor,
                     std::int32_t topRow, std::int32_t topColumn) {
  const int width = cursor.Width();
  TPastePlan plan;
  const auto refuse = [&](TPasteProblem problem, std::int64_t row, std::int64_t column,
                          std::string_view text) {
    plan.refusal = TPasteRefusal{problem, row, column, std::string(text)};
    plan.edit = TImageEdit();
  };
  std::size_t cells = 0;
  for (const auto& line : block.lines) cells += line.size();
  plan.edit.Reserve(cells * static_cast<std::size_t>(width));
  for (std::size_t l = 0; l < block.lines.size(); ++l) {
    const std::int64_t row = std::int64_t{topRow} + static_cast<std::int64_t>(l);
    const std::vector<TPasteCell>& cells = block.lines[l];
    for (std::size_t f = 0; f < cells.size(); ++f) {
      const TPasteCell& cell = cells[f];
      const std::int64_t column = std::int64_t{topColumn} + static_cast<std::int64_t>(f);
      if (cell.kind == TPasteCell::Kind::Empty) continue;
      if (cell.kind == TPasteCell::Kind::Invalid) {
        refuse(TPasteProblem::NotANumber, row, column, block.Text(cell));
        return plan;
      }
      if (row < 0 || row >= cursor.Rows || column < 0 || column >= cursor.Columns) {
        refuse(TPasteProblem::PastTable, row, column, block.Text(cell));
        return plan;
      }
      if (!AddEntryWrite(plan.edit, image, cursor, static_cast<std::int32_t>(row),
                         static_cast<std::int32_t>(column), cell.value)) {
        refuse(TPasteProblem::OutsideImage, row, column, block.Text(cell));
        return plan;
      }
    }
  }
  if (plan.edit.Empty()) refuse(TPasteProblem::NothingToPaste, topRow, topColumn, {});
  return plan;
}

std::string PasteRefusalText(const TPasteRefusal& refusal, const TTableCursor& cursor) {
  return PasteRefusalText(refusal, cursor.Rows, cursor.Columns);
}

std::string PasteRefusalText(const TPasteRefusal& refusal, std::int32_t rows,
                             std::int32_t columns) {
  if (refusal.problem == TPasteProblem::NothingToPaste) return "There is nothing to paste.";
  std::string text = "Cannot paste " + Quoted(refusal.text) + " into row " +
                     std::to_string(refusal.row + 1) + ", column " +
                     std::to_string(refusal.column + 1) + ": ";
  switch (refusal.problem) {
    case TPasteProblem::NotANumber:
      text += "it is not a valid integer value.";
      break;
    case TPasteProblem::PastTable:
      text += "the table has " + std::to_string(std::max(rows, 0)) + " rows and " +
              std::to_string(std::max(columns, 0)) + " columns.";
      break;
    case TPasteProblem::OutsideImage:
      text += "that entry lies outside the image.";
      break;
    case TPasteProblem::NothingToPaste:
      break;
  }
  return text;
}

TPasteOutcome PasteTableText(TImageDocument& document, const TTableCursor& cursor, int width,
                             std::string_view text, std::int32_t topRow, std::int32_t topColumn) {
  TPastePlan plan =
      PlanPaste(ParsePasteText(text), document.Image(), cursor, width, topRow, topColumn);
  if (plan.refusal) return {std::move(plan.refusal), {}};
  return {std::nullopt, document.Apply(plan.edit)};
}

TPasteOutcome PasteTableText(TImageDocument& document, const TTableLayout& table,
                             std::string_view text, std::int32_t topRow, std::int32_t topColumn) {
  TPastePlan plan = PlanPaste(ParsePasteText(text), document.Image(), table, topRow, topColumn);
  if (plan.refusal) return {std::move(plan.refusal), {}};
  return {std::nullopt, document.Apply(plan.edit)};
}
