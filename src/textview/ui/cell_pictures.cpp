#include "textview/ui/cell_pictures.h"

std::size_t qHash(const TCellLook& look, std::size_t seed) {
  return qHashMulti(seed, look.text, look.background, look.foreground, look.changed, look.compared,
                    look.size.width(), look.size.height(), look.ratio);
}

void TCellPictures::UseFont(const QFont& font) {
  if (font_ == font) return;
  font_ = font;
  pictures_.clear();
  bytes_ = 0;
}

const QImage* TCellPictures::Find(const TCellLook& look) const {
  const auto found = pictures_.constFind(look);
  return found == pictures_.constEnd() ? nullptr : &*found;
}

void TCellPictures::Insert(const TCellLook& look, QImage picture) {
  const qsizetype bytes = picture.sizeInBytes();
  if (bytes > kMaxBytes) return;
  if (bytes_ + bytes > kMaxBytes) {
    pictures_.clear();
    bytes_ = 0;
  }
  if (const auto old = pictures_.constFind(look); old != pictures_.constEnd()) {
    bytes_ -= old->sizeInBytes();
  }
  pictures_.insert(look, std::move(picture));
  bytes_ += bytes;
}
