#pragma once

#include <QFont>
#include <QList>
#include <QPointF>
#include <QRawFont>
#include <QString>

#include <array>
#include <optional>

class QPainter;

// Draws short ASCII texts right-aligned from glyphs looked up once per character, so a cell
// costs no text shaping; any other character falls back to the painter's own text drawing.
class TCellTextPainter {
 public:
  // Returns the drawn text's width.
  qreal Draw(QPainter& painter, const QFont& font, int right, int baseline, const QString& text);

 private:
  std::optional<QFont> font_;
  QRawFont rawFont_;
  std::array<quint32, 128> glyphs_{};
  std::array<qreal, 128> advances_{};
  QList<quint32> indexes_;
  QList<QPointF> positions_;
};
