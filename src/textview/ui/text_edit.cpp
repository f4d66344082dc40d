#include "textview/ui/text_edit.h"

#include "app/ui/controls.h"
#include "app/ui/handlers.h"
#include "app/ui/main_window.h"
#include "app/number_text.h"
#include "app/ui/screen_placement.h"
#include "app/shared_state.h"
#include "app/ui/windows.h"
#include "graphview/ui/graph_edit.h"
#include "image/image_document.h"
#include "image/rom_image.h"
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

enum class HistoryKey { None, Undo, Redo, Copy, Paste };

// Ctrl+Z undoes; Ctrl+Shift+Z and Ctrl+Y redo; Ctrl+C copies the table, Ctrl+V pastes.
HistoryKey HistoryKeyOf(const QKeyEvent* key) {
  const Qt::KeyboardModifiers modifiers =
      key->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
  if (key->key() == Qt::Key_Z && modifiers == Qt::ControlModifier) return HistoryKey::Undo;
  if (key->key() == Qt::Key_Z && modifiers == (Qt::ControlModifier | Qt::ShiftModifier)) {
    return HistoryKey::Redo;
  }
  if (modifiers != Qt::ControlModifier) return HistoryKey::None;
  switch (key->key()) {
    case Qt::Key_Y:
      return HistoryKey::Redo;
    case Qt::Key_C:
      return HistoryKey::Copy;
    case Qt::Key_V:
      return HistoryKey::Paste;
    default:
      return HistoryKey::None;
  }
}

bool IsEnter(const QKeyEvent* key) {
  return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->text() == "\r";
}

}  // namespace

TTextEdit::TTextEdit() {
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
  model_ = new TTextGridModel(this);
  TextGrid = new TTextGrid(model_, Panel1);
  TextGrid->setObjectName("TextGrid");
  delegate_ = new TTextGridDelegate([this](const QKeyEvent* key) { return TextGridKeyPress(key); },
                                    TextGrid);
  TextGrid->setItemDelegate(delegate_);
  TextGrid->setSelectionMode(QAbstractItemView::SingleSelection);
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
  auto* rowHeaders = new TFixedHeader(Qt::Vertical, kHeaderColumnWidth, TextGrid);
  rowHeaders->setDefaultSectionSize(kRowHeight);
  TextGrid->setVerticalHeader(rowHeaders);
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

  resize(527, 352);
  move(305, 200);
  FormResize();
}

void TTextEdit::FillGrid() {
  Main->ReadTableSize();
  TTextGridModel::Layout layout;
  layout.rows = TableCursor.Rows;
  layout.columns = TableCursor.Columns;
  const CursorInputs inputs = Main->CurrentInputs();
  layout.tableAddress = ParseInteger(inputs.TableAddress);
  layout.width = inputs.EntryWidth;
  layout.mode = Hex->isChecked()   ? DisplayMode::Hex
                : Raw->isChecked() ? DisplayMode::Raw
                                   : DisplayMode::Scaled;
  if (delegate_->OpenEditor() != nullptr) CloseEditor(false);
  const bool reset = model_->Refresh(layout, TableCursor);

  // A reset brings the header row and column back into the table; keep them as headers.
  if (reset) {
    TextGrid->setRowHidden(0, true);
    TextGrid->setColumnHidden(0, true);
  }
  QHeaderView* columnHeaders = TextGrid->horizontalHeader();
  if (const int columnWidth = layout.width.Bytes() * 20 + 10;
      reset || columnHeaders->defaultSectionSize() != columnWidth) {
    columnHeaders->setDefaultSectionSize(columnWidth);
  }
  corner_->SetText(model_->CellText(0, 0));
  const QModelIndex current = TextGrid->currentIndex();
  if (!current.isValid() || current.row() == 0 || current.column() == 0) {
    TextGrid->setCurrentIndex(model_->index(1, 1));
  }
}

void TTextEdit::FillCell(std::int32_t row, std::int32_t column, EntryWidth width) {
  model_->RenderCell(row, column, width);
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
  corner_->setGeometry(frame, frame, kHeaderColumnWidth, kRowHeight + 1);
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
  // While the in-place editor is open, these keys act on its text.
  if (const HistoryKey history = HistoryKeyOf(key);
      history != HistoryKey::None && delegate_->OpenEditor() == nullptr) {
    switch (history) {
      case HistoryKey::Undo:
        UndoEdit();
        break;
      case HistoryKey::Redo:
        RedoEdit();
        break;
      case HistoryKey::Copy:
        CopyTable();
        break;
      case HistoryKey::Paste:
        PasteBlock();
        break;
      case HistoryKey::None:
        break;
    }
    return true;
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
  const EntryWidth width = Main->GetEntryWidth();
  // An entry outside the image is never written; its cell simply shows empty again.
  const EntryEdit edit = StoreEntryText(ImageDocument, TableCursor, row, column, width,
                                        model_->CellText(row + 1, column + 1).toStdString());
  if (const auto* rejected = std::get_if<EntryRejected>(&edit)) {
    QMessageBox box(QMessageBox::NoIcon, "Input Error", Text(rejected->Message), QMessageBox::Ok,
                    this);
    box.exec();
  }
  if (const auto* stored = std::get_if<EntryStored>(&edit)) {
    model_->NoteEntryStored(stored->OldValue, stored->NewValue);
  }
  GraphEdit->PlotTable();
  FillCell(row, column, width);
}

void TTextEdit::StepSelectedEntry(std::int32_t step) {
  // Any text being typed gives way to the stepped value.
  CloseEditor(false);
  std::int32_t row = 0;
  std::int32_t column = 0;
  if (!SelectedEntry(row, column)) return;
  const EntryWidth width = Main->GetEntryWidth();
  const EntryEdit edit = StepEntry(ImageDocument, TableCursor, row, column, width, step);
  if (const auto* stored = std::get_if<EntryStored>(&edit)) {
    model_->NoteEntryStored(stored->OldValue, stored->NewValue);
  }
  GraphEdit->PlotTable();
  FillCell(row, column, width);
}

void TTextEdit::UndoEdit() {
  if (ImageDocument.Undo().Applied()) RefreshAfterHistoryStep();
}

void TTextEdit::RedoEdit() {
  if (ImageDocument.Redo().Applied()) RefreshAfterHistoryStep();
}

TTableCursor TTextEdit::ShownTable() {
  TTableCursor table = TableCursor;
  table.Rows = std::clamp(table.Rows, 0, TTextGridModel::kMaxSide);
  table.Columns = std::clamp(table.Columns, 0, TTextGridModel::kMaxSide);
  return table;
}

void TTextEdit::CopyTable() {
  QGuiApplication::clipboard()->setText(Text(
      TableText(RomImage, ShownTable(), Main->GetEntryWidth().Bytes(), model_->layout().mode)));
}

void TTextEdit::PasteBlock() {
  CloseEditor(false);
  std::int32_t row = 0;
  std::int32_t column = 0;
  if (!SelectedEntry(row, column)) return;
  const TTableCursor table = ShownTable();
  const TPasteOutcome outcome =
      PasteTableText(ImageDocument, table, Main->GetEntryWidth().Bytes(),
                     QGuiApplication::clipboard()->text().toStdString(), row, column);
  if (outcome.refusal) {
    QMessageBox box(QMessageBox::NoIcon, "Paste Error",
                    Text(PasteRefusalText(*outcome.refusal, table)), QMessageBox::Ok, this);
    box.exec();
    return;
  }
  if (outcome.edit.Applied()) RefreshAfterHistoryStep();
}

QMenu* TTextEdit::ContextMenu(QWidget* parent) {
  auto* menu = new QMenu(parent);
  ConnectHandler(menu->addAction("Copy Table"), &QAction::triggered, this, &TTextEdit::CopyTable);
  ConnectHandler(menu->addAction("Paste"), &QAction::triggered, this, &TTextEdit::PasteBlock);
  menu->addSeparator();
  QAction* undo = menu->addAction("Undo");
  undo->setEnabled(ImageDocument.CanUndo());
  ConnectHandler(undo, &QAction::triggered, this, &TTextEdit::UndoEdit);
  QAction* redo = menu->addAction("Redo");
  redo->setEnabled(ImageDocument.CanRedo());
  ConnectHandler(redo, &QAction::triggered, this, &TTextEdit::RedoEdit);
  return menu;
}

void TTextEdit::RefreshAfterHistoryStep() {
  // The restored bytes may lie anywhere in the table, or outside it: show every cell again.
  GraphEdit->PlotTable();
  FillGrid();
}

void TTextEdit::closeEvent(QCloseEvent* event) {
  // Closing goes through the main window's toggle, so its caption follows the window.
  RunHandler([] { Main->TextModeButtonClick(); });
  event->accept();
}
