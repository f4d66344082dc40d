#include "app/cursor_inputs.h"

#include "app/number_text.h"
#include "app/shared_state.h"

void ApplyOpenedTable(TTableCursor& cursor, const OpenedTable& table) {
  cursor.TableName = table.TableName;
  cursor.XLabelName = table.XLabelName;
  cursor.YLabelName = table.YLabelName;
  cursor.ZLabelName = table.ZLabelName;
  cursor.Rows = ParseInteger(table.Rows);
  cursor.Columns = ParseInteger(table.Columns);
  cursor.ZScale = static_cast<float>(ParseFloat(table.ZScale));
  cursor.ZOffset = static_cast<float>(ParseFloat(table.ZOffset));
  cursor.EntrySigned = table.EntrySigned;
  cursor.EntryOrder = table.EntryOrder;
}
