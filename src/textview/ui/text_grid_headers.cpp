#include "textview/ui/text_grid_headers.h"

#include <QPainter>
#include <QStyleOptionHeader>

TGridCorner::TGridCorner(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TGridCorner::SetText(const QString& text) {
  text_ = text;
  update();
}

void TGridCorner::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  QStyleOptionHeader option;
  option.initFrom(this);
  option.rect = rect();
  option.text = text_;
  option.textAlignment = Qt::AlignCenter;
  option.position = QStyleOptionHeader::OnlyOneSection;
  style()->drawControl(QStyle::CE_Header, &option, &painter, this);
}

TFixedHeader::TFixedHeader(Qt::Orientation orientation, int thickness, QWidget* parent)
    : QHeaderView(orientation, parent), thickness_(thickness) {
  setSectionResizeMode(QHeaderView::Fixed);
  setMinimumSectionSize(1);
  setHighlightSections(false);
  setDefaultAlignment(Qt::AlignCenter);
}

void TFixedHeader::SetThickness(int thickness) {
  if (thickness == thickness_) return;
  thickness_ = thickness;
  updateGeometry();
  emit geometriesChanged();
}

QSize TFixedHeader::sizeHint() const {
  return orientation() == Qt::Horizontal ? QSize(0, thickness_) : QSize(thickness_, 0);
}
