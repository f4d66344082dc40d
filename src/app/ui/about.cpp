#include "app/ui/about.h"

#include "app/ui/handlers.h"

#include <QImage>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QWindow>

#include <algorithm>
#include <cmath>

namespace {

QLabel* TransparentLabel(QWidget* parent, const char* name, const QString& text, int left,
                         int top) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setAttribute(Qt::WA_TranslucentBackground);
  label->setStyleSheet("color: #f2f6ff; background: transparent;");
  label->move(left, top);
  label->adjustSize();
  return label;
}

// Height of the wire-grid surface drawn on the picture at grid point (i, j).
double SurfaceHeight(int i, int j) {
  const double x = (i - 7.5) / 5.0;
  const double y = (j - 7.5) / 5.0;
  return 34.0 * std::exp(-(x * x + y * y)) + 6.0 * std::sin(i * 0.7) * std::cos(j * 0.5);
}

}  // namespace

QImage MakeAboutPicture() {
  QImage picture(400, 276, QImage::Format_RGB888);
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);

  QLinearGradient sky(0, 0, 0, picture.height());
  sky.setColorAt(0.0, QColor(18, 32, 74));
  sky.setColorAt(1.0, QColor(6, 12, 30));
  painter.fillRect(picture.rect(), sky);

  // A map as a wire grid in an oblique view, in the lower right, clear of the text.
  constexpr int kPoints = 16;
  auto project = [](int i, int j) {
    return QPointF(150 + i * 13.0 + j * 6.0, 250 - j * 7.0 - SurfaceHeight(i, j) * 1.6);
  };
  for (int j = 0; j < kPoints; ++j) {
    for (int i = 0; i < kPoints; ++i) {
      const double shade = std::clamp(SurfaceHeight(i, j) / 40.0, 0.0, 1.0);
      painter.setPen(
          QPen(QColor(60 + static_cast<int>(150 * shade), 170, 235 - static_cast<int>(120 * shade)),
               1.0));
      if (i + 1 < kPoints) painter.drawLine(project(i, j), project(i + 1, j));
      if (j + 1 < kPoints) painter.drawLine(project(i, j), project(i, j + 1));
    }
  }
  return picture;
}

TAbout::TAbout() {
  setObjectName("About");
  // A dialog-type window, so that the window manager can keep it above its owner.
  setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
  setFixedSize(396, 262);
  setEnabled(false);

  Image1 = new QLabel(this);
  Image1->setObjectName("Image1");
  Image1->setGeometry(-2, -7, 400, 276);
  Image1->setScaledContents(true);
  Image1->setPixmap(QPixmap::fromImage(MakeAboutPicture()));

  Label1 = TransparentLabel(this, "Label1", QString(), 24, 8);
  QFont title = Label1->font();
  title.setPixelSize(16);
  Label1->setFont(title);
  Label1->setFixedSize(360, 20);  // room for any title text set when shown
  Label2 = TransparentLabel(this, "Label2", "Tables of engine control unit images,", 24, 32);
  Label3 = TransparentLabel(this, "Label3", "seen as numbers and as a 3D wire grid.", 24, 48);
  Label4 = TransparentLabel(this, "Label4", "The Quorvel team - support@quorvel.example", 24, 64);

  Button1 = new QPushButton("OK", this);
  Button1->setObjectName("Button1");
  Button1->setGeometry(344, 232, 49, 25);
  ConnectHandler(Button1, &QPushButton::clicked, this, &TAbout::Button1Click);
}

void TAbout::SetTitleText(const QString& title) { Label1->setText(title); }

void TAbout::Button1Click() {
  setEnabled(false);
  hide();
}

void TAbout::KeepAbove(QWidget* owner) {
  winId();  // the box's native window, so that it can name its owner
  owner->winId();
  windowHandle()->setTransientParent(owner->windowHandle());
}

void TAbout::showEvent(QShowEvent* event) {
  if (const QScreen* display = screen()) {
    move(display->availableGeometry().center() - rect().center());
  }
  QWidget::showEvent(event);
}
