#pragma once

// The interactive 3D plot control: a widget that draws its plots into an image buffer and
// turns, shifts or zooms the view with the mouse. The state, the math and the drawing are in
// TXYZPlotModel; this class adds the buffer, the screen and the mouse events.

#include "plot/image_canvas.h"
#include "plot/xyz_plot_model.h"

#include <QImage>
#include <QWidget>

class TXYZPlot : public QWidget, public TXYZPlotModel {
  Q_OBJECT
  Q_PROPERTY(unsigned XAxisColor READ XAxisColor WRITE SetXAxisColor)
  Q_PROPERTY(unsigned YAxisColor READ YAxisColor WRITE SetYAxisColor)
  Q_PROPERTY(unsigned ZAxisColor READ ZAxisColor WRITE SetZAxisColor)
  Q_PROPERTY(unsigned BoxColor READ BoxColor WRITE SetBoxColor)
  Q_PROPERTY(unsigned PlaneColor READ PlaneColor WRITE SetPlaneColor)
  Q_PROPERTY(double XMax READ XMax WRITE SetXMax)
  Q_PROPERTY(double YMax READ YMax WRITE SetYMax)
  Q_PROPERTY(double ZMax READ ZMax WRITE SetZMax)
  Q_PROPERTY(double XMin READ XMin WRITE SetXMin)
  Q_PROPERTY(double YMin READ YMin WRITE SetYMin)
  Q_PROPERTY(double ZMin READ ZMin WRITE SetZMin)
  Q_PROPERTY(double Phi READ Phi WRITE SetPhi)
  Q_PROPERTY(double Theta READ Theta WRITE SetTheta)
  Q_PROPERTY(double Psi READ Psi WRITE SetPsi)
  Q_PROPERTY(bool AutoScale READ AutoScale WRITE SetAutoScale)
  Q_PROPERTY(bool FitToScreen READ FitToScreen WRITE SetFitToScreen)
  Q_PROPERTY(bool MouseControl READ MouseControl WRITE SetMouseControl)
  Q_PROPERTY(int MouseFunction READ MouseFunction WRITE SetMouseFunction)
  Q_PROPERTY(int PointSize READ PointSize WRITE SetPointSize)
  Q_PROPERTY(bool PerspectiveOn READ PerspectiveOn WRITE SetPerspectiveOn)
  Q_PROPERTY(double VanishingPoint READ VanishingPoint WRITE SetVanishingPoint)
  Q_PROPERTY(int XLabelPrecision READ XLabelPrecision WRITE SetXLabelPrecision)
  Q_PROPERTY(int YLabelPrecision READ YLabelPrecision WRITE SetYLabelPrecision)
  Q_PROPERTY(int ZLabelPrecision READ ZLabelPrecision WRITE SetZLabelPrecision)
  Q_PROPERTY(int XLabelFormat READ XLabelFormat WRITE SetXLabelFormat)
  Q_PROPERTY(int YLabelFormat READ YLabelFormat WRITE SetYLabelFormat)
  Q_PROPERTY(int ZLabelFormat READ ZLabelFormat WRITE SetZLabelFormat)
  Q_PROPERTY(bool ShowXLabel READ ShowXLabel WRITE SetShowXLabel)
  Q_PROPERTY(bool ShowYLabel READ ShowYLabel WRITE SetShowYLabel)
  Q_PROPERTY(bool ShowZLabel READ ShowZLabel WRITE SetShowZLabel)
  Q_PROPERTY(bool ShowLabels READ ShowLabels WRITE SetShowLabels)
  Q_PROPERTY(bool ShowOrigin READ ShowOrigin WRITE SetShowOrigin)
  Q_PROPERTY(int AxisStyle READ AxisStyle WRITE SetAxisStyle)
  Q_PROPERTY(bool AutoRedraw READ AutoRedraw WRITE SetAutoRedraw)
  // Inherited from the paint box the control stands for.
  Q_PROPERTY(unsigned Color READ Color WRITE SetColor)
  Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
  Q_PROPERTY(int Width READ width WRITE SetWidth)
  Q_PROPERTY(int Height READ height WRITE SetHeight)
  Q_PROPERTY(int ClientWidth READ ClientWidth)
  Q_PROPERTY(int ClientHeight READ ClientHeight)

 public:
  // 200 x 150 pixels, visible.
  explicit TXYZPlot(QWidget* parent = nullptr);
  // A control with `source`'s parent, properties and plots; it rotates about (0, 0, 0) until
  // auto-scaling, SetFitToScreen or a drag sets the centre.
  TXYZPlot(const TXYZPlot& source);
  TXYZPlot& operator=(const TXYZPlot&) = delete;
  ~TXYZPlot() override;

  [[nodiscard]] int ClientWidth() const override { return width(); }
  [[nodiscard]] int ClientHeight() const override { return height(); }
  // The control's own visibility: true unless it was hidden, whether or not its window shows.
  [[nodiscard]] bool Visible() const override;
  // Schedules the copy of the buffer onto the screen.
  void RedrawScreen() override;

  // The enumerated properties as integers, for the property system.
  using TXYZPlotModel::SetAxisStyle;
  using TXYZPlotModel::SetMouseFunction;
  using TXYZPlotModel::SetXLabelFormat;
  using TXYZPlotModel::SetYLabelFormat;
  using TXYZPlotModel::SetZLabelFormat;
  void SetMouseFunction(int function) { SetMouseFunction(static_cast<TMouseFunction>(function)); }
  void SetXLabelFormat(int format) { SetXLabelFormat(static_cast<TStringFloatFormat>(format)); }
  void SetYLabelFormat(int format) { SetYLabelFormat(static_cast<TStringFloatFormat>(format)); }
  void SetZLabelFormat(int format) { SetZLabelFormat(static_cast<TStringFloatFormat>(format)); }
  void SetAxisStyle(int style) { SetAxisStyle(static_cast<T3DAxisStyle>(style)); }
  void SetWidth(int width) { resize(width, height()); }
  void SetHeight(int height) { resize(width(), height); }

  // The last picture drawn.
  // The picture buffer, drawn first when a redraw was put off.
  [[nodiscard]] const QImage& Buffer();

  // The paint notification: sizes the buffer, redraws it unless a redraw just did, and copies
  // it onto the screen.
  void Paint(QPainter& screen);

 protected:
  TPlotCanvas& PlotCanvas() override { return FCanvas; }
  void BeginPicture() override;
  void EndPicture() override;
  void SetControlVisible(bool visible) override { setVisible(visible); }
  // Off the screen (its window hidden) the control draws only when it is next painted, so a
  // hidden graph view costs nothing per edit.
  [[nodiscard]] bool DrawsAtOnce() const override { return isVisible(); }
  void PictureDeferred() override {
    FBufferFresh = false;
    FPictureDeferred = true;
  }
  void PictureOutdated() override { FBufferFresh = false; }

  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  QImage FBuffer;
  TImageCanvas FCanvas;
  // Set by a redraw and cleared by the paint that shows it, so that paint does not draw the
  // same picture again.
  bool FBufferFresh = false;
  // Set while a redraw waits for the next paint.
  bool FPictureDeferred = false;
};
