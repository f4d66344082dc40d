#pragma once

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

// Shows the standard error box: the message, the application title as caption, a stop icon, OK.
void ShowErrorBox(const std::string& message);

// Runs one handler; a failure escaping it ends the handler and is shown in the error box.
// Handlers run through this so no exception has to unwind through the toolkit's own frames.
template <typename Handler>
void RunHandler(Handler&& handler) noexcept {
  try {
    handler();
  } catch (const std::exception& failure) {
    ShowErrorBox(failure.what());
  } catch (...) {
    ShowErrorBox("Unknown failure");
  }
}

// Connects a signal to a handler method of `receiver`, run through RunHandler.
template <typename Sender, typename Signal, typename Receiver>
void ConnectHandler(Sender* sender, Signal signal, Receiver* receiver,
                    void (Receiver::*handler)()) {
  QObject::connect(sender, signal, receiver,
                   [receiver, handler] { RunHandler([&] { (receiver->*handler)(); }); });
}
