#include "tables/ecu_file.h"

#include "app/number_text.h"
#include "image/safe_write.h"
#include "tables/ecu_scan.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <istream>
#include <span>
#include <system_error>

#include <unistd.h>

namespace {

// Reads one table line into `line`; numeric fields that do not convert keep the value of the
// line before. False when a field is cut by the end of the text. A complete last line needs
// no line end.
bool ReadEcuLine(EcuInput& input, EcuLine& line) {
  const bool numbers = ReadNumberField(input, "{%x", ',', line.Address) &&
                       ReadNumberField(input, "%d", ',', line.Columns) &&
                       ReadNumberField(input, "%d", ',', line.Rows) &&
                       ReadNumberField(input, "%d", ',', line.EntrySize) &&
                       ReadNumberField(input, "%x", ',', line.Kind) &&
                       ReadNumberField(input, "%f", ',', line.Offset) &&
                       ReadNumberField(input, "%f", ',', line.DivideFlag) &&
                       ReadNumberField(input, "%f", ',', line.Scale);
  if (!numbers) return false;
  for (std::size_t k = 0; k < line.Texts.size(); ++k) {
    if (!ReadTextField(input, line.Texts[k], kEcuTextLimits[k])) return false;
  }
  input.SkipPast('\n');
  return true;
}

std::string CountMessage(std::string_view start, std::int32_t count, std::string_view end) {
  return std::string(start) + DecimalText(count) + std::string(end);
}

void AppendPadded(std::string& out, std::string_view text, std::size_t width) {
  if (text.size() < width) out.append(width - text.size(), ' ');
  out += text;
}

// "%4x": lower-case hexadecimal of the 32-bit pattern, right-aligned in four places.
void AppendHex4(std::string& out, std::int32_t value) {
  char buffer[8];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, static_cast<std::uint32_t>(value), 16);
  AppendPadded(out, std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer)), 4);
}

// "%2d".
void AppendDecimal2(std::string& out, std::int32_t value) {
  AppendPadded(out, DecimalText(value), 2);
}

// "%8.4f" of a float, always with "." as the decimal point.
void AppendFixed8(std::string& out, float value) {
  char buffer[64];  // the largest float has 39 integer digits
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value),
                                    std::chars_format::fixed, 4);
  AppendPadded(out, std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer)), 8);
}

}  // namespace

std::optional<std::pair<ListKind, std::vector<std::string>>> DefinitionFromEcuLine(
    const EcuLine& line) {
  const auto& [name, y_axis, ignored, x_axis, ignored_too] = line.Texts;
  if (line.Kind == kEcuBitWiseKind) {
    return {{ListKind::BitWise, {name, HexText(line.Address, 4), DecimalText(line.EntrySize)}}};
  }
  if (line.DivideFlag != 0.0f && line.Scale == 0.0f) return std::nullopt;
  // The file's values are held as floats; the divisor's reciprocal is taken in double.
  const double scale = line.DivideFlag == 0.0f ? line.Scale : 1.0 / line.Scale;
  return {{ListKind::Ordinary,
           {name, HexText(line.Address, 4), DecimalText(line.Columns), DecimalText(line.Rows),
            DecimalText(line.EntrySize), x_axis, "1", "0", y_axis, "1", "0", "", FloatText(scale),
            FloatText(line.Offset), "No", "0"}}};
}

std::string EcuReadReport::OpenFailureMessage() const {
  return CountMessage("Bad .ecu file! Check there are actually ", Count, " tables. (3)");
}

namespace {

EcuReadReport ReadEcu(EcuInput& input, EcuHeader& header, TableDefinitions& lists) {
  EcuReadReport report;
  lists.Ordinary.Clear();
  lists.BitWise.Clear();

  const bool header_read = ReadNumberField(input, "{%x", ',', header.Values[0]) &&
                           ReadNumberField(input, "%x", ',', header.Values[1]) &&
                           ReadNumberField(input, "%d", ',', header.Values[2]) &&
                           ReadNumberField(input, "%x", ',', header.Values[3]) &&
                           ReadNumberField(input, "%d}", '\n', report.Count);
  if (!header_read) {
    report.Status = EcuReadStatus::BadHeader;
    report.Message = kEcuBadHeader;
    return report;
  }

  EcuLine line;  // not reset between lines: a field that does not convert keeps its value
  // Every line read takes at least one character, so the loop ends at the end of the text
  // whatever the count says.
  while (report.Stored < report.Count && ReadEcuLine(input, line)) {
    auto definition = DefinitionFromEcuLine(line);
    if (!definition) {
      report.Message =
          CountMessage("Bad .ecu file! Check there are actually ", report.Count, " tables. (2)");
      break;
    }
    lists.List(definition->first).Append(std::move(definition->second));
    ++report.Stored;
  }
  if (report.Message.empty() && report.Stored != report.Count) {
    report.Message = "Bad .ecu file! Could only load " + DecimalText(report.Stored) + " out of " +
                     DecimalText(report.Count) + " tables. (1)";
  }

  lists.SelectedList = ListKind::Ordinary;
  lists.Ordinary.SetCurrentRow(1);
  report.OpenRow = 1;
  return report;
}

}  // namespace

EcuReadReport ReadEcuText(std::string_view text, EcuHeader& header, TableDefinitions& lists) {
  EcuInput input(text);
  return ReadEcu(input, header, lists);
}

namespace {

EcuReadReport CouldNotRead() {
  EcuReadReport report;
  report.Status = EcuReadStatus::CouldNotOpen;
  report.Message = kEcuCouldNotOpen;
  return report;
}

// Why a source stopped before its end.
enum class SourceStop { None, Failed, Cancelled };

// Reads from a source block by block into fresh lists, so memory follows what is stored, not
// the file's size; the lists and header take the result only when the whole source was read.
EcuReadReport ReadEcuSource(const EcuInput::Source& source, const SourceStop& stop,
                            EcuHeader& header, TableDefinitions& lists) {
  EcuHeader read_header = header;
  TableDefinitions read_lists;
  EcuInput input(source);
  EcuReadReport report = ReadEcu(input, read_header, read_lists);
  if (stop == SourceStop::Failed) return CouldNotRead();
  if (stop == SourceStop::Cancelled) {
    EcuReadReport cancelled;
    cancelled.Status = EcuReadStatus::Cancelled;
    return cancelled;
  }
  header = read_header;
  lists = std::move(read_lists);
  return report;
}

}  // namespace

EcuReadReport ReadEcuStream(std::istream& in, EcuHeader& header, TableDefinitions& lists) {
  SourceStop stop = SourceStop::None;
  const auto source = [&](std::span<char> block) -> std::size_t {
    in.read(block.data(), static_cast<std::streamsize>(block.size()));
    if (in.bad()) stop = SourceStop::Failed;
    return stop == SourceStop::Failed ? 0 : static_cast<std::size_t>(in.gcount());
  };
  return ReadEcuSource(source, stop, header, lists);
}

EcuReadReport ReadEcuFile(const std::filesystem::path& path, EcuHeader& header,
                          TableDefinitions& lists, const ReadProgress& progress) {
  // Only a regular file: a FIFO or device is refused before a byte is read.
  const OpenedFile opened = OpenRegularFile(path.string(), false);
  if (opened.outcome.result != FileResult::Ok) return CouldNotRead();
  SourceStop stop = SourceStop::None;
  std::uint64_t offset = 0;
  const auto read_block = [&](std::span<char> block) -> std::size_t {
    const int fd = opened.file.fd();
    // A hole of a sparse file reads as zeros: they are made here instead of read, so even a
    // file of gigabytes of nothing is through in a moment.
    const off_t data = ::lseek(fd, static_cast<off_t>(offset), SEEK_DATA);
    if ((data < 0 && errno == ENXIO) || data > static_cast<off_t>(offset)) {
      const std::uint64_t hole_end = data < 0 ? opened.size : static_cast<std::uint64_t>(data);
      const auto count = static_cast<std::size_t>(
          std::min<std::uint64_t>(block.size(), hole_end > offset ? hole_end - offset : 0));
      std::fill_n(block.data(), count, '\0');
      offset += count;
      if (::lseek(fd, static_cast<off_t>(offset), SEEK_SET) >= 0) return count;
      stop = SourceStop::Failed;
      return 0;
    }
    for (;;) {
      const ssize_t got = ::read(fd, block.data(), block.size());
      if (got >= 0) {
        offset += static_cast<std::uint64_t>(got);
        return static_cast<std::size_t>(got);
      }
      if (errno != EINTR) break;
    }
    stop = SourceStop::Failed;
    return 0;
  };
  // After each block the progress is told how far the read is; it may stop it there. A file
  // that grew since it was opened counts as large as what was read.
  const auto source = [&](std::span<char> block) -> std::size_t {
    const std::size_t got = read_block(block);
    if (got > 0 && progress && !progress(offset, std::max(offset, opened.size))) {
      stop = SourceStop::Cancelled;
      return 0;
    }
    return got;
  };
  return ReadEcuSource(source, stop, header, lists);
}

EcuText FormatEcu(const EcuHeader& header, const TableDefinitions& lists) {
  EcuText result;
  std::string& out = result.Text;
  const DefinitionList& ordinary = lists.Ordinary;
  // Every data row counts, the blank row of an empty list too.
  const std::int32_t count = ordinary.DataRowCount() + lists.BitWise.DataRowCount();

  out += '{';
  AppendHex4(out, header.Values[0]);
  out += ',';
  AppendHex4(out, header.Values[1]);
  out += ',';
  AppendDecimal2(out, header.Values[2]);
  out += ',';
  AppendHex4(out, header.Values[3]);
  out += ',';
  AppendDecimal2(out, count);
  out += "}\r\n";

  out.reserve(out.size() + static_cast<std::size_t>(count) * 80);
  for (int row = 1; row <= ordinary.DataRowCount(); ++row) {
    out += '{';
    const auto field = [&](int column) -> const std::string& {
      return ordinary.Field(row, column);
    };
    const auto x_offset = static_cast<float>(ParseFloat(field(TableDefinition::XOffset)));
    const auto x_scale = static_cast<float>(ParseFloat(field(TableDefinition::XScale)));
    const std::optional<std::int32_t> entry_size =
        TryParseInteger(field(TableDefinition::EntrySize));
    const std::optional<std::int32_t> rows = TryParseInteger(field(TableDefinition::Rows));
    const std::optional<std::int32_t> columns = TryParseInteger(field(TableDefinition::Columns));
    const std::optional<std::int32_t> address = TryParseInteger(field(TableDefinition::TableAddr));
    if (!entry_size || !rows || !columns || !address) {
      result.Complete = false;
      return result;
    }
    AppendHex4(out, *address);
    out += ',';
    AppendDecimal2(out, *columns);
    out += ',';
    AppendDecimal2(out, *rows);
    out += ',';
    AppendDecimal2(out, *entry_size);
    out += ",0,";
    AppendFixed8(out, x_offset);
    out += ',';
    AppendFixed8(out, 1.0f);
    out += ',';
    AppendFixed8(out, x_scale);
    out += ',';
    out += field(TableDefinition::TableName);
    out += ", , , , }\r\n";
  }
  for (int row = 1; row <= lists.BitWise.DataRowCount(); ++row) out += "{}\r\n";
  return result;
}

EcuWriteReport WriteEcuFile(const std::filesystem::path& path, const EcuHeader& header,
                            const TableDefinitions& lists, const WriteProgress& progress) {
  const EcuText text = FormatEcu(header, lists);
  EcuWriteReport report;
  // An export that stops early leaves an existing file as it was; a new file gets what was
  // made up to the stop.
  FileOutcome written;
  std::error_code ignored;
  if (!text.Complete && std::filesystem::is_regular_file(path, ignored)) {
    written = {FileResult::OperationFailed, "the export stopped early"};
  } else {
    written = WriteFileSafely(
        path.string(),
        std::span(reinterpret_cast<const std::uint8_t*>(text.Text.data()), text.Text.size()),
        WriteKind::Whole, progress);
  }
  if (written.result == FileResult::OpenFailed) {
    report.Status = EcuWriteStatus::CouldNotOpen;
    report.Message = kEcuCouldNotOpenForWriting;
  } else if (written.result != FileResult::Ok || !text.Complete) {
    report.Status = EcuWriteStatus::Failed;
    report.Message = kEcuWriteFailed;
  }
  report.Reason = std::move(written.reason);
  return report;
}
