#include "app/application.h"
#include "graphview/ui/graph_edit.h"
#include "support/file_size_limit.h"
#include "support/modal.h"
#include "support/temp_folder.h"
#include "support/window_fixture.h"
#include "tables/ui/table_ed.h"
#include "textview/ui/text_edit.h"

#include <QAction>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>

namespace {

const QString kOperationFailure =
    "Can't perform one of the following file operations: Open, Seek, Read, Close.";

QString Q(const std::string& text) { return QString::fromStdString(text); }

void ClickLoad() { QTest::mouseClick(Main->Load, Qt::LeftButton); }
void ClickSave() { QTest::mouseClick(Main->Save, Qt::LeftButton); }
void ClickSaveAs() { QTest::mouseClick(Main->SaveAs, Qt::LeftButton); }
void ClickClose() { QTest::mouseClick(Main->Close, Qt::LeftButton); }

class ImageCommandsTest : public WindowTest {
 protected:
  // Loads `bytes` from a new file of that name through the Load button.
  std::string LoadNew(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    const std::string path = folder_ / name;
    WriteFile(path, bytes);
    const auto seen = ModalScript().ChooseFile(Q(path)).Run(ClickLoad);
    EXPECT_EQ(seen.size(), 1u) << Describe(seen);
    return path;
  }

  TempFolder folder_;
};

void ExpectFileControlsEnabled(bool enabled) {
  for (QWidget* control : std::initializer_list<QWidget*>{
           Main->Save, Main->SaveAs, Main->Close, Main->TextModeButton, Main->GraphicsModeButton,
           Main->TableListButton, Main->CreateTableEntry}) {
    EXPECT_EQ(control->isEnabled(), enabled) << control->objectName().toStdString();
  }
  for (QAction* item : {Main->Save1, Main->SaveAs1, Main->Close1}) {
    EXPECT_EQ(item->isEnabled(), enabled) << item->objectName().toStdString();
  }
  EXPECT_TRUE(Main->Load->isEnabled());
  EXPECT_TRUE(Main->MenuLoad->isEnabled());
}

TEST_F(ImageCommandsTest, LoadReadsTheWholeFileAndShowsIt) {
  const std::string path = folder_ / "car.bin";
  WriteFile(path, CountingBytes(32768));
  const auto seen = ModalScript().ChooseFile(Q(path)).Run(ClickLoad);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_TRUE(seen[0].fileDialog);
  EXPECT_EQ(seen[0].title, "Pick a binary file...");
  EXPECT_EQ(seen[0].nameFilters, QStringList({"Binary files (*.bin)", "All files (*.*)"}));
  EXPECT_EQ(seen[0].defaultSuffix, "BIN");
  EXPECT_EQ(seen[0].typedName, "*.bin");
  EXPECT_EQ(seen[0].acceptMode, QFileDialog::AcceptOpen);

  EXPECT_EQ(RomImage.Size, 32768);
  EXPECT_EQ(*RomImage.Bytes, CountingBytes(32768));
  EXPECT_EQ(RomImage.FileName, path);
  EXPECT_EQ(Main->MainStatusText->text(), Q(path) + " (32768 bytes)");
  EXPECT_EQ(Main->windowTitle(), "Quorvel Map Editor v0.3b - " + Q(path));
  EXPECT_EQ(Application::Instance()->Title(), Main->windowTitle());
  ExpectFileControlsEnabled(true);
}

TEST_F(ImageCommandsTest, LoadKeepsTheCursorAndTheOpenViews) {
  LoadNew("first.bin", CountingBytes(64));
  TypeAndEnter(Main->TableAddress, "0x30");
  QTest::mouseClick(Main->TextModeButton, Qt::LeftButton);
  LoadNew("second.bin", CountingBytes(16));
  EXPECT_EQ(TableCursor.TableAddress, 0x30);  // clamped only at the next validation
  EXPECT_TRUE(TextEdit->isVisible());
  TypeAndEnter(Main->TableAddress, "0x30");
  EXPECT_EQ(Main->TableAddress->text(), "0x000F");
}

TEST_F(ImageCommandsTest, CancellingTheDialogChangesNothing) {
  const auto seen = ModalScript().CancelDialog().Run(ClickLoad);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(RomImage.Size, 0);
  EXPECT_EQ(Main->windowTitle(), "Quorvel Map Editor v0.3b - (none)");
  ExpectFileControlsEnabled(false);
}

TEST_F(ImageCommandsTest, AFileThatCannotBeOpenedKeepsTheOldImage) {
  const std::string path = LoadNew("car.bin", CountingBytes(100));
  const std::string held = folder_ / "held.bin";
  WriteFile(held, CountingBytes(10));
  const int fd = ::open(held.c_str(), O_RDONLY);
  ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);  // another program has it open

  for (const std::string& bad : {held, folder_ / "missing.bin"}) {
    const auto seen = ModalScript().ChooseFile(Q(bad)).Run(ClickLoad);
    ASSERT_EQ(seen.size(), 2u) << bad;
    EXPECT_EQ(seen[1].title, "File Error");
    EXPECT_EQ(seen[1].text, "Couldn't open file!");
    EXPECT_EQ(seen[1].buttons, QMessageBox::Ok);
    EXPECT_EQ(seen[1].icon, QMessageBox::NoIcon);
    EXPECT_EQ(RomImage.Size, 100);
    EXPECT_EQ(*RomImage.Bytes, CountingBytes(100));
    EXPECT_EQ(RomImage.FileName, path);
    EXPECT_EQ(Main->windowTitle(), "Quorvel Map Editor v0.3b - " + Q(path));
  }
  ::close(fd);
}

TEST_F(ImageCommandsTest, AnImageTooLargeForTheSizeIsRefusedAndTheOldOneStays) {
  LoadNew("car.bin", CountingBytes(100));
  const std::string huge = folder_ / "huge.bin";
  WriteFile(huge, {});
  std::filesystem::resize_file(huge, std::uintmax_t{1} << 31);
  const auto seen = ModalScript().ChooseFile(Q(huge)).Run(ClickLoad);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1].text, kOperationFailure);
  EXPECT_EQ(seen[1].title, "File Error");
  EXPECT_EQ(seen[1].buttons, QMessageBox::Ok | QMessageBox::Cancel);
  EXPECT_EQ(RomImage.Size, 100);
  EXPECT_EQ(*RomImage.Bytes, CountingBytes(100));
}

TEST_F(ImageCommandsTest, AnEmptyFileEnablesTheControlsButLoadsNoImage) {
  LoadNew("empty.bin", {});
  EXPECT_EQ(RomImage.Size, 0);
  ExpectFileControlsEnabled(true);
  QTest::mouseClick(Main->TextModeButton, Qt::LeftButton);
  EXPECT_FALSE(TextEdit->isVisible());
}

TEST_F(ImageCommandsTest, TheCompanionFileIsOfferedAndYesShowsTheTableEditor) {
  const std::string path = folder_ / "car.bin";
  WriteFile(path, CountingBytes(64));
  const std::string table = "{0,0,0,0,1}\r\n{10,4,2,1,0,0,0,1,Fuel,,,,}\r\n";
  WriteFile(folder_ / "car.ecu", std::vector<std::uint8_t>(table.begin(), table.end()));
  const auto seen = ModalScript().ChooseFile(Q(path)).Press(QMessageBox::Yes).Run(ClickLoad);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1].title, "Found .ECU File");
  EXPECT_EQ(seen[1].text,
            "Found a .ECU file. Do you want to load it?\n\n(" + Q(folder_ / "car.ecu") + ")");
  EXPECT_EQ(seen[1].buttons, QMessageBox::Yes | QMessageBox::No);
  EXPECT_EQ(seen[1].icon, QMessageBox::NoIcon);
  EXPECT_TRUE(TableEd->isVisible());
  EXPECT_EQ(Main->TableListButton->text(), "Hide Table Editor");
  EXPECT_EQ(TableEd->Lists.Ordinary.Field(1, 0), "Fuel");
  EXPECT_EQ(TableCursor.TableName, "Fuel");  // the file's first table is the current table
  EXPECT_EQ(Main->TableAddress->text(), "0x0010");
  EXPECT_EQ(Main->Columns->text(), "4");

  // Loading again with the editor shown leaves it shown.
  ModalScript().ChooseFile(Q(path)).Press(QMessageBox::Yes).Run(ClickLoad);
  EXPECT_TRUE(TableEd->isVisible());
  EXPECT_EQ(Main->TableListButton->text(), "Hide Table Editor");
}

TEST_F(ImageCommandsTest, AnsweringNoLeavesTheTableEditorAlone) {
  const std::string path = folder_ / "car.bin";
  WriteFile(path, CountingBytes(64));
  WriteFile(folder_ / "car.ecu", {});
  const auto seen = ModalScript().ChooseFile(Q(path)).Press(QMessageBox::No).Run(ClickLoad);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_FALSE(TableEd->isVisible());
  EXPECT_EQ(Main->TableListButton->text(), "Show Table Editor");
}

TEST_F(ImageCommandsTest, AFolderOfTheCompanionNameIsNotOffered) {
  std::filesystem::create_directory(folder_ / "car.ecu");
  LoadNew("car.bin", CountingBytes(8));  // expects the dialog alone
}

TEST_F(ImageCommandsTest, AFailedOpenStillOffersTheCompanionWhenAnImageIsHeld) {
  WriteFile(folder_ / "other.ecu", {});
  // No image was ever loaded: no buffer, so no question.
  auto seen = ModalScript().ChooseFile(Q(folder_ / "other.bin")).Run(ClickLoad);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1].text, "Couldn't open file!");

  LoadNew("car.bin", CountingBytes(8));
  ClickClose();
  seen = ModalScript()
             .ChooseFile(Q(folder_ / "other.bin"))
             .Press(QMessageBox::Ok)
             .Press(QMessageBox::No)
             .Run(ClickLoad);
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[1].text, "Couldn't open file!");
  EXPECT_EQ(seen[2].title, "Found .ECU File");
  EXPECT_TRUE(seen[2].text.contains(Q(folder_ / "other.ecu")));
}

TEST_F(ImageCommandsTest, SaveWritesOverTheLoadedFileWithoutBackup) {
  const std::string path = LoadNew("car.bin", CountingBytes(16));
  (*RomImage.Bytes)[3] = 0xEE;
  const auto seen = ModalScript().Run(ClickSave);
  EXPECT_TRUE(seen.empty());
  auto expected = CountingBytes(16);
  expected[3] = 0xEE;
  EXPECT_EQ(ReadFile(path), expected);
  EXPECT_FALSE(std::filesystem::exists(folder_ / "car.BAK"));
}

TEST_F(ImageCommandsTest, ASaveThatCannotBeWrittenIsReported) {
  const std::string path = LoadNew("car.bin", CountingBytes(4096));
  (*RomImage.Bytes)[0] = 0xEE;
  std::vector<SeenModal> seen;
  {
    const FileSizeLimit full(1024);  // writes fail as on a full disk
    seen = ModalScript().Run(ClickSave);
  }
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text, kOperationFailure);
  EXPECT_EQ(ReadFile(path), CountingBytes(4096));

  // A device is no image file: refused before anything is written.
  RomImage.FileName = "/dev/full";
  seen = ModalScript().Run(ClickSave);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text, "Couldn't open file!");

  RomImage.FileName = folder_ / "gone.bin";
  seen = ModalScript().Run(ClickSave);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text, "Couldn't open file!");
  EXPECT_FALSE(std::filesystem::exists(folder_ / "gone.bin"));  // Save never creates
}

TEST_F(ImageCommandsTest, SaveAsOntoTheLoadedFileKeepsTheOldContentAsBackup) {
  const std::string path = LoadNew("car.bin", CountingBytes(16));
  (*RomImage.Bytes)[0] = 0x55;
  const auto seen = ModalScript().ChooseFile(Q(path)).Run(ClickSaveAs);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].title, "Pick a binary file to save...");
  EXPECT_EQ(seen[0].nameFilters, QStringList({"Binary files (*.bin)", "All files (*.*)"}));
  EXPECT_EQ(seen[0].acceptMode, QFileDialog::AcceptSave);
  EXPECT_EQ(ReadFile(folder_ / "car.BAK"), CountingBytes(16));
  auto expected = CountingBytes(16);
  expected[0] = 0x55;
  EXPECT_EQ(ReadFile(path), expected);
}

TEST_F(ImageCommandsTest, SaveAsMovesToTheNewNameAndLaterSavesGoThere) {
  LoadNew("car.bin", CountingBytes(16));
  const std::string copy = folder_ / "copy.bin";
  ModalScript().ChooseFile(Q(copy)).Run(ClickSaveAs);
  EXPECT_EQ(ReadFile(copy), CountingBytes(16));
  EXPECT_FALSE(std::filesystem::exists(folder_ / "copy.BAK"));
  EXPECT_EQ(RomImage.FileName, copy);
  EXPECT_EQ(Main->MainStatusText->text(), Q(copy) + " (16 bytes)");
  EXPECT_EQ(Main->windowTitle(), "Quorvel Map Editor v0.3b - " + Q(copy));
  EXPECT_EQ(Application::Instance()->Title(), Main->windowTitle());

  (*RomImage.Bytes)[1] = 0;
  ClickSave();
  EXPECT_EQ(ReadFile(copy)[1], 0);
  EXPECT_EQ(ReadFile(folder_ / "car.bin"), CountingBytes(16));

  // A name typed without an extension gets ".bin".
  ModalScript().ChooseFile(Q(folder_ / "plain")).Run(ClickSaveAs);
  EXPECT_EQ(RomImage.FileName, folder_ / "plain.bin");
}

TEST_F(ImageCommandsTest, SaveAsWithTheBackupNameTakenKeepsTheOldBackup) {
  const std::string path = LoadNew("car.bin", CountingBytes(16));
  WriteFile(folder_ / "car.BAK", {1, 2, 3});
  (*RomImage.Bytes)[0] = 0x77;
  ModalScript().ChooseFile(Q(path)).Run(ClickSaveAs);
  EXPECT_EQ(ReadFile(folder_ / "car.BAK"), (std::vector<std::uint8_t>{1, 2, 3}));
  EXPECT_EQ(ReadFile(path)[0], 0x77);
}

TEST_F(ImageCommandsTest, SaveAsBacksUpBesideTheFileWhateverTheCurrentFolder) {
  TempFolder elsewhere;
  const std::string path = LoadNew("car.bin", CountingBytes(16));
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(elsewhere.path());
  ModalScript().ChooseFile(Q(path)).Run(ClickSaveAs);
  std::filesystem::current_path(previous);
  EXPECT_EQ(ReadFile(folder_ / "car.BAK"), CountingBytes(16));
  EXPECT_FALSE(std::filesystem::exists(elsewhere / "car.BAK"));
}

TEST_F(ImageCommandsTest, ASaveAsThatCannotBeWrittenIsReportedAndKeepsTheName) {
  const std::string path = LoadNew("car.bin", CountingBytes(4096));
  const std::string full = folder_ / "full.bin";
  std::vector<SeenModal> seen;
  {
    const FileSizeLimit limit(1024);  // writes fail as on a full disk
    seen = ModalScript().ChooseFile(Q(full)).Run(ClickSaveAs);
  }
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1].text, kOperationFailure);
  EXPECT_EQ(RomImage.FileName, path);
  EXPECT_EQ(Main->MainStatusText->text(), Q(path) + " (4096 bytes)");
  EXPECT_FALSE(std::filesystem::exists(full));  // nothing half-written under the name

  // A link to a device that is always full: no image file, refused before any write.
  const std::string device = folder_ / "device.bin";
  std::filesystem::create_symlink("/dev/full", device);
  seen = ModalScript().ChooseFile(Q(device)).Run(ClickSaveAs);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1].text, "Couldn't open file!");
  EXPECT_EQ(RomImage.FileName, path);

  seen = ModalScript().ChooseFile(Q(folder_ / "no-such-folder/car.bin")).Run(ClickSaveAs);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1].text, "Couldn't open file!");
  EXPECT_EQ(RomImage.FileName, path);

  // A file another program holds is neither moved aside nor replaced.
  const std::string held = folder_ / "held.bin";
  WriteFile(held, {5, 6});
  const int fd = ::open(held.c_str(), O_RDONLY);
  ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
  seen = ModalScript().ChooseFile(Q(held)).Run(ClickSaveAs);
  ::close(fd);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1].text, "Couldn't open file!");
  EXPECT_EQ(ReadFile(held), (std::vector<std::uint8_t>{5, 6}));
  EXPECT_FALSE(std::filesystem::exists(folder_ / "held.BAK"));
  EXPECT_EQ(RomImage.FileName, path);
}

TEST_F(ImageCommandsTest, CloseHidesTheViewsAndDisablesTheFileControls) {
  const std::string path = LoadNew("car.bin", CountingBytes(64));
  QTest::mouseClick(Main->TextModeButton, Qt::LeftButton);
  QTest::mouseClick(Main->GraphicsModeButton, Qt::LeftButton);
  QTest::mouseClick(Main->TableListButton, Qt::LeftButton);
  Main->Close1->trigger();

  EXPECT_FALSE(TextEdit->isVisible());
  EXPECT_FALSE(TextEdit->isEnabled());
  EXPECT_FALSE(GraphEdit->isVisible());
  EXPECT_EQ(Main->TextModeButton->text(), "Show Text View");
  EXPECT_EQ(Main->GraphicsModeButton->text(), "Show Graphics View");
  EXPECT_TRUE(TableEd->isVisible());  // the table editor stays, its caption too
  EXPECT_EQ(Main->TableListButton->text(), "Hide Table Editor");
  EXPECT_EQ(Main->MainStatusText->text(), "No file loaded");
  EXPECT_EQ(Main->windowTitle(), "Quorvel Map Editor v0.3b - (none)");
  EXPECT_EQ(Application::Instance()->Title(), "Quorvel Map Editor v0.3b - " + Q(path));
  EXPECT_EQ(RomImage.Size, 0);
  EXPECT_TRUE(RomImage.Bytes.has_value());
  EXPECT_EQ(RomImage.FileName, path);
  ExpectFileControlsEnabled(false);
}

TEST_F(ImageCommandsTest, TheMenuItemsRunTheSameOperations) {
  const std::string path = folder_ / "car.bin";
  WriteFile(path, CountingBytes(8));
  ModalScript().ChooseFile(Q(path)).Run([] { Main->MenuLoad->trigger(); });
  EXPECT_EQ(RomImage.Size, 8);
  (*RomImage.Bytes)[0] = 0xAB;
  Main->Save1->trigger();
  EXPECT_EQ(ReadFile(path)[0], 0xAB);
  ModalScript().ChooseFile(Q(folder_ / "as.bin")).Run([] { Main->SaveAs1->trigger(); });
  EXPECT_EQ(ReadFile(folder_ / "as.bin")[0], 0xAB);
}

}  // namespace
