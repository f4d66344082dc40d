#pragma once

#include <QWidget>

// The graph view: the current table as a 3D wire grid.
class TGraphEdit : public QWidget {
  Q_OBJECT

 public:
  TGraphEdit();

  // Rebuilds the plot from the current table; the plot itself arrives with the graph view.
  void PlotTable();

 protected:
  void closeEvent(QCloseEvent* event) override;
};
