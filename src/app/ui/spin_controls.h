#pragma once

#include <QToolButton>
#include <QWidget>

class QLineEdit;

// Two arrow buttons, `Up` above `Down`. They never take the keyboard focus and repeat their
// click while held: first after 400 ms, then every 100 ms.
class TSpinButton : public QWidget {
  Q_OBJECT

 public:
  explicit TSpinButton(QWidget* parent);

  QToolButton* Up;
  QToolButton* Down;

 signals:
  void UpClick();
  void DownClick();
};

// An up-down bound to an edit box: each click steps the box's number by one within
// Min … Max, stopping at the ends, and then signals Click.
class TUpDown : public TSpinButton {
  Q_OBJECT

 public:
  TUpDown(QWidget* parent, QLineEdit* buddy, int min, int max, int position);

  [[nodiscard]] int Min() const { return min_; }
  [[nodiscard]] int Max() const { return max_; }
  [[nodiscard]] int Position() const { return position_; }

 signals:
  void Click();

 private:
  void StepBy(int delta);

  QLineEdit* buddy_;
  int min_;
  int max_;
  int position_;
};
