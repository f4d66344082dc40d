#include "textview/text_grid_delegate.h"

#include "app/handlers.h"

#include <QKeyEvent>

#include <utility>

TTextGridDelegate::TTextGridDelegate(KeyHandler keyPress, QObject* parent)
    : QStyledItemDelegate(parent), keyPress_(std::move(keyPress)) {}

QWidget* TTextGridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                         const QModelIndex& index) const {
  QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
  openEditor_ = editor;
  return editor;
}

void TTextGridDelegate::Finish(QWidget* editor, bool keepTypedText) {
  if (keepTypedText) emit commitData(editor);
  emit closeEditor(editor, QAbstractItemDelegate::NoHint);
  openEditor_ = nullptr;
}

bool TTextGridDelegate::eventFilter(QObject* object, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    bool consumed = false;
    RunHandler([&] { consumed = keyPress_(static_cast<QKeyEvent*>(event)); });
    if (consumed) return true;
  }
  return QStyledItemDelegate::eventFilter(object, event);
}
