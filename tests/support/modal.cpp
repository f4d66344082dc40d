#include "support/modal.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
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

ModalScript& ModalScript::ChooseFile(const QString& path) {
  answers_.push_back({path, QMessageBox::NoButton});
  return *this;
}

ModalScript& ModalScript::CancelDialog() {
  answers_.push_back({QString(), QMessageBox::NoButton});
  return *this;
}

ModalScript& ModalScript::Press(QMessageBox::StandardButton button) {
  answers_.push_back({QString(), button});
  return *this;
}

std::vector<SeenModal> ModalScript::Run(const std::function<void()>& action) {
  std::vector<SeenModal> seen;
  std::size_t next = 0;
  QTimer watcher;
  watcher.setInterval(5);
  QObject::connect(&watcher, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || !modal->isVisible()) return;
    const Answer answer = next < answers_.size() ? answers_[next] : Answer{};
    if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
      // A dialog that stays open after its answer (a folder was chosen) is cancelled.
      if (dialog->property("answered").toBool()) {
        dialog->reject();
        return;
      }
      auto* nameBox = dialog->findChild<QLineEdit*>("fileNameEdit");
      seen.push_back({true,
                      dialog->windowTitle(),
                      {},
                      QMessageBox::NoIcon,
                      {},
                      dialog->nameFilters(),
                      dialog->defaultSuffix(),
                      nameBox ? nameBox->text() : QString(),
                      static_cast<int>(dialog->acceptMode())});
      ++next;
      dialog->setProperty("answered", true);
      if (answer.path.isEmpty()) {
        dialog->reject();
      } else {
        // selectFile() clears any selection in the file list, but leaves a focused name box
        // alone, and whether the box has the focus yet depends on when the window was
        // activated: so the path is also typed into the box, as a user would.
        dialog->selectFile(answer.path);
        if (nameBox != nullptr) nameBox->setText(answer.path);
        static_cast<QDialog*>(dialog)->accept();
      }
    } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      seen.push_back({false,
                      box->windowTitle(),
                      box->text(),
                      box->icon(),
                      box->standardButtons(),
                      {},
                      {},
                      {},
                      0});
      ++next;
      QAbstractButton* button =
          answer.button != QMessageBox::NoButton ? box->button(answer.button) : nullptr;
      if (button == nullptr && !box->buttons().isEmpty()) button = box->buttons().first();
      if (button != nullptr) button->click();
    }
  });
  watcher.start();
  action();
  watcher.stop();
  return seen;
}

std::string Describe(const std::vector<SeenModal>& seen) {
  std::string text;
  for (const SeenModal& modal : seen) {
    text += "[" + modal.title.toStdString() + ": " + modal.text.toStdString() + "] ";
  }
  return text;
}
