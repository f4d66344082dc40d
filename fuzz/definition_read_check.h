#pragma once

// What every definition-file reader must leave, whatever its input: both lists in their
// shape, as many rows as it says it read, and a problem named when it read nothing.

#include "tables/definition_file.h"

#include <cstdlib>

inline void CheckListShape(const DefinitionList& list) {
  if (list.RowCount() < 2 || list.DataRowCount() < 1) std::abort();
  if (list.CurrentRow() < 1 || list.CurrentRow() > list.DataRowCount()) std::abort();
}

inline void CheckDefinitionRead(const TDefinitionFileRead& read) {
  CheckListShape(read.Lists.Ordinary);
  CheckListShape(read.Lists.BitWise);
  const int rows = (read.Lists.Ordinary.InUse() ? read.Lists.Ordinary.DataRowCount() : 0) +
                   (read.Lists.BitWise.InUse() ? read.Lists.BitWise.DataRowCount() : 0);
  if (rows != read.Read || (rows == 0 && read.Problem.empty())) std::abort();
}
