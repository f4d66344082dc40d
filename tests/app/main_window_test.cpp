#include "graphview/ui/graph_edit.h"
#include "support/modal.h"
#include "support/window_fixture.h"
#include "tables/ui/table_ed.h"
#include "textview/ui/text_edit.h"

#include "app/number_text.h"
#include "app/shared_state.h"
#include "app/ui/spin_controls.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QStatusBar>
#include <QTableView>
#include <QToolButton>

namespace {

using MainWindowTest = WindowTest;

TEST_F(MainWindowTest, ControlsHaveTheirCaptionsPlacesAndStartingStates) {
  const struct {
    const char* name;
    QRect geometry;
    const char* text;
    bool enabled;
  } controls[] = {
      {"Rows", {271, 64, 41, 21}, "16", true},
      {"Columns", {207, 64, 41, 21}, "16", true},
      {"TextModeButton", {8, 176, 105, 25}, "Show Text View", false},
      {"TableAddress", {80, 64, 64, 21}, "0x0000", true},
      {"GraphicsModeButton", {120, 176, 105, 25}, "Show Graphics View", false},
      {"EightBitTable", {8, 96, 73, 17}, "8 bit table", true},
      {"SixteenBitTable", {8, 120, 81, 17}, "16 bit table", true},
      {"ThirtyTwoBitTable", {8, 144, 81, 17}, "32 bit table", true},
      {"TableListButton", {232, 176, 105, 25}, "Show Table Editor", false},
      {"Load", {8, 8, 75, 25}, "Load", true},
      {"Save", {179, 8, 75, 25}, "Save", false},
      {"SaveAs", {93, 8, 75, 25}, "Save As", false},
      {"Close", {264, 8, 75, 25}, "Close", false},
      {"FxxxDP", {144, 112, 41, 21}, "0", false},
      {"FxxxTable", {112, 96, 73, 17}, "FxxxTable", false},
      {"MultiBit", {112, 144, 97, 17}, "Bit Wise", true},
      {"BaseAddress", {8, 64, 64, 21}, "0x0000", true},
      {"CreateTableEntry", {224, 120, 113, 25}, "Create Table Entry", false},
  };
  for (const auto& c : controls) {
    auto* control = Main->findChild<QWidget*>(c.name);
    ASSERT_NE(control, nullptr) << c.name;
    EXPECT_EQ(control->geometry(), c.geometry) << c.name;
    EXPECT_EQ(control->isEnabled(), c.enabled) << c.name;
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
      EXPECT_EQ(edit->text(), c.text) << c.name;
    } else {
      auto* button = qobject_cast<QAbstractButton*>(control);
      ASSERT_NE(button, nullptr) << c.name;
      EXPECT_EQ(button->text(), c.text) << c.name;
    }
    // Every caption fits its control in the chosen font.
    EXPECT_LE(control->fontMetrics().horizontalAdvance(c.text), c.geometry.width()) << c.name;
  }
  EXPECT_TRUE(Main->EightBitTable->isChecked());
  EXPECT_FALSE(Main->FxxxTable->isChecked());
  EXPECT_FALSE(Main->MultiBit->isChecked());
  EXPECT_FALSE(Main->FxxxDPUpDown->isEnabled());
  EXPECT_EQ(Main->TableAddress->maxLength(), 10);
  EXPECT_EQ(Main->toolTip(), "Current Map");

  // The client area below the menu bar is 347 × 233, the status bar its bottom 19 pixels.
  EXPECT_EQ(Main->width(), 347);
  EXPECT_EQ(Main->height() - Main->menuBar()->height(), 233);
  EXPECT_EQ(Main->MainStatusBar->height(), 19);
  EXPECT_EQ(Main->MainStatusBar->geometry().bottom(), Main->height() - 1);
  EXPECT_EQ(Main->minimumSize(), Main->maximumSize());

  for (const char* name : {"Base", "Label1", "Label2", "Label3", "Label4"}) {
    auto* label = Main->findChild<QLabel*>(name);
    ASSERT_NE(label, nullptr) << name;
    EXPECT_EQ(label->y(), 48) << name;
  }
}

TEST_F(MainWindowTest, MenuHasItsItemsInOrder) {
  const QList<QAction*> items = Main->File1->actions();
  ASSERT_EQ(items.size(), 7);
  const char* names[] = {"MenuLoad", "N1", "Save1", "SaveAs1", "N2", "Close1", "Exit1"};
  const char* captions[] = {"&Load", "", "&Save", "Save &As", "", "&Close", "E&xit"};
  const bool enabled[] = {true, true, false, false, true, false, true};
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(items[i]->objectName(), names[i]);
    EXPECT_EQ(items[i]->text(), captions[i]) << names[i];
    EXPECT_EQ(items[i]->isEnabled(), enabled[i]) << names[i];
  }
  EXPECT_EQ(Main->File1->title(), "&File");
  EXPECT_EQ(Main->About1->text(), "&About");
  EXPECT_TRUE(Main->menuBar()->actions().contains(Main->About1));
}

TEST_F(MainWindowTest, TabOrderFollowsTheControlList) {
  const QList<QWidget*> order = {Main->Rows,          Main->Columns, Main->TableAddress,
                                 Main->EightBitTable, Main->Load,    Main->MultiBit,
                                 Main->BaseAddress};
  // Disabled controls are skipped; the rest follow one another.
  for (qsizetype i = 1; i < order.size(); ++i) {
    order[i - 1]->setFocus(Qt::TabFocusReason);
    QTest::keyClick(order[i - 1], Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), order[i]) << order[i - 1]->objectName().toStdString();
  }
}

TEST_F(MainWindowTest, TableAddressIsClampedIntoTheImage) {
  PretendImageLoaded(32768);
  TypeAndEnter(Main->TableAddress, "0x9000");
  EXPECT_EQ(Main->TableAddress->text(), "0x7FFF");
  EXPECT_EQ(TableCursor.TableAddress, 0x7FFF);
  TypeAndEnter(Main->TableAddress, "1000");
  EXPECT_EQ(Main->TableAddress->text(), "0x03E8");

  TypeAndEnter(Main->BaseAddress, "0x8000");
  EXPECT_EQ(Main->BaseAddress->text(), "0x8000");
  EXPECT_EQ(TableCursor.BaseAddress, 0x8000);
  TypeAndEnter(Main->TableAddress, "0x100");
  EXPECT_EQ(Main->TableAddress->text(), "0x8000");
}

TEST_F(MainWindowTest, WithoutAnImageEveryTableAddressBecomesTheBase) {
  TypeAndEnter(Main->BaseAddress, "$3F0");
  for (const char* typed : {"0x9000", "0", "-1"}) {
    TypeAndEnter(Main->TableAddress, typed);
    EXPECT_EQ(Main->TableAddress->text(), "0x03F0") << typed;
  }
}

TEST_F(MainWindowTest, BadAddressesShowTheEntryErrorAndKeepTheOldValue) {
  PretendImageLoaded(32768);
  TypeAndEnter(Main->TableAddress, "0x200");
  auto boxes = AnsweringBoxes([] { TypeAndEnter(Main->TableAddress, "zz"); });
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title, "Entry Error");
  EXPECT_EQ(boxes[0].text, "Bad hex address. It must be 'C style', e.g. 0x3F0");
  EXPECT_EQ(boxes[0].icon, QMessageBox::NoIcon);
  EXPECT_EQ(boxes[0].buttons, QMessageBox::Ok);
  EXPECT_EQ(Main->TableAddress->text(), "0x0200");
  EXPECT_EQ(TableCursor.TableAddress, 0x200);

  boxes = AnsweringBoxes([] { TypeAndEnter(Main->BaseAddress, "0x"); });
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title, "Entry Error");
  EXPECT_EQ(Main->BaseAddress->text(), "0x0000");
  EXPECT_EQ(TableCursor.BaseAddress, 0);
}

TEST_F(MainWindowTest, LeavingAnAddressBoxChecksIt) {
  PretendImageLoaded(256);
  Type(Main->TableAddress, "0x1234");
  QTest::keyClick(Main->TableAddress, Qt::Key_Tab);
  EXPECT_EQ(Main->TableAddress->text(), "0x00FF");
  EXPECT_EQ(TableCursor.TableAddress, 0xFF);

  Type(Main->BaseAddress, "16");
  QTest::keyClick(Main->BaseAddress, Qt::Key_Tab);
  EXPECT_EQ(Main->BaseAddress->text(), "0x0010");
  EXPECT_EQ(TableCursor.BaseAddress, 16);
  EXPECT_EQ(TableCursor.TableAddress, 0xFF);  // the base check alone clamps nothing
}

TEST_F(MainWindowTest, AddressSpinStepsOneByteWithinTheImage) {
  PretendImageLoaded(0x100);
  TypeAndEnter(Main->TableAddress, "0");
  QTest::mouseClick(Main->Address->Down, Qt::LeftButton);
  EXPECT_EQ(Main->TableAddress->text(), "0x0000");
  QTest::mouseClick(Main->Address->Up, Qt::LeftButton);
  EXPECT_EQ(Main->TableAddress->text(), "0x0001");

  TypeAndEnter(Main->TableAddress, "0xFF");
  QTest::mouseClick(Main->Address->Up, Qt::LeftButton);
  EXPECT_EQ(Main->TableAddress->text(), "0x00FF");
  QTest::mouseClick(Main->Address->Down, Qt::LeftButton);
  EXPECT_EQ(Main->TableAddress->text(), "0x00FE");
  EXPECT_EQ(TableCursor.TableAddress, 0xFE);

  // An address still being typed is validated by the click itself.
  Type(Main->TableAddress, "0x500");
  QTest::mouseClick(Main->Address->Down, Qt::LeftButton);
  EXPECT_EQ(Main->TableAddress->text(), "0x00FE");
}

TEST_F(MainWindowTest, RowSpinStepsByColumnsTimesWidth) {
  PretendImageLoaded(0x100);
  QTest::mouseClick(Main->SixteenBitTable, Qt::LeftButton);
  TypeAndEnter(Main->TableAddress, "0x10");
  QTest::mouseClick(Main->Row->Up, Qt::LeftButton);
  EXPECT_EQ(Main->TableAddress->text(), "0x0030");
  QTest::mouseClick(Main->Row->Down, Qt::LeftButton);
  QTest::mouseClick(Main->Row->Down, Qt::LeftButton);  // would pass the base: no step
  EXPECT_EQ(Main->TableAddress->text(), "0x0010");

  TypeAndEnter(Main->TableAddress, "0xE0");  // 32 bytes left: no step
  QTest::mouseClick(Main->Row->Up, Qt::LeftButton);
  EXPECT_EQ(Main->TableAddress->text(), "0x00E0");
  TypeAndEnter(Main->TableAddress, "0xDF");  // exactly onto the last byte
  QTest::mouseClick(Main->Row->Up, Qt::LeftButton);
  EXPECT_EQ(Main->TableAddress->text(), "0x00FF");

  // The Columns text is read as typed, before its own check has run.
  TypeAndEnter(Main->TableAddress, "0");
  Type(Main->Columns, "4");
  QTest::mouseClick(Main->Row->Up, Qt::LeftButton);
  EXPECT_EQ(Main->TableAddress->text(), "0x0008");
}

TEST_F(MainWindowTest, RowSpinNeverOverflowsOnAHugeColumnsText) {
  PretendImageLoaded(0x100);
  QTest::mouseClick(Main->ThirtyTwoBitTable, Qt::LeftButton);
  TypeAndEnter(Main->TableAddress, "0x80");
  for (const char* columns : {"2147483647", "1073741824", "-1073741824"}) {
    Main->Columns->setText(columns);
    QTest::mouseClick(Main->Row->Up, Qt::LeftButton);
    QTest::mouseClick(Main->Row->Down, Qt::LeftButton);
    EXPECT_EQ(Main->TableAddress->text(), "0x0080") << columns;
  }
}

TEST_F(MainWindowTest, RowSpinWithABadColumnsTextStopsAfterTheAddressCheck) {
  PretendImageLoaded(0x100);
  TypeAndEnter(Main->TableAddress, "0x10");
  Type(Main->TableAddress, "0x20");
  Main->Columns->setText("lots");
  const auto boxes = AnsweringBoxes([] { QTest::mouseClick(Main->Row->Up, Qt::LeftButton); });
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "'lots' is not a valid integer value.");
  EXPECT_EQ(boxes[0].icon, QMessageBox::Critical);
  EXPECT_EQ(Main->TableAddress->text(), "0x0020");  // checked, not stepped
}

TEST_F(MainWindowTest, SpinButtonsTakeNoFocusAndRepeatWhileHeld) {
  for (TSpinButton* spin : std::initializer_list<TSpinButton*>{
           Main->Address, Main->Row, Main->RowsUpDown, Main->ColumnsUpDown}) {
    for (QToolButton* arrow : {spin->Up, spin->Down}) {
      EXPECT_EQ(arrow->focusPolicy(), Qt::NoFocus);
      EXPECT_TRUE(arrow->autoRepeat());
      EXPECT_EQ(arrow->autoRepeatDelay(), 400);
      EXPECT_EQ(arrow->autoRepeatInterval(), 100);
    }
  }
  Type(Main->TableAddress, "0x0");
  QTest::mouseClick(Main->Address->Up, Qt::LeftButton);
  EXPECT_EQ(QApplication::focusWidget(), Main->TableAddress);
}

TEST_F(MainWindowTest, RowsAndColumnsAreHeldWithinOneTo256) {
  TypeAndEnter(Main->Rows, "300");
  EXPECT_EQ(Main->Rows->text(), "256");
  TypeAndEnter(Main->Rows, "0");
  EXPECT_EQ(Main->Rows->text(), "1");
  TypeAndEnter(Main->Columns, "-7");
  EXPECT_EQ(Main->Columns->text(), "1");
  TypeAndEnter(Main->Columns, "0x20");
  EXPECT_EQ(Main->Columns->text(), "0x20");  // in range: left as typed
}

// Update re-reads the entry width; a width chosen without a click shows whether it ran.
TEST_F(MainWindowTest, EnterInRowsRefreshesButLeavingOnlyChecks) {
  Main->SixteenBitTable->setChecked(true);
  Type(Main->Rows, "999");
  QTest::keyClick(Main->Rows, Qt::Key_Tab);
  EXPECT_EQ(Main->Rows->text(), "256");
  EXPECT_EQ(TableCursor.EntryWidth, 1);

  TypeAndEnter(Main->Columns, "999");
  EXPECT_EQ(Main->Columns->text(), "256");
  EXPECT_EQ(TableCursor.EntryWidth, 2);
}

TEST_F(MainWindowTest, LeavingAnUntouchedSizeBoxChangesNothing) {
  Main->Rows->setText("999");  // set by the program, not typed
  Main->Rows->setFocus();
  QTest::keyClick(Main->Rows, Qt::Key_Tab);
  EXPECT_EQ(Main->Rows->text(), "999");
}

TEST_F(MainWindowTest, UpDownsStepWithinTheirRangeAndRefresh) {
  QTest::mouseClick(Main->RowsUpDown->Down, Qt::LeftButton);
  EXPECT_EQ(Main->Rows->text(), "15");
  Main->Rows->setText("256");
  QTest::mouseClick(Main->RowsUpDown->Up, Qt::LeftButton);
  EXPECT_EQ(Main->Rows->text(), "256");
  Main->Columns->setText("1");
  QTest::mouseClick(Main->ColumnsUpDown->Down, Qt::LeftButton);
  EXPECT_EQ(Main->Columns->text(), "1");
  Main->Columns->setText("900");
  Main->ThirtyTwoBitTable->setChecked(true);
  QTest::mouseClick(Main->ColumnsUpDown->Up, Qt::LeftButton);
  EXPECT_EQ(Main->Columns->text(), "256");
  EXPECT_EQ(TableCursor.EntryWidth, 4);
}

TEST_F(MainWindowTest, WidthButtonsSetTheEntryWidth) {
  QTest::mouseClick(Main->ThirtyTwoBitTable, Qt::LeftButton);
  EXPECT_EQ(TableCursor.EntryWidth, 4);
  EXPECT_EQ(Main->GetEntryWidth(), 4);
  QTest::mouseClick(Main->SixteenBitTable, Qt::LeftButton);
  EXPECT_EQ(TableCursor.EntryWidth, 2);
  QTest::mouseClick(Main->EightBitTable, Qt::LeftButton);
  EXPECT_EQ(TableCursor.EntryWidth, 1);
}

TEST_F(MainWindowTest, BitWiseChangesNoCursorFieldAndKeepsFxxxOff) {
  Main->SixteenBitTable->setChecked(true);
  QTest::mouseClick(Main->MultiBit, Qt::LeftButton);
  EXPECT_TRUE(Main->MultiBit->isChecked());
  QTest::mouseClick(Main->MultiBit, Qt::LeftButton);
  EXPECT_FALSE(Main->MultiBit->isChecked());
  EXPECT_EQ(TableCursor.EntryWidth, 1);  // no refresh ran
  EXPECT_FALSE(Main->FxxxTable->isChecked());
  EXPECT_FALSE(Main->FxxxTable->isEnabled());
  EXPECT_FALSE(Main->FxxxDP->isEnabled());
  EXPECT_FALSE(Main->FxxxDPUpDown->isEnabled());
}

TEST_F(MainWindowTest, ReadTableSizeCopiesTheTextsIntoTheCursor) {
  Main->Rows->setText("0x10");
  Main->Columns->setText("-3");
  Main->ReadTableSize();
  EXPECT_EQ(TableCursor.Rows, 16);
  EXPECT_EQ(TableCursor.Columns, -3);
  Main->Columns->setText("x");
  EXPECT_THROW(Main->ReadTableSize(), ConversionError);
}

TEST_F(MainWindowTest, TogglesDoNothingWithoutAnImage) {
  for (QPushButton* toggle :
       {Main->TextModeButton, Main->GraphicsModeButton, Main->TableListButton}) {
    toggle->setEnabled(true);
    const QString caption = toggle->text();
    QTest::mouseClick(toggle, Qt::LeftButton);
    EXPECT_EQ(toggle->text(), caption);
  }
  EXPECT_FALSE(TextEdit->isVisible());
  EXPECT_FALSE(GraphEdit->isVisible());
  EXPECT_FALSE(TableEd->isVisible());
}

TEST_F(MainWindowTest, TogglesShowAndHideTheirWindows) {
  PretendImageLoaded(32768);
  const struct {
    QPushButton* toggle;
    QWidget* window;
    const char* show;
    const char* hide;
  } toggles[] = {
      {Main->TextModeButton, TextEdit, "Show Text View", "Hide Text View"},
      {Main->GraphicsModeButton, GraphEdit, "Show Graphics View", "Hide Graphics View"},
      {Main->TableListButton, TableEd, "Show Table Editor", "Hide Table Editor"},
  };
  for (const auto& t : toggles) {
    QTest::mouseClick(t.toggle, Qt::LeftButton);
    EXPECT_TRUE(t.window->isVisible()) << t.show;
    EXPECT_TRUE(t.window->isEnabled()) << t.show;
    EXPECT_EQ(t.toggle->text(), t.hide);
    QTest::mouseClick(t.toggle, Qt::LeftButton);
    EXPECT_FALSE(t.window->isVisible()) << t.show;
    EXPECT_FALSE(t.window->isEnabled()) << t.show;
    EXPECT_EQ(t.toggle->text(), t.show);
  }
}

TEST_F(MainWindowTest, ShowingTheGraphViewValidatesTheTableAddress) {
  PretendImageLoaded(32768);
  Main->TableAddress->setText("0x9000");
  Main->ThirtyTwoBitTable->setChecked(true);
  QTest::mouseClick(Main->GraphicsModeButton, Qt::LeftButton);
  EXPECT_EQ(Main->TableAddress->text(), "0x7FFF");
  EXPECT_EQ(TableCursor.EntryWidth, 4);
  EXPECT_TRUE(GraphEdit->isVisible());
}

TEST_F(MainWindowTest, ClosingAViewWindowGoesThroughItsToggle) {
  PretendImageLoaded(16);
  QTest::mouseClick(Main->TextModeButton, Qt::LeftButton);
  QTest::mouseClick(Main->GraphicsModeButton, Qt::LeftButton);
  QTest::mouseClick(Main->TableListButton, Qt::LeftButton);
  TextEdit->close();
  GraphEdit->close();
  TableEd->close();
  EXPECT_FALSE(TextEdit->isVisible());
  EXPECT_FALSE(GraphEdit->isVisible());
  EXPECT_FALSE(TableEd->isVisible());
  EXPECT_EQ(Main->TextModeButton->text(), "Show Text View");
  EXPECT_EQ(Main->GraphicsModeButton->text(), "Show Graphics View");
  EXPECT_EQ(Main->TableListButton->text(), "Show Table Editor");
}

TEST_F(MainWindowTest, CurrentInputsAreTheBoxesAsTheyStand) {
  // Texts not yet checked stand as they are; no focus moves, so no check runs.
  Main->TableAddress->setText("0x9000");
  Main->Columns->setText("300");
  Main->Rows->setText("abc");
  Main->ThirtyTwoBitTable->setChecked(true);
  Main->MultiBit->setChecked(true);
  const CursorInputs inputs = Main->CurrentInputs();
  EXPECT_TRUE(inputs.MultiBit);
  EXPECT_EQ(inputs.TableAddress, "0x9000");
  EXPECT_EQ(inputs.Columns, "300");
  EXPECT_EQ(inputs.Rows, "abc");
  EXPECT_EQ(inputs.EntryWidth, 4);
}

TEST_F(MainWindowTest, OpeningADefinitionFillsTheBoxesChecksTheAddressAndRefreshes) {
  PretendImageLoaded(0x100);
  QTest::mouseClick(Main->TextModeButton, Qt::LeftButton);
  Main->OpenDefinition({"0x9000", "4", "3", "Fuel", "Load", "Speed", "Fuel", "0.5", "-40"});
  EXPECT_EQ(Main->TableAddress->text(), "0x00FF");  // clamped into the image
  EXPECT_EQ(Main->Columns->text(), "4");
  EXPECT_EQ(Main->Rows->text(), "3");
  EXPECT_EQ(TableCursor.TableAddress, 0xFF);
  EXPECT_EQ(TableCursor.TableName, "Fuel");
  EXPECT_EQ(TableCursor.ZScale, 0.5f);
  EXPECT_EQ(TextEdit->TextGrid->model()->columnCount(), 5);  // the text view was refreshed
  EXPECT_EQ(TextEdit->TextGrid->model()->rowCount(), 4);
}

}  // namespace
