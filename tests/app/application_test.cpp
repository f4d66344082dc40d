#include "app/application.h"
#include "support/modal.h"
#include "support/window_fixture.h"

#include <QDir>
#include <QObject>
#include <QSettings>

#include <stdexcept>

namespace {

TEST(StandardErrorTextTest, AddsAFullStopAfterALetterOrDigit) {
  EXPECT_EQ(StandardErrorText("'zz' is not a valid integer value"),
            "'zz' is not a valid integer value.");
  EXPECT_EQ(StandardErrorText("Code 7"), "Code 7.");
  EXPECT_EQ(StandardErrorText("Done."), "Done.");
  EXPECT_EQ(StandardErrorText("Why?"), "Why?.");  // "?" sorts after "."
  EXPECT_EQ(StandardErrorText("Stop!"), "Stop!");
  EXPECT_EQ(StandardErrorText("(a)"), "(a)");
  EXPECT_EQ(StandardErrorText(""), "");
  EXPECT_EQ(StandardErrorText("caf\xC3\xA9"), "caf\xC3\xA9.");
}

// An object whose event handler fails, standing for any handler that lets a failure escape.
class FailingObject : public QObject {
 public:
  bool event(QEvent* event) override {
    if (event->type() == QEvent::User) throw std::runtime_error("Handler failed");
    return QObject::event(event);
  }
};

using ApplicationTest = WindowTest;

TEST_F(ApplicationTest, AFailureEscapingAnEventHandlerShowsTheErrorBoxAndGoesOn) {
  FailingObject failing;
  QEvent event(QEvent::User);
  const auto boxes = AnsweringBoxes([&] { QCoreApplication::sendEvent(&failing, &event); });
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Handler failed.");
  EXPECT_EQ(boxes[0].title, "Quorvel Map Editor v0.3b");
  EXPECT_EQ(boxes[0].icon, QMessageBox::Critical);
  EXPECT_EQ(boxes[0].buttons, QMessageBox::Ok);
  // The program goes on: the next event is handled as usual.
  QEvent next(QEvent::User);
  EXPECT_EQ(AnsweringBoxes([&] { QCoreApplication::sendEvent(&failing, &next); }).size(), 1u);
}

TEST_F(ApplicationTest, ABadRowsTextEndsTheHandlerInTheErrorBox) {
  const auto boxes = AnsweringBoxes([] { TypeAndEnter(Main->Rows, "abc"); });
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "'abc' is not a valid integer value.");
  EXPECT_EQ(boxes[0].title, "Quorvel Map Editor v0.3b");
  EXPECT_EQ(boxes[0].icon, QMessageBox::Critical);
  EXPECT_EQ(Main->Rows->text(), "abc");
}

TEST_F(ApplicationTest, TheErrorBoxCaptionIsTheApplicationTitleAsItIsNow) {
  Application* application = Application::Instance();
  ASSERT_NE(application, nullptr);
  for (const QString& title : {QString("Quorvel Map Editor v0.3b - /maps/car.bin"), QString()}) {
    application->SetTitle(title);
    EXPECT_EQ(application->Title(), title);
    const auto boxes = AnsweringBoxes([] { TypeAndEnter(Main->Columns, "abc"); });
    ASSERT_EQ(boxes.size(), 1u) << title.toStdString();
    EXPECT_EQ(boxes[0].title, title);
  }
  // The title is the object's own: Qt's display name, which Qt would append to every title
  // bar, is not touched.
  EXPECT_EQ(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());
}

TEST(ApplicationSettingsTest, NothingTheToolkitRemembersOutlivesTheRun) {
  const QString file = QSettings(QSettings::UserScope, "QtProject").fileName();
  EXPECT_FALSE(file.startsWith(QDir::homePath())) << file.toStdString();
  EXPECT_TRUE(file.startsWith(QDir::tempPath())) << file.toStdString();
}

}  // namespace
