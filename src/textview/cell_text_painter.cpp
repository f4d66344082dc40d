#include "textview/cell_text_painter.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QPainter>

void TCellTextPainter::Draw(QPainter& painter, const QFont& font, int right, int baseline,
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
      painter.drawText(right - QFontMetrics(font).horizontalAdvance(text), baseline, text);
      return;
    }
    if (glyphs_[code] == 0) {
      const QList<quint32> found = rawFont_.glyphIndexesForString(QString(c));
      if (found.isEmpty() || found[0] == 0) {
        painter.drawText(right - QFontMetrics(font).horizontalAdvance(text), baseline, text);
        return;
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
}
