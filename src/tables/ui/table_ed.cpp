#include "tables/ui/table_ed.h"

#include "app/ui/controls.h"

#include "app/number_text.h"
#include "app/shared_state.h"
#include "app/ui/file_progress.h"
#include "app/ui/handlers.h"
#include "app/ui/main_window.h"
#include "app/ui/windows.h"
#include "tables/definition_file.h"
#include "tables/definition_panel.h"
#include "tables/ui/definition_list_model.h"
#include "tables/xdf_file.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSplitter>
#include <QStandardItemModel>
#include <QTableView>

#include <algorithm>
#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>

namespace {

constexpr int kPanelWidth = 403;
constexpr int kTableList1Height = 352;
constexpr int kSplitterHeight = 12;
constexpr int kRowHeight = 16;
constexpr int kBitColumnWidth = 20;

// The keys that reach an edit box as a character: letters, digits, Enter, Backspace and the
// like; not Delete, Tab or keys that only move the caret.
bool ProducesCharacter(const QKeyEvent* key) {
  if (key->key() == Qt::Key_Delete || key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
    return false;
  }
  return !key->text().isEmpty();
}

// An edit box of the setup panel. Its key handler runs once the box has taken a key that
// produces a character, so the handler sees the box's text with that key applied.
class TPanelEdit : public QLineEdit {
 public:
  using QLineEdit::QLineEdit;

  std::function<void()> KeyTaken;

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    QLineEdit::keyPressEvent(event);
    if (KeyTaken && ProducesCharacter(event)) KeyTaken();
  }
};

QLineEdit* PlaceEdit(QWidget* parent, const char* name, int left, int top, int width) {
  return Place(new TPanelEdit(parent), name, left, top, width, 21);
}

void ShowBox(QWidget* parent, std::string_view title, const std::string& text,
             QMessageBox::StandardButtons buttons) {
  QMessageBox box(QMessageBox::NoIcon, Text(title), Text(text), buttons, parent);
  box.exec();
}

// A definition list's grid: captions as a frozen header row, no fixed column, fixed row
// heights, cells edited in place when typed into.
QTableView* ListView(TDefinitionListModel* model, const char* name, QWidget* parent) {
  auto* view = new QTableView(parent);
  view->setObjectName(name);
  view->setModel(model);
  view->setSelectionMode(QAbstractItemView::SingleSelection);
  view->setSelectionBehavior(QAbstractItemView::SelectItems);
  view->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
  view->setWordWrap(false);
  view->setCornerButtonEnabled(false);
  view->verticalHeader()->hide();
  view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  view->verticalHeader()->setDefaultSectionSize(kRowHeight);
  view->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  view->horizontalHeader()->setHighlightSections(false);
  view->horizontalHeader()->setFixedHeight(kRowHeight + 2);
  view->setRowHidden(0, true);
  const DefinitionList& list = model->List();
  for (int c = 0; c < list.ColumnCount(); ++c) view->setColumnWidth(c, list.ColumnWidth(c));
  view->setCurrentIndex(model->index(list.CurrentRow(), 0));
  return view;
}

}  // namespace

TTableEd::TTableEd() {
  setObjectName("TableEd");
  setWindowTitle("Table Editor");
  resize(802, 601);
  setEnabled(false);

  BuildLists();
  BuildPanel();
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(Panel2, 1);
  layout->addWidget(Panel1);
  ConnectHandlers();
}

void TTableEd::BuildLists() {
  Panel2 = new QWidget(this);
  Panel2->setObjectName("Panel2");
  ordinaryModel_ = new TDefinitionListModel(Lists.Ordinary, this);
  bitWiseModel_ = new TDefinitionListModel(Lists.BitWise, this);

  Splitter2 = new QSplitter(Qt::Vertical, Panel2);
  Splitter2->setObjectName("Splitter2");
  Splitter2->setHandleWidth(kSplitterHeight);
  Splitter2->setOpaqueResize(true);
  Splitter2->setChildrenCollapsible(false);
  TableList1 = ListView(ordinaryModel_, "TableList1", Splitter2);
  TableList2 = ListView(bitWiseModel_, "TableList2", Splitter2);
  Splitter2->addWidget(TableList1);
  Splitter2->addWidget(TableList2);
  Splitter2->setStretchFactor(0, 0);
  Splitter2->setStretchFactor(1, 1);
  Splitter2->setSizes({kTableList1Height, 601 - kTableList1Height - kSplitterHeight});

  auto* layout = new QHBoxLayout(Panel2);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(Splitter2);
}

void TTableEd::BuildPanel() {
  Panel1 = new QFrame(this);
  Panel1->setObjectName("Panel1");
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  Panel1->setFixedWidth(kPanelWidth);

  Title = PlaceLabel(Panel1, "Title", "Table Setup", 8, 6);
  QFont titleFont = Title->font();
  titleFont.setPixelSize(16);
  titleFont.setBold(true);
  Title->setFont(titleFont);
  Title->adjustSize();

  PlaceLabel(Panel1, "TableNameLabel", "Table Name", 8, 36);
  TableName = PlaceEdit(Panel1, "TableName", 8, 50, 385);
  PlaceLabel(Panel1, "TableAddressLabel", "Table Address", 8, 80);
  TableAddress = PlaceEdit(Panel1, "TableAddress", 8, 94, 90);
  ColLabel = PlaceLabel(Panel1, "ColLabel", "Columns", 108, 80);
  Columns = PlaceEdit(Panel1, "Columns", 108, 94, 60);
  RowLabel = PlaceLabel(Panel1, "RowLabel", "Rows", 178, 80);
  Rows = PlaceEdit(Panel1, "Rows", 178, 94, 60);
  BitWiseTable = Place(new QCheckBox("Bit Wise Table", Panel1), "BitWiseTable", 256, 96, 120, 17);

  EightBitTable = Place(new QRadioButton("8 bit table", Panel1), "EightBitTable", 8, 128, 90, 17);
  SixteenBitTable =
      Place(new QRadioButton("16 bit table", Panel1), "SixteenBitTable", 8, 148, 90, 17);
  ThirtyTwoBitTable =
      Place(new QRadioButton("32 bit table", Panel1), "ThirtyTwoBitTable", 8, 168, 90, 17);
  EightBitTable->setChecked(true);

  FxxxTable = Place(new QCheckBox("Fxxx Table", Panel1), "FxxxTable", 120, 128, 100, 17);
  DPLabel = PlaceLabel(Panel1, "DPLabel", "Decimal Point Position", 120, 154);
  DecimalPos = Place(new QComboBox(Panel1), "DecimalPos", 240, 150, 56, 21);
  DecimalPos->setEditable(true);
  for (int position = 0; position < 32; ++position) DecimalPos->addItem(QString::number(position));
  DecimalPos->setEditText("0");
  // Disabled until a handler first applies the ordinary layout.
  FxxxTable->setEnabled(false);
  DecimalPos->setEnabled(false);

  XYZPanel = Place(new QWidget(Panel1), "XYZPanel", 8, 196, 387, 326);
  BuildAxes();

  MultiBytePanel = Place(new QWidget(Panel1), "MultiBytePanel", 8, 196, 387, 326);
  bitNamesModel_ = new QStandardItemModel(1 + BitWiseDefinition::BitCount, 2, this);
  bitNamesModel_->setHorizontalHeaderLabels({"Bit", "Description"});
  const auto fixedCell = [](const QString& text) {
    auto* item = new QStandardItem(text);
    item->setFlags(Qt::ItemIsEnabled);
    return item;
  };
  bitNamesModel_->setItem(0, 0, fixedCell("Bit"));
  bitNamesModel_->setItem(0, 1, fixedCell("Description"));
  for (int bit = 0; bit < BitWiseDefinition::BitCount; ++bit) {
    bitNamesModel_->setItem(bit + 1, 0, fixedCell(QString::number(bit)));
  }
  MultiBitNames = new QTableView(MultiBytePanel);
  MultiBitNames->setObjectName("MultiBitNames");
  MultiBitNames->setModel(bitNamesModel_);
  MultiBitNames->setGeometry(MultiBytePanel->rect());
  MultiBitNames->setEditTriggers(QAbstractItemView::AllEditTriggers);
  MultiBitNames->setSelectionMode(QAbstractItemView::SingleSelection);
  MultiBitNames->verticalHeader()->hide();
  MultiBitNames->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  MultiBitNames->verticalHeader()->setDefaultSectionSize(kRowHeight);
  MultiBitNames->horizontalHeader()->setFixedHeight(kRowHeight + 2);
  MultiBitNames->horizontalHeader()->setMinimumSectionSize(kBitColumnWidth);
  MultiBitNames->horizontalHeader()->setStretchLastSection(true);
  MultiBitNames->setColumnWidth(0, kBitColumnWidth);
  MultiBitNames->setRowHidden(0, true);
  MultiBytePanel->hide();
  MultiBytePanel->setEnabled(false);

  AddTable = Place(new QPushButton("Add Table", Panel1), "AddTable", 8, 534, 120, 25);
  DelTable = Place(new QPushButton("Delete Table", Panel1), "DelTable", 140, 534, 120, 25);
  Import = Place(new QPushButton("Import .ecu", Panel1), "Import", 272, 534, 120, 25);
  LoadQVT = Place(new QPushButton("Load Tables", Panel1), "LoadQVT", 8, 566, 120, 25);
  SaveQVT = Place(new QPushButton("Save Tables", Panel1), "SaveQVT", 140, 566, 120, 25);
  Export = Place(new QPushButton("Export .ecu", Panel1), "Export", 272, 566, 120, 25);
}

void TTableEd::BuildAxes() {
  // Per axis: its name, then the scaling rule "True Value = scale x Table Value + offset".
  struct Axis {
    const char* caption;
    const char* prefix;
    QLineEdit** name;
    QLineEdit** scale;
    QLineEdit** offset;
  };
  const std::array<Axis, 3> axes = {{{"X Label", "X", &XLabelName, &XScale, &XOffset},
                                     {"Y Label", "Y", &YLabelName, &YScale, &YOffset},
                                     {"Z Label", "Z", &ZLabelName, &ZScale, &ZOffset}}};
  int top = 0;
  for (const Axis& axis : axes) {
    const std::string prefix = axis.prefix;
    PlaceLabel(XYZPanel, (prefix + "AxisLabel").c_str(), axis.caption, 0, top + 4);
    *axis.name = PlaceEdit(XYZPanel, (prefix + "LabelName").c_str(), 60, top, 327);
    PlaceLabel(XYZPanel, (prefix + "TrueValueLabel").c_str(), "True Value =", 0, top + 32);
    *axis.scale = PlaceEdit(XYZPanel, (prefix + "Scale").c_str(), 70, top + 28, 80);
    PlaceLabel(XYZPanel, (prefix + "TableValueLabel").c_str(), "x Table Value +", 158, top + 32);
    *axis.offset = PlaceEdit(XYZPanel, (prefix + "Offset").c_str(), 240, top + 28, 80);
    top += 68;
  }
}

void TTableEd::ConnectHandlers() {
  // Every panel box was made by PlaceEdit.
  for (QLineEdit* edit : PanelBoxes()) {
    static_cast<TPanelEdit*>(edit)->KeyTaken = [this] {
      RunHandler([this] { XLabelNameKeyPress(); });
    };
  }
  TableList1->installEventFilter(this);
  TableList1->viewport()->installEventFilter(this);

  // The lists' current rows follow the grids' selected cells however they move.
  for (const ListKind kind : {ListKind::Ordinary, ListKind::BitWise}) {
    connect(View(kind)->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this, kind] { TakeCurrentRow(kind); });
  }
  ConnectHandler(TableList1, &QTableView::clicked, this, &TTableEd::TableList1Click);
  ConnectHandler(TableList2, &QTableView::clicked, this, &TTableEd::TableList2Click);
  ConnectHandler(BitWiseTable, &QCheckBox::clicked, this, &TTableEd::BitWiseTableClick);
  for (QRadioButton* width : {EightBitTable, SixteenBitTable, ThirtyTwoBitTable}) {
    ConnectHandler(width, &QRadioButton::clicked, this, &TTableEd::EightBitTableClick);
  }
  ConnectHandler(AddTable, &QPushButton::clicked, this, &TTableEd::AddTableClick);
  ConnectHandler(DelTable, &QPushButton::clicked, this, &TTableEd::DelTableClick);
  ConnectHandler(LoadQVT, &QPushButton::clicked, this, &TTableEd::LoadQVTClick);
  ConnectHandler(SaveQVT, &QPushButton::clicked, this, &TTableEd::SaveQVTClick);
  ConnectHandler(Import, &QPushButton::clicked, this, &TTableEd::ImportClick);
  ConnectHandler(Export, &QPushButton::clicked, this, &TTableEd::ExportClick);
}

bool TTableEd::eventFilter(QObject* watched, QEvent* event) {
  if (watched == TableList1 && event->type() == QEvent::KeyRelease) {
    RunHandler([this] { TableList1KeyUp(); });
    return false;
  }
  if (watched == TableList1->viewport() && event->type() == QEvent::MouseButtonDblClick) {
    // A double-click on a definition opens it; the click before it has shown it in the panel.
    const QModelIndex cell =
        TableList1->indexAt(static_cast<QMouseEvent*>(event)->position().toPoint());
    if (!cell.isValid() || cell.row() == 0) return false;
    if (cell != TableList1->currentIndex()) {
      TableList1->setCurrentIndex(cell);
      RunHandler([this] { TableList1Click(); });
    }
    RunHandler([this] { TableList1DblClick(); });
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

TDefinitionListModel* TTableEd::Model(ListKind kind) const {
  return kind == ListKind::Ordinary ? ordinaryModel_ : bitWiseModel_;
}

QTableView* TTableEd::View(ListKind kind) const {
  return kind == ListKind::Ordinary ? TableList1 : TableList2;
}

void TTableEd::TakeCurrentRow(ListKind kind) {
  const QModelIndex current = View(kind)->currentIndex();
  if (current.isValid()) Lists.List(kind).SetCurrentRow(current.row());
}

void TTableEd::SelectCurrentRow(ListKind kind) {
  QTableView* view = View(kind);
  const int column = std::max(view->currentIndex().column(), 0);
  view->setCurrentIndex(Model(kind)->index(Lists.List(kind).CurrentRow(), column));
}

void TTableEd::RestoreView(ListKind kind, const QList<int>& widths) {
  QTableView* view = View(kind);
  view->setRowHidden(0, true);
  for (int c = 0; c < widths.size(); ++c) view->setColumnWidth(c, widths[c]);
  SelectCurrentRow(kind);
}

void TTableEd::ResetLists(const std::function<void()>& change) {
  // A reset forgets the views' column widths and current cells; they are put back after it.
  std::array<QList<int>, 2> widths;
  for (const ListKind kind : {ListKind::Ordinary, ListKind::BitWise}) {
    const QHeaderView* header = View(kind)->horizontalHeader();
    for (int c = 0; c < header->count(); ++c) {
      widths[static_cast<int>(kind)].append(header->sectionSize(c));
    }
  }
  bitWiseModel_->ResetWith([&] { ordinaryModel_->ResetWith(change); });
  for (const ListKind kind : {ListKind::Ordinary, ListKind::BitWise}) {
    RestoreView(kind, widths[static_cast<int>(kind)]);
  }
}

std::array<QLineEdit*, kPanelBoxCount> TTableEd::PanelBoxes() const {
  // In the order of PanelBox.
  return {TableName,  TableAddress, Columns, Rows,       XLabelName, XScale, XOffset,
          YLabelName, YScale,       YOffset, ZLabelName, ZScale,     ZOffset};
}

QRadioButton* TTableEd::WidthButton(EntryWidth width) const {
  if (width == EntryWidth::k16Bit) return SixteenBitTable;
  if (width == EntryWidth::k32Bit) return ThirtyTwoBitTable;
  return EightBitTable;
}

EntryWidth TTableEd::CheckedWidth() const {
  if (SixteenBitTable->isChecked()) return EntryWidth::k16Bit;
  if (ThirtyTwoBitTable->isChecked()) return EntryWidth::k32Bit;
  return EntryWidth::k8Bit;
}

void TTableEd::ShowFields(int row, std::span<const PanelField> fields) {
  const std::array<QLineEdit*, kPanelBoxCount> boxes = PanelBoxes();
  for (const PanelField& field : fields) {
    boxes[Index(field.Box)]->setText(FieldText(Lists.Ordinary.Field(row, field.Column)));
  }
}

void TTableEd::AddTableFromCursor() {
  const CursorInputs inputs = Main->CurrentInputs();
  const ListKind kind = inputs.MultiBit ? ListKind::BitWise : ListKind::Ordinary;
  Model(kind)->AppendWith([&] { AddDefinitionFromInputs(Lists, inputs); });
}

void TTableEd::ClearLists() {
  ResetLists([this] {
    Lists.Ordinary.Clear();
    Lists.BitWise.Clear();
  });
}

void TTableEd::ReadEcuFile(const std::string& path) {
  QWidget* parent = isVisible() ? static_cast<QWidget*>(this) : Main;
  // Read into new lists first, so a cancelled read leaves the lists, the header and the
  // current table as they were.
  EcuHeader header = Header;
  TableDefinitions lists;
  const EcuReadReport report = ::ReadEcuFile(
      path, header, lists,
      FileProgress(parent, "Importing", path, true, ImportProgressDelayMs).ForReading());
  if (report.Status == EcuReadStatus::Cancelled) return;
  ResetLists([&] {
    if (report.Status == EcuReadStatus::CouldNotOpen) return;  // nothing was read
    Header = header;
    Lists = std::move(lists);
  });
  if (!report.Message.empty()) ShowBox(parent, kEcuErrorTitle, report.Message, QMessageBox::Ok);
  if (!report.OpenRow) return;
  Lists.Ordinary.SetCurrentRow(*report.OpenRow);
  OpenFirstOrdinary(parent, report.OpenFailureMessage());
}

void TTableEd::OpenFirstOrdinary(QWidget* parent, const std::string& failure) {
  // The list's current row is shown in the panel and becomes the current table; a row that
  // cannot be shown or opened ends this with `failure`, or with what was wrong in it.
  try {
    SelectCurrentRow(ListKind::Ordinary);
    TableList1Click();
    TableList1DblClick();
  } catch (const ConversionError& error) {
    ShowBox(parent, kEcuErrorTitle, failure.empty() ? std::string(error.what()) : failure,
            QMessageBox::Ok);
  }
}

void TTableEd::ExportEcuFile(const std::string& path) {
  const EcuWriteReport report =
      WriteEcuFile(path, Header, Lists, FileProgress(this, "Exporting", path, false).ForWriting());
  switch (report.Status) {
    case EcuWriteStatus::Written:
      return;
    case EcuWriteStatus::CouldNotOpen:
      ShowBox(this, kEcuErrorTitle, report.Message, QMessageBox::Ok);
      return;
    case EcuWriteStatus::Failed:
      // The answer is not looked at: either button just closes the box.
      ShowBox(this, kEcuErrorTitle, report.Message, QMessageBox::Ok | QMessageBox::Cancel);
      return;
  }
}

void TTableEd::TableList1Click() {
  const DefinitionList& list = Lists.Ordinary;
  const int row = list.CurrentRow();
  // Until the whole row is shown the panel holds no one definition's texts.
  panelHoldsCurrentRow_ = false;
  Lists.SelectedList = ListKind::Ordinary;
  const std::span<const PanelField> fields(kPanelFields);
  ShowFields(row, fields.first(kPanelShapeFields));

  // Checking a button here is no click of the user's: nothing is stored.
  WidthButton(PanelEntryWidth(list.Field(row, TableDefinition::EntrySize)))->setChecked(true);
  BitWiseTable->setChecked(false);
  DecimalPos->setEditText("0");
  BitWiseTableClick();

  ShowFields(row, fields.subspan(kPanelShapeFields));
  const FxxxShown fxxx = FxxxShownOf(list.Field(row, TableDefinition::FxxxTable),
                                     list.Field(row, TableDefinition::FxxxDPs));
  FxxxTable->setChecked(fxxx.Checked);
  DecimalPos->setEditText(QString::number(fxxx.DecimalPlaces));
  panelHoldsCurrentRow_ = true;
}

void TTableEd::TableList1KeyUp() { TableList1Click(); }

void TTableEd::TableList1DblClick() {
  PanelTexts texts;
  const std::array<QLineEdit*, kPanelBoxCount> boxes = PanelBoxes();
  for (std::size_t box = 0; box < kPanelBoxCount; ++box) texts[box] = Text(boxes[box]);
  // The entry size, sign and byte order are no panel text: they come with the list's row.
  OpenedTable table = OpenedTableOf(texts);
  table.EntrySize = Lists.Ordinary.Field(Lists.Ordinary.CurrentRow(), TableDefinition::EntrySize);
  const TEntryFormat format = Lists.Ordinary.Format(Lists.Ordinary.CurrentRow());
  // Float entries are opened as their raw bit patterns.
  table.EntrySigned = format.Signed && !format.Float;
  table.EntryOrder = format.Order;
  Main->OpenDefinition(table);
}

void TTableEd::TableList2Click() {
  const DefinitionList& list = Lists.BitWise;
  const int row = list.CurrentRow();
  Lists.SelectedList = ListKind::BitWise;
  TableName->setText(FieldText(list.Field(row, BitWiseDefinition::TableName)));
  TableAddress->setText(FieldText(list.Field(row, BitWiseDefinition::TableAddr)));
  BitWiseTable->setChecked(true);
  BitWiseTableClick();
  for (int bit = 0; bit < BitWiseDefinition::BitCount; ++bit) {
    bitNamesModel_->setData(bitNamesModel_->index(bit + 1, 1),
                            FieldText(list.Field(row, BitWiseDefinition::BitColumn(bit))));
  }
}

void TTableEd::BitWiseTableClick() {
  const bool bitWise = BitWiseTable->isChecked();
  MultiBytePanel->setVisible(bitWise);
  MultiBytePanel->setEnabled(bitWise);
  XYZPanel->setVisible(!bitWise);
  XYZPanel->setEnabled(!bitWise);
  for (QWidget* control : std::initializer_list<QWidget*>{FxxxTable, DecimalPos, DPLabel, Rows,
                                                          RowLabel, Columns, ColLabel}) {
    control->setEnabled(!bitWise);
  }
  if (bitWise) {
    Rows->setText("1");
    Columns->setText("1");
  }
}

void TTableEd::EightBitTableClick() { StorePanel(); }

void TTableEd::XLabelNameKeyPress() { StorePanel(); }

void TTableEd::StorePanel() {
  if (BitWiseTable->isChecked() || !panelHoldsCurrentRow_) return;
  DefinitionList& list = Lists.Ordinary;
  const int row = list.CurrentRow();
  Lists.SelectedList = ListKind::Ordinary;
  PanelTexts texts;
  const std::array<QLineEdit*, kPanelBoxCount> boxes = PanelBoxes();
  for (const PanelField& field : kPanelFields) {
    texts[Index(field.Box)] =
        FieldBytes(boxes[Index(field.Box)]->text(), list.Field(row, field.Column));
  }
  DecimalPos->setEditText("0");
  StorePanelTexts(list, row, texts, CheckedWidth());
  ordinaryModel_->RowChanged(row);
}

void TTableEd::DelTableClick() {
  const ListKind kind = Lists.SelectedList;
  Model(kind)->DeleteSelected();
  SelectCurrentRow(kind);
  // The panel still shows the deleted definition; it must not be stored over the one that
  // moved into its row.
  if (kind == ListKind::Ordinary) panelHoldsCurrentRow_ = false;
}

void TTableEd::AddTableClick() {
  // Validates the main window's table address; the definitions come from "Create Table Entry".
  Main->TableAddressCheck();
}

void TTableEd::FormClose() {
  // Through the main window's toggle, so its caption follows the window.
  Main->TableListButtonClick();
}

std::optional<std::string> TTableEd::AskOpenPath(const QString& title, const QStringList& filters) {
  const std::optional<QString> chosen =
      AskForFile(this, title, QFileDialog::AcceptOpen, lastFolder_, filters, QString());
  if (!chosen) return std::nullopt;
  lastFolder_ = QFileInfo(*chosen).absolutePath();
  return chosen->toStdString();
}

std::optional<std::string> TTableEd::AskSavePath(const QString& title, const QStringList& filters,
                                                 const QString& suffix) {
  const std::optional<QString> chosen =
      AskForFile(this, title, QFileDialog::AcceptSave, lastFolder_, filters, suffix);
  if (!chosen) return std::nullopt;
  lastFolder_ = QFileInfo(*chosen).absolutePath();
  std::string path = chosen->toStdString();
  std::error_code ignored;
  if (std::filesystem::exists(path, ignored)) {
    QMessageBox question(QMessageBox::NoIcon, "Overwrite?", "File already exists. Overwrite?",
                         QMessageBox::Yes | QMessageBox::No, this);
    if (question.exec() != QMessageBox::Yes) return std::nullopt;
    // The old file is not deleted here: the writers replace it only once they could open it.
  }
  return path;
}

void TTableEd::LoadQVTClick() {
  if (const auto path = AskOpenPath(
          "Load Tables", {"TunerPro definitions (*.xdf)",
                          "RomRaider / ECUFlash definitions (*.xml)", "All files (*)"})) {
    LoadTablesFile(*path);
  }
}

void TTableEd::SaveQVTClick() {
  if (const auto path =
          AskSavePath("Save Tables", {"TunerPro definitions (*.xdf)", "All files (*)"}, "xdf")) {
    SaveTablesFile(*path);
  }
}

void TTableEd::LoadTablesFile(const std::string& path) {
  QWidget* parent = isVisible() ? static_cast<QWidget*>(this) : Main;
  TDefinitionFileRead read = ReadDefinitionFile(path, Main->CurrentInputs().BaseAddress);
  const bool any = read.Read > 0;
  if (any) ResetLists([&] { Lists = std::move(read.Lists); });
  if (!read.Problem.empty()) {
    const std::string lead = any ? "Some tables of this file could not be read:\n"
                                 : "No tables could be read from this file:\n";
    ShowBox(parent, kEcuErrorTitle, lead + path + "\n\n" + read.Problem, QMessageBox::Ok);
  }
  if (any && Lists.Ordinary.InUse()) OpenFirstOrdinary(parent, {});
}

void TTableEd::SaveTablesFile(const std::string& path) {
  const std::string failure = WriteXdfFile(path, Lists, Main->CurrentInputs().BaseAddress);
  if (!failure.empty()) {
    ShowBox(this, kEcuErrorTitle, "The tables could not be saved:\n" + failure, QMessageBox::Ok);
  }
}

void TTableEd::AppendDefinitions(std::span<const std::vector<std::string>> rows,
                                 std::span<const TEntryFormat> formats) {
  for (std::size_t i = 0; i < rows.size(); ++i) {
    ordinaryModel_->AppendWith([&] { Lists.Ordinary.Append(rows[i], formats[i]); });
  }
}

void TTableEd::ImportClick() {
  if (const auto path =
          AskOpenPath("Pick a Marrowby file...", {"Marrowby files (*.ecu)", "All files (*.*)"})) {
    ReadEcuFile(*path);
  }
}

void TTableEd::ExportClick() {
  if (const auto path = AskSavePath("Pick a .QVT file to save...",
                                    {"Quorvel files (*.qvt)", "All files (*.*)"}, "qvt")) {
    ExportEcuFile(*path);
  }
}

void TTableEd::closeEvent(QCloseEvent* event) {
  RunHandler([this] { FormClose(); });
  event->accept();
}

void TTableEd::showEvent(QShowEvent* event) {
  // Centred on the screen when first shown; later the user's placement stays.
  if (const QScreen* display = screen(); display && !centred_) {
    centred_ = true;
    move(display->availableGeometry().center() - rect().center());
  }
  QWidget::showEvent(event);
}
