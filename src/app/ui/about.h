#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

// The borderless about box: a picture, the program's title and contact lines, and OK.
// It does not block the other windows.
class TAbout : public QWidget {
  Q_OBJECT

 public:
  TAbout();

  void Button1Click();
  // Makes the window manager keep the box above `owner`.
  void KeepAbove(QWidget* owner);
  // The title line, set each time the box is shown.
  void SetTitleText(const QString& title);

  QLabel* Image1;
  QLabel* Label1;
  QLabel* Label2;
  QLabel* Label3;
  QLabel* Label4;
  QPushButton* Button1;

 protected:
  void showEvent(QShowEvent* event) override;
};

// The about box's background picture, drawn here: 400 × 276 pixels, 24 bits per pixel.
[[nodiscard]] QImage MakeAboutPicture();
