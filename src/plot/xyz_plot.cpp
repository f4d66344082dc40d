#include "plot/xyz_plot.h"

#include <QMouseEvent>
#include <QPainter>

namespace {

TShiftState ShiftOf(const QMouseEvent& event) {
  TShiftState shift = 0;
  const Qt::KeyboardModifiers keys = event.modifiers();
  if (keys & Qt::ShiftModifier) shift |= ssShift;
  if (keys & Qt::AltModifier) shift |= ssAlt;
  if (keys & Qt::ControlModifier) shift |= ssCtrl;
  const Qt::MouseButtons buttons = event.buttons();
  if (buttons & Qt::LeftButton) shift |= ssLeft;
  if (buttons & Qt::RightButton) shift |= ssRight;
  if (buttons & Qt::MiddleButton) shift |= ssMiddle;
  return shift;
}

TMouseButton ButtonOf(const QMouseEvent& event) {
  switch (event.button()) {
    case Qt::RightButton:
      return mbRight;
    case Qt::MiddleButton:
      return mbMiddle;
    default:
      return mbLeft;
  }
}

}  // namespace

TXYZPlot::TXYZPlot(QWidget* parent) : QWidget(parent) {
  resize(200, 150);
  setMouseTracking(true);  // moves without a button reach MouseMove too
  setAttribute(Qt::WA_OpaquePaintEvent);
}

TXYZPlot::TXYZPlot(const TXYZPlot& source) : TXYZPlot(source.parentWidget()) {
  SetRotationCenter({0.0, 0.0, 0.0});
  AssignPlot(&source);
}

TXYZPlot::~TXYZPlot() = default;

bool TXYZPlot::Visible() const {
  return !(isHidden() && testAttribute(Qt::WA_WState_ExplicitShowHide));
}

void TXYZPlot::RedrawScreen() {
  FBufferFresh = true;
  update();
}

void TXYZPlot::BeginPicture() {
  if (FBuffer.size() != size()) {
    FBuffer = size().isEmpty() ? QImage() : QImage(size(), QImage::Format_RGB32);
  }
  FCanvas.Begin(FBuffer, font());
}

void TXYZPlot::EndPicture() {
  FCanvas.End();
  FPictureDeferred = false;
}

const QImage& TXYZPlot::Buffer() {
  if (FPictureDeferred) DrawPicture();
  return FBuffer;
}

void TXYZPlot::Paint(QPainter& screen) {
  if (!FBufferFresh || FBuffer.size() != size()) DrawPicture();
  FBufferFresh = false;
  screen.drawImage(0, 0, FBuffer);
}

void TXYZPlot::paintEvent(QPaintEvent* /*event*/) {
  QPainter screen(this);
  Paint(screen);
}

void TXYZPlot::mousePressEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  MouseDown(ButtonOf(*event), ShiftOf(*event), at.x(), at.y());
}

void TXYZPlot::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  MouseMove(ShiftOf(*event), at.x(), at.y());
}

void TXYZPlot::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  MouseUp(ButtonOf(*event), ShiftOf(*event), at.x(), at.y());
}

void TXYZPlot::mouseDoubleClickEvent(QMouseEvent* event) {
  // As on the desktop the control stands for: the double-click, then the second press.
  DblClick();
  const QPoint at = event->position().toPoint();
  MouseDown(ButtonOf(*event), static_cast<TShiftState>(ShiftOf(*event) | ssDouble), at.x(), at.y());
}
