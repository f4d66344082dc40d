#include "textview/block_operations.h"

#include "app/number_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <system_error>
#include <utility>

namespace {

// The exact value of (first × (steps − step) + last × step) / steps: the point `step` of
// `steps` along the straight line from `first` to `last`. The numerator is an integer, so a
// result that is a half is exactly a half. Entry values are at most 32 bits and `steps` is
// bounded by a block inside a 32-bit image, so the numerator stays inside 64 bits.
double Line(std::int64_t first, std::int64_t last, std::int64_t step, std::int64_t steps) {
  const std::int64_t numerator = first * (steps - step) + last * step;
  return static_cast<double>(static_cast<long double>(numerator) / steps);
}

// `value` × `factor`, with the factor taken as its shortest decimal text (0.7 as 7 / 10), so
// a product that is a half in decimals is exactly a half here too: 45 × 0.7 is 31.5, where
// the plain double product is 31.499… and would round the wrong way.
double DecimalProduct(std::int64_t value, double factor) {
  const double plain = static_cast<double>(value) * factor;
  if (!std::isfinite(factor)) return plain;
  std::array<char, 64> text{};
  const auto [end, error] =
      std::to_chars(text.data(), text.data() + text.size(), factor, std::chars_format::scientific);
  if (error != std::errc()) return plain;
  // "-d.ddde±xx": the digits as one integer and the power of ten that scales it.
  const char* p = text.data();
  const bool negative = *p == '-';
  if (negative) ++p;
  std::int64_t digits = 0;
  int fractionDigits = 0;
  bool fraction = false;
  for (; p != end && *p != 'e'; ++p) {
    if (*p == '.') {
      fraction = true;
      continue;
    }
    if (digits > (std::int64_t{1} << 53) / 10) return plain;
    digits = digits * 10 + (*p - '0');
    if (fraction) ++fractionDigits;
  }
  if (p == end) return plain;
  int exponent = 0;
  if (std::from_chars(p + 1 + (p[1] == '+' ? 1 : 0), end, exponent).ec != std::errc()) {
    return plain;
  }
  const int places = fractionDigits - exponent;  // factor = ±digits / 10^places
  // An integral factor multiplies exactly already; 10^22 is the largest exact power of ten.
  if (places <= 0 || places > 22) return plain;
  const std::uint64_t magnitude = value < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(value)
                                            : static_cast<std::uint64_t>(value);
  if (digits != 0 && magnitude > (std::uint64_t{1} << 53) / static_cast<std::uint64_t>(digits)) {
    return plain;
  }
  double scale = 1.0;
  for (int i = 0; i < places; ++i) scale *= 10.0;
  // Both operands are exact, so the one division rounds correctly.
  const double product = static_cast<double>(value) * static_cast<double>(digits) / scale;
  return negative ? -product : product;
}

std::string RefusalPlace(const TBlockRefusal& refusal) {
  return "Cannot change row " + std::to_string(refusal.row + 1) + ", column " +
         std::to_string(refusal.column + 1) + ": ";
}

}  // namespace

TBlock Normalized(TBlock block) {
  if (block.top > block.bottom) std::swap(block.top, block.bottom);
  if (block.left > block.right) std::swap(block.left, block.right);
  return block;
}

std::vector<double> BlockResult(TBlockOperation op, std::span<const std::int64_t> values, int rows,
                                int columns, double operand) {
  if (rows <= 0 || columns <= 0) return {};
  const std::int64_t count = std::int64_t{rows} * columns;
  if (values.size() != static_cast<std::size_t>(count)) return {};
  const auto at = [&](std::int64_t row, std::int64_t column) {
    return values[static_cast<std::size_t>(row * columns + column)];
  };
  std::vector<double> result(values.size());
  const auto each = [&](auto value) {
    for (std::int64_t r = 0; r < rows; ++r) {
      for (std::int64_t c = 0; c < columns; ++c) {
        result[static_cast<std::size_t>(r * columns + c)] = value(r, c);
      }
    }
  };
  switch (op) {
    case TBlockOperation::Set:
      each([&](std::int64_t, std::int64_t) { return operand; });
      break;
    case TBlockOperation::Add:
      each([&](std::int64_t r, std::int64_t c) { return static_cast<double>(at(r, c)) + operand; });
      break;
    case TBlockOperation::Multiply:
      each([&](std::int64_t r, std::int64_t c) { return DecimalProduct(at(r, c), operand); });
      break;
    case TBlockOperation::StepUp:
    case TBlockOperation::StepDown: {
      const double step = op == TBlockOperation::StepUp ? 1.0 : -1.0;
      each([&](std::int64_t r, std::int64_t c) { return static_cast<double>(at(r, c)) + step; });
      break;
    }
    case TBlockOperation::InterpolateHorizontally:
      each([&](std::int64_t r, std::int64_t c) {
        if (columns < 2) return static_cast<double>(at(r, c));
        return Line(at(r, 0), at(r, columns - 1), c, columns - 1);
      });
      break;
    case TBlockOperation::InterpolateVertically:
      each([&](std::int64_t r, std::int64_t c) {
        if (rows < 2) return static_cast<double>(at(r, c));
        return Line(at(0, c), at(rows - 1, c), r, rows - 1);
      });
      break;
    case TBlockOperation::InterpolateBilinear: {
      // Weights (steps − step, step) along each side; a side of one entry weighs only its
      // first, so a single row or column is the straight line between its ends.
      const std::int64_t rowSteps = std::max(rows - 1, 1);
      const std::int64_t columnSteps = std::max(columns - 1, 1);
      const std::int64_t topLeft = at(0, 0);
      const std::int64_t topRight = at(0, columns - 1);
      const std::int64_t bottomLeft = at(rows - 1, 0);
      const std::int64_t bottomRight = at(rows - 1, columns - 1);
      each([&](std::int64_t r, std::int64_t c) {
        const std::int64_t down = rows < 2 ? 0 : r;
        const std::int64_t across = columns < 2 ? 0 : c;
        const std::int64_t numerator =
            (topLeft * (columnSteps - across) + topRight * across) * (rowSteps - down) +
            (bottomLeft * (columnSteps - across) + bottomRight * across) * down;
        return static_cast<double>(static_cast<long double>(numerator) / (rowSteps * columnSteps));
      });
      break;
    }
    case TBlockOperation::Smooth:
      each([&](std::int64_t r, std::int64_t c) {
        std::int64_t sum = 0;
        int count = 0;
        for (std::int64_t nr = std::max<std::int64_t>(r - 1, 0);
             nr <= std::min<std::int64_t>(r + 1, rows - 1); ++nr) {
          for (std::int64_t nc = std::max<std::int64_t>(c - 1, 0);
               nc <= std::min<std::int64_t>(c + 1, columns - 1); ++nc) {
            sum += at(nr, nc);
            ++count;
          }
        }
        return static_cast<double>(sum) / count;
      });
      break;
  }
  return result;
}

std::int64_t HoldToEntry(double value, TElementType type) {
  if (std::isnan(value)) return std::clamp<std::int64_t>(0, type.Min(), type.Max());
  // std::round rounds halves away from zero; Min and Max are exact in a double.
  const double rounded = std::round(value);
  if (rounded <= static_cast<double>(type.Min())) return type.Min();
  if (rounded >= static_cast<double>(type.Max())) return type.Max();
  return static_cast<std::int64_t>(rounded);
}

std::int64_t StepWrapped(std::int64_t value, std::int64_t step, TElementType type) {
  // Unsigned arithmetic wraps without overflow; only the low bits are kept anyway.
  const auto sum = static_cast<std::int64_t>(static_cast<std::uint64_t>(value) +
                                             static_cast<std::uint64_t>(step));
  return ValueOfBits(type, BitsOfValue(type, sum));
}

std::optional<std::int64_t> ParseBlockInteger(std::string_view text) {
  const std::optional<std::int32_t> value = TryParseInteger(text);
  if (!value) return std::nullopt;
  const std::size_t start = std::min(text.find_first_not_of(' '), text.size());
  const std::string_view digits = text.substr(start);
  const bool hex = digits.starts_with('$') || digits.starts_with('x') || digits.starts_with('X') ||
                   digits.starts_with("0x") || digits.starts_with("0X");
  if (hex) return std::int64_t{static_cast<std::uint32_t>(*value)};
  return std::int64_t{*value};
}

std::optional<double> ParseFactor(std::string_view text) {
  const std::size_t start = text.find_first_not_of(' ');
  if (start == std::string_view::npos) return std::nullopt;
  std::string_view number = text.substr(start);
  const bool negative = number.starts_with('-');
  if (negative || number.starts_with('+')) number.remove_prefix(1);
  // Digits with at most one ".", nothing else: this refuses "1,05", "1e3", "inf" and "nan"
  // before from_chars, which would read some of them.
  bool digit = false;
  bool point = false;
  for (const char ch : number) {
    if (ch >= '0' && ch <= '9') {
      digit = true;
    } else if (ch == '.' && !point) {
      point = true;
    } else {
      return std::nullopt;
    }
  }
  if (!digit) return std::nullopt;
  double value = 0.0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value,
                                            std::chars_format::fixed);
  if (error != std::errc() || end != number.data() + number.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return negative ? -value : value;
}

std::string BlockRefusalText(const TBlockRefusal& refusal, std::int32_t rows,
                             std::int32_t columns) {
  std::string text = RefusalPlace(refusal);
  switch (refusal.problem) {
    case TBlockProblem::PastTable:
      text += "the table has " + std::to_string(std::max(rows, 0)) + " rows and " +
              std::to_string(std::max(columns, 0)) + " columns.";
      break;
    case TBlockProblem::OutsideImage:
      text += "that entry lies outside the image.";
      break;
    case TBlockProblem::NotANumber:
      text += "the result is not a number.";
      break;
  }
  return text;
}

TBlockPlan PlanBlockOperation(std::span<const std::uint8_t> image, const TTableLayout& table,
                              TBlock block, TBlockOperation op, double operand) {
  TBlockPlan plan;
  const auto refuse = [&](TBlockProblem problem, std::int64_t row, std::int64_t column) {
    plan.refusal = TBlockRefusal{problem, row, column};
    plan.edit = TImageEdit();
    return std::move(plan);
  };
  const TBlock b = Normalized(block);
  const std::int64_t rows = std::int64_t{b.bottom} - b.top + 1;
  const std::int64_t columns = std::int64_t{b.right} - b.left + 1;
  const int width = table.Width();

  // Every old value and where it lies, in reading order. Each entry read lies inside the
  // image at a position of its own, so this stops at the first refusal long before a huge
  // block could fill memory.
  std::vector<std::int64_t> values;
  std::vector<std::size_t> positions;
  const auto expected = static_cast<std::size_t>(
      std::min<std::int64_t>(rows * columns, static_cast<std::int64_t>(image.size()) / width + 1));
  values.reserve(expected);
  positions.reserve(expected);
  for (std::int64_t row = b.top; row <= b.bottom; ++row) {
    for (std::int64_t column = b.left; column <= b.right; ++column) {
      if (row < 0 || row >= table.Rows || column < 0 || column >= table.Columns) {
        return refuse(TBlockProblem::PastTable, row, column);
      }
      const auto r = static_cast<std::int32_t>(row);
      const auto c = static_cast<std::int32_t>(column);
      const std::optional<std::size_t> position = table.EntryInside(image, r, c);
      if (!position) return refuse(TBlockProblem::OutsideImage, row, column);
      positions.push_back(*position);
      values.push_back(ValueOfBits(table.Type, DecodeBits(table.Type, image.data() + *position)));
    }
  }

  // Rows and columns lie within the table's 32-bit counts here.
  const std::vector<double> results =
      BlockResult(op, values, static_cast<int>(rows), static_cast<int>(columns), operand);
  const bool step = op == TBlockOperation::StepUp || op == TBlockOperation::StepDown;
  plan.edit.Reserve(values.size() * static_cast<std::size_t>(width));
  for (std::size_t i = 0; i < values.size(); ++i) {
    std::int64_t value = 0;
    if (step) {
      value = StepWrapped(values[i], op == TBlockOperation::StepUp ? 1 : -1, table.Type);
    } else if (std::isnan(results[i])) {
      const auto index = static_cast<std::int64_t>(i);
      return refuse(TBlockProblem::NotANumber, b.top + index / columns, b.left + index % columns);
    } else {
      value = HoldToEntry(results[i], table.Type);
    }
    const std::array<std::uint8_t, 4> bytes =
        EncodeBits(table.Type, BitsOfValue(table.Type, value));
    plan.edit.Add(static_cast<std::int64_t>(positions[i]),
                  std::span(bytes).first(static_cast<std::size_t>(width)));
  }
  return plan;
}

TBlockOutcome ApplyBlockOperation(TImageDocument& document, const TTableLayout& table, TBlock block,
                                  TBlockOperation op, double operand) {
  TBlockPlan plan = PlanBlockOperation(document.Bytes(), table, block, op, operand);
  if (plan.refusal) return {std::move(plan.refusal), {}};
  return {std::nullopt, document.Apply(plan.edit)};
}

TBlockPlan PlanRevert(std::span<const std::uint8_t> image, std::span<const std::uint8_t> compared,
                      const TTableLayout& table, TBlock block) {
  block = Normalized(block);
  TBlockPlan plan;
  for (std::int64_t row = block.top; row <= block.bottom; ++row) {
    for (std::int64_t column = block.left; column <= block.right; ++column) {
      const auto refuse = [&](TBlockProblem problem) {
        plan.refusal = TBlockRefusal{problem, row, column};
        plan.edit = TImageEdit();
        return plan;
      };
      if (row < 0 || row >= table.Rows || column < 0 || column >= table.Columns) {
        return refuse(TBlockProblem::PastTable);
      }
      const auto r = static_cast<std::int32_t>(row);
      const auto c = static_cast<std::int32_t>(column);
      const std::optional<std::size_t> position = table.EntryInside(image, r, c);
      if (!position) return refuse(TBlockProblem::OutsideImage);
      if (!table.EntryInside(compared, r, c)) continue;
      plan.edit.Add(static_cast<std::int64_t>(*position),
                    compared.subspan(*position, static_cast<std::size_t>(table.Width())));
    }
  }
  return plan;
}
