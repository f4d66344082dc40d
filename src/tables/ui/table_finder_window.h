#pragma once

#include "tables/table_finder.h"

#include <QWidget>

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

class QLabel;
class QPushButton;
class QTableView;
class TCandidateModel;

// The table finder's window: the candidates of the last scan, best first, each with its
// address, shape, width, byte order, score and a small heat map of its entries. A
// double-click opens a candidate as the current table; "Add to Definitions" appends the
// selected ones to the definition list.
class TTableFinder : public QWidget {
  Q_OBJECT

 public:
  struct Hooks {
    std::function<void(const TTableCandidate&)> Open;
    std::function<void(std::span<const TTableCandidate>)> Add;
  };

  TTableFinder(QWidget* parent, Hooks hooks);
  ~TTableFinder() override;

  // Lists the candidates found in `image` (kept for their pictures and reasons), their
  // addresses shown with `baseAddress` added; `source` names what was scanned.
  void ShowCandidates(std::vector<TTableCandidate> candidates, std::vector<std::uint8_t> image,
                      std::int64_t baseAddress, const QString& source);
  [[nodiscard]] const std::vector<TTableCandidate>& Candidates() const;
  // Forgets the candidates and hides the window, as when the image they lay in goes.
  void Clear();

  void CandidateListDblClick(const QModelIndex& index);
  void AddToDefinitionsClick();

  QLabel* Summary;
  QTableView* CandidateList;
  QPushButton* AddToDefinitions;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  Hooks hooks_;
  bool placed_ = false;
  TCandidateModel* model_;
};
