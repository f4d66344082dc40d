#pragma once

#include <QWidget>

// The text view: the current table as a grid of numbers.
class TTextEdit : public QWidget {
  Q_OBJECT

 public:
  TTextEdit();

  // Refills the grid from the current table; the grid itself arrives with the text view.
  void FillGrid();

 protected:
  void closeEvent(QCloseEvent* event) override;
};
