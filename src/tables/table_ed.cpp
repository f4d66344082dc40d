#include "tables/table_ed.h"

#include "app/application.h"
#include "app/main_window.h"
#include "app/windows.h"

#include <QCloseEvent>
#include <QScreen>

TTableEd::TTableEd() {
  setObjectName("TableEd");
  setWindowTitle("Table Editor");
  resize(802, 601);
  setEnabled(false);
}

void TTableEd::AddTableFromCursor() {}

void TTableEd::ReadEcuFile(const std::string&) {}

void TTableEd::ClearLists() {}

void TTableEd::closeEvent(QCloseEvent* event) {
  // Closing goes through the main window's toggle, so its caption follows the window.
  RunHandler([] { Main->TableListButtonClick(); });
  event->accept();
}

void TTableEd::showEvent(QShowEvent* event) {
  // Centred on the screen when first shown; later the user's placement stays.
  if (const QScreen* display = screen(); display && !centred_) {
    centred_ = true;
    move(display->availableGeometry().center() - rect().center());
  }
  QWidget::showEvent(event);
}
