#include "app/controls.h"

#include <QLabel>
#include <QLineEdit>

QString Text(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string Text(const QLineEdit* edit) { return edit->text().toStdString(); }

QLabel* PlaceLabel(QWidget* parent, const char* name, const char* caption, int left, int top) {
  auto* label = new QLabel(caption, parent);
  label->setObjectName(name);
  label->adjustSize();
  label->move(left, top);
  return label;
}

std::optional<QString> AskForFile(QWidget* parent, const QString& title,
                                  QFileDialog::AcceptMode mode, const QString& folder,
                                  const QStringList& filters, const QString& suffix,
                                  const QString& name) {
  QFileDialog dialog(parent, title, folder);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  dialog.setAcceptMode(mode);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilters(filters);
  dialog.setDefaultSuffix(suffix);
  if (!name.isEmpty()) dialog.selectFile(name);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first();
}
