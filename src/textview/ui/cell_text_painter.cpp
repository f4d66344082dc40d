#include "textview/ui/cell_text_painter.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QPainter>

namespace {

// The painter's own text drawing, for characters without a looked-up glyph.
qreal DrawPlain(QPainter& painter, const QFont& font, int right, int baseline,
                const QString& text) {
  const int width = QFontMetrics(font).horizontalAdvance(text);
  painter.drawText(right - width, baseline, text);
  return width;
}

}  // namespace

qreal TCellTextPainter::Draw(QPainter& painter, const QFont& font, int right, int baseline,
                             const QString& text) {
  if (font_ != font) {
    font_ = font;
    rawFont_ = QRawFont::fromFont(font);
    glyphs_.fill(0);
    advances_.fill(0.0);
  }
  indexes_.clear();
  positions_.clear();
  qreal x = 0;
  for (const QChar c : text) {
    const ushort code = c.unicode();
    if (code >= glyphs_.size() || !rawFont_.isValid()) {
      return DrawPlain(painter, font, right, baseline, text);
    }
    if (glyphs_[code] == 0) {
      const QList<quint32> found = rawFont_.glyphIndexesForString(QString(c));
      if (found.isEmpty() || found[0] == 0) {
        return DrawPlain(painter, font, right, baseline, text);
      }
      glyphs_[code] = found[0];
      advances_[code] = rawFont_.advancesForGlyphIndexes(found).value(0).x();
    }
    indexes_.append(glyphs_[code]);
    positions_.append(QPointF(x, 0));
    x += advances_[code];
  }
  QGlyphRun run;
  run.setRawFont(rawFont_);
  run.setGlyphIndexes(indexes_);
  run.setPositions(positions_);
  painter.drawGlyphRun(QPointF(right - x, baseline), run);
  return x;
}
