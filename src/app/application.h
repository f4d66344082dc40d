#pragma once

#include "app/ui/handlers.h"

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

  // The application title: the standard error box's caption. Qt's application display name
  // stays unset, because Qt would append it to every window's title bar.
  [[nodiscard]] QString Title() const;
  void SetTitle(const QString& title);

  // The running application object; null while none exists or it is not an Application.
  [[nodiscard]] static Application* Instance();

 private:
  QString title_;
  // Settings the toolkit keeps for itself (the file dialogs' last folder and history) live
  // here for this run only: nothing persists between runs, and runs do not disturb each other.
  QTemporaryDir settingsFolder_;
};

// The error box's text: the message, with "." added when its last character sorts after ".".
[[nodiscard]] std::string StandardErrorText(const std::string& message);
