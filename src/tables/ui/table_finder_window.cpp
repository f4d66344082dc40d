#include "tables/ui/table_finder_window.h"

#include "app/number_text.h"
#include "app/ui/controls.h"
#include "app/ui/handlers.h"
#include "image/element_type.h"
#include "textview/heat_shade.h"

#include <QAbstractTableModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>
#include <optional>

namespace {

enum Column : int { Address, Shape, Width, Order, Score, Picture, ColumnCount };
constexpr int kPictureWidth = 64;
constexpr int kPictureHeight = 32;

// The type a candidate's entries are read with: unsigned, its width and byte order.
TElementType TypeOf(const TTableCandidate& candidate) {
  return {EntryWidth::FromBytes(candidate.Width).value_or(EntryWidth::k8Bit), false,
          candidate.LittleEndian ? TByteOrder::LittleEndian : TByteOrder::BigEndian};
}

}  // namespace

// The candidates as rows, with their pictures drawn when first shown.
class TCandidateModel : public QAbstractTableModel {
 public:
  using QAbstractTableModel::QAbstractTableModel;

  void Reset(std::vector<TTableCandidate> candidates, std::vector<std::uint8_t> image,
             std::int64_t baseAddress) {
    beginResetModel();
    candidates_ = std::move(candidates);
    image_ = std::move(image);
    base_ = baseAddress;
    pictures_.assign(candidates_.size(), QPixmap());
    endResetModel();
  }
  [[nodiscard]] const std::vector<TTableCandidate>& Candidates() const { return candidates_; }

  int rowCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : static_cast<int>(candidates_.size());
  }
  int columnCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : ColumnCount;
  }

  QVariant data(const QModelIndex& index, int role) const override {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
    const TTableCandidate& candidate = candidates_[static_cast<std::size_t>(index.row())];
    // Rich text, so a long reason wraps.
    if (role == Qt::ToolTipRole) {
      return "<p>" + Text(CandidateReason(image_, candidate)).toHtmlEscaped() + "</p>";
    }
    if (role == Qt::DecorationRole && index.column() == Picture) return PictureOf(index.row());
    if (role != Qt::DisplayRole) return {};
    switch (index.column()) {
      case Address:
        return AddressText(candidate);
      case Shape:
        return QString("%1 × %2").arg(candidate.Rows).arg(candidate.Columns);
      case Width:
        return QString("%1-bit").arg(candidate.Width * 8);
      case Order:
        return candidate.Width == 1 ? QString("—")
                                    : QString(candidate.LittleEndian ? "Little" : "Big");
      case Score:
        return QString::number(candidate.Score, 'f', 2);
      default:
        return {};
    }
  }

  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
    static const char* const captions[ColumnCount] = {"Address",    "Rows × Columns", "Width",
                                                      "Byte Order", "Score",          "Picture"};
    return section >= 0 && section < ColumnCount ? QString(captions[section]) : QVariant();
  }

 private:
  [[nodiscard]] QString AddressText(const TTableCandidate& candidate) const {
    const std::int64_t address = base_ + candidate.Offset;
    if (address < 0 || address > std::numeric_limits<std::int32_t>::max()) {
      return QString("0x%1").arg(address, 8, 16, QChar('0')).toUpper().replace("0X", "0x");
    }
    return Text(HexText(static_cast<std::int32_t>(address), 4));
  }

  // A heat map of the entries, one pixel per sampled entry, scaled to the picture's size.
  [[nodiscard]] QPixmap PictureOf(int row) const {
    QPixmap& cached = pictures_[static_cast<std::size_t>(row)];
    if (!cached.isNull()) return cached;
    const TTableCandidate& candidate = candidates_[static_cast<std::size_t>(row)];
    const TElementType type = TypeOf(candidate);
    const int columns = std::clamp(candidate.Columns, 1, kPictureWidth);
    const int rows = std::clamp(candidate.Rows, 1, kPictureHeight);
    std::vector<std::int64_t> values(static_cast<std::size_t>(rows * columns), 0);
    TValueRange range{std::numeric_limits<std::int64_t>::max(),
                      std::numeric_limits<std::int64_t>::min()};
    for (int y = 0; y < rows; ++y) {
      for (int x = 0; x < columns; ++x) {
        const std::int64_t entry = std::int64_t{y} * candidate.Rows / rows * candidate.Columns +
                                   std::int64_t{x} * candidate.Columns / columns;
        const std::optional<std::int64_t> value =
            ReadValue(image_, candidate.Offset + entry * candidate.Width, type);
        if (!value) continue;
        values[static_cast<std::size_t>(y * columns + x)] = *value;
        range.min = std::min(range.min, *value);
        range.max = std::max(range.max, *value);
      }
    }
    if (range.min > range.max) range = {};
    QImage picture(columns, rows, QImage::Format_RGB32);
    for (int y = 0; y < rows; ++y) {
      for (int x = 0; x < columns; ++x) {
        const TRgb shade =
            HeatShade(values[static_cast<std::size_t>(y * columns + x)], range).background;
        picture.setPixel(x, y, qRgb(shade.red, shade.green, shade.blue));
      }
    }
    cached = QPixmap::fromImage(picture.scaled(kPictureWidth, kPictureHeight, Qt::IgnoreAspectRatio,
                                               Qt::FastTransformation));
    return cached;
  }

  std::vector<TTableCandidate> candidates_;
  std::vector<std::uint8_t> image_;
  std::int64_t base_ = 0;
  mutable std::vector<QPixmap> pictures_;
};

TTableFinder::TTableFinder(QWidget* parent, Hooks hooks)
    : QWidget(parent, Qt::Window), hooks_(std::move(hooks)), model_(new TCandidateModel(this)) {
  setObjectName("TableFinder");
  setWindowTitle("Find Tables");
  resize(560, 420);

  Summary = new QLabel(this);
  Summary->setObjectName("Summary");
  CandidateList = new QTableView(this);
  CandidateList->setObjectName("CandidateList");
  CandidateList->setModel(model_);
  CandidateList->setSelectionBehavior(QAbstractItemView::SelectRows);
  CandidateList->setSelectionMode(QAbstractItemView::ExtendedSelection);
  CandidateList->setEditTriggers(QAbstractItemView::NoEditTriggers);
  CandidateList->setIconSize(QSize(kPictureWidth, kPictureHeight));
  CandidateList->verticalHeader()->hide();
  CandidateList->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  CandidateList->verticalHeader()->setDefaultSectionSize(kPictureHeight + 4);
  CandidateList->horizontalHeader()->setStretchLastSection(true);
  CandidateList->setWordWrap(false);
  AddToDefinitions = new QPushButton("Add to Definitions", this);
  AddToDefinitions->setObjectName("AddToDefinitions");

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(AddToDefinitions);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Summary);
  layout->addWidget(CandidateList, 1);
  layout->addLayout(buttons);

  connect(CandidateList, &QAbstractItemView::doubleClicked, this,
          [this](const QModelIndex& index) { RunHandler([&] { CandidateListDblClick(index); }); });
  ConnectHandler(AddToDefinitions, &QPushButton::clicked, this,
                 &TTableFinder::AddToDefinitionsClick);
}

TTableFinder::~TTableFinder() = default;

void TTableFinder::ShowCandidates(std::vector<TTableCandidate> candidates,
                                  std::vector<std::uint8_t> image, std::int64_t baseAddress,
                                  const QString& source) {
  const std::size_t count = candidates.size();
  model_->Reset(std::move(candidates), std::move(image), baseAddress);
  Summary->setText(count == 1 ? QString("1 candidate in %1").arg(source)
                              : QString("%1 candidates in %2").arg(count).arg(source));
  CandidateList->resizeColumnsToContents();
  if (count > 0) CandidateList->selectRow(0);
}

void TTableFinder::showEvent(QShowEvent* event) {
  // Centred on the screen when first shown; later the user's placement stays.
  if (const QScreen* display = screen(); display && !placed_) {
    placed_ = true;
    move(display->availableGeometry().center() - rect().center());
  }
  QWidget::showEvent(event);
}

void TTableFinder::Clear() {
  model_->Reset({}, {}, 0);
  Summary->clear();
  hide();
}

const std::vector<TTableCandidate>& TTableFinder::Candidates() const {
  return model_->Candidates();
}

void TTableFinder::CandidateListDblClick(const QModelIndex& index) {
  if (!index.isValid() || !hooks_.Open) return;
  hooks_.Open(Candidates()[static_cast<std::size_t>(index.row())]);
}

void TTableFinder::AddToDefinitionsClick() {
  QModelIndexList rows = CandidateList->selectionModel()->selectedRows();
  std::sort(rows.begin(), rows.end(),
            [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
  std::vector<TTableCandidate> chosen;
  for (const QModelIndex& row : rows)
    chosen.push_back(Candidates()[static_cast<std::size_t>(row.row())]);
  if (!chosen.empty() && hooks_.Add) hooks_.Add(chosen);
}
