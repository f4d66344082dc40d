#include "support/modal.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTimer>

std::vector<SeenBox> AnsweringBoxes(const std::function<void()>& action,
                                    QMessageBox::StandardButton answer) {
  std::vector<SeenBox> seen;
  QTimer watcher;
  watcher.setInterval(5);
  QObject::connect(&watcher, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) return;
    seen.push_back({box->windowTitle(), box->text(), box->icon(), box->standardButtons()});
    QAbstractButton* button = box->button(answer);
    if (button == nullptr && !box->buttons().isEmpty()) button = box->buttons().first();
    if (button != nullptr) button->click();
  });
  watcher.start();
  action();
  watcher.stop();
  return seen;
}
