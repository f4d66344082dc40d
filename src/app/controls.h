#pragma once

// Small helpers the windows share: texts between the logic's std::string and Qt, controls
// placed at the fixed pixel positions of their layouts, and the file dialogs.

#include <QFileDialog>
#include <QString>
#include <QStringList>

#include <optional>
#include <string>
#include <string_view>

class QLabel;
class QLineEdit;
class QWidget;

// A UTF-8 text of the logic as a Qt text.
[[nodiscard]] QString Text(std::string_view text);
// An edit box's text as UTF-8.
[[nodiscard]] std::string Text(const QLineEdit* edit);

// Names a control and puts it at its place in its parent.
template <typename Control>
Control* Place(Control* control, const char* name, int left, int top, int width, int height) {
  control->setObjectName(name);
  control->setGeometry(left, top, width, height);
  return control;
}

// A label sized to its caption at (left, top).
QLabel* PlaceLabel(QWidget* parent, const char* name, const char* caption, int left, int top);

// Shows a modal file dialog (never the platform's own, so it behaves alike everywhere) and
// returns the path chosen, or nothing on cancel. Names may be typed without an existing file.
[[nodiscard]] std::optional<QString> AskForFile(QWidget* parent, const QString& title,
                                                QFileDialog::AcceptMode mode, const QString& folder,
                                                const QStringList& filters, const QString& suffix,
                                                const QString& name = QString());
