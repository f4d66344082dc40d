#pragma once

#include "graphview/table_heights.h"
#include "image/image_document.h"

#include <QWidget>

#include <vector>

class QLabel;
class QPushButton;
class QStatusBar;
class TSession;
class TXYZPlot;

// The graph view: the current table as a 3D wire grid — table columns along X, rows along Y,
// the scaled entry values as heights — in a plot the user turns with the mouse. Every change
// of the session's image rebuilds the plot, shown or not.
class TGraphEdit : public QWidget, private TDocumentListener {
  Q_OBJECT

 public:
  explicit TGraphEdit(TSession& session);
  ~TGraphEdit() override;

  // Rebuilds the plot and the labels from the current table.
  void PlotTable();

  void FormResize();
  void CreateTableEntryClick();

  QWidget* Panel2;
  QLabel* CurrentTable;
  QLabel* TableAddress;
  QLabel* Rows;
  QLabel* Columns;
  QLabel* XLabel;
  QLabel* YLabel;
  QLabel* ZLabel;
  QPushButton* CreateTableEntry;
  QWidget* Panel1;
  TXYZPlot* XYZGraph;
  QStatusBar* StatusBar1;

  // The plot sizes its data block to the table up to this many rows and columns.
  static constexpr int kMaxSide = kPlotMaxSide;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void DocumentChanged(const TDocumentChange& change) override;
  void DocumentReset() override {}

  TSession& session_;
  std::vector<double> heights_;  // reused between refreshes
};
