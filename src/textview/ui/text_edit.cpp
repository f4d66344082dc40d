#include "textview/ui/text_edit.h"

#include "app/number_text.h"
#include "app/session.h"
#include "app/ui/controls.h"
#include "app/ui/handlers.h"
#include "app/ui/main_window.h"
#include "app/ui/screen_placement.h"
#include "app/ui/windows.h"
#include "image/document_entries.h"
#include "textview/entry_edit.h"
#include "textview/table_clipboard.h"
#include "textview/ui/text_grid.h"
#include "textview/ui/text_grid_delegate.h"
#include "textview/ui/text_grid_headers.h"
#include "textview/ui/text_grid_model.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyleFactory>
#include <QTableView>

#include <algorithm>
#include <variant>

namespace {

constexpr int kPanel2Height = 33;
constexpr int kRowHeight = 16;
constexpr int kHeaderColumnWidth = 45;

QRadioButton* ModeButton(QWidget* parent, const char* name, const char* caption, int left,
                         int width) {
  auto* button = new QRadioButton(caption, parent);
  button->setObjectName(name);
  button->setGeometry(left, 8, width, 17);
  return button;
}

bool IsEnter(const QKeyEvent* key) {
  return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->text() == "\r";
}

}  // namespace

TTextEdit::TTextEdit(TSession& session) : session_(session) {
  setObjectName("TextEdit");
  setWindowTitle("TextEdit");

  Panel2 = new QWidget(this);
  Panel2->setObjectName("Panel2");
  Raw = ModeButton(Panel2, "Raw", "Raw (Decimal)", 16, 100);
  Hex = ModeButton(Panel2, "Hex", "Raw (Hexadecimal)", 120, 124);
  Scaled = ModeButton(Panel2, "Scaled", "Scaled", 248, 80);
  Raw->setChecked(true);

  Panel1 = new QWidget(this);
  Panel1->setObjectName("Panel1");
  model_ = new TTextGridModel(session_, this);
  TextGrid = new TTextGrid(model_, Panel1);
  TextGrid->setObjectName("TextGrid");
  delegate_ = new TTextGridDelegate([this](const QKeyEvent* key) { return TextGridKeyPress(key); },
                                    TextGrid);
  TextGrid->setItemDelegate(delegate_);
  TextGrid->setSelectionMode(QAbstractItemView::ContiguousSelection);
  TextGrid->setSelectionBehavior(QAbstractItemView::SelectItems);
  TextGrid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::AnyKeyPressed);
  TextGrid->setCornerButtonEnabled(false);
  // Plain scroll bars: the default style's shaded ones cost a third of a full refresh's paint.
  if (QStyle* plain = QStyleFactory::create("Windows")) {
    plain->setParent(TextGrid);
    TextGrid->horizontalScrollBar()->setStyle(plain);
    TextGrid->verticalScrollBar()->setStyle(plain);
  }
  TextGrid->setWordWrap(false);

  // The header row and column: fixed sizes, frozen while the table scrolls.
  TextGrid->setHorizontalHeader(new TFixedHeader(Qt::Horizontal, kRowHeight + 1, TextGrid));
  rowHeaders_ = new TFixedHeader(Qt::Vertical, kHeaderColumnWidth, TextGrid);
  rowHeaders_->setDefaultSectionSize(kRowHeight);
  TextGrid->setVerticalHeader(rowHeaders_);
  corner_ = new TGridCorner(TextGrid);
  TextGrid->setRowHidden(0, true);
  TextGrid->setColumnHidden(0, true);

  TextGrid->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(TextGrid, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    RunHandler([&] {
      QMenu* menu = ContextMenu(this);
      menu->setAttribute(Qt::WA_DeleteOnClose);
      menu->popup(TextGrid->viewport()->mapToGlobal(at));
    });
  });
  TextGrid->installEventFilter(this);
  for (QRadioButton* mode : {Raw, Hex, Scaled}) {
    mode->installEventFilter(this);  // the window sees every key first
    ConnectHandler(mode, &QRadioButton::clicked, this, &TTextEdit::ViewAsHexClick);
  }

  CopyTableAction = AddAction("CopyTable", "Copy Table", {QKeySequence(Qt::CTRL | Qt::Key_C)},
                              &TTextEdit::CopyTable);
  PasteAction =
      AddAction("Paste", "Paste", {QKeySequence(Qt::CTRL | Qt::Key_V)}, &TTextEdit::PasteBlock);
  UndoAction =
      AddAction("Undo", "Undo", {QKeySequence(Qt::CTRL | Qt::Key_Z)}, &TTextEdit::UndoEdit);
  RedoAction = AddAction(
      "Redo", "Redo",
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)},
      &TTextEdit::RedoEdit);
  NextDifferenceAction = AddAction("NextDifference", "Next Difference", {QKeySequence(Qt::Key_F3)},
                                   &TTextEdit::NextDifference);
  PreviousDifferenceAction =
      AddAction("PreviousDifference", "Previous Difference", {QKeySequence(Qt::SHIFT | Qt::Key_F3)},
                &TTextEdit::PreviousDifference);
  SetValueAction = AddBlockAction("SetValue", "Set Value…", "=", &TTextEdit::SetValue);
  AddValueAction = AddBlockAction("AddValue", "Add Value…", "A", &TTextEdit::AddValue);
  MultiplyValueAction =
      AddBlockAction("MultiplyValue", "Multiply…", "*", &TTextEdit::MultiplyValue);
  InterpolateHorizontallyAction =
      AddBlockAction("InterpolateHorizontally", "Interpolate Horizontally", "H",
                     &TTextEdit::InterpolateHorizontally);
  InterpolateVerticallyAction = AddBlockAction("InterpolateVertically", "Interpolate Vertically",
                                               "V", &TTextEdit::InterpolateVertically);
  InterpolateBilinearAction = AddBlockAction("InterpolateBilinear", "Interpolate Bilinear", "B",
                                             &TTextEdit::InterpolateBilinear);
  SmoothAction = AddBlockAction("Smooth", "Smooth", "S", &TTextEdit::Smooth);
  RevertToComparedAction =
      AddBlockAction("RevertToCompared", "Revert to Compared", "R", &TTextEdit::RevertToCompared);
  UpdateActions();
  session_.Document().AddListener(*this);

  resize(527, 352);
  move(305, 200);
  FormResize();
}

TTextEdit::~TTextEdit() { session_.Document().RemoveListener(*this); }

QAction* TTextEdit::AddAction(const char* name, const char* caption,
                              const QList<QKeySequence>& keys, void (TTextEdit::*handler)()) {
  auto* action = new QAction(caption, this);
  action->setObjectName(name);
  action->setShortcuts(keys);
  // Only while the grid or a mode button has the focus: keys typed into a cell's in-place
  // editor act on its text.
  action->setShortcutContext(Qt::WidgetShortcut);
  for (QWidget* target : std::initializer_list<QWidget*>{TextGrid, Raw, Hex, Scaled}) {
    target->addAction(action);
  }
  ConnectHandler(action, &QAction::triggered, this, handler);
  return action;
}

QAction* TTextEdit::ActionOfKey(const QKeyEvent* key) const {
  const Qt::KeyboardModifiers modifiers =
      key->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
  const QKeySequence pressed(QKeyCombination(modifiers, static_cast<Qt::Key>(key->key())));
  for (QAction* action : TextGrid->actions()) {
    if (action->shortcuts().contains(pressed)) return action;
  }
  return nullptr;
}

QAction* TTextEdit::AddBlockAction(const char* name, const char* caption, const char* key,
                                   void (TTextEdit::*handler)()) {
  // Not a shortcut of any widget: the key handler triggers it only while a block is selected.
  auto* action = new QAction(caption, this);
  action->setObjectName(name);
  action->setShortcut(QKeySequence(key));
  action->setToolTip(QString(caption).remove("…") +
                     ": results are held to the entry's range, not wrapped");
  ConnectHandler(action, &QAction::triggered, this, handler);
  blockActions_.append(action);
  return action;
}

std::optional<TBlock> TTextEdit::SelectedTableBlock() const {
  const QRect block = static_cast<const TTextGrid*>(TextGrid)->SelectedBlock();
  if (block.isEmpty()) {
    std::int32_t row = 0;
    std::int32_t column = 0;
    if (!SelectedEntry(row, column)) return std::nullopt;
    return TBlock{row, column, row, column};
  }
  return TBlock{block.top() - 1, block.left() - 1, block.bottom() - 1, block.right() - 1};
}

bool TTextEdit::BlockSelected() const {
  const std::optional<TBlock> block = SelectedTableBlock();
  return block && (block->bottom > block->top || block->right > block->left);
}

std::optional<QString> TTextEdit::AskOperand(const QString& title, const QString& label) {
  QInputDialog dialog(this);
  dialog.setInputMode(QInputDialog::TextInput);
  dialog.setWindowTitle(title);
  dialog.setLabelText(label);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.textValue();
}

void TTextEdit::ShowInputError(const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, "Input Error", text, QMessageBox::Ok, this);
  box.exec();
}

void TTextEdit::RunBlockPlan(const std::function<TBlockPlan(std::span<const std::uint8_t>,
                                                            const TTableLayout&, TBlock)>& plan) {
  CloseEditor(false);
  const std::optional<TBlock> block = SelectedTableBlock();
  if (!block) return;
  const TTableLayout table = ShownTable();
  const TBlockPlan planned = plan(session_.Document().Bytes(), table, *block);
  if (!planned.refusal) {
    (void)session_.Document().Apply(planned.edit);  // the views follow through the document
    return;
  }
  QMessageBox box(QMessageBox::NoIcon, "Block Error",
                  Text(BlockRefusalText(*planned.refusal, table.Rows, table.Columns)),
                  QMessageBox::Ok, this);
  box.exec();
}

void TTextEdit::RunBlockOperation(TBlockOperation operation, double operand) {
  RunBlockPlan([&](std::span<const std::uint8_t> image, const TTableLayout& table, TBlock block) {
    return PlanBlockOperation(image, table, block, operation, operand);
  });
}

void TTextEdit::SetValue() {
  const std::optional<QString> text =
      AskOperand("Set Value", "Value for every entry of the block (held to the entry's range):");
  if (!text) return;
  const std::optional<std::int64_t> value = ParseBlockInteger(text->toStdString());
  if (!value) return ShowInputError(Text(kBadValueText));
  RunBlockOperation(TBlockOperation::Set, static_cast<double>(*value));
}

void TTextEdit::AddValue() {
  const std::optional<QString> text = AskOperand(
      "Add Value", "Amount to add, may be negative (results are held to the entry's range):");
  if (!text) return;
  const std::optional<std::int64_t> value = ParseBlockInteger(text->toStdString());
  if (!value) return ShowInputError(Text(kBadValueText));
  RunBlockOperation(TBlockOperation::Add, static_cast<double>(*value));
}

void TTextEdit::MultiplyValue() {
  const std::optional<QString> text =
      AskOperand("Multiply",
                 "Factor, with '.' as separator, e.g. 1.05 (results are held to the entry's "
                 "range):");
  if (!text) return;
  const std::optional<double> factor = ParseFactor(text->toStdString());
  if (!factor) return ShowInputError("Bad factor. Must be a decimal number with '.', e.g. 1.05");
  RunBlockOperation(TBlockOperation::Multiply, *factor);
}

void TTextEdit::InterpolateHorizontally() {
  RunBlockOperation(TBlockOperation::InterpolateHorizontally, 0);
}

void TTextEdit::InterpolateVertically() {
  RunBlockOperation(TBlockOperation::InterpolateVertically, 0);
}

void TTextEdit::InterpolateBilinear() {
  RunBlockOperation(TBlockOperation::InterpolateBilinear, 0);
}

void TTextEdit::Smooth() { RunBlockOperation(TBlockOperation::Smooth, 0); }

void TTextEdit::RevertToCompared() {
  const std::optional<TComparedImage>& compared = session_.Compared();
  if (!compared) return;
  RunBlockPlan([&](std::span<const std::uint8_t> image, const TTableLayout& table, TBlock block) {
    return PlanRevert(image, compared->Bytes, table, block);
  });
}

void TTextEdit::UpdateActions() {
  UndoAction->setEnabled(session_.Document().CanUndo());
  RedoAction->setEnabled(session_.Document().CanRedo());
  for (QAction* action : {NextDifferenceAction, PreviousDifferenceAction, RevertToComparedAction}) {
    action->setEnabled(session_.Compared().has_value());
  }
}

void TTextEdit::NextDifference() { MoveToDifference(true); }

void TTextEdit::PreviousDifference() { MoveToDifference(false); }

void TTextEdit::MoveToDifference(bool forward) {
  const std::optional<TComparedImage>& compared = session_.Compared();
  if (!compared) return;
  std::int32_t row = 0;
  std::int32_t column = -1;
  if (!SelectedEntry(row, column) && !forward) return;
  const std::optional<TEntryCell> next = ::NextDifference(
      session_.Document().Bytes(), compared->Bytes, model_->layout().table, {row, column}, forward);
  if (!next || next->row >= TTextGridModel::kMaxSide || next->column >= TTextGridModel::kMaxSide) {
    return;
  }
  CloseEditor(false);
  const QModelIndex cell = model_->index(next->row + 1, next->column + 1);
  TextGrid->setCurrentIndex(cell);
  TextGrid->scrollTo(cell);
}

void TTextEdit::FillGrid() {
  UpdateActions();  // a comparison may have begun or ended
  Main->ReadTableSize();
  TTextGridModel::Layout layout;
  const CursorInputs inputs = Main->CurrentInputs();
  layout.table = LayoutOf(session_.Cursor(), inputs.EntryWidth);
  layout.tableAddress = ParseInteger(inputs.TableAddress);
  layout.mode = Hex->isChecked()   ? DisplayMode::Hex
                : Raw->isChecked() ? DisplayMode::Raw
                                   : DisplayMode::Scaled;
  if (delegate_->OpenEditor() != nullptr) CloseEditor(false);
  const bool reset = model_->Refresh(layout);

  // A reset brings the header row and column back into the table; keep them as headers.
  if (reset) {
    TextGrid->setRowHidden(0, true);
    TextGrid->setColumnHidden(0, true);
  }
  QHeaderView* columnHeaders = TextGrid->horizontalHeader();
  if (const int columnWidth = layout.table.Width() * 20 + 10;
      reset || columnHeaders->defaultSectionSize() != columnWidth) {
    columnHeaders->setDefaultSectionSize(columnWidth);
  }
  corner_->SetText(model_->CellText(0, 0));
  FitRowHeaders();
  const QModelIndex current = TextGrid->currentIndex();
  if (!current.isValid() || current.row() == 0 || current.column() == 0) {
    TextGrid->setCurrentIndex(model_->index(1, 1));
  }
}

void TTextEdit::FitRowHeaders() {
  // Measured again only when what the header texts follow or the font changes: measuring
  // costs a refresh dearly.
  const int rows = model_->rowCount() - 1;
  const TTextGridModel::Layout& layout = model_->layout();
  const HeaderKey key{layout.tableAddress, rows, layout.table.Columns, layout.table.Width()};
  if (key == measuredFor_ && rowHeaders_->font() == measuredFont_) return;
  measuredFor_ = key;
  measuredFont_ = rowHeaders_->font();

  // The widest address is the first or the last row's, or, when the addresses wrap past
  // 0xFFFFFFFF, one of eight digits; the corner shows the table address.
  QStringList texts = {model_->CellText(0, 0)};
  if (rows > 0) {
    const QString first = model_->CellText(1, 0);
    const QString last = model_->CellText(rows, 0);
    texts << first << last;
    if (last.size() < first.size() || (last.size() == first.size() && last < first)) {
      texts << "0xFFFFFFFF";
    }
  }
  const QFontMetrics metrics(rowHeaders_->font());
  int widest = 0;
  for (const QString& text : texts) widest = std::max(widest, metrics.horizontalAdvance(text));
  const int margins = 2 * (style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, rowHeaders_) + 1);
  const int width = std::max(kHeaderColumnWidth, widest + margins);
  if (width == rowHeaders_->Thickness()) return;
  rowHeaders_->SetThickness(width);
  FormResize();
}

void TTextEdit::FillCell(std::int32_t row, std::int32_t column, EntryWidth width) {
  model_->RenderCell(row, column, LayoutOf(session_.Cursor(), width));
}

void TTextEdit::ViewAsHexClick() { FillGrid(); }

void TTextEdit::FormResize() {
  Panel2->setGeometry(0, 0, width(), kPanel2Height);
  Panel1->setGeometry(0, kPanel2Height, width(), std::max(0, height() - kPanel2Height));
  // The grid is 26 pixels narrower and 83 pixels lower than the window's outer size (its
  // frame included, where the platform draws one), within Panel1.
  const QSize outer = HasWindowFrames() ? frameGeometry().size() : size();
  TextGrid->setGeometry(0, 0, std::clamp(outer.width() - 26, 0, Panel1->width()),
                        std::clamp(outer.height() - 83, 0, Panel1->height()));
  const int frame = TextGrid->frameWidth();
  corner_->setGeometry(frame, frame, rowHeaders_->Thickness(), kRowHeight + 1);
}

void TTextEdit::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  FormResize();
}

void TTextEdit::moveEvent(QMoveEvent* event) {
  // The window manager's frame arrives as a move after the window is shown.
  QWidget::moveEvent(event);
  FormResize();
}

void TTextEdit::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  TextGrid->setFocus(Qt::OtherFocusReason);  // typing goes to the grid at once
}

bool TTextEdit::eventFilter(QObject* watched, QEvent* event) {
  // The window sees every key of the grid and the mode buttons first.
  return KeyConsumed([this](const QKeyEvent* key) { return TextGridKeyPress(key); }, event) ||
         QWidget::eventFilter(watched, event);
}

bool TTextEdit::TextGridKeyPress(const QKeyEvent* key) {
  if (IsEnter(key)) {
    EnterKey();
    // An open editor was closed here; the key must not reach it and commit its text again.
    return true;
  }
  // The keys of the window's actions, while no value is being typed into a cell. The
  // shortcuts do the same where the toolkit delivers them; this also serves a key sent
  // straight to the grid of a window that is not the active one.
  if (delegate_->OpenEditor() == nullptr) {
    if (QAction* action = ActionOfKey(key)) {
      if (action->isEnabled()) action->trigger();
      return true;
    }
    // A block action's key, only while a block is selected: on one cell it types as before.
    const bool plain = !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (plain && !key->text().isEmpty() && BlockSelected()) {
      for (QAction* action : blockActions_) {
        if (action->shortcut().toString().compare(key->text(), Qt::CaseInsensitive) == 0) {
          if (action->isEnabled()) action->trigger();
          return true;
        }
      }
    }
  }
  if (key->text() == "+") {
    StepSelectedEntry(1);
    return true;
  }
  if (key->text() == "-") {
    StepSelectedEntry(-1);
    return true;
  }
  return false;
}

bool TTextEdit::SelectedEntry(std::int32_t& row, std::int32_t& column) const {
  const QModelIndex current = TextGrid->currentIndex();
  if (!current.isValid() || current.row() == 0 || current.column() == 0) return false;
  row = current.row() - 1;
  column = current.column() - 1;
  return true;
}

void TTextEdit::CloseEditor(bool keepTypedText) {
  if (QWidget* editor = delegate_->OpenEditor()) delegate_->Finish(editor, keepTypedText);
}

void TTextEdit::EnterKey() {
  CloseEditor(true);
  std::int32_t row = 0;
  std::int32_t column = 0;
  if (!SelectedEntry(row, column)) return;
  const TTableLayout table = CurrentTable();
  // An entry outside the image is never written; its cell simply shows empty again.
  const EntryEdit edit = PlanTextEdit(session_.Document().Bytes(), table, row, column,
                                      model_->CellText(row + 1, column + 1).toStdString());
  if (const auto* rejected = std::get_if<EntryRejected>(&edit)) {
    QMessageBox box(QMessageBox::NoIcon, "Input Error", Text(rejected->Message), QMessageBox::Ok,
                    this);
    box.exec();
  }
  ShowUnchanged(ApplyEntryEdit(session_.Document(), edit, table.Type), row, column, table);
}

void TTextEdit::StepSelectedEntry(std::int32_t step) {
  if (BlockSelected()) {
    // Every entry of the block, wrapping as for one cell, as one step.
    RunBlockOperation(step > 0 ? TBlockOperation::StepUp : TBlockOperation::StepDown, 0);
    return;
  }
  // Any text being typed gives way to the stepped value.
  CloseEditor(false);
  std::int32_t row = 0;
  std::int32_t column = 0;
  if (!SelectedEntry(row, column)) return;
  const TTableLayout table = CurrentTable();
  const EntryEdit edit = PlanStep(session_.Document().Bytes(), table, row, column, step);
  ShowUnchanged(ApplyEntryEdit(session_.Document(), edit, table.Type), row, column, table);
}

void TTextEdit::ShowUnchanged(const TEditOutcome& outcome, std::int32_t row, std::int32_t column,
                              const TTableLayout& table) {
  // A change reaches every view through the document; the cell still shows the image's value
  // in place of a refused or typed text when nothing changed.
  if (!outcome.Applied()) model_->RenderCell(row, column, table);
}

void TTextEdit::UndoEdit() { ShowHistoryStep(session_.Document().Undo(), "Undo"); }

void TTextEdit::RedoEdit() { ShowHistoryStep(session_.Document().Redo(), "Redo"); }

void TTextEdit::ShowHistoryStep(const TEditOutcome& outcome, const char* title) {
  // The views already show the restored bytes; the user must also see where they lie: the
  // grid scrolls to them, or a box names them when they lie outside the table shown.
  if (!outcome.Applied()) return;
  const TTableLayout table = ShownTable();
  if (const std::optional<TEntryCell> cell = FirstEntryIn(table, outcome.changed)) {
    TextGrid->scrollTo(model_->index(cell->row + 1, cell->column + 1));
    return;
  }
  const auto address = [&](std::int64_t position) {
    return Text(HexText(static_cast<std::int32_t>(position + table.BaseAddress), 4));
  };
  const QString where =
      outcome.changed.count == 1
          ? "at " + address(outcome.changed.first)
          : "at " + address(outcome.changed.first) + " to " + address(outcome.changed.End() - 1);
  QMessageBox box(QMessageBox::NoIcon, title,
                  QString(title) + " changed bytes outside the table shown, " + where + ".",
                  QMessageBox::Ok, this);
  box.exec();
}

TTableLayout TTextEdit::CurrentTable() const {
  return LayoutOf(session_.Cursor(), Main->GetEntryWidth());
}

TTableLayout TTextEdit::ShownTable() const {
  TTableLayout table = CurrentTable();
  table.Rows = std::clamp(table.Rows, 0, TTextGridModel::kMaxSide);
  table.Columns = std::clamp(table.Columns, 0, TTextGridModel::kMaxSide);
  return table;
}

void TTextEdit::CopyTable() {
  if (BlockSelected()) {
    // The block alone, in the same text form.
    const TBlock block = *SelectedTableBlock();
    const TTableLayout table = ShownTable();
    const std::span<const std::uint8_t> image = session_.Document().Bytes();
    const DisplayMode mode =
        model_->layout().mode == DisplayMode::Hex ? DisplayMode::Hex : DisplayMode::Raw;
    QGuiApplication::clipboard()->setText(
        Text(TableText(block.bottom - block.top + 1, block.right - block.left + 1,
                       [&](std::int32_t row, std::int32_t column) {
                         const std::optional<std::uint32_t> bits =
                             table.ReadBits(image, block.top + row, block.left + column);
                         return bits ? EntryText(mode, table.Type, *bits) : std::string();
                       })));
    return;
  }
  QGuiApplication::clipboard()->setText(
      Text(TableText(session_.Image(), ShownTable(), model_->layout().mode)));
}

void TTextEdit::PasteBlock() {
  CloseEditor(false);
  std::int32_t row = 0;
  std::int32_t column = 0;
  if (!SelectedEntry(row, column)) return;
  const TTableLayout table = ShownTable();
  const TPasteOutcome outcome = PasteTableText(
      session_.Document(), table, QGuiApplication::clipboard()->text().toStdString(), row, column);
  if (outcome.refusal) {
    QMessageBox box(QMessageBox::NoIcon, "Paste Error",
                    Text(PasteRefusalText(*outcome.refusal, table.Rows, table.Columns)),
                    QMessageBox::Ok, this);
    box.exec();
  }
}

QMenu* TTextEdit::ContextMenu(QWidget* parent) {
  UpdateActions();
  auto* menu = new QMenu(parent);
  menu->addActions({CopyTableAction, PasteAction});
  menu->addSeparator();
  menu->addActions({UndoAction, RedoAction});
  menu->addSeparator();
  menu->addActions({NextDifferenceAction, PreviousDifferenceAction});
  menu->addSeparator();
  menu->addActions(blockActions_);
  return menu;
}

void TTextEdit::DocumentChanged(const TDocumentChange& change) {
  UpdateActions();
  // One entry of the table: its cell alone is shown again, and the shades' range follows the
  // value. Anything else (a block, an undo elsewhere) shows every cell again.
  const TTableLayout table = CurrentTable();
  if (const std::optional<TEntryCell> cell = EntryHolding(table, change.range)) {
    const std::span<const std::uint8_t> image = session_.Document().Bytes();
    const std::optional<std::int64_t> before = EntryValueBefore(table, image, *cell, change);
    const std::optional<std::int64_t> after = table.ReadValue(image, cell->row, cell->column);
    if (before && after && model_->layout().table.Type == table.Type) {
      model_->NoteEntryStored(*before, *after);
    } else {
      model_->ForgetValueRange();
    }
    model_->RenderCell(cell->row, cell->column, table);
    return;
  }
  FillGrid();
}

void TTextEdit::DocumentReset() {
  UpdateActions();
  model_->ForgetValueRange();
}

void TTextEdit::DocumentSaved() {
  // The marks of changed cells go: the bytes they compare with are the saved ones now.
  TextGrid->viewport()->update();
}

void TTextEdit::closeEvent(QCloseEvent* event) {
  // Closing goes through the main window's toggle, so its caption follows the window.
  RunHandler([] { Main->TextModeButtonClick(); });
  event->accept();
}
