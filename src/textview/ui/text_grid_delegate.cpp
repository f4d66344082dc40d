#include "textview/ui/text_grid_delegate.h"

#include "app/ui/handlers.h"

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

bool KeyConsumed(const TTextGridDelegate::KeyHandler& keyPress, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  bool consumed = false;
  RunHandler([&] { consumed = keyPress(static_cast<QKeyEvent*>(event)); });
  return consumed;
}

bool TTextGridDelegate::eventFilter(QObject* object, QEvent* event) {
  return KeyConsumed(keyPress_, event) || QStyledItemDelegate::eventFilter(object, event);
}
