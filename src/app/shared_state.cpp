#include "app/shared_state.h"

TRomImage RomImage;
TTableCursor TableCursor;

void ResetSharedState() {
  RomImage = TRomImage{};
  TableCursor = TTableCursor{};
}
