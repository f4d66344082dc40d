#pragma once

#include <QHeaderView>
#include <QString>
#include <QWidget>

// The grid's top-left cell, drawn as a header section showing the table address.
class TGridCorner : public QWidget {
 public:
  explicit TGridCorner(QWidget* parent);

  void SetText(const QString& text);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString text_;
};

// A header of fixed thickness: the grid's header row is one row high and its header column
// 45 pixels wide, so there is no need to measure every section's text after each refresh.
class TFixedHeader : public QHeaderView {
 public:
  TFixedHeader(Qt::Orientation orientation, int thickness, QWidget* parent);

  QSize sizeHint() const override;
  [[nodiscard]] int Thickness() const { return thickness_; }
  // A new thickness; the grid lays itself out again.
  void SetThickness(int thickness);

 private:
  int thickness_;
};
