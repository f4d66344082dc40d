#pragma once

#include "image/entry_width.h"
#include "image/image_document.h"
#include "image/table_layout.h"
#include "textview/block_operations.h"

#include <QFont>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <tuple>

class QAction;
class QKeyEvent;
class QMenu;
class QRadioButton;
class QTableView;
class TFixedHeader;
class TGridCorner;
class TTextGridDelegate;
class TTextGridModel;
class TSession;

// The text view: the current table as a grid of numbers with address headers, edited in
// place. Enter stores the selected cell's text; plus and minus step its entry. Every change of
// the session's image reaches the grid through the document, whoever made it.
class TTextEdit : public QWidget, private TDocumentListener {
  Q_OBJECT

 public:
  explicit TTextEdit(TSession& session);
  ~TTextEdit() override;

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
  // The grid's context menu: the window's actions (Copy Table, Paste, Undo and Redo, the last
  // two enabled only when there is a step to take). The caller owns it through `parent`.
  QMenu* ContextMenu(QWidget* parent);

  // The window's commands, with their keys; they act while the grid or a mode button has the
  // focus and no value is being typed into a cell.
  QAction* CopyTableAction;
  QAction* PasteAction;
  QAction* UndoAction;
  QAction* RedoAction;
  // While comparing: the current cell moves to the next or previous entry that differs.
  QAction* NextDifferenceAction;
  QAction* PreviousDifferenceAction;

  void NextDifference();
  void PreviousDifference();

  // Block operations on the selected rectangle of cells, each one undoable step. Their keys
  // act only while more than one cell is selected and no value is being typed, so on one
  // cell every key types as before.
  QAction* SetValueAction;
  QAction* AddValueAction;
  QAction* MultiplyValueAction;
  QAction* InterpolateHorizontallyAction;
  QAction* InterpolateVerticallyAction;
  QAction* InterpolateBilinearAction;
  QAction* SmoothAction;
  QAction* RevertToComparedAction;

  void SetValue();
  void AddValue();
  void MultiplyValue();
  void InterpolateHorizontally();
  void InterpolateVertically();
  void InterpolateBilinear();
  void Smooth();
  void RevertToCompared();

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
  void DocumentChanged(const TDocumentChange& change) override;
  void DocumentReset() override;
  void DocumentSaved() override;

  QAction* AddAction(const char* name, const char* caption, const QList<QKeySequence>& keys,
                     void (TTextEdit::*handler)());
  void UpdateActions();
  QAction* AddBlockAction(const char* name, const char* caption, const char* key,
                          void (TTextEdit::*handler)());
  // The selected block in table rows and columns; nothing without a selection.
  [[nodiscard]] std::optional<TBlock> SelectedTableBlock() const;
  [[nodiscard]] bool BlockSelected() const;
  // Asks for an operand in a text dialog; nothing on Cancel.
  [[nodiscard]] std::optional<QString> AskOperand(const QString& title, const QString& label);
  // Plans a change of the selected block and applies it as one step, or shows why not.
  void RunBlockPlan(const std::function<TBlockPlan(std::span<const std::uint8_t>,
                                                   const TTableLayout&, TBlock)>& plan);
  void RunBlockOperation(TBlockOperation operation, double operand);
  void ShowInputError(const QString& text);
  void MoveToDifference(bool forward);
  // The action whose key this is, if any.
  [[nodiscard]] QAction* ActionOfKey(const QKeyEvent* key) const;
  void EnterKey();
  void StepSelectedEntry(std::int32_t step);
  // Shows where an undo or redo changed the image.
  void ShowHistoryStep(const TEditOutcome& outcome, const char* title);
  // Shows the cell again after an edit that did not change the image.
  void ShowUnchanged(const TEditOutcome& outcome, std::int32_t row, std::int32_t column,
                     const TTableLayout& table);
  [[nodiscard]] bool SelectedEntry(std::int32_t& row, std::int32_t& column) const;
  // The row-header column: 45 pixels while its addresses fit, wider when one does not.
  void FitRowHeaders();
  void CloseEditor(bool keepTypedText);
  // The current table at the main window's entry width, as an edit stores into it.
  [[nodiscard]] TTableLayout CurrentTable() const;
  // The same, bounded as the grid bounds it.
  [[nodiscard]] TTableLayout ShownTable() const;

  TSession& session_;
  QList<QAction*> blockActions_;
  TTextGridModel* model_;
  TTextGridDelegate* delegate_;
  TGridCorner* corner_;
  TFixedHeader* rowHeaders_;
  // What the row-header texts follow (table address, rows, columns, width) and the font, as
  // the column was last fitted to them.
  using HeaderKey = std::tuple<std::int32_t, int, std::int32_t, int>;
  std::optional<HeaderKey> measuredFor_;
  QFont measuredFont_;
};
