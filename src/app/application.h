#pragma once

#include "app/handlers.h"

#include <QApplication>
#include <QTemporaryDir>

#include <exception>
#include <string>

// The program's application object. A failure escaping any event handler ends that handler
// and is shown in the standard error box; the event loop then goes on.
class Application : public QApplication {
  Q_OBJECT

 public:
  Application(int& argc, char** argv);

  bool notify(QObject* receiver, QEvent* event) override;

 private:
  // Settings the toolkit keeps for itself (the file dialogs' last folder and history) live
  // here for this run only: nothing persists between runs, and runs do not disturb each other.
  QTemporaryDir settingsFolder_;
};

// The error box's text: the message, with "." added when its last character sorts after ".".
[[nodiscard]] std::string StandardErrorText(const std::string& message);
