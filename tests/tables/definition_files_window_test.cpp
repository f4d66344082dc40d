// Load Tables and Save Tables: definition files through their dialogs.
#include "app/number_text.h"
#include "support/modal.h"
#include "support/temp_folder.h"
#include "support/window_fixture.h"
#include "tables/ui/table_ed.h"
#include "textview/ui/text_edit.h"

#include <QFileDialog>
#include <QRadioButton>
#include <QTableView>

#include <string>
#include <vector>

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

// Two tables: a signed little-endian 16-bit 2 × 4 map at file offset 0x10 with a linear
// equation, and an 8-bit curve at 0x40 whose equation is no a·X + b.
const std::string kXdf = R"xdf(<?xml version="1.0" encoding="UTF-8"?>
<XDFFORMAT version="1.60">
  <XDFHEADER>
    <deftitle>Test</deftitle>
    <BASEOFFSET offset="0" subtract="0" />
    <DEFAULTS datasizeinbits="8" sigdigits="2" outputtype="1" signed="0" lsbfirst="0" float="0" />
  </XDFHEADER>
  <XDFTABLE uniqueid="0x1" flags="0x0">
    <title>Spark</title>
    <XDFAXIS id="x" uniqueid="0x0"><indexcount>4</indexcount><units>Rpm</units></XDFAXIS>
    <XDFAXIS id="y" uniqueid="0x0"><indexcount>2</indexcount><units>Load</units></XDFAXIS>
    <XDFAXIS id="z">
      <EMBEDDEDDATA mmedtypeflags="0x03" mmedaddress="0x10" mmedelementsizebits="16" mmedrowcount="2" mmedcolcount="4" mmedmajorstridebits="0" mmedminorstridebits="0" />
      <units>Degrees</units>
      <MATH equation="X*0.75-48"><VAR id="X" /></MATH>
    </XDFAXIS>
  </XDFTABLE>
  <XDFTABLE uniqueid="0x2" flags="0x0">
    <title>Lambda</title>
    <XDFAXIS id="x" uniqueid="0x0"><indexcount>16</indexcount></XDFAXIS>
    <XDFAXIS id="y" uniqueid="0x0"><indexcount>1</indexcount></XDFAXIS>
    <XDFAXIS id="z">
      <EMBEDDEDDATA mmedaddress="0x40" mmedelementsizebits="8" mmedrowcount="1" mmedcolcount="16" />
      <MATH equation="14.7/(1+X*0.0078125)"><VAR id="X" /></MATH>
    </XDFAXIS>
  </XDFTABLE>
</XDFFORMAT>
)xdf";

class DefinitionFilesTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    PretendImageLoaded(0x100);
    TypeAndEnter(Main->BaseAddress, "0x1000");
    QTest::mouseClick(Main->TextModeButton, Qt::LeftButton);
    QTest::mouseClick(Main->TableListButton, Qt::LeftButton);
  }

  static std::vector<SeenModal> Load(const std::string& path) {
    return ModalScript().ChooseFile(Q(path)).Run(
        [] { QTest::mouseClick(TableEd->LoadQVT, Qt::LeftButton); });
  }

  static QStringList ListTexts(const QTableView* view) {
    QStringList texts;
    const QAbstractItemModel* model = view->model();
    for (int r = 0; r < model->rowCount(); ++r) {
      for (int c = 0; c < model->columnCount(); ++c) texts << model->index(r, c).data().toString();
    }
    return texts;
  }

  TempFolder folder_;
};

TEST_F(DefinitionFilesTest, LoadTablesReadsAnXdfAndOpensASignedLittleEndianTable) {
  // Entry 0 of the map: 0xFFFE little-endian, -2 signed.
  (*RomImage.Bytes)[0x10] = 0xFE;
  (*RomImage.Bytes)[0x11] = 0xFF;
  const std::string path = folder_ / "test.xdf";
  WriteFile(path, {kXdf.begin(), kXdf.end()});

  const auto seen = Load(path);
  ASSERT_EQ(seen.size(), 1u) << Describe(seen);
  EXPECT_EQ(seen[0].title, "Load Tables");
  EXPECT_EQ(seen[0].nameFilters,
            QStringList({"TunerPro definitions (*.xdf)", "RomRaider / ECUFlash definitions (*.xml)",
                         "All files (*)"}));
  EXPECT_EQ(seen[0].acceptMode, QFileDialog::AcceptOpen);

  const QAbstractItemModel* list = TableEd->TableList1->model();
  ASSERT_EQ(list->rowCount(), 3);
  EXPECT_EQ(list->index(1, TableDefinition::TableName).data().toString(), "Spark");
  EXPECT_EQ(list->index(1, TableDefinition::TableAddr).data().toString(), "0x1010");
  EXPECT_EQ(list->index(1, TableDefinition::ZScale).data().toString().toDouble(), 0.75);
  EXPECT_EQ(list->index(1, TableDefinition::ZOffset).data().toString().toDouble(), -48);
  EXPECT_EQ(list->index(2, TableDefinition::ZScale).data().toString().toDouble(), 1);
  EXPECT_EQ(list->index(2, TableDefinition::TableName).data(Qt::ToolTipRole).toString(),
            "Equation: 14.7/(1+X*0.0078125)");

  // The first table is open: its sign and byte order apply.
  EXPECT_EQ(TableCursor.TableName, "Spark");
  EXPECT_TRUE(Main->SixteenBitTable->isChecked());
  EXPECT_EQ(Main->TableAddress->text(), "0x1010");
  EXPECT_EQ(TextEdit->TextGrid->model()->index(1, 1).data().toString(), "-2");
}

TEST_F(DefinitionFilesTest, SaveTablesWritesAFileThatLoadsBackToTheSameLists) {
  const std::string source = folder_ / "source.xdf";
  WriteFile(source, {kXdf.begin(), kXdf.end()});
  ASSERT_EQ(Load(source).size(), 1u);
  // An awkward text that is no number stays as typed.
  TableEd->TableList1->model()->setData(
      TableEd->TableList1->model()->index(2, TableDefinition::XScale), "1,5 <&>", Qt::EditRole);
  const QStringList ordinary = ListTexts(TableEd->TableList1);
  const QStringList bitWise = ListTexts(TableEd->TableList2);
  const TEntryFormat format = TableEd->Lists.Ordinary.Format(1);

  const std::string saved = folder_ / "saved";
  auto seen = ModalScript().ChooseFile(Q(saved)).Run(
      [] { QTest::mouseClick(TableEd->SaveQVT, Qt::LeftButton); });
  ASSERT_EQ(seen.size(), 1u) << Describe(seen);
  EXPECT_EQ(seen[0].title, "Save Tables");
  EXPECT_EQ(seen[0].defaultSuffix, "xdf");
  EXPECT_EQ(seen[0].acceptMode, QFileDialog::AcceptSave);

  TableEd->ClearLists();
  seen = Load(saved + ".xdf");
  ASSERT_EQ(seen.size(), 1u) << Describe(seen);
  EXPECT_EQ(ListTexts(TableEd->TableList1), ordinary);
  EXPECT_EQ(ListTexts(TableEd->TableList2), bitWise);
  EXPECT_EQ(TableEd->Lists.Ordinary.Format(1), format);
}

TEST_F(DefinitionFilesTest, AFileThatCannotBeReadIsNamedAndTheListsStay) {
  const std::string source = folder_ / "source.xdf";
  WriteFile(source, {kXdf.begin(), kXdf.end()});
  ASSERT_EQ(Load(source).size(), 1u);
  const QStringList before = ListTexts(TableEd->TableList1);

  for (const char* text : {"not xml at all", "<html></html>"}) {
    const std::string bad = folder_ / "bad.xml";
    const std::string content = text;
    WriteFile(bad, {content.begin(), content.end()});
    const auto seen = Load(bad);
    ASSERT_EQ(seen.size(), 2u) << Describe(seen);
    EXPECT_EQ(seen[1].title, "File Error");
    EXPECT_TRUE(seen[1].text.contains(Q(bad))) << seen[1].text.toStdString();
    EXPECT_EQ(ListTexts(TableEd->TableList1), before);
  }
}

}  // namespace
