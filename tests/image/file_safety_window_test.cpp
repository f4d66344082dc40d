// What the user sees when files are odd or writes fail: FIFOs, devices and links, a folder
// where nothing can be made, a failing export, and the progress of long work.

#include "app/ui/file_progress.h"
#include "support/file_size_limit.h"
#include "support/modal.h"
#include "support/read_only_folder.h"
#include "support/temp_folder.h"
#include "support/window_fixture.h"
#include "tables/ui/table_ed.h"

#include <QLabel>
#include <QProgressDialog>

#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <string>

namespace fs = std::filesystem;

namespace {

const QString kOpenFailure = "Couldn't open file!";
const QString kOperationFailure =
    "Can't perform one of the following file operations: Open, Seek, Read, Close.";

QString Q(const std::string& text) { return QString::fromStdString(text); }

class FileSafetyTest : public WindowTest {
 protected:
  // An image held as if loaded from `path`, whose file holds `onDisk`.
  void Hold(const std::string& path, const std::vector<std::uint8_t>& onDisk) {
    WriteFile(path, onDisk);
    PretendImageLoaded(32);
    RomImage.Bytes = CountingBytes(32, 0xA0);
    RomImage.FileName = path;
    Main->MainStatusText->setText("as loaded");
  }

  void ExpectImageKept(const std::string& path) {
    EXPECT_EQ(*RomImage.Bytes, CountingBytes(32, 0xA0));
    EXPECT_EQ(RomImage.FileName, path);
    EXPECT_EQ(Main->MainStatusText->text(), "as loaded");
  }

  std::string Fifo(const std::string& name) {
    const std::string path = folder_ / name;
    EXPECT_EQ(::mkfifo(path.c_str(), 0644), 0);
    return path;
  }

  TempFolder folder_;
};

// Each of these once hung the window for good or loaded as an empty image.
TEST_F(FileSafetyTest, LoadRefusesWhatIsNoRegularFileAtOnce) {
  const std::string zero = folder_ / "zero.bin";
  fs::create_symlink("/dev/zero", zero);
  const std::string held = folder_ / "held.bin";
  for (const std::string& path : {Fifo("pipe.bin"), zero, std::string("/dev/null")}) {
    Hold(held, CountingBytes(8));
    const auto seen = ModalScript().ChooseFile(Q(path)).Run(
        [] { QTest::mouseClick(Main->Load, Qt::LeftButton); });
    ASSERT_EQ(seen.size(), 2u) << path << Describe(seen);
    EXPECT_EQ(seen[1].text, kOpenFailure) << path;
    ExpectImageKept(held);
  }
}

TEST_F(FileSafetyTest, SaveOntoAPathThatBecameAFifoIsRefused) {
  const std::string path = folder_ / "car.bin";
  Hold(path, CountingBytes(8));
  fs::remove(path);
  Fifo("car.bin");
  const auto seen = ModalScript().Run([] { QTest::mouseClick(Main->Save, Qt::LeftButton); });
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text, kOpenFailure);
  EXPECT_TRUE(fs::is_fifo(path));

  const auto saveAs = ModalScript().ChooseFile(Q(path)).Run(
      [] { QTest::mouseClick(Main->SaveAs, Qt::LeftButton); });
  ASSERT_EQ(saveAs.size(), 2u);
  EXPECT_EQ(saveAs[1].text, kOpenFailure);
  EXPECT_FALSE(fs::exists(folder_ / "car.BAK"));
  ExpectImageKept(path);
}

// A read-only folder holding a writable file: the backup cannot be made, so the file is left
// as it was rather than overwritten without one.
TEST_F(FileSafetyTest, SaveAsWhoseBackupFailsLeavesTheFileUntouched) {
  const std::string path = folder_ / "car.bin";
  const std::string other = folder_ / "other.bin";
  Hold(other, CountingBytes(8));
  WriteFile(path, CountingBytes(16));
  const ReadOnlyFolder locked(folder_.path());
  if (!locked.locked()) GTEST_SKIP() << "no way to make a folder read-only here";
  const auto seen = ModalScript().ChooseFile(Q(path)).Run(
      [] { QTest::mouseClick(Main->SaveAs, Qt::LeftButton); });
  ASSERT_EQ(seen.size(), 2u) << Describe(seen);
  EXPECT_EQ(seen[1].text, kOperationFailure);
  EXPECT_EQ(ReadFile(path), CountingBytes(16));
  EXPECT_FALSE(fs::exists(folder_ / "car.BAK"));
  ExpectImageKept(other);
  EXPECT_NE(Main->windowTitle(), "Quorvel Map Editor v0.3b - " + Q(path));

  // Save in the same folder writes the file in place.
  const auto saved = ModalScript().Run([] { QTest::mouseClick(Main->Save, Qt::LeftButton); });
  EXPECT_TRUE(saved.empty()) << Describe(saved);
  EXPECT_EQ(ReadFile(other), CountingBytes(32, 0xA0));
}

TEST_F(FileSafetyTest, SaveAsOntoASymlinkKeepsTheLink) {
  fs::create_directory(folder_ / "real");
  const std::string target = folder_ / "real/target.bin";
  const std::string link = folder_ / "car.bin";
  Hold(target, CountingBytes(8));
  fs::create_symlink("real/target.bin", link);
  const auto seen = ModalScript().ChooseFile(Q(link)).Run(
      [] { QTest::mouseClick(Main->SaveAs, Qt::LeftButton); });
  ASSERT_EQ(seen.size(), 1u) << Describe(seen);
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadFile(target), CountingBytes(32, 0xA0));
  EXPECT_FALSE(fs::is_symlink(folder_ / "car.BAK"));
  EXPECT_EQ(ReadFile(folder_ / "car.BAK"), CountingBytes(8));
  EXPECT_EQ(RomImage.FileName, link);
  EXPECT_EQ(Main->MainStatusText->text(), Q(link) + " (32 bytes)");
}

TEST_F(FileSafetyTest, ImportRefusesFifosAndReadsZerosAsABadHeader) {
  PretendImageLoaded(0x100);
  QTest::mouseClick(Main->TableListButton, Qt::LeftButton);
  const std::string zeros = folder_ / "zeros.ecu";
  WriteFile(zeros, {});
  fs::resize_file(zeros, std::uintmax_t{3} << 30);  // sparse: takes no disk
  const struct {
    std::string path;
    QString message;
  } rows[] = {{Fifo("pipe.ecu"), kOpenFailure}, {zeros, "Bad .ecu Header!"}};
  for (const auto& row : rows) {
    const auto seen = ModalScript().ChooseFile(Q(row.path)).Run([] {
      QTest::mouseClick(TableEd->Import, Qt::LeftButton);
    });
    ASSERT_EQ(seen.size(), 2u) << row.path << Describe(seen);
    EXPECT_EQ(seen[1].text, row.message) << row.path;
  }
}

TEST_F(FileSafetyTest, AFailedExportLeavesTheOldFile) {
  PretendImageLoaded(0x100);
  QTest::mouseClick(Main->TableListButton, Qt::LeftButton);
  Main->TableAddress->setText("0x0000");
  Main->Columns->setText("16");
  Main->Rows->setText("16");
  QTest::mouseClick(Main->CreateTableEntry, Qt::LeftButton);
  const std::string path = folder_ / "tables.qvt";
  WriteFile(path, {'o', 'l', 'd'});
  std::vector<SeenModal> seen;
  {
    const FileSizeLimit full(16);
    seen = ModalScript().ChooseFile(Q(path)).Press(QMessageBox::Yes).Run([] {
      QTest::mouseClick(TableEd->Export, Qt::LeftButton);
    });
  }
  ASSERT_EQ(seen.size(), 3u) << Describe(seen);
  EXPECT_EQ(seen[1].text, "File already exists. Overwrite?");
  EXPECT_EQ(seen[2].text, kOperationFailure);
  EXPECT_EQ(ReadFile(path), (std::vector<std::uint8_t>{'o', 'l', 'd'}));

  // A FIFO is no file to export into.
  const std::string fifo = Fifo("pipe.qvt");
  seen = ModalScript().ChooseFile(Q(fifo)).Press(QMessageBox::Yes).Run([] {
    QTest::mouseClick(TableEd->Export, Qt::LeftButton);
  });
  ASSERT_EQ(seen.size(), 3u) << Describe(seen);
  EXPECT_EQ(seen[2].text, "Couldn't open file for writing!");
  EXPECT_TRUE(fs::is_fifo(fifo));
}

TEST_F(FileSafetyTest, ProgressAppearsOnlyForLongWorkAndNamesTheFile) {
  FileProgress quick(Main, "Loading", "/ecu/car.bin", true);
  EXPECT_TRUE(quick.Step(1, 2));
  EXPECT_EQ(quick.Dialog(), nullptr);  // well under half a second: nothing shown

  FileProgress load(Main, "Loading", "/ecu/car.bin", true, 0);
  EXPECT_TRUE(load.Step(1, 4));
  QProgressDialog* dialog = load.Dialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_TRUE(dialog->isModal());
  EXPECT_EQ(QApplication::activeModalWidget(), dialog);
  EXPECT_EQ(dialog->labelText(), "Loading /ecu/car.bin ...");
  EXPECT_EQ(dialog->windowTitle(), "car.bin");
  EXPECT_EQ(dialog->value(), 250);
  auto* cancel = dialog->findChild<QPushButton*>();
  ASSERT_NE(cancel, nullptr);
  QTest::mouseClick(cancel, Qt::LeftButton);
  EXPECT_FALSE(load.Step(2, 4));
}

TEST_F(FileSafetyTest, TheProgressOfAWriteCannotBeClosed) {
  FileProgress save(Main, "Saving", "/ecu/car.bin", false, 0);
  save.Step(1, 2);
  QProgressDialog* dialog = save.Dialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->findChild<QPushButton*>(), nullptr);
  QTest::keyClick(dialog, Qt::Key_Escape);
  dialog->close();
  save.Step(2, 2);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_FALSE(dialog->wasCanceled());
}

}  // namespace
