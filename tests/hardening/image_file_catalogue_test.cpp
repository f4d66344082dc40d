// Image files of every awkward kind, loaded through the Load button: each row is the file and
// what the user then sees. A failure never disturbs the image already held.

#include "support/file_size_limit.h"
#include "support/modal.h"
#include "support/temp_folder.h"
#include "support/window_fixture.h"

#include <QLabel>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

namespace {

const QString kOpenFailure = "Couldn't open file!";
const QString kOperationFailure =
    "Can't perform one of the following file operations: Open, Seek, Read, Close.";

// A folder is not a file to pick: the dialog opens it instead of returning it.
const QString kNotChosen = "(the dialog opens the folder)";

struct Row {
  const char* what;
  std::function<std::string(const TempFolder&)> make;  // makes the file, returns its path
  QString message;                                     // empty: loads
  std::int32_t size;                                   // the image size after a load
};

class ImageFileCatalogueTest : public WindowTest {};

TEST_F(ImageFileCatalogueTest, LoadingEachKindOfFile) {
  int heldLock = -1;
  const Row rows[] = {
      {"missing", [](const TempFolder& f) { return f / "missing.bin"; }, kOpenFailure, 0},
      {"a folder",
       [](const TempFolder& f) {
         std::filesystem::create_directory(f / "folder.bin");
         return f / "folder.bin";
       },
       kNotChosen, 0},
      {"empty",
       [](const TempFolder& f) {
         WriteFile(f / "empty.bin", {});
         return f / "empty.bin";
       },
       {},
       0},
      {"one byte",
       [](const TempFolder& f) {
         WriteFile(f / "one.bin", {0x5A});
         return f / "one.bin";
       },
       {},
       1},
      {"locked by another program",
       [&heldLock](const TempFolder& f) {
         WriteFile(f / "locked.bin", CountingBytes(16));
         heldLock = ::open((f / "locked.bin").c_str(), O_RDONLY);
         ::flock(heldLock, LOCK_EX | LOCK_NB);
         return f / "locked.bin";
       },
       kOpenFailure, 0},
      {"2 GiB, too large for the size",
       [](const TempFolder& f) {
         WriteFile(f / "huge.bin", {});
         std::filesystem::resize_file(f / "huge.bin", std::uintmax_t{1} << 31);
         return f / "huge.bin";
       },
       kOperationFailure, 0},
      {"a path with spaces and non-ASCII characters",
       [](const TempFolder& f) {
         std::filesystem::create_directory(f / "mein Steuergerät");
         const std::string path = f / "mein Steuergerät/Kennfeld Zündung 1.bin";
         WriteFile(path, CountingBytes(300));
         return path;
       },
       {},
       300},
  };
  for (const Row& row : rows) {
    TempFolder folder;
    // An image held before each load, which a failed load must keep.
    RomImage.Bytes = CountingBytes(8, 0xC0);
    RomImage.Size = 8;
    RomImage.FileName = "held.bin";
    const std::string path = row.make(folder);
    const auto seen = ModalScript().ChooseFile(QString::fromStdString(path)).Run([] {
      QTest::mouseClick(Main->Load, Qt::LeftButton);
    });
    if (row.message.isEmpty()) {
      EXPECT_EQ(seen.size(), 1u) << row.what;
      EXPECT_EQ(RomImage.Size, row.size) << row.what;
      EXPECT_EQ(RomImage.FileName, path) << row.what;
      EXPECT_EQ(Main->MainStatusText->text(),
                QString::fromStdString(path) + " (" + QString::number(row.size) + " bytes)")
          << row.what;
    } else {
      if (row.message == kNotChosen) {
        EXPECT_EQ(seen.size(), 1u) << row.what;
      } else {
        ASSERT_EQ(seen.size(), 2u) << row.what;
        EXPECT_EQ(seen[1].text, row.message) << row.what;
      }
      EXPECT_EQ(RomImage.Size, 8) << row.what;
      EXPECT_EQ(*RomImage.Bytes, CountingBytes(8, 0xC0)) << row.what;
      EXPECT_EQ(RomImage.FileName, "held.bin") << row.what;
    }
    if (heldLock >= 0) {
      ::close(heldLock);
      heldLock = -1;
    }
  }
}

TEST_F(ImageFileCatalogueTest, SavingOntoAFullDeviceIsReportedAndKeepsTheImage) {
  TempFolder folder;
  const std::string full = folder / "full.bin";
  WriteFile(full, CountingBytes(16));
  RomImage.Bytes = CountingBytes(8192);
  RomImage.Size = 8192;
  RomImage.FileName = full;
  for (QPushButton* button : {Main->Save, Main->SaveAs}) button->setEnabled(true);

  std::vector<SeenModal> seen;
  {
    const FileSizeLimit limit(1024);  // the disk is full past 1 KiB
    seen = ModalScript().Run([] { QTest::mouseClick(Main->Save, Qt::LeftButton); });
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, kOperationFailure);
    seen = ModalScript().ChooseFile(QString::fromStdString(full)).Run([] {
      QTest::mouseClick(Main->SaveAs, Qt::LeftButton);
    });
  }
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1].text, kOperationFailure);
  EXPECT_EQ(*RomImage.Bytes, CountingBytes(8192));
  EXPECT_EQ(RomImage.FileName, full);
  EXPECT_EQ(ReadFile(full), CountingBytes(16));  // the file keeps its old content
  // The device itself, behind a link, is refused before anything is written.
  const std::string device = folder / "device.bin";
  std::filesystem::create_symlink("/dev/full", device);
  RomImage.FileName = device;
  seen = ModalScript().Run([] { QTest::mouseClick(Main->Save, Qt::LeftButton); });
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text, kOpenFailure);
}

}  // namespace
