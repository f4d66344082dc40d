// The model check fails a test for a model that breaks its contract.

#include "support/model_check.h"

#include <QAbstractTableModel>

#include <gtest/gtest.h>

namespace {

// A table model of 3 × 2 cells whose row count can be made wrong.
class CountedModel : public QAbstractTableModel {
 public:
  int rows = 3;
  bool cellsHaveRows = false;  // a table cell has no rows of its own

  int rowCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() && !cellsHaveRows ? 0 : rows;
  }
  int columnCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : 2;
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid) || role != Qt::DisplayRole) return {};
    return index.row() * 10 + index.column();
  }
};

TEST(ModelCheckTest, ASoundModelHasNoFindings) {
  CountedModel model;
  ModelCheck check(&model);
  EXPECT_TRUE(check.TakeFindings().isEmpty());
}

// Regression: the tester's findings were only printed, so a broken row count passed.
TEST(ModelCheckTest, ANegativeRowCountIsAFinding) {
  CountedModel model;
  model.rows = -1;
  ModelCheck check(&model);
  EXPECT_FALSE(check.TakeFindings().isEmpty());
}

TEST(ModelCheckTest, RowsUnderACellAreAFinding) {
  CountedModel model;
  model.cellsHaveRows = true;
  ModelCheck check(&model);
  EXPECT_FALSE(check.TakeFindings().isEmpty());
}

}  // namespace
