#pragma once

// The main window's current inputs as one value, for the windows that build on them: the
// texts of its table address, columns and rows boxes as they stand, the entry width of its
// width buttons, its bit-wise flag and the current table's entry sign and byte order.

#include "image/element_type.h"
#include "image/entry_width.h"

#include <cstdint>
#include <string>

struct CursorInputs {
  bool MultiBit = false;     // the MultiBit check box: a bit-wise definition
  std::string TableAddress;  // edit box texts, taken as they stand
  std::string Columns;
  std::string Rows;
  ::EntryWidth EntryWidth;  // GetEntryWidth: 1, 2 or 4
  // The current table's entries: two's complement, and their byte order.
  bool EntrySigned = false;
  TByteOrder EntryOrder = TByteOrder::BigEndian;
  // The base address in force: what file offsets of definitions and found tables add to.
  std::int32_t BaseAddress = 0;
};

// A table definition opened as the current table, as the table editor's panel shows it.
struct OpenedTable {
  // For the main window's edit boxes.
  std::string TableAddress;
  std::string Columns;
  std::string Rows;
  // For the cursor.
  std::string TableName;
  std::string XLabelName;
  std::string YLabelName;
  std::string ZLabelName;
  std::string ZScale;
  std::string ZOffset;
  // The definition's Entry Size text: 1, 2 or 4 checks the main window's width button.
  std::string EntrySize{};
  // The definition's entry format, for the cursor.
  bool EntrySigned = false;
  TByteOrder EntryOrder = TByteOrder::BigEndian;
};

struct TTableCursor;

// What opening a table does to the cursor, in this order: the names; Rows and Columns by
// ParseInteger, whose ConversionError ends it with what was set before kept; ZScale and
// ZOffset by ParseFloat; the entries' sign and byte order.
void ApplyOpenedTable(TTableCursor& cursor, const OpenedTable& table);
