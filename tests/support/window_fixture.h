#pragma once

#include "app/shared_state.h"
#include "app/startup.h"
#include "app/ui/main_window.h"
#include "app/ui/windows.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

// Each test starts from freshly created windows and start-up state.
class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CreateWindows();
    Main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Main));
  }
  void TearDown() override { DestroyWindows(); }

  // Stands in for a loaded image of `size` zero bytes, with the controls a load enables.
  static void PretendImageLoaded(std::int32_t size) {
    RomImage.Bytes = std::vector<std::uint8_t>(static_cast<std::size_t>(size));
    RomImage.Size = size;
    for (QWidget* control : std::initializer_list<QWidget*>{
             Main->Save, Main->SaveAs, Main->Close, Main->TextModeButton, Main->GraphicsModeButton,
             Main->TableListButton, Main->CreateTableEntry}) {
      control->setEnabled(true);
    }
    for (QAction* item : {Main->Save1, Main->SaveAs1, Main->Close1, Main->FindTables}) {
      item->setEnabled(true);
    }
  }

  // Replaces the edit box's text as a user would: select all, delete, type.
  static void Type(QLineEdit* edit, const QString& text) {
    edit->setFocus(Qt::MouseFocusReason);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    for (const QChar c : text) {
      if (c.unicode() < 0x80) {
        QTest::keyClick(edit, c.toLatin1());
      } else {
        // A character no key of the test keyboard makes: sent as the text of a key event.
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(edit, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(edit, &release);
      }
    }
  }

  static void TypeAndEnter(QLineEdit* edit, const QString& text) {
    Type(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
  }
};
