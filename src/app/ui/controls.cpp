#include "app/ui/controls.h"

#include <QLabel>
#include <QLineEdit>
#include <QStringDecoder>

#include <algorithm>

QString Text(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string Text(const QLineEdit* edit) { return edit->text().toStdString(); }

namespace {

bool IsUtf8(std::string_view bytes) {
  QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  [[maybe_unused]] const QString decoded =
      decoder.decode(QByteArrayView(bytes.data(), std::ssize(bytes)));
  return !decoder.hasError();
}

}  // namespace

QString FieldText(std::string_view bytes) {
  const auto size = static_cast<qsizetype>(bytes.size());
  return IsUtf8(bytes) ? QString::fromUtf8(bytes.data(), size)
                       : QString::fromLatin1(bytes.data(), size);
}

std::string FieldBytes(const QString& text, const std::string& previous) {
  if (IsUtf8(previous)) return text == Text(previous) ? previous : text.toStdString();
  if (text == QString::fromLatin1(previous.data(), std::ssize(previous))) return previous;
  const bool singleByte =
      std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() <= 0xFF; });
  return singleByte ? text.toLatin1().toStdString() : text.toStdString();
}

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
