#pragma once

// The text view over a small image whose bytes count up from 0, for the editing tests.

#include "app/ui/main_window.h"
#include "image/image_document.h"
#include "support/window_fixture.h"
#include "textview/ui/text_edit.h"

#include <QRadioButton>
#include <QTableView>

class CountingTableTest : public WindowTest {
 protected:
  // An image of 0x100 bytes counting up from 0, a 4 × 4 8-bit table at `address`, shown.
  static void Open(const char* address) {
    PretendImageLoaded(0x100);
    for (int i = 0; i < 0x100; ++i) (*RomImage.Bytes)[i] = static_cast<std::uint8_t>(i);
    ImageDocument.Reset();  // as a load does
    Main->Rows->setText("4");
    Main->Columns->setText("4");
    QTest::mouseClick(Main->EightBitTable, Qt::LeftButton);
    TypeAndEnter(Main->TableAddress, address);
    if (!TextEdit->isVisible()) QTest::mouseClick(Main->TextModeButton, Qt::LeftButton);
    ASSERT_TRUE(TextEdit->isVisible());
  }

  static void Select(int row, int column) {
    TextEdit->TextGrid->setCurrentIndex(TextEdit->TextGrid->model()->index(row, column));
  }
};
