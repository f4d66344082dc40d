#pragma once

#include <QMessageBox>
#include <QString>

#include <functional>
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
