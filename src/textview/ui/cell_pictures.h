#pragma once

#include <QFont>
#include <QHash>
#include <QImage>
#include <QRgb>
#include <QSize>
#include <QString>

#include <cstddef>
#include <optional>

// Everything that decides how a filled cell looks.
struct TCellLook {
  QString text;
  QRgb background = 0;
  QRgb foreground = 0;
  bool changed = false;   // bold text and the corner mark
  QSize size;             // the filled area, in device-independent pixels
  qreal ratio = 1;        // device pixels per pixel
  bool compared = false;  // differs from the compared image: the other corner's mark

  friend bool operator==(const TCellLook&, const TCellLook&) = default;
};

std::size_t qHash(const TCellLook& look, std::size_t seed = 0);

// Finished pictures of filled cells, so repainting a cell that looks as it did is one copy
// instead of blending its glyphs again. Bounded by bytes: when full, it starts over.
class TCellPictures {
 public:
  static constexpr qsizetype kMaxBytes = qsizetype{8} << 20;

  // Forgets every picture when the font is not the one they were drawn with.
  void UseFont(const QFont& font);
  [[nodiscard]] const QImage* Find(const TCellLook& look) const;
  void Insert(const TCellLook& look, QImage picture);
  [[nodiscard]] qsizetype Count() const { return pictures_.size(); }
  [[nodiscard]] qsizetype Bytes() const { return bytes_; }

 private:
  std::optional<QFont> font_;
  QHash<TCellLook, QImage> pictures_;
  qsizetype bytes_ = 0;
};
