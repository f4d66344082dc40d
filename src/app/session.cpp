#include "app/session.h"

#include "image/rom_image.h"

#include <utility>

TSession::TSession() = default;

void TSession::Replace(std::vector<std::uint8_t> bytes, std::string fileName) {
  ReplaceImage(image_, std::move(bytes), std::move(fileName));
  document_.Reset();
}

void TSession::Close() {
  CloseImage(image_);
  compared_.reset();
  document_.Reset();
}

void TSession::MarkSaved() { document_.MarkSaved(); }

void TSession::SavedAs(std::string fileName) {
  RenameImage(image_, std::move(fileName));
  document_.MarkSaved();
}

void TSession::Reset() {
  image_ = TRomImage{};
  cursor_ = TTableCursor{};
  compared_.reset();
  document_.Reset();
}
