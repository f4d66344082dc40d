#include "tables/ui/table_ed.h"

#include "app/number_text.h"
#include "support/modal.h"
#include "support/model_check.h"
#include "support/temp_folder.h"
#include "support/window_fixture.h"
#include "textview/ui/text_edit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QProcess>
#include <QProgressDialog>
#include <QRadioButton>
#include <QSplitter>
#include <QTableView>
#include <QTimer>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

QString Cell(const QTableView* view, int row, int column) {
  return view->model()->index(row, column).data().toString();
}

QStringList RowTexts(const QTableView* view, int row) {
  QStringList texts;
  for (int c = 0; c < view->model()->columnCount(); ++c) texts << Cell(view, row, c);
  return texts;
}

// Typing a text into a grid cell in place.
void TypeIntoCell(QTableView* view, int row, int column, const QString& text) {
  view->model()->setData(view->model()->index(row, column), text, Qt::EditRole);
}

void ClickCell(QTableView* view, int row, int column) {
  const QRect cell = view->visualRect(view->model()->index(row, column));
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
}

void DoubleClickCell(QTableView* view, int row, int column) {
  const QRect cell = view->visualRect(view->model()->index(row, column));
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
  QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, cell.center());
}

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

std::string TextOf(const std::string& path) {
  const auto bytes = ReadFile(path);
  return {bytes.begin(), bytes.end()};
}

class TableEdTest : public WindowTest {
 protected:
  // An image loaded and the table editor shown.
  static void ShowEditor() {
    PretendImageLoaded(0x10000);
    QTest::mouseClick(Main->TableListButton, Qt::LeftButton);
    ASSERT_TRUE(TableEd->isVisible());
  }

  // "Create Table Entry" in the main window with the given inputs.
  static void CreateEntry(const QString& address, const QString& columns, const QString& rows,
                          QRadioButton* width, bool bitWise = false) {
    Main->TableAddress->setText(address);
    Main->Columns->setText(columns);
    Main->Rows->setText(rows);
    width->setChecked(true);
    Main->MultiBit->setChecked(bitWise);
    QTest::mouseClick(Main->CreateTableEntry, Qt::LeftButton);
  }

  // Appends an ordinary definition and types `fields` into its first cells.
  static int AddOrdinary(const QStringList& fields) {
    CreateEntry("0x0000", "16", "16", Main->EightBitTable);
    const int row = TableEd->TableList1->model()->rowCount() - 1;
    for (int c = 0; c < fields.size(); ++c) TypeIntoCell(TableEd->TableList1, row, c, fields[c]);
    return row;
  }

  std::string WriteEcu(const std::string& name, const std::string& text) {
    const std::string path = folder_ / name;
    WriteFile(path, Bytes(text));
    return path;
  }

  TempFolder folder_;
};

const QStringList kFuelMap = {"Fuel Map", "0x03F0", "16", "12",   "1",   "Load", "0.5", "-40",
                              "Speed",    "1",      "0",  "Fuel", "0.5", "-40",  "No",  "0"};

TEST_F(TableEdTest, WindowHoldsTheGridsAndTheSetupPanel) {
  ShowEditor();
  EXPECT_EQ(TableEd->size(), QSize(802, 601));
  EXPECT_EQ(TableEd->Panel1->width(), 403);
  EXPECT_EQ(TableEd->TableList1->height(), 352);
  EXPECT_EQ(TableEd->Splitter2->handleWidth(), 12);

  const struct {
    QTableView* view;
    int columns;
    std::vector<std::pair<int, QString>> captions;
    std::vector<std::pair<int, int>> widths;
  } grids[] = {
      {TableEd->TableList1,
       16,
       {{0, "Table Name"},
        {1, "Table Addr"},
        {4, "Entry Size"},
        {14, "Fxxx Table"},
        {15, "Fxxx DPs"}},
       {{0, 300}, {1, 72}, {2, 60}, {11, 300}, {15, 60}}},
      {TableEd->TableList2,
       35,
       {{0, "Table Name"}, {2, "Bytes"}, {8, "Bit 5 Description"}, {34, "Bit 31 Description"}},
       {{0, 300}, {1, 72}, {2, 60}, {3, 300}}},
  };
  for (const auto& grid : grids) {
    const ModelCheck check(grid.view->model());
    EXPECT_EQ(grid.view->model()->columnCount(), grid.columns);
    EXPECT_EQ(grid.view->model()->rowCount(), 2);  // caption row and the blank row
    for (const auto& [column, caption] : grid.captions) {
      EXPECT_EQ(Cell(grid.view, 0, column), caption);
      EXPECT_EQ(grid.view->model()->headerData(column, Qt::Horizontal).toString(), caption);
    }
    for (const auto& [column, width] : grid.widths) {
      EXPECT_EQ(grid.view->columnWidth(column), width) << column;
    }
    EXPECT_EQ(Cell(grid.view, 1, 0), "");
  }

  const struct {
    const char* name;
    const char* caption;
  } controls[] = {
      {"BitWiseTable", "Bit Wise Table"},
      {"EightBitTable", "8 bit table"},
      {"SixteenBitTable", "16 bit table"},
      {"ThirtyTwoBitTable", "32 bit table"},
      {"FxxxTable", "Fxxx Table"},
      {"AddTable", "Add Table"},
      {"DelTable", "Delete Table"},
      {"LoadQVT", "Load Tables"},
      {"SaveQVT", "Save Tables"},
      {"Import", "Import .ecu"},
      {"Export", "Export .ecu"},
      {"ColLabel", "Columns"},
      {"RowLabel", "Rows"},
      {"DPLabel", "Decimal Point Position"},
  };
  for (const auto& control : controls) {
    auto* widget = TableEd->findChild<QWidget*>(control.name);
    ASSERT_NE(widget, nullptr) << control.name;
    const QString text = qobject_cast<QAbstractButton*>(widget)
                             ? qobject_cast<QAbstractButton*>(widget)->text()
                             : qobject_cast<QLabel*>(widget)->text();
    EXPECT_EQ(text, control.caption) << control.name;
  }
  for (const char* edit :
       {"TableName", "TableAddress", "Columns", "Rows", "XLabelName", "XScale", "XOffset",
        "YLabelName", "YScale", "YOffset", "ZLabelName", "ZScale", "ZOffset"}) {
    auto* box = TableEd->findChild<QLineEdit*>(edit);
    ASSERT_NE(box, nullptr) << edit;
    EXPECT_TRUE(box->text().isEmpty()) << edit;
  }
  EXPECT_TRUE(TableEd->EightBitTable->isChecked());
  EXPECT_FALSE(TableEd->FxxxTable->isEnabled());
  EXPECT_FALSE(TableEd->DecimalPos->isEnabled());
  EXPECT_EQ(TableEd->DecimalPos->currentText(), "0");
  EXPECT_EQ(TableEd->DecimalPos->count(), 32);
  EXPECT_EQ(TableEd->DecimalPos->itemText(31), "31");
  EXPECT_TRUE(TableEd->XYZPanel->isVisible());
  EXPECT_FALSE(TableEd->MultiBytePanel->isVisible());
  EXPECT_FALSE(TableEd->MultiBytePanel->isEnabled());

  const QAbstractItemModel* bits = TableEd->MultiBitNames->model();
  EXPECT_EQ(bits->rowCount(), 33);
  EXPECT_EQ(bits->columnCount(), 2);
  EXPECT_EQ(Cell(TableEd->MultiBitNames, 0, 0), "Bit");
  EXPECT_EQ(Cell(TableEd->MultiBitNames, 0, 1), "Description");
  EXPECT_EQ(Cell(TableEd->MultiBitNames, 1, 0), "0");
  EXPECT_EQ(Cell(TableEd->MultiBitNames, 32, 0), "31");
  EXPECT_EQ(TableEd->MultiBitNames->columnWidth(0), 20);
  EXPECT_TRUE(bits->flags(bits->index(5, 1)) & Qt::ItemIsEditable);
}

TEST_F(TableEdTest, CreateTableEntryFillsTheBlankRowFirstThenAppends) {
  PretendImageLoaded(0x1000);
  CreateEntry("0x03F0", "16", "16", Main->SixteenBitTable);
  QTableView* list = TableEd->TableList1;
  EXPECT_EQ(list->model()->rowCount(), 2);
  EXPECT_EQ(RowTexts(list, 1),
            QStringList({"New Table", "0x03F0", "16", "16", "2", "X Label", "1", "0", "Y Label",
                         "1", "0", "Z Label", "1", "0", "No", "0"}));
  // Texts go as they stand, unchecked.
  CreateEntry("zz", "300", "0", Main->ThirtyTwoBitTable);
  EXPECT_EQ(list->model()->rowCount(), 3);
  EXPECT_EQ(RowTexts(list, 2).mid(0, 5), QStringList({"New Table", "zz", "300", "0", "4"}));
  EXPECT_EQ(RowTexts(list, 1)[1], "0x03F0");

  // Bit-wise: to the end of the bit-wise list, whatever the ordinary list holds.
  CreateEntry("0x0400", "16", "16", Main->EightBitTable, true);
  CreateEntry("0x0401", "16", "16", Main->EightBitTable, true);
  QTableView* bits = TableEd->TableList2;
  EXPECT_EQ(bits->model()->rowCount(), 3);
  EXPECT_EQ(list->model()->rowCount(), 3);
  QStringList expected = {"New Table", "0x0401", "1"};
  for (int bit = 0; bit < 32; ++bit) {
    expected << (bit < 8 ? QString("Bit %1 Description").arg(bit) : QString());
  }
  EXPECT_EQ(RowTexts(bits, 2), expected);
}

TEST_F(TableEdTest, DeleteRemovesTheCurrentRowOfTheListLastSelected) {
  ShowEditor();
  AddOrdinary({"One"});
  AddOrdinary({"Two"});
  AddOrdinary({"Three"});
  QTableView* list = TableEd->TableList1;
  ClickCell(list, 2, 0);
  QTest::mouseClick(TableEd->DelTable, Qt::LeftButton);
  EXPECT_EQ(list->model()->rowCount(), 3);
  EXPECT_EQ(Cell(list, 1, 0), "One");
  EXPECT_EQ(Cell(list, 2, 0), "Three");
  EXPECT_EQ(TableEd->TableName->text(), "Two");  // the panel keeps the deleted texts

  // With the bit-wise list last selected, its row goes and the ordinary list stays.
  CreateEntry("0x0400", "1", "1", Main->EightBitTable, true);
  ClickCell(TableEd->TableList2, 1, 0);
  QTest::mouseClick(TableEd->DelTable, Qt::LeftButton);
  EXPECT_EQ(TableEd->TableList2->model()->rowCount(), 2);
  EXPECT_EQ(Cell(TableEd->TableList2, 1, 0), "");
  EXPECT_EQ(list->model()->rowCount(), 3);

  // The only definition leaves the blank row, and the next create fills it again.
  ClickCell(list, 1, 0);
  QTest::mouseClick(TableEd->DelTable, Qt::LeftButton);
  ClickCell(list, 1, 0);
  QTest::mouseClick(TableEd->DelTable, Qt::LeftButton);
  EXPECT_EQ(list->model()->rowCount(), 2);
  EXPECT_EQ(RowTexts(list, 1), QStringList(16, QString()));
  EXPECT_FALSE(TableEd->Lists.Ordinary.InUse());
  CreateEntry("0x0010", "2", "2", Main->EightBitTable);
  EXPECT_EQ(list->model()->rowCount(), 2);
  EXPECT_EQ(Cell(list, 1, 1), "0x0010");
}

TEST_F(TableEdTest, TheDeletedDefinitionIsNotStoredOverTheOneThatTookItsRow) {
  ShowEditor();
  AddOrdinary(kFuelMap);
  AddOrdinary({"Spark"});
  ClickCell(TableEd->TableList1, 1, 0);
  QTest::mouseClick(TableEd->DelTable, Qt::LeftButton);
  TableEd->TableName->setFocus();
  QTest::keyClick(TableEd->TableName, Qt::Key_Return);
  QTest::mouseClick(TableEd->SixteenBitTable, Qt::LeftButton);
  EXPECT_EQ(Cell(TableEd->TableList1, 1, 0), "Spark");
  EXPECT_EQ(Cell(TableEd->TableList1, 1, 4), "1");

  // Once a row is shown again the panel stores into it.
  ClickCell(TableEd->TableList1, 1, 0);
  QTest::mouseClick(TableEd->SixteenBitTable, Qt::LeftButton);
  EXPECT_EQ(Cell(TableEd->TableList1, 1, 4), "2");
}

TEST_F(TableEdTest, CloseEmptiesBothListsAndTheEditorStaysShown) {
  ShowEditor();
  AddOrdinary({"One"});
  AddOrdinary({"Two"});
  CreateEntry("0x0400", "1", "1", Main->EightBitTable, true);
  QTest::mouseClick(Main->Close, Qt::LeftButton);
  EXPECT_TRUE(TableEd->isVisible());
  EXPECT_EQ(Main->TableListButton->text(), "Hide Table Editor");
  for (QTableView* view : {TableEd->TableList1, TableEd->TableList2}) {
    EXPECT_EQ(view->model()->rowCount(), 2);
    EXPECT_TRUE(Cell(view, 1, 0).isEmpty());
    EXPECT_TRUE(Cell(view, 1, 1).isEmpty());
    EXPECT_EQ(view->columnWidth(0), 300);  // the grids keep their look
    EXPECT_TRUE(view->isRowHidden(0));
  }
}

TEST_F(TableEdTest, CreatingTheWindowsAgainEmptiesTheListsAndTheHeader) {
  PretendImageLoaded(0x100);
  CreateEntry("0x0010", "2", "2", Main->EightBitTable);
  const std::string path = WriteEcu("h.ecu", "{12,34,5,6,0}\n");
  AnsweringBoxes([&] { TableEd->ReadEcuFile(path); });  // no table to open: message (3)
  EXPECT_EQ(TableEd->Header.Values[0], 0x12);
  CreateWindows();
  EXPECT_FALSE(TableEd->Lists.Ordinary.InUse());
  EXPECT_FALSE(TableEd->Lists.BitWise.InUse());
  EXPECT_EQ(TableEd->Header.Values, (std::array<std::int32_t, 4>{}));
}

TEST_F(TableEdTest, ReadingAFileReportsAndOpensTheFirstOrdinaryTable) {
  PretendImageLoaded(0x10000);
  const std::string path = WriteEcu(
      "car.ecu",
      "{   0,   0, 0,   0, 2}\r\n{ 3f0,16,12, 1,0,-40.0000,  1.0000,  0.5000,Fuel Map, , , , }\r\n"
      "{}\r\n");
  const auto seen = AnsweringBoxes([&] { TableEd->ReadEcuFile(path); });
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].title, "File Error");
  EXPECT_EQ(seen[0].text, "Bad .ecu file! Could only load 1 out of 2 tables. (1)");
  EXPECT_EQ(seen[0].buttons, QMessageBox::Ok);
  EXPECT_EQ(seen[0].icon, QMessageBox::NoIcon);

  EXPECT_EQ(RowTexts(TableEd->TableList1, 1),
            QStringList({"Fuel Map", "0x03F0", "16", "12", "1", "", "1", "0", "", "1", "0", "", "2",
                         "-40", "No", "0"}));
  EXPECT_EQ(TableEd->TableList2->model()->rowCount(), 2);
  EXPECT_EQ(TableEd->TableList1->currentIndex().row(), 1);
  EXPECT_EQ(TableEd->TableName->text(), "Fuel Map");
  EXPECT_EQ(Main->TableAddress->text(), "0x03F0");
  EXPECT_EQ(Main->Columns->text(), "16");
  EXPECT_EQ(Main->Rows->text(), "12");
  EXPECT_EQ(TableCursor.TableAddress, 0x3F0);
  EXPECT_EQ(TableCursor.TableName, "Fuel Map");
  EXPECT_EQ(TableCursor.Columns, 16);
  EXPECT_EQ(TableCursor.Rows, 12);
  EXPECT_EQ(TableCursor.ZScale, 2.0f);
  EXPECT_EQ(TableCursor.ZOffset, -40.0f);
}

TEST_F(TableEdTest, TheReadersOtherMessages) {
  ShowEditor();
  const struct {
    std::string text;  // empty: no file at all
    QString message;
    int ordinaryRows;
  } cases[] = {
      {"", "Couldn't open file!", 2},
      {"{1,2,3", "Bad .ecu Header!", 1},
      {"{0,0,0,0,1}\n{400,1,1,2,80,0,0,1,Flags,,,,}\n",
       "Bad .ecu file! Check there are actually 1 tables. (3)", 1},
      {"{0,0,0,0,2}\n{10,1,1,1,0,0,0,1,A,,,,}\n{20,1,1,1,0,0,1,0,B,,,,}\n",
       "Bad .ecu file! Check there are actually 2 tables. (2)", 1},
  };
  AddOrdinary({"Kept"});
  AddOrdinary({"Kept too"});
  for (const auto& c : cases) {
    const std::string path = c.text.empty() ? folder_ / "missing.ecu" : WriteEcu("f.ecu", c.text);
    const auto seen = AnsweringBoxes([&] { TableEd->ReadEcuFile(path); });
    ASSERT_EQ(seen.size(), 1u) << c.text;
    EXPECT_EQ(seen[0].text, c.message);
    EXPECT_EQ(seen[0].title, "File Error");
    EXPECT_EQ(TableEd->TableList1->model()->rowCount() - 1, c.ordinaryRows) << c.text;
  }
  EXPECT_EQ(Cell(TableEd->TableList1, 1, 0), "A");  // read before the failing line
}

TEST_F(TableEdTest, ClickingAnOrdinaryRowFillsThePanel) {
  ShowEditor();
  AddOrdinary(kFuelMap);
  ClickCell(TableEd->TableList1, 1, 3);
  EXPECT_EQ(TableEd->Lists.SelectedList, ListKind::Ordinary);
  const std::pair<QLineEdit*, QString> fields[] = {
      {TableEd->TableName, "Fuel Map"}, {TableEd->TableAddress, "0x03F0"},
      {TableEd->Columns, "16"},         {TableEd->Rows, "12"},
      {TableEd->XLabelName, "Load"},    {TableEd->XScale, "0.5"},
      {TableEd->XOffset, "-40"},        {TableEd->YLabelName, "Speed"},
      {TableEd->YScale, "1"},           {TableEd->YOffset, "0"},
      {TableEd->ZLabelName, "Fuel"},    {TableEd->ZScale, "0.5"},
      {TableEd->ZOffset, "-40"},
  };
  for (const auto& [edit, text] : fields)
    EXPECT_EQ(edit->text(), text) << edit->objectName().toStdString();
  EXPECT_FALSE(TableEd->BitWiseTable->isChecked());
  EXPECT_TRUE(TableEd->FxxxTable->isEnabled());
  EXPECT_TRUE(TableEd->DecimalPos->isEnabled());
  // Showing is no edit: the row reads back as it was.
  EXPECT_EQ(RowTexts(TableEd->TableList1, 1), kFuelMap);
}

TEST_F(TableEdTest, EntrySizeAndFxxxFieldsSetTheButtonsAndDecimalPlaces) {
  ShowEditor();
  const struct {
    QString size, fxxx, places;
    QRadioButton* width;
    bool fxxxChecked;
    QString shown;
  } cases[] = {
      {"2", "No", "5", TableEd->SixteenBitTable, false, "0"},
      {"4", "No", "0", TableEd->ThirtyTwoBitTable, false, "0"},
      {"3", "No", "0", TableEd->EightBitTable, false, "0"},
      {"1", "Yes", "12", TableEd->EightBitTable, true, "12"},
      {"1", "yes", "32", TableEd->EightBitTable, true, "32"},
      {"1", "Y", "40", TableEd->EightBitTable, true, "0"},
      {"1", "Yes", "-1", TableEd->EightBitTable, true, "0"},
      {"1", "yup", "abc", TableEd->EightBitTable, true, "0"},
      {"1", "", "7", TableEd->EightBitTable, false, "0"},
  };
  for (const auto& c : cases) {
    const int row = AddOrdinary({"T", "0x10", "2", "2", c.size, "X", "1", "0", "Y", "1", "0", "Z",
                                 "1", "0", c.fxxx, c.places});
    ClickCell(TableEd->TableList1, row, 0);
    EXPECT_TRUE(c.width->isChecked()) << c.size.toStdString();
    EXPECT_EQ(TableEd->FxxxTable->isChecked(), c.fxxxChecked) << c.fxxx.toStdString();
    EXPECT_EQ(TableEd->DecimalPos->currentText(), c.shown) << c.places.toStdString();
    EXPECT_EQ(Cell(TableEd->TableList1, row, 4), c.size);  // nothing stored by showing
  }
}

TEST_F(TableEdTest, AMalformedEntrySizeStopsTheClickWithTheErrorBox) {
  ShowEditor();
  AddOrdinary(kFuelMap);
  const int bad = AddOrdinary({"Bad", "0x20", "3", "3", "two", "Other X"});
  ClickCell(TableEd->TableList1, 1, 0);
  const auto seen = AnsweringBoxes([&] { ClickCell(TableEd->TableList1, bad, 0); });
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text, "'two' is not a valid integer value.");
  EXPECT_EQ(seen[0].icon, QMessageBox::Critical);
  EXPECT_EQ(TableEd->TableName->text(), "Bad");    // set before the failure
  EXPECT_EQ(TableEd->XLabelName->text(), "Load");  // not reached
}

TEST_F(TableEdTest, KeyPressesStoreThePanelWithTheKeyApplied) {
  ShowEditor();
  AddOrdinary(kFuelMap);
  const int row = AddOrdinary({""});
  ClickCell(TableEd->TableList1, row, 0);
  TableEd->TableName->setFocus();
  QTest::keyClick(TableEd->TableName, 'A');
  EXPECT_EQ(Cell(TableEd->TableList1, row, 0), "A");
  QTest::keyClick(TableEd->TableName, 'B');
  EXPECT_EQ(Cell(TableEd->TableList1, row, 0), "AB");
  QTest::keyClick(TableEd->TableName, Qt::Key_Return);
  EXPECT_EQ(Cell(TableEd->TableList1, row, 0), "AB");
  QTest::keyClick(TableEd->TableName, Qt::Key_Backspace);
  EXPECT_EQ(Cell(TableEd->TableList1, row, 0), "A");
  TypeIntoCell(TableEd->TableList1, row, 0, "AB");
  QTest::keyClick(TableEd->TableName, Qt::Key_Left);  // moves the caret only: not stored
  EXPECT_EQ(Cell(TableEd->TableList1, row, 0), "AB");
  QTest::keyClick(TableEd->TableName, Qt::Key_Return);
  EXPECT_EQ(Cell(TableEd->TableList1, row, 0), "A");

  // Every other box stores the whole panel the same way; row 1 is untouched.
  Type(TableEd->ZScale, "0.25");
  QTest::keyClick(TableEd->ZScale, Qt::Key_Return);
  EXPECT_EQ(Cell(TableEd->TableList1, row, 12), "0.25");
  EXPECT_EQ(RowTexts(TableEd->TableList1, 1), kFuelMap);
  EXPECT_EQ(TableEd->Lists.SelectedList, ListKind::Ordinary);
}

TEST_F(TableEdTest, EveryPanelBoxStoresItsLastKeyAtOnce) {
  ShowEditor();
  const int row = AddOrdinary(kFuelMap);
  AddOrdinary({"Other"});
  const std::pair<QLineEdit*, int> boxes[] = {
      {TableEd->TableName, 0}, {TableEd->TableAddress, 1}, {TableEd->Columns, 2},
      {TableEd->Rows, 3},      {TableEd->XLabelName, 5},   {TableEd->XScale, 6},
      {TableEd->XOffset, 7},   {TableEd->YLabelName, 8},   {TableEd->YScale, 9},
      {TableEd->YOffset, 10},  {TableEd->ZLabelName, 11},  {TableEd->ZScale, 12},
      {TableEd->ZOffset, 13}};
  for (const auto& [box, column] : boxes) {
    ClickCell(TableEd->TableList1, row, 0);
    Type(box, "Warmup");
    ClickCell(TableEd->TableList1, row + 1, 0);
    EXPECT_EQ(Cell(TableEd->TableList1, row, column), "Warmup") << box->objectName().toStdString();
  }
}

TEST_F(TableEdTest, SingleByteTextsFromOutsideFilesKeepTheirBytes) {
  // Names written by a Windows tool: "\xB0" is a degree sign, "\xB5" a micro sign.
  ShowEditor();
  const std::string path = WriteEcu("outside.ecu",
                                    "{0,0,0,0,1}\r\n{ 3f0,16,12, 1,0,0,0,1,Temp \xB0"
                                    "C,Load,-,Time \xB5s,-}\r\n");
  AnsweringBoxes([&] { TableEd->ReadEcuFile(path); });
  EXPECT_EQ(Cell(TableEd->TableList1, 1, 0), QString::fromUtf8("Temp \u00B0C"));
  EXPECT_EQ(TableEd->XLabelName->text(), QString::fromUtf8("Time \u00B5s"));

  // Storing the panel keeps the bytes of every field nobody edited ...
  TableEd->TableName->setFocus();
  QTest::keyClick(TableEd->TableName, Qt::Key_Return);
  EXPECT_EQ(TableEd->Lists.Ordinary.Field(1, 0),
            "Temp \xB0"
            "C");
  EXPECT_EQ(TableEd->Lists.Ordinary.Field(1, 5), "Time \xB5s");
  // ... and an edited field stays single-byte.
  QTest::keyClick(TableEd->TableName, Qt::Key_End);
  QTest::keyClick(TableEd->TableName, '!');
  QTest::keyClick(TableEd->TableName, Qt::Key_Return);
  EXPECT_EQ(TableEd->Lists.Ordinary.Field(1, 0),
            "Temp \xB0"
            "C!");
  // Typed in the list, a character beyond one byte makes the field UTF-8.
  TypeIntoCell(TableEd->TableList1, 1, 5, QString::fromUtf8("Time \u03BCs"));
  EXPECT_EQ(TableEd->Lists.Ordinary.Field(1, 5), "Time \xCE\xBCs");
  TypeIntoCell(TableEd->TableList1, 1, 8, "Load");  // unchanged
  EXPECT_EQ(TableEd->Lists.Ordinary.Field(1, 8), "Load");
}

TEST_F(TableEdTest, AWidthClickStoresTheEntrySize) {
  ShowEditor();
  const int row = AddOrdinary(kFuelMap);
  TypeIntoCell(TableEd->TableList1, row, 14, "Yes");
  TypeIntoCell(TableEd->TableList1, row, 15, "7");
  ClickCell(TableEd->TableList1, row, 0);
  EXPECT_EQ(TableEd->DecimalPos->currentText(), "7");
  QTest::mouseClick(TableEd->SixteenBitTable, Qt::LeftButton);
  EXPECT_EQ(Cell(TableEd->TableList1, row, 4), "2");
  EXPECT_EQ(TableEd->DecimalPos->currentText(), "0");
  EXPECT_EQ(Cell(TableEd->TableList1, row, 14), "Yes");  // the Fxxx fields are not stored
  EXPECT_EQ(Cell(TableEd->TableList1, row, 15), "7");
  QTest::mouseClick(TableEd->ThirtyTwoBitTable, Qt::LeftButton);
  EXPECT_EQ(Cell(TableEd->TableList1, row, 4), "4");
}

TEST_F(TableEdTest, ABitWiseRowShowsTheBitWiseLayout) {
  ShowEditor();
  AddOrdinary(kFuelMap);
  CreateEntry("0x0400", "16", "16", Main->EightBitTable, true);
  TypeIntoCell(TableEd->TableList2, 1, 0, "Flags");
  TypeIntoCell(TableEd->TableList2, 1, 3 + 31, "Last bit");
  ClickCell(TableEd->TableList1, 1, 0);
  ClickCell(TableEd->TableList2, 1, 0);

  EXPECT_EQ(TableEd->Lists.SelectedList, ListKind::BitWise);
  EXPECT_EQ(TableEd->TableName->text(), "Flags");
  EXPECT_EQ(TableEd->TableAddress->text(), "0x0400");
  EXPECT_TRUE(TableEd->BitWiseTable->isChecked());
  EXPECT_TRUE(TableEd->MultiBytePanel->isVisible());
  EXPECT_FALSE(TableEd->XYZPanel->isVisible());
  EXPECT_EQ(TableEd->Rows->text(), "1");
  EXPECT_EQ(TableEd->Columns->text(), "1");
  for (QWidget* off : std::initializer_list<QWidget*>{
           TableEd->Rows, TableEd->Columns, TableEd->RowLabel, TableEd->ColLabel,
           TableEd->FxxxTable, TableEd->DecimalPos, TableEd->DPLabel, TableEd->XYZPanel}) {
    EXPECT_FALSE(off->isEnabled()) << off->objectName().toStdString();
  }
  EXPECT_EQ(Cell(TableEd->MultiBitNames, 1, 1), "Bit 0 Description");
  EXPECT_EQ(Cell(TableEd->MultiBitNames, 8, 1), "Bit 7 Description");
  EXPECT_EQ(Cell(TableEd->MultiBitNames, 9, 1), "");
  EXPECT_EQ(Cell(TableEd->MultiBitNames, 32, 1), "Last bit");

  // Typing and width clicks store nothing while the bit-wise layout is shown.
  TableEd->TableName->setFocus();
  QTest::keyClicks(TableEd->TableName, "xyz");
  QTest::keyClick(TableEd->TableName, Qt::Key_Return);
  QTest::mouseClick(TableEd->SixteenBitTable, Qt::LeftButton);
  EXPECT_EQ(RowTexts(TableEd->TableList1, 1), kFuelMap);
  EXPECT_EQ(Cell(TableEd->TableList2, 1, 0), "Flags");

  // Unchecking by hand returns to the ordinary layout; the texts stay.
  QTest::mouseClick(TableEd->BitWiseTable, Qt::LeftButton);
  EXPECT_TRUE(TableEd->XYZPanel->isVisible());
  EXPECT_FALSE(TableEd->MultiBytePanel->isVisible());
  EXPECT_TRUE(TableEd->Rows->isEnabled());
  EXPECT_EQ(TableEd->Rows->text(), "1");
  EXPECT_EQ(TableEd->TableName->text(), "Flagsxyz");
}

TEST_F(TableEdTest, AKeyReleasedInTheListShowsItsCurrentRow) {
  ShowEditor();
  AddOrdinary({"One"});
  AddOrdinary({"Two"});
  ClickCell(TableEd->TableList1, 1, 0);
  TableEd->TableList1->setFocus();
  QTest::keyClick(TableEd->TableList1, Qt::Key_Down);
  EXPECT_EQ(TableEd->TableList1->currentIndex().row(), 2);
  EXPECT_EQ(TableEd->TableName->text(), "Two");
}

TEST_F(TableEdTest, DoubleClickOpensTheDefinitionInTheMainWindowAndTheViews) {
  ShowEditor();
  for (std::size_t i = 0; i < RomImage.Bytes->size(); ++i) (*RomImage.Bytes)[i] = 100;
  QTest::mouseClick(Main->TextModeButton, Qt::LeftButton);
  AddOrdinary(kFuelMap);
  const int row = AddOrdinary({"Spark", "0x20000", "4", "3", "2", "Rpm", "1", "0", "Load", "1", "0",
                               "Degrees", "0.5", "-40", "No", "0"});
  DoubleClickCell(TableEd->TableList1, row, 0);

  EXPECT_EQ(TableEd->TableName->text(), "Spark");
  EXPECT_EQ(Main->Columns->text(), "4");
  EXPECT_EQ(Main->Rows->text(), "3");
  EXPECT_EQ(Main->TableAddress->text(), "0xFFFF");  // clamped into the image
  EXPECT_EQ(TableCursor.TableAddress, 0xFFFF);
  EXPECT_EQ(TableCursor.TableName, "Spark");
  EXPECT_EQ(TableCursor.XLabelName, "Rpm");
  EXPECT_EQ(TableCursor.YLabelName, "Load");
  EXPECT_EQ(TableCursor.ZLabelName, "Degrees");
  EXPECT_EQ(TableCursor.Rows, 3);
  EXPECT_EQ(TableCursor.Columns, 4);
  EXPECT_EQ(100 * TableCursor.ZScale + TableCursor.ZOffset, 10.0f);
  EXPECT_TRUE(Main->SixteenBitTable->isChecked());  // the definition's entry size
  EXPECT_EQ(TableCursor.EntryWidth, 2);
  EXPECT_EQ(TextEdit->TextGrid->model()->rowCount(), 4);
  EXPECT_EQ(TextEdit->TextGrid->model()->columnCount(), 5);

  // A bare double-click on another row shows it first, then opens it.
  const QRect first = TableEd->TableList1->visualRect(TableEd->TableList1->model()->index(1, 0));
  QTest::mouseDClick(TableEd->TableList1->viewport(), Qt::LeftButton, {}, first.center());
  EXPECT_EQ(TableCursor.TableName, "Fuel Map");
  EXPECT_EQ(Main->TableAddress->text(), "0x03F0");
}

TEST_F(TableEdTest, OpeningADefinitionChecksTheWidthButtonOfItsEntrySize) {
  ShowEditor();
  QTest::mouseClick(Main->TextModeButton, Qt::LeftButton);
  const struct {
    const char* size;
    QRadioButton* checked;  // after opening; none: the buttons are left as they were
  } rows[] = {
      {"4", Main->ThirtyTwoBitTable},
      {"1", Main->EightBitTable},
      {"2", Main->SixteenBitTable},
      {"3", nullptr},
      {"8", nullptr},
  };
  for (const auto& row : rows) {
    QStringList fields = kFuelMap;
    fields[4] = row.size;
    const int added = AddOrdinary(fields);
    QTest::mouseClick(Main->SixteenBitTable, Qt::LeftButton);
    DoubleClickCell(TableEd->TableList1, added, 0);
    EXPECT_TRUE((row.checked ? row.checked : Main->SixteenBitTable)->isChecked()) << row.size;
    EXPECT_EQ(TableCursor.EntryWidth, Main->GetEntryWidth()) << row.size;
    // The grid's columns are as wide as the entries it reads.
    EXPECT_EQ(TextEdit->TextGrid->horizontalHeader()->defaultSectionSize(),
              Main->GetEntryWidth().Bytes() * 20 + 10)
        << row.size;
  }
}

TEST_F(TableEdTest, OpeningADefinitionAppliesItsEntrySignAndByteOrder) {
  ShowEditor();
  const int plain = AddOrdinary(kFuelMap);
  // Created while the current table is signed little-endian: the row keeps that.
  TableCursor.EntrySigned = true;
  TableCursor.EntryOrder = TByteOrder::LittleEndian;
  const int little = AddOrdinary({"Spark"});
  EXPECT_EQ(TableEd->Lists.Ordinary.Format(little), (TEntryFormat{true, TByteOrder::LittleEndian}));

  for (const int row : {plain, little, plain}) {
    DoubleClickCell(TableEd->TableList1, row, 0);
    EXPECT_EQ(TableCursor.TableName, row == plain ? "Fuel Map" : "Spark");
    EXPECT_EQ(TableCursor.EntrySigned, row == little);
    EXPECT_EQ(TableCursor.EntryOrder,
              row == little ? TByteOrder::LittleEndian : TByteOrder::BigEndian);
  }
}

TEST_F(TableEdTest, AddTableValidatesTheAddressAndAddsNothing) {
  ShowEditor();
  AddOrdinary({"One"});
  Main->TableAddress->setText("0x123456");
  QTest::mouseClick(TableEd->AddTable, Qt::LeftButton);
  EXPECT_EQ(Main->TableAddress->text(), "0xFFFF");
  EXPECT_EQ(TableEd->TableList1->model()->rowCount(), 2);
  EXPECT_EQ(TableEd->TableList2->model()->rowCount(), 2);
  // Cancelled file dialogs of Load Tables and Save Tables change nothing either.
  for (QPushButton* button : {TableEd->LoadQVT, TableEd->SaveQVT}) {
    const auto seen =
        ModalScript().CancelDialog().Run([&] { QTest::mouseClick(button, Qt::LeftButton); });
    EXPECT_EQ(seen.size(), 1u) << Describe(seen);
  }
  EXPECT_EQ(TableEd->TableList1->model()->rowCount(), 2);
}

TEST_F(TableEdTest, ImportAsksForAFileAndReadsIt) {
  ShowEditor();
  const std::string path = WriteEcu("m.ecu", "{0,0,0,0,1}\n{10,4,2,1,0,0,0,1,Boost,,,,}\n");
  auto seen =
      ModalScript().CancelDialog().Run([] { QTest::mouseClick(TableEd->Import, Qt::LeftButton); });
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_TRUE(seen[0].fileDialog);
  EXPECT_EQ(seen[0].title, "Pick a Marrowby file...");
  EXPECT_EQ(seen[0].nameFilters, QStringList({"Marrowby files (*.ecu)", "All files (*.*)"}));
  EXPECT_EQ(seen[0].acceptMode, QFileDialog::AcceptOpen);
  EXPECT_EQ(TableEd->TableList1->model()->rowCount(), 2);
  EXPECT_EQ(Cell(TableEd->TableList1, 1, 0), "");

  seen = ModalScript().ChooseFile(Q(path)).Run(
      [] { QTest::mouseClick(TableEd->Import, Qt::LeftButton); });
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(Cell(TableEd->TableList1, 1, 0), "Boost");
  EXPECT_EQ(TableCursor.TableName, "Boost");
}

TEST_F(TableEdTest, CancellingAnImportKeepsTheListsAndTheCurrentTable) {
  ShowEditor();
  const std::string small =
      WriteEcu("small.ecu", "{1,2,3,4,1}\n{3f0,16,12,1,0,-40,1,0.5,Fuel Map,Load,-,Rpm,-}\n");
  AnsweringBoxes([&] { TableEd->ReadEcuFile(small); });
  CreateEntry("0x0400", "1", "1", Main->EightBitTable, true);
  const QStringList ordinary = RowTexts(TableEd->TableList1, 1);
  const QStringList bitWise = RowTexts(TableEd->TableList2, 1);
  const QString address = Main->TableAddress->text();

  // Several blocks long; its progress shows at once and is cancelled.
  std::string text = "{9,9,9,9,90000}\n";
  for (int i = 0; i < 90000; ++i) text += "{500,4,4,1,0,0,0,1,Other,y,-,x,-}\n";
  const std::string big = WriteEcu("big.ecu", text);
  TableEd->ImportProgressDelayMs = 0;
  QString shown;
  QTimer canceller;
  QObject::connect(&canceller, &QTimer::timeout, [&] {
    if (auto* progress = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget())) {
      shown = progress->labelText();
      QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
    }
  });
  canceller.start(5);
  const auto seen = ModalScript().ChooseFile(Q(big)).Run(
      [] { QTest::mouseClick(TableEd->Import, Qt::LeftButton); });

  EXPECT_EQ(shown, "Importing " + Q(big) + " ...");
  EXPECT_EQ(seen.size(), 1u) << Describe(seen);  // the file dialog, no message
  EXPECT_EQ(RowTexts(TableEd->TableList1, 1), ordinary);
  EXPECT_EQ(RowTexts(TableEd->TableList2, 1), bitWise);
  EXPECT_EQ(TableEd->Header.Values, (std::array<std::int32_t, 4>{1, 2, 3, 4}));
  EXPECT_EQ(TableCursor.TableName, "Fuel Map");
  EXPECT_EQ(Main->TableAddress->text(), address);
}

TEST_F(TableEdTest, ExportAsksForANameAndWritesBothLists) {
  ShowEditor();
  AddOrdinary(kFuelMap);
  CreateEntry("0x0400", "1", "1", Main->EightBitTable, true);
  const std::string path = folder_ / "out.qvt";
  auto seen = ModalScript().ChooseFile(Q(path)).Run(
      [] { QTest::mouseClick(TableEd->Export, Qt::LeftButton); });
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].title, "Pick a .QVT file to save...");
  EXPECT_EQ(seen[0].nameFilters, QStringList({"Quorvel files (*.qvt)", "All files (*.*)"}));
  EXPECT_EQ(seen[0].defaultSuffix, "qvt");
  EXPECT_EQ(seen[0].acceptMode, QFileDialog::AcceptSave);
  const std::string expected =
      "{   0,   0, 0,   0, 2}\r\n"
      "{ 3f0,16,12, 1,0,-40.0000,  1.0000,  0.5000,Fuel Map, , , , }\r\n"
      "{}\r\n";
  EXPECT_EQ(TextOf(path), expected);

  // An existing file: No keeps it, Yes replaces it.
  WriteFile(path, Bytes("old"));
  seen = ModalScript().ChooseFile(Q(path)).Press(QMessageBox::No).Run([] {
    QTest::mouseClick(TableEd->Export, Qt::LeftButton);
  });
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1].title, "Overwrite?");
  EXPECT_EQ(seen[1].text, "File already exists. Overwrite?");
  EXPECT_EQ(seen[1].buttons, QMessageBox::Yes | QMessageBox::No);
  EXPECT_EQ(TextOf(path), "old");
  ModalScript().ChooseFile(Q(path)).Press(QMessageBox::Yes).Run([] {
    QTest::mouseClick(TableEd->Export, Qt::LeftButton);
  });
  EXPECT_EQ(TextOf(path), expected);

  // A name without an extension gets ".qvt".
  ModalScript().ChooseFile(Q(folder_ / "plain")).Run([] {
    QTest::mouseClick(TableEd->Export, Qt::LeftButton);
  });
  EXPECT_EQ(TextOf(folder_ / "plain.qvt"), expected);
}

TEST_F(TableEdTest, ExportFailuresAreReported) {
  ShowEditor();
  // The blank row of the empty ordinary list is no number.
  const std::string path = folder_ / "empty.qvt";
  auto seen = ModalScript().ChooseFile(Q(path)).Run(
      [] { QTest::mouseClick(TableEd->Export, Qt::LeftButton); });
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1].title, "File Error");
  EXPECT_EQ(seen[1].text,
            "Can't perform one of the following file operations: Open, Seek, Read, Close.");
  EXPECT_EQ(seen[1].buttons, QMessageBox::Ok | QMessageBox::Cancel);
  EXPECT_EQ(TextOf(path), "{   0,   0, 0,   0, 2}\r\n{");

  seen = ModalScript().ChooseFile(Q(folder_ / "no-such-folder/x.qvt")).Run([] {
    QTest::mouseClick(TableEd->Export, Qt::LeftButton);
  });
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1].text, "Couldn't open file for writing!");
  EXPECT_EQ(seen[1].buttons, QMessageBox::Ok);
}

TEST_F(TableEdTest, OverwritingAFileThatCannotBeOpenedKeepsIt) {
  ShowEditor();
  AddOrdinary(kFuelMap);
  // A running program's file can be deleted but not opened for writing.
  const std::string busy = folder_ / "busy.qvt";
  std::filesystem::copy_file("/bin/sleep", busy);
  std::filesystem::permissions(busy, std::filesystem::perms::owner_exec,
                               std::filesystem::perm_options::add);
  const auto before = ReadFile(busy);
  QProcess running;
  running.start(Q(busy), {"30"});
  ASSERT_TRUE(running.waitForStarted());
  const auto seen = ModalScript().ChooseFile(Q(busy)).Press(QMessageBox::Yes).Run([] {
    QTest::mouseClick(TableEd->Export, Qt::LeftButton);
  });
  running.kill();
  running.waitForFinished();
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[1].title, "Overwrite?");
  EXPECT_EQ(seen[2].text, "Couldn't open file for writing!");
  EXPECT_EQ(ReadFile(busy), before);
}

TEST_F(TableEdTest, ClosingTheWindowGoesThroughTheMainWindowsToggle) {
  ShowEditor();
  AddOrdinary({"Kept"});
  TableEd->close();
  EXPECT_FALSE(TableEd->isVisible());
  EXPECT_FALSE(TableEd->isEnabled());
  EXPECT_EQ(Main->TableListButton->text(), "Show Table Editor");
  QTest::mouseClick(Main->TableListButton, Qt::LeftButton);
  EXPECT_EQ(Cell(TableEd->TableList1, 1, 0), "Kept");
}

}  // namespace

TEST_F(TableEdTest, BothListModelsKeepTheirContractThroughEveryChange) {
  ShowEditor();
  const ModelCheck ordinary(TableEd->TableList1->model());
  const ModelCheck bitWise(TableEd->TableList2->model());
  AddOrdinary(kFuelMap);
  AddOrdinary({"Spark Map"});
  CreateEntry("0x0100", "1", "1", Main->EightBitTable, true);
  ClickCell(TableEd->TableList1, 2, 0);
  QTest::mouseClick(TableEd->DelTable, Qt::LeftButton);
  const std::string path = WriteEcu(
      "car.ecu",
      "{   0,   0, 0,   0, 2}\r\n{ 3f0,16,12, 1,0,-40.0000,  1.0000,  0.5000,Fuel Map, , , , }\r\n"
      "{ 100, 1, 1, 1,80,  0.0000,  0.0000,  1.0000,Flags, , , , }\r\n");
  const auto seen = AnsweringBoxes([&] { TableEd->ReadEcuFile(path); });
  for (const SeenBox& box : seen) ADD_FAILURE() << box.text.toStdString();
  EXPECT_EQ(TableEd->TableList1->model()->rowCount(), 2);
  EXPECT_EQ(TableEd->TableList2->model()->rowCount(), 2);
  QTest::mouseClick(Main->Close, Qt::LeftButton);
  EXPECT_EQ(TableEd->TableList1->model()->rowCount(), 2);  // caption row and the blank row
}
