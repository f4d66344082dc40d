#pragma once

// Running the windows' handlers: a failure escaping a handler ends it and is shown in the
// application's standard error box, and the event loop goes on.

#include <QObject>

#include <exception>
#include <string>

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
