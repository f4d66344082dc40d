#pragma once

#include <QAbstractItemModelTester>
#include <QStringList>

#include <memory>

class QAbstractItemModel;

// Checks a model's contract with QAbstractItemModelTester for as long as it lives, and makes
// every finding of the tester a failure of the running test (checks alive at the same time
// share their findings). The tester only prints its
// findings as warnings, so without this a broken rowCount() would pass.
class ModelCheck {
 public:
  explicit ModelCheck(QAbstractItemModel* model);
  ModelCheck(const ModelCheck&) = delete;
  ModelCheck& operator=(const ModelCheck&) = delete;
  // Fails the running test with every finding not taken before.
  ~ModelCheck();

  // The findings so far, which then no longer fail the test.
  [[nodiscard]] QStringList TakeFindings();

 private:
  std::unique_ptr<QAbstractItemModelTester> tester_;
};
