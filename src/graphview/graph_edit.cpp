#include "graphview/graph_edit.h"

#include "app/application.h"
#include "app/main_window.h"
#include "app/windows.h"

#include <QCloseEvent>

TGraphEdit::TGraphEdit() {
  setObjectName("GraphEdit");
  setWindowTitle("GraphEdit");
  resize(828, 615);
  move(236, 283);
}

void TGraphEdit::PlotTable() {}

void TGraphEdit::closeEvent(QCloseEvent* event) {
  // Closing goes through the main window's toggle, so its caption follows the window.
  RunHandler([] { Main->GraphicsModeButtonClick(); });
  event->accept();
}
