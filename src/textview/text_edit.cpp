#include "textview/text_edit.h"

#include "app/application.h"
#include "app/main_window.h"
#include "app/windows.h"

#include <QCloseEvent>

TTextEdit::TTextEdit() {
  setObjectName("TextEdit");
  setWindowTitle("TextEdit");
  resize(527, 352);
  move(305, 200);
}

void TTextEdit::FillGrid() {}

void TTextEdit::closeEvent(QCloseEvent* event) {
  // Closing goes through the main window's toggle, so its caption follows the window.
  RunHandler([] { Main->TextModeButtonClick(); });
  event->accept();
}
