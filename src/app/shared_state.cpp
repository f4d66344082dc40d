#include "app/shared_state.h"

#include "image/image_document.h"

TRomImage RomImage;
TTableCursor TableCursor;
// After RomImage in this file, so the image exists before the document over it.
TImageDocument ImageDocument{RomImage};

void ResetSharedState() {
  RomImage = TRomImage{};
  TableCursor = TTableCursor{};
  ImageDocument.Reset();
}
