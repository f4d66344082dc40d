#include "graphview/ui/graph_edit.h"

#include "app/ui/controls.h"

#include "app/number_text.h"
#include "app/session.h"
#include "app/ui/handlers.h"
#include "app/ui/main_window.h"
#include "app/ui/windows.h"
#include "graphview/table_heights.h"
#include "plot/xyz_plot.h"
#include "tables/ui/table_ed.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>

#include <algorithm>
#include <utility>

namespace {

constexpr int kPanel2Height = 81;
constexpr TColor kNavy = 0x800000;
constexpr TColor kLime = 0x00FF00;

// The view of a table one row or one column deep: from the side, level.
void TurnToTheSide(TXYZPlot& plot, double phi) {
  plot.SetPhi(phi);
  plot.SetPsi(0.0);
  plot.SetTheta(0.0);
}

QLabel* PanelLabel(QWidget* parent, const char* name, const char* text, int left, int top,
                   const QColor& color = QColor()) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setGeometry(left, top, 380, 16);
  if (color.isValid()) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
  }
  return label;
}

}  // namespace

TGraphEdit::TGraphEdit(TSession& session) : session_(session) {
  setObjectName("GraphEdit");
  setWindowTitle("GraphEdit");

  Panel2 = new QWidget(this);
  Panel2->setObjectName("Panel2");
  CurrentTable = PanelLabel(Panel2, "CurrentTable", "Current Table :", 8, 8);
  TableAddress = PanelLabel(Panel2, "TableAddress", "Table Address :", 8, 24);
  Rows = PanelLabel(Panel2, "Rows", "Rows :", 8, 40);
  Columns = PanelLabel(Panel2, "Columns", "Columns :", 8, 56);
  CreateTableEntry = new QPushButton("Create Table Entry", Panel2);
  CreateTableEntry->setObjectName("CreateTableEntry");
  CreateTableEntry->setGeometry(662, 8, 147, 25);
  ConnectHandler(CreateTableEntry, &QPushButton::clicked, this, &TGraphEdit::CreateTableEntryClick);

  Panel1 = new QWidget(this);
  Panel1->setObjectName("Panel1");
  XYZGraph = new TXYZPlot(Panel1);
  XYZGraph->setObjectName("XYZGraph");
  XYZGraph->SetXMax(1.0);
  XYZGraph->SetYMax(1.0);
  XYZGraph->SetZMax(1.0);
  XYZGraph->SetPhi(3.5);
  XYZGraph->SetPsi(0.2);
  XYZGraph->SetPerspectiveOn(false);
  XYZGraph->SetVanishingPoint(100.0);

  // The axis names in the colours of the plot's X, Y and Z axes.
  XLabel = PanelLabel(Panel2, "XLabel", "", 272, 8, TImageCanvas::ToColor(XYZGraph->XAxisColor()));
  YLabel = PanelLabel(Panel2, "YLabel", "", 272, 32, TImageCanvas::ToColor(XYZGraph->YAxisColor()));
  ZLabel = PanelLabel(Panel2, "ZLabel", "", 272, 56, TImageCanvas::ToColor(XYZGraph->ZAxisColor()));

  StatusBar1 = new QStatusBar(this);
  StatusBar1->setObjectName("StatusBar1");
  StatusBar1->setSizeGripEnabled(false);

  session_.Document().AddListener(*this);
  resize(828, 615);
  move(236, 283);
}

TGraphEdit::~TGraphEdit() { session_.Document().RemoveListener(*this); }

void TGraphEdit::DocumentChanged(const TDocumentChange&) { PlotTable(); }

void TGraphEdit::PlotTable() {
  Main->ReadTableSize();
  const TTableLayout table = LayoutOf(session_.Cursor());
  const std::int32_t rows = table.Rows;
  const std::int32_t columns = table.Columns;

  // The data block is sized to the table, up to 256 × 256; entries outside the image are not
  // read and plot at height ZOffset.
  heights_ = TableHeights(session_.Image(), table, std::move(heights_));
  const int plotRows = std::clamp(rows, 0, kMaxSide);
  const int plotColumns = std::clamp(columns, 0, kMaxSide);

  // A table of one row (column) is seen from the side, without the labels along Y (X). A label
  // switch already in place is left alone: it would only draw the same picture again.
  if (rows == 1) {
    TurnToTheSide(*XYZGraph, 3.14159);
    XYZGraph->SetShowYLabel(false);
  } else if (!XYZGraph->ShowYLabel()) {
    XYZGraph->SetShowYLabel(true);
  }
  if (columns == 1) {
    TurnToTheSide(*XYZGraph, 4.712385);
    XYZGraph->SetShowXLabel(false);
  } else if (!XYZGraph->ShowXLabel()) {
    XYZGraph->SetShowXLabel(true);
  }
  XYZGraph->XYZPlot(heights_, plotColumns, plotRows, 0.0, 255.0, 0.0, 255.0, 0, psGrid, kNavy,
                    kLime);

  XLabel->setText(Text(table.XLabelName));
  YLabel->setText(Text(table.YLabelName));
  ZLabel->setText(Text(table.ZLabelName));
  Rows->setText("Rows : " + QString::number(rows));
  Columns->setText("Columns : " + QString::number(columns));
  CurrentTable->setText("Table : " + Text(table.TableName));
  // HexText's "0x" and at least four upper-case digits.
  TableAddress->setText("Address : " + Text(HexText(table.TableAddress, 4)));
}

void TGraphEdit::FormResize() {
  const int statusHeight = StatusBar1->sizeHint().height();
  Panel2->setGeometry(0, 0, width(), kPanel2Height);
  StatusBar1->setGeometry(0, height() - statusHeight, width(), statusHeight);
  Panel1->setGeometry(0, kPanel2Height, width(),
                      std::max(0, height() - kPanel2Height - statusHeight));
  XYZGraph->setGeometry(Panel1->rect());
  PlotTable();
}

void TGraphEdit::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  RunHandler([this] { FormResize(); });
}

void TGraphEdit::CreateTableEntryClick() { TableEd->AddTableFromCursor(); }

void TGraphEdit::closeEvent(QCloseEvent* event) {
  // Closing goes through the main window's toggle, so its caption follows the window.
  RunHandler([] { Main->GraphicsModeButtonClick(); });
  event->accept();
}
