#include "app/ui/main_window.h"

#include "app/application.h"
#include "app/number_text.h"
#include "app/session.h"
#include "app/table_address.h"
#include "app/ui/about.h"
#include "app/ui/controls.h"
#include "app/ui/handlers.h"
#include "app/ui/screen_placement.h"
#include "app/ui/spin_controls.h"
#include "app/ui/windows.h"
#include "graphview/ui/graph_edit.h"
#include "tables/definition_panel.h"
#include "tables/found_table.h"
#include "tables/ui/table_ed.h"
#include "tables/ui/table_finder_window.h"
#include "textview/ui/text_edit.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDropEvent>
#include <QFileInfo>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QUrl>

#include <cstdio>
#include <cstdlib>
#include <optional>

namespace {

constexpr int kClientWidth = 347;
constexpr int kClientHeight = 233;
constexpr int kStatusBarHeight = 19;

QPushButton* FileButton(QWidget* client, const char* name, const char* caption, int left,
                        QStyle::StandardPixmap picture) {
  auto* button = Place(new QPushButton(caption, client), name, left, 8, 75, 25);
  button->setIcon(client->style()->standardIcon(picture));
  button->setIconSize(QSize(14, 14));
  return button;
}

// The keys that count as Enter (character 13): the main and the keypad key.
bool IsEnter(const QKeyEvent* key) {
  return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

// Leaving an edit box for another control of this window counts as its exit; focus moving
// to another window, a menu or a message box does not.
bool IsExit(const QFocusEvent* focus) {
  switch (focus->reason()) {
    case Qt::ActiveWindowFocusReason:
    case Qt::PopupFocusReason:
    case Qt::MenuBarFocusReason:
      return false;
    default:
      return true;
  }
}

// The one local file a drag carries; nothing for a folder, several files or anything else.
std::optional<QString> DraggedFile(const QMimeData* data) {
  if (data == nullptr || !data->hasUrls()) return std::nullopt;
  const QList<QUrl> urls = data->urls();
  if (urls.size() != 1 || !urls.front().isLocalFile()) return std::nullopt;
  const QFileInfo file(urls.front().toLocalFile());
  if (file.filePath().isEmpty() || file.isDir()) return std::nullopt;
  return file.absoluteFilePath();
}

bool IsDrag(QEvent::Type type) {
  return type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop;
}

}  // namespace

TMain::TMain(TSession& session) : session_(session) {
  setObjectName("Main");
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setToolTip("Current Map");
  setAcceptDrops(true);

  auto* client = new QWidget(this);
  client->setObjectName("Client");
  setCentralWidget(client);
  BuildControls(client);
  BuildMenu();
  ConnectHandlers();
  BuildTableFinder();

  // The client area below the menu bar is 347 × 233 and not resizable; the status bar
  // takes its bottom 19 pixels.
  setFixedSize(kClientWidth, menuBar()->sizeHint().height() + kClientHeight);
  move(255, 112);

  if (Application* application = Application::Instance()) application->SetTitle(Text(AppTitle));
  setWindowTitle(Text(AppTitle) + " - (none)");
}

TMain::~TMain() = default;

void TMain::BuildTableFinder() {
  TTableFinder::Hooks hooks;
  hooks.Open = [this](const TTableCandidate& candidate) {
    if (const auto found = FoundDefinition(candidate, session_.Cursor().BaseAddress)) {
      OpenDefinition(OpenedTableOfRow(found->Row, found->Format));
    }
  };
  hooks.Add = [this](std::span<const TTableCandidate> candidates) {
    std::vector<std::vector<std::string>> rows;
    std::vector<TEntryFormat> formats;
    for (const TTableCandidate& candidate : candidates) {
      if (auto found = FoundDefinition(candidate, session_.Cursor().BaseAddress)) {
        rows.push_back(std::move(found->Row));
        formats.push_back(found->Format);
      }
    }
    TableEd->AppendDefinitions(rows, formats);
  };
  tableFinder_ = std::make_unique<TTableFinder>(nullptr, std::move(hooks));
  TableFinder = tableFinder_.get();
}

void TMain::BuildControls(QWidget* client) {
  Rows = Place(new QLineEdit("16", client), "Rows", 271, 64, 41, 21);
  RowsUpDown = Place(new TUpDown(client, Rows, 1, 256, 16), "RowsUpDown", 312, 64, 15, 21);
  Columns = Place(new QLineEdit("16", client), "Columns", 207, 64, 41, 21);
  ColumnsUpDown = Place(new TUpDown(client, Columns, 1, 256, 16), "ColumnsUpDown", 248, 64, 15, 21);
  TextModeButton =
      Place(new QPushButton("Show Text View", client), "TextModeButton", 8, 176, 105, 25);
  TableAddress = Place(new QLineEdit("0x0000", client), "TableAddress", 80, 64, 64, 21);
  TableAddress->setMaxLength(10);
  GraphicsModeButton =
      Place(new QPushButton("Show Graphics View", client), "GraphicsModeButton", 120, 176, 105, 25);
  EightBitTable = Place(new QRadioButton("8 bit table", client), "EightBitTable", 8, 96, 73, 17);
  EightBitTable->setChecked(true);
  SixteenBitTable =
      Place(new QRadioButton("16 bit table", client), "SixteenBitTable", 8, 120, 81, 17);
  Address = Place(new TSpinButton(client), "Address", 143, 64, 20, 21);
  ThirtyTwoBitTable =
      Place(new QRadioButton("32 bit table", client), "ThirtyTwoBitTable", 8, 144, 81, 17);
  Row = Place(new TSpinButton(client), "Row", 175, 64, 20, 21);
  TableListButton =
      Place(new QPushButton("Show Table Editor", client), "TableListButton", 232, 176, 105, 25);
  Load = FileButton(client, "Load", "Load", 8, QStyle::SP_DialogOpenButton);
  Save = FileButton(client, "Save", "Save", 179, QStyle::SP_DialogSaveButton);
  SaveAs = FileButton(client, "SaveAs", "Save As", 93, QStyle::SP_DriveFDIcon);
  Close = FileButton(client, "Close", "Close", 264, QStyle::SP_DialogCloseButton);
  FxxxDP = Place(new QLineEdit("0", client), "FxxxDP", 144, 112, 41, 21);
  FxxxDPUpDown = Place(new TUpDown(client, FxxxDP, 0, 100, 0), "FxxxDPUpDown", 185, 112, 15, 21);
  FxxxTable = Place(new QCheckBox("FxxxTable", client), "FxxxTable", 112, 96, 73, 17);
  MultiBit = Place(new QCheckBox("Bit Wise", client), "MultiBit", 112, 144, 97, 17);
  BaseAddress = Place(new QLineEdit("0x0000", client), "BaseAddress", 8, 64, 64, 21);
  CreateTableEntry =
      Place(new QPushButton("Create Table Entry", client), "CreateTableEntry", 224, 120, 113, 25);

  for (QWidget* control : std::initializer_list<QWidget*>{
           TextModeButton, GraphicsModeButton, TableListButton, Save, SaveAs, Close,
           CreateTableEntry, FxxxDP, FxxxDPUpDown, FxxxTable}) {
    control->setEnabled(false);
  }

  // Tab order as listed above; the spin buttons and up-downs never take the focus.
  const QList<QWidget*> tabOrder = {Rows,
                                    Columns,
                                    TextModeButton,
                                    TableAddress,
                                    GraphicsModeButton,
                                    EightBitTable,
                                    SixteenBitTable,
                                    ThirtyTwoBitTable,
                                    TableListButton,
                                    Load,
                                    Save,
                                    SaveAs,
                                    Close,
                                    FxxxDP,
                                    FxxxTable,
                                    MultiBit,
                                    BaseAddress,
                                    CreateTableEntry};
  for (qsizetype i = 1; i < tabOrder.size(); ++i) setTabOrder(tabOrder[i - 1], tabOrder[i]);

  Base = PlaceLabel(client, "Base", "Base", 24, 48);
  Label3 = PlaceLabel(client, "Label3", "Table Address", 79, 48);
  Label4 = PlaceLabel(client, "Label4", "Row", 172, 48);
  Label2 = PlaceLabel(client, "Label2", "Columns", 215, 48);
  Label1 = PlaceLabel(client, "Label1", "Rows", 279, 48);

  MainStatusBar = new QStatusBar(this);
  MainStatusBar->setObjectName("MainStatusBar");
  MainStatusBar->setSizeGripEnabled(false);
  MainStatusBar->setFixedHeight(kStatusBarHeight);
  MainStatusText = new QLabel("No file loaded", MainStatusBar);
  MainStatusText->setObjectName("MainStatusText");
  MainStatusBar->addWidget(MainStatusText, 1);
  setStatusBar(MainStatusBar);
}

void TMain::BuildMenu() {
  auto action = [this](QMenu* menu, const char* name, const char* caption) {
    QAction* item = menu->addAction(caption);
    item->setObjectName(name);
    return item;
  };
  File1 = menuBar()->addMenu("&File");
  File1->setObjectName("File1");
  MenuLoad = action(File1, "MenuLoad", "&Load");
  File1->addSeparator()->setObjectName("N1");
  Save1 = action(File1, "Save1", "&Save");
  SaveAs1 = action(File1, "SaveAs1", "Save &As");
  File1->addSeparator()->setObjectName("N2");
  Close1 = action(File1, "Close1", "&Close");
  Exit1 = action(File1, "Exit1", "E&xit");
  Tools1 = new QMenu("&Tools", this);
  Tools1->setObjectName("Tools1");
  CompareWith = action(Tools1, "CompareWith", "Compare With…");
  StopComparing = action(Tools1, "StopComparing", "Stop Comparing");
  StopComparing->setEnabled(false);
  Tools1->addSeparator();
  FindTables = action(Tools1, "FindTables", "Find Tables…");
  About1 = menuBar()->addAction("&About");
  About1->setObjectName("About1");
  // Between the file menu and the about item.
  menuBar()->insertMenu(About1, Tools1);
  for (QAction* item : {Save1, SaveAs1, Close1, FindTables}) item->setEnabled(false);
  // The file keys work from every window of the program, not only this one.
  MenuLoad->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  Save1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  SaveAs1->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
  for (QAction* item : {MenuLoad, Save1, SaveAs1}) {
    item->setShortcutContext(Qt::ApplicationShortcut);
  }
}

void TMain::ConnectHandlers() {
  for (QLineEdit* edit : {Rows, Columns, TableAddress, BaseAddress, FxxxDP}) {
    edit->installEventFilter(this);
  }

  ConnectHandler(RowsUpDown, &TUpDown::Click, this, &TMain::RowsUpDownClick);
  ConnectHandler(ColumnsUpDown, &TUpDown::Click, this, &TMain::ColumnsUpDownClick);
  ConnectHandler(TextModeButton, &QPushButton::clicked, this, &TMain::TextModeButtonClick);
  ConnectHandler(GraphicsModeButton, &QPushButton::clicked, this, &TMain::GraphicsModeButtonClick);
  ConnectHandler(TableListButton, &QPushButton::clicked, this, &TMain::TableListButtonClick);
  for (QRadioButton* width : {EightBitTable, SixteenBitTable, ThirtyTwoBitTable}) {
    ConnectHandler(width, &QRadioButton::clicked, this, &TMain::TableSizeClick);
  }
  ConnectHandler(Address, &TSpinButton::UpClick, this, &TMain::AddressUpClick);
  ConnectHandler(Address, &TSpinButton::DownClick, this, &TMain::AddressDownClick);
  ConnectHandler(Row, &TSpinButton::UpClick, this, &TMain::RowUpClick);
  ConnectHandler(Row, &TSpinButton::DownClick, this, &TMain::RowDownClick);
  ConnectHandler(MultiBit, &QCheckBox::clicked, this, &TMain::MultiBitClick);
  ConnectHandler(CreateTableEntry, &QPushButton::clicked, this, &TMain::CreateTableEntryClick);

  ConnectHandler(Load, &QPushButton::clicked, this, &TMain::LoadClick);
  ConnectHandler(Save, &QPushButton::clicked, this, &TMain::SaveClick);
  ConnectHandler(SaveAs, &QPushButton::clicked, this, &TMain::SaveAsClick);
  ConnectHandler(Close, &QPushButton::clicked, this, &TMain::CloseClick);
  ConnectHandler(MenuLoad, &QAction::triggered, this, &TMain::LoadClick);
  ConnectHandler(Save1, &QAction::triggered, this, &TMain::SaveClick);
  ConnectHandler(SaveAs1, &QAction::triggered, this, &TMain::SaveAsClick);
  ConnectHandler(Close1, &QAction::triggered, this, &TMain::CloseClick);
  ConnectHandler(Exit1, &QAction::triggered, this, &TMain::Exit1Click);
  ConnectHandler(About1, &QAction::triggered, this, &TMain::About1Click);
  ConnectHandler(CompareWith, &QAction::triggered, this, &TMain::CompareWithClick);
  ConnectHandler(StopComparing, &QAction::triggered, this, &TMain::StopComparingClick);
  ConnectHandler(FindTables, &QAction::triggered, this, &TMain::FindTablesClick);
}

bool TMain::eventFilter(QObject* watched, QEvent* event) {
  // Files dragged over an edit box are the window's to take or refuse, not text for the box.
  if (IsDrag(event->type())) {
    auto* drag = static_cast<QDropEvent*>(event);
    if (drag->mimeData() != nullptr && drag->mimeData()->hasUrls()) {
      FileDrag(drag);
      return true;
    }
  }
  void (TMain::*onEnter)() = nullptr;
  void (TMain::*onExit)() = nullptr;
  if (watched == Rows) {
    onEnter = &TMain::RowsKeyPress;
    onExit = &TMain::RowsCheck;
  } else if (watched == Columns) {
    onEnter = &TMain::ColumnsKeyPress;
    onExit = &TMain::ColumnsCheck;
  } else if (watched == TableAddress) {
    onEnter = &TMain::TableAddressKeyPress;
    onExit = &TMain::TableAddressCheck;
  } else if (watched == BaseAddress) {
    onEnter = &TMain::BaseAddressKeyPress;
    onExit = &TMain::BaseAddressCheck;
  } else {
    return QMainWindow::eventFilter(watched, event);
  }

  // The check runs first; the key or focus change still reaches the edit box unchanged.
  if (event->type() == QEvent::KeyPress && IsEnter(static_cast<QKeyEvent*>(event))) {
    RunHandler([&] { (this->*onEnter)(); });
  } else if (event->type() == QEvent::FocusOut && IsExit(static_cast<QFocusEvent*>(event))) {
    RunHandler([&] { (this->*onExit)(); });
  }
  return false;
}

void TMain::closeEvent(QCloseEvent* event) {
  // Closing the main window ends the program, whichever other windows are open, once unsaved
  // changes are saved or let go.
  bool goOn = false;
  RunHandler([&] { goOn = SettleUnsavedChanges(); });
  if (!goOn) {
    event->ignore();
    return;
  }
  event->accept();
  QCoreApplication::quit();
}

void TMain::dragEnterEvent(QDragEnterEvent* event) { FileDrag(event); }

void TMain::dragMoveEvent(QDragMoveEvent* event) { FileDrag(event); }

void TMain::dropEvent(QDropEvent* event) { FileDrag(event); }

void TMain::FileDrag(QDropEvent* event) {
  const std::optional<QString> file = DraggedFile(event->mimeData());
  // Always a copy: a drop taken as a move would let the file's source delete the original.
  if (!file || !event->possibleActions().testFlag(Qt::CopyAction)) {
    event->ignore();
    return;
  }
  event->setDropAction(Qt::CopyAction);
  event->accept();
  if (event->type() != QEvent::Drop) return;
  // Loaded once the drop is over, so the program the file came from is not kept waiting
  // while the companion question is open.
  QTimer::singleShot(0, this, [this, path = *file] {
    RunHandler([&] {
      if (SettleUnsavedChanges()) LoadFile(path);
    });
  });
}

TTableCursor& TMain::cursor() { return session_.Cursor(); }

void TMain::Update() {
  cursor().EntryWidth = GetEntryWidth();
  if (TextEdit->isVisible()) TextEdit->FillGrid();
  if (GraphEdit->isVisible()) GraphEdit->PlotTable();
}

EntryWidth TMain::WidthOf(const QRadioButton* button) const {
  if (button == SixteenBitTable) return EntryWidth::k16Bit;
  if (button == ThirtyTwoBitTable) return EntryWidth::k32Bit;
  return EntryWidth::k8Bit;
}

EntryWidth TMain::GetEntryWidth() const {
  for (const QRadioButton* button : {EightBitTable, SixteenBitTable, ThirtyTwoBitTable}) {
    if (button->isChecked()) return WidthOf(button);
  }
  return EntryWidth::k8Bit;
}

CursorInputs TMain::CurrentInputs() const {
  const TTableCursor& table = session_.Cursor();
  return {MultiBit->isChecked(), Text(TableAddress), Text(Columns),    Text(Rows),
          GetEntryWidth(),       table.EntrySigned,  table.EntryOrder, table.BaseAddress};
}

void TMain::OpenDefinition(const OpenedTable& table) {
  TableAddress->setText(Text(table.TableAddress));
  Columns->setText(Text(table.Columns));
  Rows->setText(Text(table.Rows));
  ApplyOpenedTable(cursor(), table);
  // Read at the definition's own entry size, when it is one the buttons offer.
  if (const std::optional<std::int32_t> size = TryParseInteger(table.EntrySize)) {
    for (QRadioButton* button : {EightBitTable, SixteenBitTable, ThirtyTwoBitTable}) {
      if (WidthOf(button).Bytes() == *size) button->setChecked(true);
    }
  }
  TableAddressCheck();
  Update();
}

void TMain::ReadTableSize() {
  cursor().Rows = ParseInteger(Text(Rows));
  cursor().Columns = ParseInteger(Text(Columns));
}

void TMain::ShowAddressError() {
  QMessageBox box(QMessageBox::NoIcon, "Entry Error",
                  "Bad hex address. It must be 'C style', e.g. 0x3F0", QMessageBox::Ok, this);
  box.exec();
}

void TMain::BaseAddressCheck() {
  if (const std::optional<std::int32_t> base = TryParseInteger(Text(BaseAddress))) {
    cursor().BaseAddress = *base;
  } else {
    ShowAddressError();
  }
  BaseAddress->setText(Text(HexText(cursor().BaseAddress, 4)));
}

void TMain::TableAddressCheck() {
  BaseAddressCheck();
  if (const std::optional<std::int32_t> address = TryParseInteger(Text(TableAddress))) {
    cursor().TableAddress =
        ClampTableAddress(*address, cursor().BaseAddress, session_.Image().Size);
  } else {
    ShowAddressError();
  }
  SetTableAddress();
  Update();
}

void TMain::SetTableAddress() { TableAddress->setText(Text(HexText(cursor().TableAddress, 4))); }

void TMain::TableAddressKeyPress() { TableAddressCheck(); }

void TMain::BaseAddressKeyPress() { BaseAddressCheck(); }

void TMain::CheckSizeText(QLineEdit* edit, const TUpDown* upDown) {
  if (!edit->isModified()) return;
  if (ParseInteger(Text(edit)) > upDown->Max()) edit->setText(Text(DecimalText(upDown->Max())));
  if (ParseInteger(Text(edit)) < upDown->Min()) edit->setText(Text(DecimalText(upDown->Min())));
}

void TMain::RowsCheck() { CheckSizeText(Rows, RowsUpDown); }

void TMain::ColumnsCheck() { CheckSizeText(Columns, ColumnsUpDown); }

void TMain::RowsKeyPress() {
  RowsCheck();
  Update();
}

void TMain::ColumnsKeyPress() {
  ColumnsCheck();
  Update();
}

void TMain::RowsUpDownClick() { Update(); }

void TMain::ColumnsUpDownClick() { Update(); }

void TMain::TableSizeClick() {
  cursor().EntryWidth = GetEntryWidth();
  Update();
}

void TMain::StepTableAddressBy(std::int64_t delta) {
  cursor().TableAddress =
      StepTableAddress(cursor().TableAddress, delta, cursor().BaseAddress, session_.Image().Size);
  SetTableAddress();
  Update();
}

std::int64_t TMain::RowStep() const {
  // The Columns text as typed, even before its range check has run.
  return std::int64_t{ParseInteger(Text(Columns))} * GetEntryWidth().Bytes();
}

void TMain::AddressDownClick() {
  TableAddressCheck();
  StepTableAddressBy(-1);
}

void TMain::AddressUpClick() {
  TableAddressCheck();
  StepTableAddressBy(1);
}

void TMain::RowDownClick() {
  TableAddressCheck();
  StepTableAddressBy(-RowStep());
}

void TMain::RowUpClick() {
  TableAddressCheck();
  StepTableAddressBy(RowStep());
}

void TMain::HideView(QWidget* view, QPushButton* button, const char* showCaption) {
  view->setEnabled(false);
  view->hide();
  button->setText(showCaption);
}

void TMain::ToggleView(QWidget* view, QPushButton* button, const char* showCaption,
                       const char* hideCaption, bool checkAddress, bool refresh) {
  if (view->isVisible()) {
    HideView(view, button, showCaption);
  } else if (session_.Image().Size != 0) {
    if (checkAddress) TableAddressCheck();
    view->setEnabled(true);
    ShowOnScreen(view);
    if (refresh) Update();
    button->setText(hideCaption);
  }
}

void TMain::TextModeButtonClick() {
  ToggleView(TextEdit, TextModeButton, "Show Text View", "Hide Text View", false, true);
}

void TMain::GraphicsModeButtonClick() {
  ToggleView(GraphEdit, GraphicsModeButton, "Show Graphics View", "Hide Graphics View", true, true);
}

void TMain::TableListButtonClick() {
  ToggleView(TableEd, TableListButton, "Show Table Editor", "Hide Table Editor", true, false);
}

void TMain::MultiBitClick() {
  if (!MultiBit->isChecked()) return;
  FxxxTable->setChecked(false);
  FxxxDP->setEnabled(false);
  FxxxDPUpDown->setEnabled(false);
}

void TMain::CreateTableEntryClick() { TableEd->AddTableFromCursor(); }

void TMain::About1Click() {
  About->SetTitleText(Text(AppTitle));
  About->setEnabled(true);
  // Kept above the main window, and brought to the front with the focus each time it is
  // shown, so a click on another window cannot bury it for good.
  About->KeepAbove(this);
  ShowOnScreen(About);
  About->raise();
  About->activateWindow();
}

void TMain::Exit1Click() {
  if (!SettleUnsavedChanges()) return;
  // Ends the process at once: nothing more saved, no window torn down.
  std::fflush(nullptr);
  std::_Exit(0);
}
