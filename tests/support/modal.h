#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <functional>
#include <string>
#include <vector>

// What a modal message box showed.
struct SeenBox {
  QString title;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons;
};

// Runs `action`; every modal message box that opens meanwhile is recorded and answered with
// `answer` (or its only button when it lacks that one). Returns the boxes in order.
std::vector<SeenBox> AnsweringBoxes(const std::function<void()>& action,
                                    QMessageBox::StandardButton answer = QMessageBox::Ok);

// What a modal window showed: a message box or a file dialog.
struct SeenModal {
  bool fileDialog = false;
  QString title;
  // Message boxes.
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons;
  // File dialogs.
  QStringList nameFilters;
  QString defaultSuffix;
  QString typedName;  // the file name box's text when the dialog opened
  int acceptMode = 0;
};

// "title: text" of each window seen, for failure messages.
std::string Describe(const std::vector<SeenModal>& seen);

// Answers the modal windows that open while an action runs, in order: a file dialog gets a
// path (or a cancel), a message box a button. Windows beyond the script are cancelled
// (dialogs) or closed with their first button (boxes). Every window seen is recorded.
class ModalScript {
 public:
  ModalScript& ChooseFile(const QString& path);
  ModalScript& CancelDialog();
  ModalScript& Press(QMessageBox::StandardButton button);

  std::vector<SeenModal> Run(const std::function<void()>& action);

 private:
  struct Answer {
    QString path;  // for a file dialog; empty cancels
    QMessageBox::StandardButton button = QMessageBox::NoButton;
  };
  std::vector<Answer> answers_;
};
