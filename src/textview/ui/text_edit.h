#pragma once

#include "app/shared_state.h"
#include "image/entry_width.h"

#include <QWidget>

#include <cstdint>

class QKeyEvent;
class QMenu;
class QRadioButton;
class QTableView;
class TGridCorner;
class TTextGridDelegate;
class TTextGridModel;

// The text view: the current table as a grid of numbers with address headers, edited in
// place. Enter stores the selected cell's text; plus and minus step its entry.
class TTextEdit : public QWidget {
  Q_OBJECT

 public:
  TTextEdit();

  // Sizes the grid for the current table and renders every header and cell.
  void FillGrid();
  // Renders the one cell of table entry (row, column) again from the image.
  void FillCell(std::int32_t row, std::int32_t column, EntryWidth width);

  // Take back the last change of the image's bytes, or write the last undone one again, and
  // show the result as an edit does; nothing happens when there is no such step.
  void UndoEdit();
  void RedoEdit();

  // The whole table to the clipboard as tab-separated text, cells as the grid shows them
  // (raw decimal in Scaled mode); the clipboard's text pasted as a block from the selected
  // cell as one undoable step, or refused whole with a box.
  void CopyTable();
  void PasteBlock();
  // The grid's context menu: Copy Table, Paste, Undo and Redo, the last two enabled only
  // when there is a step to take. The caller owns it through `parent`.
  QMenu* ContextMenu(QWidget* parent);

  void ViewAsHexClick();
  void FormResize();

  // Runs before the grid or its in-place editor sees a key; true when the key is consumed.
  bool TextGridKeyPress(const QKeyEvent* key);

  QWidget* Panel2;
  QRadioButton* Raw;
  QRadioButton* Hex;
  QRadioButton* Scaled;
  QWidget* Panel1;
  QTableView* TextGrid;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void EnterKey();
  void StepSelectedEntry(std::int32_t step);
  [[nodiscard]] bool SelectedEntry(std::int32_t& row, std::int32_t& column) const;
  void CloseEditor(bool keepTypedText);
  void RefreshAfterHistoryStep();
  // The current table bounded as the grid bounds it.
  [[nodiscard]] static TTableCursor ShownTable();

  TTextGridModel* model_;
  TTextGridDelegate* delegate_;
  TGridCorner* corner_;
};
