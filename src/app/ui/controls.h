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

// A definition field's bytes as shown: UTF-8 when they are valid UTF-8, otherwise one
// character per byte (files from Windows tools hold single-byte texts such as "\xB0C").
[[nodiscard]] QString FieldText(std::string_view bytes);
// The bytes to store for a field shown as `previous` and now showing `text`: the previous
// bytes when the text is unchanged, so a field nobody edited keeps every byte; an edited
// single-byte field stays single-byte where its characters allow; otherwise UTF-8.
[[nodiscard]] std::string FieldBytes(const QString& text, const std::string& previous);

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
