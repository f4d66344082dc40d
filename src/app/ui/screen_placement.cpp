#include "app/ui/screen_placement.h"

#include "app/screen_fit.h"

#include <QGuiApplication>
#include <QMargins>
#include <QRect>
#include <QScreen>
#include <QTimerEvent>
#include <QWidget>

#include <chrono>

namespace {

constexpr char kFrameWatcherName[] = "ScreenPlacementFrameWatcher";

QMargins FrameMargins(const QWidget* window) {
  const QRect frame = window->frameGeometry();
  const QRect client = window->geometry();
  return {client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
          frame.bottom() - client.bottom()};
}

ScreenArea AreaOf(const QRect& rect) { return {rect.x(), rect.y(), rect.width(), rect.height()}; }

void FitOnItsScreen(QWidget* window) {
  const QScreen* screen = QGuiApplication::screenAt(window->frameGeometry().center());
  if (screen == nullptr) screen = window->screen();
  if (screen != nullptr) FitWindowInside(window, screen->availableGeometry());
}

// Fits a window once more when the window manager's frame around it becomes known. The frame
// comes with no event of its own (the window need not move), so its margins are looked at a
// few times a second for a little while after the window is shown.
class FrameWatcher : public QObject {
 public:
  explicit FrameWatcher(QWidget* window) : QObject(window), window_(window) {
    setObjectName(kFrameWatcherName);
    startTimer(kInterval);
  }

 protected:
  void timerEvent(QTimerEvent* event) override {
    const bool framed = !FrameMargins(window_).isNull();
    if (framed) FitOnItsScreen(window_);
    if (framed || ++ticks_ >= kTicks || !window_->isVisible()) {
      killTimer(event->timerId());
      deleteLater();
    }
  }

 private:
  static constexpr std::chrono::milliseconds kInterval{50};
  static constexpr int kTicks = 40;
  QWidget* window_;
  int ticks_ = 0;
};

}  // namespace

bool HasWindowFrames() {
  const QString platform = QGuiApplication::platformName();
  return platform != "offscreen" && platform != "minimal";
}

void FitWindowInside(QWidget* window, const QRect& available) {
  const QMargins frame = FrameMargins(window);
  const int frameWidth = frame.left() + frame.right();
  const int frameHeight = frame.top() + frame.bottom();
  const ScreenArea room = AreaOf(available);

  // The size first (a fixed-size window keeps its own), then the place for the size it took.
  const ScreenArea sized = FitInside(AreaOf(window->frameGeometry()), room);
  if (sized.width != window->frameGeometry().width() ||
      sized.height != window->frameGeometry().height()) {
    window->resize(sized.width - frameWidth, sized.height - frameHeight);
  }
  const QRect outer(window->pos(), window->size().grownBy(frame));
  const ScreenArea placed = FitInside(AreaOf(outer), room);
  if (placed.left != outer.left() || placed.top != outer.top()) {
    window->move(placed.left, placed.top);
  }
}

void ShowOnScreen(QWidget* window) {
  if (!HasWindowFrames()) {
    window->show();
    return;
  }
  // Before showing, with the frame the window had when last shown, if any; after, for a
  // window that placed itself while being shown.
  FitOnItsScreen(window);
  window->show();
  FitOnItsScreen(window);
  const bool framed =
      !FrameMargins(window).isNull() || window->windowFlags().testFlag(Qt::FramelessWindowHint);
  if (!framed &&
      window->findChild<QObject*>(kFrameWatcherName, Qt::FindDirectChildrenOnly) == nullptr) {
    new FrameWatcher(window);
  }
}
