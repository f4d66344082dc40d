#include "app/shared_state.h"

#include "app/session.h"

namespace {

TSession theSession;

}  // namespace

TSession& CurrentSession() { return theSession; }

TRomImage& RomImage = theSession.Image();
TTableCursor& TableCursor = theSession.Cursor();
TImageDocument& ImageDocument = theSession.Document();
