#include "tables/rom_xml_file.h"

#include "support/temp_folder.h"
#include "tables/typed_definition.h"

#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace {

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// An ECUFlash definition with the xmlid, its includes and the body.
std::string Rom(const std::string& xmlid, const std::string& body,
                const std::vector<std::string>& includes = {}) {
  std::string text = "<rom>\n<romid><xmlid>" + xmlid + "</xmlid></romid>\n";
  for (const std::string& include : includes) text += "<include>" + include + "</include>\n";
  return text + body + "</rom>\n";
}

TTypedDefinition Ordinary(const TDefinitionFileRead& read, int row) {
  const DefinitionList& list = read.Lists.Ordinary;
  const std::optional<TTypedDefinition> typed = TypedDefinition(list.Row(row), list.Format(row));
  EXPECT_TRUE(typed.has_value()) << row;
  return typed.value_or(TTypedDefinition{});
}

std::vector<std::string> Names(const DefinitionList& list) {
  std::vector<std::string> names;
  for (int row = 1; list.InUse() && row <= list.DataRowCount(); ++row) {
    names.push_back(list.Field(row, 0));
  }
  return names;
}

TEST(RomXmlTest, ScalingsGiveWidthSignOrderAndLinearScale) {
  struct Case {
    const char* Scaling;  // attributes of an ECUFlash <scaling name="s" …/>
    int Width;
    bool Signed;
    TByteOrder Order;
    bool Float;
    double Scale;
    double Offset;
    const char* Equation;
  };
  const TByteOrder big = TByteOrder::BigEndian;
  const TByteOrder little = TByteOrder::LittleEndian;
  const Case cases[] = {
      {R"(storagetype="uint8" toexpr="x*0.5-40")", 1, false, big, false, 0.5, -40, ""},
      {R"(storagetype="int8" endian="big" toexpr="x")", 1, true, big, false, 1, 0, ""},
      {R"(storagetype="uint16" endian="little" toexpr="(x-128)/2")", 2, false, little, false, 0.5,
       -64, ""},
      {R"(storagetype="int16" toexpr="x*.0078125")", 2, true, big, false, 0.0078125, 0, ""},
      {R"(storagetype="uint32" endian="lsb")", 4, false, little, false, 1, 0, ""},
      {R"(storagetype="int32" toexpr="-X*2+7")", 4, true, big, false, -2, 7, ""},
      {R"(storagetype="float" toexpr="x*100-100")", 4, false, big, true, 100, -100, ""},
      {R"~(storagetype="uint8" toexpr="14.7/(1+x*.0078125)")~", 1, false, big, false, 1, 0,
       "14.7/(1+x*.0078125)"},
  };
  const TempFolder folder;
  for (const Case& c : cases) {
    const std::string path = folder / "scaling.xml";
    WriteText(path, Rom("S", std::string("<scaling name=\"s\" units=\"kPa\" ") + c.Scaling +
                                 "/>\n<table name=\"T\" type=\"1D\" scaling=\"s\" "
                                 "address=\"1f0\"/>\n"));
    const TDefinitionFileRead read = ReadRomXmlFile(path, 0x100);
    ASSERT_EQ(read.Read, 1) << c.Scaling << ": " << read.Problem;
    EXPECT_EQ(read.Problem, "") << c.Scaling;
    const TTypedDefinition d = Ordinary(read, 1);
    EXPECT_EQ(d.TableAddress, 0x2F0) << c.Scaling;
    EXPECT_EQ(d.EntrySize, c.Width) << c.Scaling;
    EXPECT_EQ(d.Format.Signed, c.Signed) << c.Scaling;
    EXPECT_EQ(d.Format.Order, c.Order) << c.Scaling;
    EXPECT_EQ(d.Format.Float, c.Float) << c.Scaling;
    EXPECT_DOUBLE_EQ(d.ZScale, c.Scale) << c.Scaling;
    EXPECT_DOUBLE_EQ(d.ZOffset, c.Offset) << c.Scaling;
    EXPECT_EQ(d.Format.Equation, c.Equation) << c.Scaling;
    EXPECT_EQ(d.ZLabel, "kPa");
  }
}

TEST(RomXmlTest, ShapesOfOneTwoAndThreeDimensionalTables) {
  const TempFolder folder;
  const std::string path = folder / "shapes.xml";
  WriteText(path, Rom("SHAPES", R"(
<scaling name="b" units="%" storagetype="uint8" toexpr="x"/>
<scaling name="rpm" units="RPM" storagetype="uint16" toexpr="x*4"/>
<scaling name="load" units="g/rev" storagetype="uint16" toexpr="x"/>
<table name="One" type="1D" scaling="b" address="10"/>
<table name="Curve" type="2D" scaling="b" address="20">
  <table name="Speed" type="Y Axis" elements="16" scaling="rpm" address="100"/>
</table>
<table name="Labels" type="2D" scaling="b" address="40">
  <table name="Gear" type="Static Y Axis"><data>1</data><data>2</data><data>3</data></table>
</table>
<table name="Map" type="3D" scaling="b" address="200">
  <table name="Load" type="X Axis" elements="11" scaling="load" address="300"/>
  <table name="Speed" type="Y Axis" elements="15" scaling="rpm" address="400"/>
</table>
<table name="Swapped" type="3D" scaling="b" address="500" swapxy="true">
  <table name="Load" type="X Axis" elements="11" scaling="load" address="300"/>
  <table name="Speed" type="Y Axis" elements="15" scaling="rpm" address="400"/>
</table>
<table name="Alone" type="Y Axis" elements="7" scaling="rpm" address="600"/>
)"));
  const TDefinitionFileRead read = ReadRomXmlFile(path, 0);
  EXPECT_EQ(read.Problem, "");
  // Each axis stored at an address of its own is listed once, after the first table using it.
  EXPECT_EQ(Names(read.Lists.Ordinary),
            (std::vector<std::string>{"One", "Curve", "Curve - Speed axis", "Labels", "Map",
                                      "Map - Load axis", "Map - Speed axis", "Swapped", "Alone"}));
  ASSERT_EQ(read.Read, 9);
  const auto shape = [&](int row) {
    const TTypedDefinition d = Ordinary(read, row);
    return std::tuple(d.Rows, d.Columns, d.XLabel, d.YLabel);
  };
  using Shape = std::tuple<int, int, std::string, std::string>;
  EXPECT_EQ(shape(1), Shape(1, 1, "", ""));
  EXPECT_EQ(shape(2), Shape(1, 16, "Speed (RPM)", ""));
  EXPECT_EQ(shape(4), Shape(1, 3, "Gear", ""));
  EXPECT_EQ(shape(5), Shape(15, 11, "Load (g/rev)", "Speed (RPM)"));
  // Stored column by column: memory order has the X axis down the rows.
  EXPECT_EQ(shape(8), Shape(11, 15, "Speed (RPM)", "Load (g/rev)"));
  EXPECT_EQ(shape(9), Shape(1, 7, "Alone", ""));

  const TTypedDefinition axis = Ordinary(read, 3);
  EXPECT_EQ(axis.TableAddress, 0x100);
  EXPECT_EQ(std::tuple(axis.Rows, axis.Columns, axis.EntrySize), std::tuple(1, 16, 2));
  EXPECT_DOUBLE_EQ(axis.ZScale, 4.0);
  EXPECT_EQ(axis.ZLabel, "RPM");
}

TEST(RomXmlTest, RomRaiderTablesCarryTheirOwnStorageAndScaling) {
  const TempFolder folder;
  const std::string path = folder / "rr.xml";
  WriteText(path, R"(<roms>
<scalingbase name="kpa" units="kPa" expression="x/2"/>
<rom>
 <romid><xmlid>RR1</xmlid><offset>-0x1000</offset></romid>
 <table type="3D" name="Fuel" storageaddress="0x1200" storagetype="int16" endian="little"
        sizex="4" sizey="3" swapxy="true">
  <scaling units="ms" expression="x*0.01" to_byte="x/0.01"/>
  <scaling units="us" expression="x*10"/>
  <table type="X Axis" name="Pressure" storageaddress="0x1100" storagetype="uint8">
   <scaling base="kpa"/>
  </table>
  <table type="Static Y Axis" name="Bank" sizey="3"><data>a</data><data>b</data><data>c</data></table>
 </table>
</rom>
</roms>
)");
  const TDefinitionFileRead read = ReadRomXmlFile(path, 0);
  EXPECT_EQ(read.Problem, "");
  ASSERT_EQ(read.Read, 2);
  const TTypedDefinition fuel = Ordinary(read, 1);
  EXPECT_EQ(fuel.TableAddress, 0x200);
  EXPECT_EQ(std::tuple(fuel.Rows, fuel.Columns, fuel.EntrySize), std::tuple(4, 3, 2));
  EXPECT_EQ(std::tuple(fuel.XLabel, fuel.YLabel), std::tuple("Bank", "Pressure (kPa)"));
  EXPECT_TRUE(fuel.Format.Signed);
  EXPECT_EQ(fuel.Format.Order, TByteOrder::LittleEndian);
  EXPECT_DOUBLE_EQ(fuel.ZScale, 0.01);
  EXPECT_EQ(fuel.ZLabel, "ms");
  const TTypedDefinition axis = Ordinary(read, 2);
  EXPECT_EQ(std::tuple(axis.TableAddress, axis.Columns, axis.EntrySize), std::tuple(0x100, 4, 1));
  EXPECT_DOUBLE_EQ(axis.ZScale, 0.5);
}

TEST(RomXmlTest, IncludesAreFoundBesideTheFileAndCompletedByName) {
  const TempFolder folder;
  // The base is found by its xmlid although its file is named otherwise.
  WriteText(folder / "generic base.xml", Rom("BASE", R"(
<scaling name="b" units="%" storagetype="uint8" toexpr="x"/>
<scaling name="w" units="ms" storagetype="uint16" toexpr="x/8"/>
<table name="Template Only" type="1D" scaling="b"/>
<table name="Curve" type="2D" scaling="w">
  <table name="Temp" type="Y Axis" elements="5" scaling="b"/>
</table>
<table name="Flag" type="1D" scaling="b"/>
)"));
  WriteText(folder / "MID.xml", Rom("MID", R"(
<table name="Curve" address="400"><table name="Temp" address="300" elements="6"/></table>
)",
                                    {"BASE"}));
  const std::string top = folder / "TOP.xml";
  WriteText(top, Rom("TOP", R"(
<table name="Flag" address="50"/>
<table name="Own" type="1D" scaling="w" address="60"/>
)",
                     {"MID"}));
  const TDefinitionFileRead read = ReadRomXmlFile(top, 0);
  EXPECT_EQ(read.Problem, "");
  EXPECT_EQ(Names(read.Lists.Ordinary),
            (std::vector<std::string>{"Curve", "Curve - Temp axis", "Flag", "Own"}));
  const TTypedDefinition curve = Ordinary(read, 1);
  EXPECT_EQ(std::tuple(curve.TableAddress, curve.Columns, curve.EntrySize),
            std::tuple(0x400, 6, 2));
  EXPECT_DOUBLE_EQ(curve.ZScale, 0.125);
}

TEST(RomXmlTest, AMissingIncludeOrALoopIsNamedAndTheRestKept) {
  const TempFolder folder;
  const std::string table = R"(<scaling name="b" storagetype="uint8"/>
<table name="T" type="1D" scaling="b" address="10"/>
)";
  const std::string missing = folder / "missing.xml";
  WriteText(missing, Rom("M", table, {"NOWHERE"}));
  TDefinitionFileRead read = ReadRomXmlFile(missing, 0);
  EXPECT_EQ(read.Read, 1);
  EXPECT_EQ(read.Problem,
            "file missing.xml line 3: include \"NOWHERE\": no definition with that xmlid was "
            "found beside the file");

  WriteText(folder / "LOOPA.xml", Rom("LOOPA", table, {"LOOPB"}));
  WriteText(folder / "LOOPB.xml", Rom("LOOPB", "", {"LOOPA"}));
  read = ReadRomXmlFile(folder / "LOOPA.xml", 0);
  EXPECT_EQ(read.Read, 1);
  EXPECT_NE(read.Problem.find("file LOOPB.xml line 3: include \"LOOPA\""), std::string::npos)
      << read.Problem;
  EXPECT_NE(read.Problem.find("loop"), std::string::npos);

  // A chain deeper than the bound is cut where it passes it.
  for (int k = 0; k < 30; ++k) {
    WriteText(folder / ("D" + std::to_string(k) + ".xml"),
              Rom("D" + std::to_string(k), k == 0 ? table : "", {"D" + std::to_string(k + 1)}));
  }
  read = ReadRomXmlFile(folder / "D0.xml", 0);
  EXPECT_EQ(read.Read, 1);
  EXPECT_NE(read.Problem.find("nested more than 16"), std::string::npos) << read.Problem;
}

TEST(RomXmlTest, RomRaiderBaseInTheSameFileOrBeside) {
  const TempFolder folder;
  WriteText(folder / "base.xml", R"(<roms><rom><romid><xmlid>FAR</xmlid></romid>
<table type="1D" name="Far" storagetype="uint16"><scaling units="x" expression="x"/></table>
</rom></roms>)");
  const std::string path = folder / "defs.xml";
  WriteText(path, R"(<roms>
<rom base="FAR"><romid><xmlid>NEAR</xmlid></romid>
 <table type="1D" name="Near" storagetype="uint8"/>
</rom>
<rom base="NEAR"><romid><xmlid>CAL</xmlid></romid>
 <table name="Near" storageaddress="0x20"/>
 <table name="Far" storageaddress="0x30"/>
</rom>
</roms>)");
  const TDefinitionFileRead read = ReadRomXmlFile(path, 0);
  EXPECT_EQ(read.Problem, "");
  EXPECT_EQ(Names(read.Lists.Ordinary), (std::vector<std::string>{"Far", "Near"}));
  EXPECT_EQ(Ordinary(read, 1).EntrySize, 2);
  EXPECT_EQ(Ordinary(read, 2).TableAddress, 0x20);
}

TEST(RomXmlTest, SwitchesAndBitsGoToTheBitWiseList) {
  const TempFolder folder;
  const std::string flash = folder / "flash.xml";
  WriteText(flash, Rom("F", R"(
<scaling name="onoff" storagetype="bloblist">
  <data name="off" value="640C"/><data name="on" value="e400"/>
</scaling>
<table name="Monitors" type="1D" scaling="onoff" address="9b0"/>
)"));
  TDefinitionFileRead read = ReadRomXmlFile(flash, 0);
  EXPECT_EQ(read.Problem, "");
  ASSERT_EQ(read.Read, 1);
  EXPECT_FALSE(read.Lists.Ordinary.InUse());
  const auto bits = read.Lists.BitWise.Row(1);
  EXPECT_EQ(std::vector<std::string>(bits.begin(), bits.begin() + 5),
            (std::vector<std::string>{"Monitors", "0x09B0", "2", "off = 640C", "on = E400"}));

  const std::string rr = folder / "rr.xml";
  WriteText(rr, R"(<roms><rom><romid><xmlid>R</xmlid></romid>
<table type="Switch" name="Patch" storageaddress="0x40" sizey="3">
  <state name="stock" data="01 02 03"/><state name="patched" data="04 05 06"/>
</table>
<table type="BitwiseSwitch" name="Codes" storageaddress="0x50" storagetype="uint16">
  <bit position="0" name="P0100"/><bit position="15" name="P0200"/>
  <bit position="16" name="P0300"/>
</table>
</rom></roms>)");
  read = ReadRomXmlFile(rr, 0);
  ASSERT_EQ(read.Read, 2);
  const DefinitionList& list = read.Lists.BitWise;
  EXPECT_EQ(list.Field(1, BitWiseDefinition::Bytes), "3");
  EXPECT_EQ(list.Field(1, BitWiseDefinition::BitColumn(1)), "patched = 040506");
  EXPECT_EQ(list.Field(2, BitWiseDefinition::TableAddr), "0x0050");
  EXPECT_EQ(list.Field(2, BitWiseDefinition::Bytes), "2");
  EXPECT_EQ(list.Field(2, BitWiseDefinition::BitColumn(0)), "P0100");
  EXPECT_EQ(list.Field(2, BitWiseDefinition::BitColumn(15)), "P0200");
  EXPECT_EQ(list.Field(2, BitWiseDefinition::BitColumn(16)), "");
  EXPECT_EQ(read.Problem,
            "file rr.xml line 7: table \"Codes\": the bit position \"16\" is outside its 2 "
            "bytes");
}

TEST(RomXmlTest, ABadTableIsSkippedWithTheFirstProblemAndTheRestRead) {
  struct Case {
    const char* Table;
    std::int64_t Base;
    const char* Problem;  // reported at the table's line, or at its scaling's
    int Line = 5;
  };
  const Case cases[] = {
      {R"(type="1D" scaling="b" address="zz")", 0, "the address \"zz\" is not a number"},
      {R"(type="1D" scaling="b" address="7fffffff")", 1, "the address 7fffffff lies past 2 GiB"},
      {R"(type="1D" scaling="b" address="10")", -0x20, "the address 10 lies before 0"},
      {R"(type="1D" scaling="b" elements="0" address="10")", 0, "the size \"0\" is bad"},
      {R"(type="3D" scaling="b" address="10")", 0, "no size is given for its X axis"},
      {R"(type="1D" scaling="nothing" address="10")", 0, "the scaling \"nothing\" is not defined"},
      {R"(type="1D" scaling="odd" address="10")", 0, "the storage type \"uint24\" is unknown", 4},
      {R"(type="4D" scaling="b" address="10")", 0, "the type \"4D\" is unknown"},
      {R"(scaling="b" address="10")", 0, "no type (1D, 2D, 3D or a switch) is defined"},
  };
  const TempFolder folder;
  for (const Case& c : cases) {
    const std::string path = folder / "bad.xml";
    WriteText(path, Rom("BAD", std::string(R"(<scaling name="b" storagetype="uint8"/>
<scaling name="odd" storagetype="uint24"/>
<table name="Bad" )") + c.Table + R"(/>
<table name="Good" type="1D" scaling="b" address="40000"/>
)"));
    const TDefinitionFileRead read = ReadRomXmlFile(path, c.Base);
    EXPECT_EQ(read.Problem,
              "file bad.xml line " + std::to_string(c.Line) + ": table \"Bad\": " + c.Problem);
    EXPECT_EQ(Names(read.Lists.Ordinary), std::vector<std::string>{"Good"}) << c.Table;
  }

  const std::string path = folder / "none.xml";
  WriteText(path, Rom("NONE", R"(<table name="Bad" type="1D" address="-"/>)"));
  const TDefinitionFileRead read = ReadRomXmlFile(path, 0);
  EXPECT_EQ(read.Read, 0);
  EXPECT_FALSE(read.Lists.Ordinary.InUse());
  EXPECT_FALSE(read.Lists.BitWise.InUse());
  EXPECT_NE(read.Problem.find("not a number"), std::string::npos);
}

}  // namespace
