#pragma once

// Everything of the 3D plot control but the toolkit: its state and properties, the plot list,
// the chain from data coordinates to pixels, the drawing onto a TPlotCanvas, the operations
// and the mouse. The control (xyz_plot.h) supplies the client size, the visibility, the
// canvas over its image buffer and the copy onto the screen.

#include "plot/plot_canvas.h"
#include "plot/plot_types.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <type_traits>
#include <vector>

// The drag in progress; at most one flag is set.
struct TMouseAction {
  bool DragXY = false;
  bool DragXZ = false;
  bool ZoomXY = false;
  bool ZoomXZ = false;
  bool RotatePhiPsi = false;
  bool RotatePhiTheta = false;
  friend bool operator==(const TMouseAction&, const TMouseAction&) = default;
};

// The properties one control takes from another with AssignPlotProperties, as one value.
struct TPlotProperties {
  int PointSize = 1;
  TColor XAxisColor = 0x0000FF;
  TColor YAxisColor = 0x008000;
  TColor ZAxisColor = 0xFF0000;
  TColor BoxColor = 0x000000;
  TColor PlaneColor = 0x00FFFF;
  bool AutoScale = true;
  bool FitToScreen = true;
  double XMax = 1.0;
  double YMax = 1.0;
  double ZMax = 1.0;
  double XMin = 0.0;
  double YMin = 0.0;
  double ZMin = 0.0;
  bool MouseControl = true;
  TMouseFunction MouseFunction = mfRotate;
  double VanishingPoint = 100.0;
  bool PerspectiveOn = true;
  int XLabelPrecision = 4;
  int YLabelPrecision = 4;
  int ZLabelPrecision = 4;
  TStringFloatFormat XLabelFormat = sffGeneral;
  TStringFloatFormat YLabelFormat = sffGeneral;
  TStringFloatFormat ZLabelFormat = sffGeneral;
  bool ShowXLabel = true;
  bool ShowYLabel = true;
  bool ShowZLabel = true;
  bool ShowOrigin = true;
  T3DAxisStyle AxisStyle = asBox;
  bool AutoRedraw = true;
};

class TXYZPlotModel {
 public:
  TXYZPlotModel();
  virtual ~TXYZPlotModel() = default;
  TXYZPlotModel(const TXYZPlotModel&) = delete;
  TXYZPlotModel& operator=(const TXYZPlotModel&) = delete;

  // What the model needs of the control it is drawn on.
  [[nodiscard]] virtual int ClientWidth() const = 0;
  [[nodiscard]] virtual int ClientHeight() const = 0;
  [[nodiscard]] virtual bool Visible() const = 0;
  // Shows or hides the control, then redraws whatever AutoRedraw is.
  void SetVisible(bool visible);
  // Copies the drawn picture onto the control's surface.
  virtual void RedrawScreen() = 0;

  // Properties.
  [[nodiscard]] TColor XAxisColor() const { return FProps.XAxisColor; }
  [[nodiscard]] TColor YAxisColor() const { return FProps.YAxisColor; }
  [[nodiscard]] TColor ZAxisColor() const { return FProps.ZAxisColor; }
  [[nodiscard]] TColor BoxColor() const { return FProps.BoxColor; }
  [[nodiscard]] TColor PlaneColor() const { return FProps.PlaneColor; }
  [[nodiscard]] double XMax() const { return FProps.XMax; }
  [[nodiscard]] double YMax() const { return FProps.YMax; }
  [[nodiscard]] double ZMax() const { return FProps.ZMax; }
  [[nodiscard]] double XMin() const { return FProps.XMin; }
  [[nodiscard]] double YMin() const { return FProps.YMin; }
  [[nodiscard]] double ZMin() const { return FProps.ZMin; }
  [[nodiscard]] double Phi() const { return FPhi; }
  [[nodiscard]] double Theta() const { return FTheta; }
  [[nodiscard]] double Psi() const { return FPsi; }
  [[nodiscard]] bool AutoScale() const { return FProps.AutoScale; }
  [[nodiscard]] bool FitToScreen() const { return FProps.FitToScreen; }
  [[nodiscard]] bool MouseControl() const { return FProps.MouseControl; }
  [[nodiscard]] TMouseFunction MouseFunction() const { return FProps.MouseFunction; }
  [[nodiscard]] int PointSize() const { return FProps.PointSize; }
  [[nodiscard]] bool PerspectiveOn() const { return FProps.PerspectiveOn; }
  [[nodiscard]] double VanishingPoint() const { return FProps.VanishingPoint; }
  [[nodiscard]] int XLabelPrecision() const { return FProps.XLabelPrecision; }
  [[nodiscard]] int YLabelPrecision() const { return FProps.YLabelPrecision; }
  [[nodiscard]] int ZLabelPrecision() const { return FProps.ZLabelPrecision; }
  [[nodiscard]] TStringFloatFormat XLabelFormat() const { return FProps.XLabelFormat; }
  [[nodiscard]] TStringFloatFormat YLabelFormat() const { return FProps.YLabelFormat; }
  [[nodiscard]] TStringFloatFormat ZLabelFormat() const { return FProps.ZLabelFormat; }
  [[nodiscard]] bool ShowXLabel() const { return FProps.ShowXLabel; }
  [[nodiscard]] bool ShowYLabel() const { return FProps.ShowYLabel; }
  [[nodiscard]] bool ShowZLabel() const { return FProps.ShowZLabel; }
  [[nodiscard]] bool ShowLabels() const { return FShowLabels; }
  [[nodiscard]] bool ShowOrigin() const { return FProps.ShowOrigin; }
  [[nodiscard]] T3DAxisStyle AxisStyle() const { return FProps.AxisStyle; }
  [[nodiscard]] bool AutoRedraw() const { return FProps.AutoRedraw; }
  // The background, and the box behind label texts.
  [[nodiscard]] TColor Color() const { return FColor; }

  // Setters: store (clamped where noted) and redraw when AutoRedraw is on.
  void SetXAxisColor(TColor color);
  void SetYAxisColor(TColor color);
  void SetZAxisColor(TColor color);
  void SetBoxColor(TColor color);
  void SetPlaneColor(TColor color);
  void SetXMax(double value);
  void SetYMax(double value);
  void SetZMax(double value);
  void SetXMin(double value);
  void SetYMin(double value);
  void SetZMin(double value);
  void SetXYZMinMax(double xmin, double xmax, double ymin, double ymax, double zmin, double zmax);
  void SetPhi(double angle);
  void SetTheta(double angle);
  void SetPsi(double angle);
  void SetAngles(double phi, double theta, double psi);
  void SetAutoScale(bool on);                      // also auto-scales when turned on
  void SetFitToScreen(bool on);                    // also centres the rotation in the value box
  void SetMouseControl(bool on);                   // store only
  void SetMouseFunction(TMouseFunction function);  // store only
  void SetPointSize(int size);                     // 1..10
  void SetPerspectiveOn(bool on);
  void SetVanishingPoint(double value);    // a value not above 0 stores 100
  void SetXLabelPrecision(int precision);  // a negative precision stores 0
  void SetYLabelPrecision(int precision);
  void SetZLabelPrecision(int precision);
  void SetXLabelFormat(TStringFloatFormat format);
  void SetYLabelFormat(TStringFloatFormat format);
  void SetZLabelFormat(TStringFloatFormat format);
  void SetShowXLabel(bool show);
  void SetShowYLabel(bool show);
  void SetShowZLabel(bool show);
  void SetShowLabels(bool show);  // all three axes, one redraw
  void SetShowOrigin(bool show);
  void SetAxisStyle(T3DAxisStyle style);
  void SetAutoRedraw(bool on);  // redraws when turned on
  void SetColor(TColor color);  // redraws always, as a repaint of the control would

  // Plots from data. Each adds the plot or replaces the one with that id (which then moves to
  // the end of the list), auto-scales and redraws; returns true when a plot was replaced.
  // z holds ny rows of nx values, value (i, j) at nx * j + i; point (i, j) = (i, j, value).
  // Throws std::invalid_argument when z holds fewer than nx * ny values.
  bool XYZPlot(std::span<const double> z, int nx, int ny, int plot_id, T3DPlotStyle style,
               TColor line_color, TColor fill_color);
  // As above with x running from x0 to x1 over the nx columns and y from y0 to y1 over the
  // ny rows; a single column lies at x0, a single row at y0.
  bool XYZPlot(std::span<const double> z, int nx, int ny, double x0, double x1, double y0,
               double y1, int plot_id, T3DPlotStyle style, TColor line_color, TColor fill_color);
  // One row of n points given as (x, y, z) triples.
  bool XYZPlot(std::span<const std::array<double, 3>> points, int plot_id, T3DPlotStyle style,
               TColor line_color, TColor fill_color);

  // The plot list. RemovePlot keeps the value box; all redraw when AutoRedraw is on.
  [[nodiscard]] const T3DPlotList& PlotList() const { return FPlotList; }
  bool RemovePlot(int plot_id);
  bool FindPlot(T3DPlotListMember*& member, int plot_id);
  bool SetPlotLineColor(TColor color, int plot_id);
  bool SetPlotFillColor(TColor color, int plot_id);
  bool SetPlotStyle(T3DPlotStyle style, int plot_id);

  // Copying between controls.
  void AssignPlot(const TXYZPlotModel* source);
  void AssignPlotProperties(const TXYZPlotModel* source);
  void AssignPlotData(const TXYZPlotModel* source);
  void AppendPlotData(const TXYZPlotModel* source);

  // From data coordinates to pixels.
  void CalculateAxisArray();
  // Data coordinates -> view coordinates: -x to the right, z up, larger y nearer the viewer.
  [[nodiscard]] TXYZPoint LocalToGlobal(TXYZPoint p) const;
  // The rotated and projected point; none where perspective has no projection for it (the
  // rotated y at or beyond the vanishing point while the rotated z is below it).
  [[nodiscard]] std::optional<TXYPoint> ConvertTo2D(const TXYZPoint& p) const;
  [[nodiscard]] TXYPoint LocalToScreen(TXYPoint p) const;
  // The pixel of a data point: LocalToScreen(ConvertTo2D(p)) truncated toward zero; none
  // when the point has no projection or no finite position.
  [[nodiscard]] std::optional<POINT> PixelOf(const TXYZPoint& p) const;
  [[nodiscard]] static std::optional<POINT> TruncatePixel(TXYPoint q);
  void FindXYZMaxMin();
  void ScaleScreen();
  [[nodiscard]] static int ConvertFarPoint(int start, int offset);
  // The closed outline of one box face through corner `start`; none when a corner of it has
  // no pixel.
  [[nodiscard]] std::optional<std::array<POINT, 5>> CalculateAxisPlane(
      int start, const std::array<int, 5>& offsets) const;

  // Drawing.
  void Redraw();
  void ClearPlot();
  void DrawAllPlots();

  // The mouse.
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  void MouseMove(TShiftState shift, int x, int y);
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  void DblClick();

  // Internal state, read by the control and by tests.
  [[nodiscard]] const std::array<TXYZPoint, 8>& BoxCorner() const { return FBoxCorner; }
  [[nodiscard]] int FarFloorCorner() const { return FFarFloorCorner; }
  [[nodiscard]] int NextFloorCorner() const { return FNextFloorCorner; }
  [[nodiscard]] int FarCorner() const { return FFarCorner; }
  [[nodiscard]] const TXYZPoint& RotationCenter() const { return FRotationCenter; }
  [[nodiscard]] double ProjXMax() const { return FProjXMax; }
  [[nodiscard]] double ProjYMax() const { return FProjYMax; }
  [[nodiscard]] double ProjXMin() const { return FProjXMin; }
  [[nodiscard]] double ProjYMin() const { return FProjYMin; }
  [[nodiscard]] int LastX() const { return FLastX; }
  [[nodiscard]] int LastY() const { return FLastY; }
  [[nodiscard]] const TMouseAction& MouseAction() const { return FMouseAction; }

 protected:
  // The surface of the image buffer; valid between BeginPicture and EndPicture.
  virtual TPlotCanvas& PlotCanvas() = 0;
  // Around the drawing of one picture (the control sizes its buffer here).
  virtual void BeginPicture() {}
  virtual void EndPicture() {}
  // Shows or hides the control, nothing more.
  virtual void SetControlVisible(bool visible) = 0;
  // Whether a redraw draws at once. A control that is not on the screen may put the picture
  // off until it is next painted; PictureDeferred then marks the buffer as out of date.
  [[nodiscard]] virtual bool DrawsAtOnce() const { return true; }
  virtual void PictureDeferred() {}
  // A change that did not redraw (AutoRedraw off): the buffer no longer shows the state.
  virtual void PictureOutdated() {}
  // One picture into the buffer, without the copy onto the screen.
  void DrawPicture();
  void SetRotationCenter(const TXYZPoint& center) { FRotationCenter = center; }

 private:
  void RedrawIfAuto() {
    if (FProps.AutoRedraw) {
      Redraw();
    } else {
      PictureOutdated();
    }
  }
  // The store of every plain property setter: the value, then a redraw when AutoRedraw is on.
  template <typename T>
  void StoreAndRedraw(T& field, std::type_identity_t<T> value) {
    field = value;
    RedrawIfAuto();
  }
  void StoreAngles(double phi, double theta, double psi);
  // Changes the plot `plot_id`, if there is one, and redraws when AutoRedraw is on.
  bool ChangePlot(int plot_id, const std::function<void(T3DPlotListMember&)>& change);
  void CenterRotation();
  bool AfterPlotAdded(bool replaced);

  void DrawBackAxis();
  void DrawFrontAxis();
  void DrawCornerItems(int corner, bool planes);
  void DrawFaces(int corner, bool filled);
  void DrawXAxis();
  void DrawYAxis();
  void DrawZAxis();
  void DrawXZPlane();
  void DrawYZPlane();
  void DrawXYPlane();
  void DrawPlane(const std::array<int, 5>& corners);
  void DrawAxisLine(int to_corner, TColor color);
  void DrawXLabel();
  void DrawYLabel();
  void DrawZLabel();
  void DrawLabel(double value, TStringFloatFormat format, int precision, const TXYZPoint& anchor);
  void DrawOrigin();
  void DrawOnePlot(const T3DPlotListMember& member);
  void ProjectPoints(const T3DPlotListMember& member);
  // Adds the grid lines from point (i, j) to its neighbours in the next row and column.
  void DrawGrid(const T3DPlotListMember& member, int i, int j);
  void DrawPolygon(const T3DPlotListMember& member, int i, int j);
  void DrawMarker(std::size_t k);
  void DrawSurface(const T3DPlotListMember& member);

  // Storage of the properties.
  TPlotProperties FProps;
  double FPhi = 5.3;
  double FTheta = 0.0;
  double FPsi = 0.2;
  bool FShowLabels = false;
  TColor FColor = 0xF0F0F0;

  T3DPlotList FPlotList;
  std::array<TXYZPoint, 8> FBoxCorner;
  std::array<TXYZPoint, 4> FFloorCorner;
  int FFarFloorCorner = 0;
  int FNextFloorCorner = 1;
  int FFarCorner = 0;
  TXYZPoint FRotationCenter{0.5, 0.5, 0.5};
  double FProjXMax = 1.0;
  double FProjYMax = 1.0;
  double FProjXMin = 0.0;
  double FProjYMin = 0.0;
  int FLastX = 0;
  int FLastY = 0;
  TMouseAction FMouseAction;

  // Cosines and sines of the three angles, kept with them so a redraw computes them once.
  struct Rotation {
    double cos_phi, sin_phi, cos_theta, sin_theta, cos_psi, sin_psi;
  };
  Rotation FRotation{};
  struct Projection;
  [[nodiscard]] Projection CurrentProjection() const;
  // The pixels of the plot being drawn, reused from plot to plot and redraw to redraw.
  std::vector<POINT> FPixels;
  std::vector<std::uint8_t> FPixelValid;
  std::vector<POINT> FSegments;  // a grid's lines, drawn in one call
};
