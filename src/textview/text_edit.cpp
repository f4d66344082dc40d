#include "textview/text_edit.h"

#include "app/application.h"
#include "app/main_window.h"
#include "app/number_text.h"
#include "app/screen_placement.h"
#include "app/shared_state.h"
#include "app/windows.h"
#include "graphview/graph_edit.h"
#include "image/table_entry.h"
#include "textview/text_grid_model.h"

#include <QCloseEvent>
#include <QGlyphRun>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QRadioButton>
#include <QRawFont>
#include <QScrollBar>
#include <QStyleFactory>
#include <QStyleOptionHeader>
#include <QStyledItemDelegate>
#include <QTableView>

#include <algorithm>
#include <array>
#include <optional>

// The in-place editor's delegate: keys typed into the editor reach the window's key handler
// before the editor or the delegate's own handling sees them.
class TTextGridDelegate : public QStyledItemDelegate {
 public:
  TTextGridDelegate(TTextEdit* owner, QObject* parent)
      : QStyledItemDelegate(parent), owner_(owner) {}

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override {
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    openEditor_ = editor;
    return editor;
  }

  // The editor open now, if any.
  [[nodiscard]] QWidget* OpenEditor() const { return openEditor_; }

  // Stores the editor's text in its cell (when asked) and closes the editor.
  void Finish(QWidget* editor, bool keepTypedText) {
    if (keepTypedText) emit commitData(editor);
    emit closeEditor(editor, QAbstractItemDelegate::NoHint);
    openEditor_ = nullptr;
  }

 protected:
  bool eventFilter(QObject* object, QEvent* event) override {
    if (event->type() == QEvent::KeyPress) {
      bool consumed = false;
      RunHandler([&] { consumed = owner_->TextGridKeyPress(static_cast<QKeyEvent*>(event)); });
      if (consumed) return true;
    }
    return QStyledItemDelegate::eventFilter(object, event);
  }

 private:
  TTextEdit* owner_;
  mutable QPointer<QWidget> openEditor_;
};

// The grid's top-left cell, drawn as a header section showing the table address.
class TGridCorner : public QWidget {
 public:
  explicit TGridCorner(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
  }

  void SetText(const QString& text) {
    text_ = text;
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    QStyleOptionHeader option;
    option.initFrom(this);
    option.rect = rect();
    option.text = text_;
    option.textAlignment = Qt::AlignCenter;
    option.position = QStyleOptionHeader::OnlyOneSection;
    style()->drawControl(QStyle::CE_Header, &option, &painter, this);
  }

 private:
  QString text_;
};

// Draws short ASCII texts right-aligned from glyphs looked up once per character, so a cell
// costs no text shaping; any other character falls back to the painter's own text drawing.
class TCellTextPainter {
 public:
  void Draw(QPainter& painter, const QFont& font, int right, int baseline, const QString& text) {
    if (font_ != font) {
      font_ = font;
      rawFont_ = QRawFont::fromFont(font);
      glyphs_.fill(0);
      advances_.fill(0.0);
    }
    indexes_.clear();
    positions_.clear();
    qreal x = 0;
    for (const QChar c : text) {
      const ushort code = c.unicode();
      if (code >= glyphs_.size() || !rawFont_.isValid()) {
        painter.drawText(right - QFontMetrics(font).horizontalAdvance(text), baseline, text);
        return;
      }
      if (glyphs_[code] == 0) {
        const QList<quint32> found = rawFont_.glyphIndexesForString(QString(c));
        if (found.isEmpty() || found[0] == 0) {
          painter.drawText(right - QFontMetrics(font).horizontalAdvance(text), baseline, text);
          return;
        }
        glyphs_[code] = found[0];
        advances_[code] = rawFont_.advancesForGlyphIndexes(found).value(0).x();
      }
      indexes_.append(glyphs_[code]);
      positions_.append(QPointF(x, 0));
      x += advances_[code];
    }
    QGlyphRun run;
    run.setRawFont(rawFont_);
    run.setGlyphIndexes(indexes_);
    run.setPositions(positions_);
    painter.drawGlyphRun(QPointF(right - x, baseline), run);
  }

 private:
  std::optional<QFont> font_;
  QRawFont rawFont_;
  std::array<quint32, 128> glyphs_{};
  std::array<qreal, 128> advances_{};
  QList<quint32> indexes_;
  QList<QPointF> positions_;
};

// The grid: cells are plain right-aligned number texts, painted here in one pass over the
// visible cells straight from the model's texts, without the per-cell item machinery, so a
// full grid paints quickly at any table size.
class TTextGrid : public QTableView {
 public:
  TTextGrid(TTextGridModel* model, QWidget* parent) : QTableView(parent), model_(model) {
    setModel(model);
  }

 protected:
  void paintEvent(QPaintEvent* event) override {
    QPainter painter(viewport());
    const QRect area = event->rect();
    const int rows = model_->rowCount();
    const int columns = model_->columnCount();
    // An area past the last row or column holds no cell; the background is already there.
    if (rows < 2 || columns < 2 || rowAt(area.top()) < 0 || columnAt(area.left()) < 0) return;
    const int firstRow = std::max(1, rowAt(area.top()));
    const int lastRow = rowAt(area.bottom()) < 0 ? rows - 1 : rowAt(area.bottom());
    const int firstColumn = std::max(1, columnAt(area.left()));
    const int lastColumn = columnAt(area.right()) < 0 ? columns - 1 : columnAt(area.right());

    const QFontMetrics metrics = fontMetrics();
    const QColor text = palette().color(QPalette::Text);
    const QColor grid = QColor::fromRgba(
        static_cast<QRgb>(style()->styleHint(QStyle::SH_Table_GridLineColor, nullptr, this)));
    const QModelIndex current = currentIndex();
    int right = 0;
    int bottom = 0;
    for (int r = firstRow; r <= lastRow; ++r) {
      const int top = rowViewportPosition(r);
      const int height = rowHeight(r);
      bottom = top + height - 1;
      const int baseline = top + (height + metrics.ascent() - metrics.descent()) / 2;
      for (int c = firstColumn; c <= lastColumn; ++c) {
        const QRect cell(columnViewportPosition(c), top, columnWidth(c), height);
        right = cell.right();
        const bool selected = current.row() == r && current.column() == c;
        if (selected) painter.fillRect(cell.adjusted(0, 0, -1, -1), palette().highlight());
        painter.setPen(selected ? palette().color(QPalette::HighlightedText) : text);
        cellText_.Draw(painter, font(), cell.right() - 3, baseline, model_->CellText(r, c));
      }
    }
    // Grid lines along each cell's right and bottom edge.
    painter.setPen(grid);
    for (int r = firstRow; r <= lastRow; ++r) {
      const int y = rowViewportPosition(r) + rowHeight(r) - 1;
      painter.drawLine(0, y, right, y);
    }
    for (int c = firstColumn; c <= lastColumn; ++c) {
      const int x = columnViewportPosition(c) + columnWidth(c) - 1;
      painter.drawLine(x, 0, x, bottom);
    }
  }

 private:
  TTextGridModel* model_;
  TCellTextPainter cellText_;
};

// A header of fixed thickness: the grid's header row is one row high and its header column
// 45 pixels wide, so there is no need to measure every section's text after each refresh.
class TFixedHeader : public QHeaderView {
 public:
  TFixedHeader(Qt::Orientation orientation, int thickness, QWidget* parent)
      : QHeaderView(orientation, parent), thickness_(thickness) {
    setSectionResizeMode(QHeaderView::Fixed);
    setMinimumSectionSize(1);
    setHighlightSections(false);
    setDefaultAlignment(Qt::AlignCenter);
  }

  QSize sizeHint() const override {
    return orientation() == Qt::Horizontal ? QSize(0, thickness_) : QSize(thickness_, 0);
  }

 private:
  int thickness_;
};

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
  delegate_ = new TTextGridDelegate(this, TextGrid);
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
  layout.tableAddress = ParseInteger(Main->TableAddress->text().toStdString());
  layout.width = Main->GetEntryWidth();
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
  if (const int columnWidth = layout.width * 20 + 10;
      reset || columnHeaders->defaultSectionSize() != columnWidth) {
    columnHeaders->setDefaultSectionSize(columnWidth);
  }
  corner_->SetText(model_->CellText(0, 0));
  const QModelIndex current = TextGrid->currentIndex();
  if (!current.isValid() || current.row() == 0 || current.column() == 0) {
    TextGrid->setCurrentIndex(model_->index(1, 1));
  }
}

void TTextEdit::FillCell(std::int32_t row, std::int32_t column, int width) {
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
  if (event->type() == QEvent::KeyPress) {
    bool consumed = false;
    RunHandler([&] { consumed = TextGridKeyPress(static_cast<QKeyEvent*>(event)); });
    if (consumed) return true;
  }
  return QWidget::eventFilter(watched, event);
}

bool TTextEdit::TextGridKeyPress(const QKeyEvent* key) {
  if (IsEnter(key)) {
    EnterKey();
    // An open editor was closed here; the key must not reach it and commit its text again.
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
  const int width = Main->GetEntryWidth();
  try {
    const std::int32_t value = ParseInteger(model_->CellText(row + 1, column + 1).toStdString());
    // An entry outside the image is never written; its cell simply shows empty again.
    WriteEntry(row, column, static_cast<std::uint32_t>(value), width);
  } catch (const ConversionError&) {
    QMessageBox box(QMessageBox::NoIcon, "Input Error",
                    "Bad value. Must be decimal or hex with a leading '0x'", QMessageBox::Ok, this);
    box.exec();
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
  const int width = Main->GetEntryWidth();
  if (!EntryPastEnd(row, column, width)) {
    WriteEntry(row, column, ReadEntry(row, column, width) + static_cast<std::uint32_t>(step),
               width);
  }
  GraphEdit->PlotTable();
  FillCell(row, column, width);
}

void TTextEdit::closeEvent(QCloseEvent* event) {
  // Closing goes through the main window's toggle, so its caption follows the window.
  RunHandler([] { Main->TextModeButtonClick(); });
  event->accept();
}
