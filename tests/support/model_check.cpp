#include "support/model_check.h"

#include <QtGlobal>

#include <gtest/gtest.h>

#include <cstring>

namespace {

// The findings of the checks alive now, shared by all of them.
QStringList& Findings() {
  static QStringList findings;
  return findings;
}

QtMessageHandler& PreviousHandler() {
  static QtMessageHandler previous = nullptr;
  return previous;
}

// The first check alive installs the handler, the last one puts the previous one back.
int& LiveChecks() {
  static int live = 0;
  return live;
}

void RecordFinding(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type != QtDebugMsg && type != QtInfoMsg && context.category != nullptr &&
      std::strcmp(context.category, "qt.modeltest") == 0) {
    Findings().append(message);
  }
  if (PreviousHandler() != nullptr) PreviousHandler()(type, context, message);
}

}  // namespace

ModelCheck::ModelCheck(QAbstractItemModel* model) {
  if (LiveChecks()++ == 0) {
    Findings().clear();
    PreviousHandler() = qInstallMessageHandler(RecordFinding);
  }
  tester_ = std::make_unique<QAbstractItemModelTester>(
      model, QAbstractItemModelTester::FailureReportingMode::Warning);
}

ModelCheck::~ModelCheck() {
  tester_.reset();
  if (--LiveChecks() == 0) qInstallMessageHandler(PreviousHandler());
  for (const QString& finding : TakeFindings()) ADD_FAILURE() << finding.toStdString();
}

QStringList ModelCheck::TakeFindings() {
  QStringList taken;
  taken.swap(Findings());
  return taken;
}
