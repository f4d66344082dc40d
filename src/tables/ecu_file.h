#pragma once

// The ".ecu" table-definition files: a header line "{v1,v2,v3,v4,N}" and N table lines
// "{address,columns,rows,size,kind,offset,divide,scale,name,y axis,-,x axis,-}". The reader
// replaces both definition lists with a file's tables; the writer exports both lists. Neither
// shows anything: they return what the table editor tells the user.

#include "image/safe_write.h"
#include "tables/definition_list.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The four opaque header values: kept from the last load and written back by an export.
struct EcuHeader {
  std::array<std::int32_t, 4> Values{};
};

// Title of every message box of the reader and the writer.
inline constexpr std::string_view kEcuErrorTitle = "File Error";
inline constexpr std::string_view kEcuCouldNotOpen = "Couldn't open file!";
inline constexpr std::string_view kEcuBadHeader = "Bad .ecu Header!";
inline constexpr std::string_view kEcuCouldNotOpenForWriting = "Couldn't open file for writing!";
// Shown with the buttons OK and Cancel.
inline constexpr std::string_view kEcuWriteFailed =
    "Can't perform one of the following file operations: Open, Seek, Read, Close.";

// Characters kept of the five text fields of a table line; longer texts are cut.
inline constexpr std::array<std::size_t, 5> kEcuTextLimits = {63, 31, 199, 31, 199};
// The kind value that marks a bit-wise table.
inline constexpr std::int32_t kEcuBitWiseKind = 0x80;

// One table line as read: eight numbers, then name, Y axis name, an ignored text, X axis name
// and another ignored text.
struct EcuLine {
  std::int32_t Address = 0;
  std::int32_t Columns = 0;
  std::int32_t Rows = 0;
  std::int32_t EntrySize = 0;  // bytes per entry; for a bit-wise table its number of bytes
  std::int32_t Kind = 0;
  float Offset = 0.0f;
  float DivideFlag = 0.0f;  // non-zero: Scale is a divisor
  float Scale = 0.0f;
  std::array<std::string, 5> Texts;
};

// The definition a table line becomes and the list it belongs to; nothing for a line whose
// scale is a divisor of zero.
[[nodiscard]] std::optional<std::pair<ListKind, std::vector<std::string>>> DefinitionFromEcuLine(
    const EcuLine& line);

// Cancelled: the progress stopped the read; nothing was changed and nothing is to be shown.
enum class EcuReadStatus { CouldNotOpen, BadHeader, Loaded, Cancelled };

struct EcuReadReport {
  EcuReadStatus Status = EcuReadStatus::Loaded;
  std::int32_t Count = 0;   // N, the table count of the header
  std::int32_t Stored = 0;  // table lines stored into the lists
  // Shown in a box titled kEcuErrorTitle with an OK button, when not empty.
  std::string Message;
  // After a load: the row of the ordinary list to show in the panel and open as the current
  // table. When that fails, OpenFailureMessage() is shown instead (title kEcuErrorTitle, OK).
  std::optional<int> OpenRow;

  [[nodiscard]] std::string OpenFailureMessage() const;
};

// Replace both lists (and the header values as far as they are read) with the tables of an
// ".ecu" text. A load sets SelectedList to ordinary and selects row 1 of the ordinary list.
// The stream and file readers read block by block, so memory follows what is stored; they
// leave lists and header untouched when the input cannot be read, and the file reader reads
// only a regular file. The file reader tells `progress` the bytes read of the file's size after
// each block; when it returns false the read stops, lists and header stay untouched and the
// status is Cancelled.
[[nodiscard]] EcuReadReport ReadEcuText(std::string_view text, EcuHeader& header,
                                        TableDefinitions& lists);
[[nodiscard]] EcuReadReport ReadEcuStream(std::istream& in, EcuHeader& header,
                                          TableDefinitions& lists);
[[nodiscard]] EcuReadReport ReadEcuFile(const std::filesystem::path& path, EcuHeader& header,
                                        TableDefinitions& lists, const ReadProgress& progress = {});

// The export text, lines ending in CR LF. When a field of the ordinary list is no integer the
// text stops where that was found and Complete is false.
struct EcuText {
  std::string Text;
  bool Complete = true;
};
[[nodiscard]] EcuText FormatEcu(const EcuHeader& header, const TableDefinitions& lists);

enum class EcuWriteStatus { Written, CouldNotOpen, Failed };

struct EcuWriteReport {
  EcuWriteStatus Status = EcuWriteStatus::Written;
  // Shown in a box titled kEcuErrorTitle when not empty: with OK for CouldNotOpen, with OK
  // and Cancel for Failed.
  std::string Message;
  std::string Reason;  // what failed on which file, when not Written
};

// Exports both lists into the file, replacing it all at once once the new content is
// complete: an existing file is left untouched unless it could be opened for writing, and
// keeps its content after any failure, so callers must not delete it first. A new file gets
// the text made up to a field that stopped the export.
[[nodiscard]] EcuWriteReport WriteEcuFile(const std::filesystem::path& path,
                                          const EcuHeader& header, const TableDefinitions& lists,
                                          const WriteProgress& progress = {});
