#pragma once

// Progress of a long file operation, run in blocks on the user-interface thread: a modal
// progress dialog naming the file appears once the work has taken longer than half a second,
// and the events it needs are processed between blocks. Being modal, it keeps every other
// window from the user until the work is done, so nothing the work reads can change under it.
// Short operations show nothing.

#include "image/safe_write.h"

#include <QElapsedTimer>
#include <QString>

#include <cstdint>
#include <memory>
#include <string>

class QProgressDialog;
class QWidget;

class FileProgress {
 public:
  static constexpr int kDelayMs = 500;

  // `action` starts the dialog's text ("Loading" the path); `cancellable` offers Cancel.
  FileProgress(QWidget* parent, const QString& action, const std::string& path, bool cancellable,
               int delayMs = kDelayMs);
  ~FileProgress();
  FileProgress(const FileProgress&) = delete;
  FileProgress& operator=(const FileProgress&) = delete;

  // After each block: shows the dialog once the delay has passed and moves it on. False once
  // the user cancelled.
  bool Step(std::uint64_t done, std::uint64_t total);

  [[nodiscard]] ReadProgress ForReading();
  [[nodiscard]] WriteProgress ForWriting();

  // The dialog once it was shown, else null.
  [[nodiscard]] QProgressDialog* Dialog() const { return dialog_.get(); }

 private:
  QWidget* parent_;
  QString text_;
  QString title_;
  bool cancellable_;
  int delayMs_;
  QElapsedTimer clock_;
  std::unique_ptr<QProgressDialog> dialog_;
};
