#include "app/ui/spin_controls.h"

#include "app/number_text.h"

#include <QLineEdit>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QToolButton* MakeArrow(QWidget* parent, const char* name, Qt::ArrowType arrow) {
  auto* button = new QToolButton(parent);
  button->setObjectName(name);
  button->setArrowType(arrow);
  button->setFocusPolicy(Qt::NoFocus);
  button->setAutoRepeat(true);
  button->setAutoRepeatDelay(400);
  button->setAutoRepeatInterval(100);
  button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
  button->setIconSize(QSize(7, 7));
  return button;
}

}  // namespace

TSpinButton::TSpinButton(QWidget* parent)
    : QWidget(parent),
      Up(MakeArrow(this, "Up", Qt::UpArrow)),
      Down(MakeArrow(this, "Down", Qt::DownArrow)) {
  setFocusPolicy(Qt::NoFocus);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(Up);
  layout->addWidget(Down);
  connect(Up, &QToolButton::clicked, this, &TSpinButton::UpClick);
  connect(Down, &QToolButton::clicked, this, &TSpinButton::DownClick);
}

TUpDown::TUpDown(QWidget* parent, QLineEdit* buddy, int min, int max, int position)
    : TSpinButton(parent), buddy_(buddy), min_(min), max_(max), position_(position) {
  connect(this, &TSpinButton::UpClick, this, [this] { StepBy(1); });
  connect(this, &TSpinButton::DownClick, this, [this] { StepBy(-1); });
}

void TUpDown::StepBy(int delta) {
  // Start from the number in the edit box; a text that is no number keeps the last position.
  const int current =
      std::clamp(TryParseInteger(buddy_->text().toStdString()).value_or(position_), min_, max_);
  position_ = std::clamp(current + delta, min_, max_);
  buddy_->setText(QString::fromStdString(DecimalText(position_)));
  emit Click();
}
