#include "app/ui/file_progress.h"

#include "app/ui/controls.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QProgressDialog>

namespace {

constexpr int kSteps = 1000;

// A write cannot be stopped halfway: its dialog ignores Escape and the close button, so it
// stays up, modal, until the work is done.
class UnstoppableProgress : public QProgressDialog {
 public:
  using QProgressDialog::QProgressDialog;

 protected:
  void reject() override {}
  void closeEvent(QCloseEvent* event) override { event->ignore(); }
};

}  // namespace

FileProgress::FileProgress(QWidget* parent, const QString& action, const std::string& path,
                           bool cancellable, int delayMs)
    : parent_(parent),
      text_(action + " " + Text(path) + " ..."),
      title_(QFileInfo(Text(path)).fileName()),
      cancellable_(cancellable),
      delayMs_(delayMs) {
  clock_.start();
}

FileProgress::~FileProgress() = default;

bool FileProgress::Step(std::uint64_t done, std::uint64_t total) {
  if (!dialog_) {
    if (clock_.elapsed() < delayMs_) return true;
    if (cancellable_) {
      dialog_ = std::make_unique<QProgressDialog>(text_, "Cancel", 0, kSteps, parent_);
    } else {
      dialog_ = std::make_unique<UnstoppableProgress>(text_, QString(), 0, kSteps, parent_);
    }
    dialog_->setObjectName("FileProgress");
    dialog_->setWindowTitle(title_);
    dialog_->setWindowModality(Qt::ApplicationModal);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    dialog_->setMinimumDuration(0);
    dialog_->show();
  }
  dialog_->setValue(total == 0 ? kSteps : static_cast<int>(done * kSteps / total));
  QCoreApplication::processEvents();
  return !dialog_->wasCanceled();
}

ReadProgress FileProgress::ForReading() {
  return [this](std::uint64_t done, std::uint64_t total) { return Step(done, total); };
}

WriteProgress FileProgress::ForWriting() {
  return [this](std::uint64_t done, std::uint64_t total) { (void)Step(done, total); };
}
