#include "app/application.h"

#include <QFont>
#include <QMessageBox>
#include <QSettings>
#include <QStyleFactory>

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
  // The windows are laid out in fixed pixels for a small sans font, 10 pixels high;
  // pixel sizing keeps the captions inside their controls whatever the screen's DPI.
  setStyle(QStyleFactory::create("Fusion"));
  QFont font("Liberation Sans");
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(10);
  setFont(font);

  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsFolder_.path());
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsFolder_.path());
}

bool Application::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& failure) {
    ShowErrorBox(failure.what());
  } catch (...) {
    ShowErrorBox("Unknown failure");
  }
  return false;
}

QString Application::Title() const { return title_; }

void Application::SetTitle(const QString& title) { title_ = title; }

Application* Application::Instance() {
  return qobject_cast<Application*>(QCoreApplication::instance());
}

std::string StandardErrorText(const std::string& message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
  return message;
}

void ShowErrorBox(const std::string& message) {
  const Application* application = Application::Instance();
  QMessageBox box(QMessageBox::Critical, application ? application->Title() : QString(),
                  QString::fromStdString(StandardErrorText(message)), QMessageBox::Ok);
  box.exec();
}
