#pragma once

#include <QPointer>
#include <QStyledItemDelegate>

#include <functional>

class QEvent;
class QKeyEvent;

// The grid's in-place editor delegate: keys typed into the editor reach the window's key
// handler before the editor or the delegate's own handling sees them.
class TTextGridDelegate : public QStyledItemDelegate {
 public:
  // `keyPress` runs for every key typed into an editor; true consumes the key.
  using KeyHandler = std::function<bool(const QKeyEvent*)>;

  TTextGridDelegate(KeyHandler keyPress, QObject* parent);

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override;

  // The editor open now, if any.
  [[nodiscard]] QWidget* OpenEditor() const { return openEditor_; }

  // Stores the editor's text in its cell (when asked) and closes the editor.
  void Finish(QWidget* editor, bool keepTypedText);

 protected:
  bool eventFilter(QObject* object, QEvent* event) override;

 private:
  KeyHandler keyPress_;
  mutable QPointer<QWidget> openEditor_;
};

// Runs `keyPress` for a key press event, through RunHandler; true when it consumed the key.
[[nodiscard]] bool KeyConsumed(const TTextGridDelegate::KeyHandler& keyPress, QEvent* event);
