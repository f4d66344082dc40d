#include "image/image_file.h"
#include "support/file_size_limit.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>

namespace {

const std::vector<std::uint8_t> kOneByte9 = {9};
const std::vector<std::uint8_t> kOneByte4 = {4};

// Holds the exclusive lock another program would hold on a file while it has it open.
class ForeignLock {
 public:
  explicit ForeignLock(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY)) {
    locked_ = fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) == 0;
  }
  ~ForeignLock() {
    if (fd_ >= 0) ::close(fd_);
  }
  [[nodiscard]] bool locked() const { return locked_; }

 private:
  int fd_;
  bool locked_ = false;
};

TEST(ReadImageFileTest, ReadsTheWholeFileInOrder) {
  TempFolder folder;
  const auto bytes = CountingBytes(70000, 3);
  WriteFile(folder / "car.bin", bytes);
  const LoadedImage image = ReadImageFile(folder / "car.bin");
  EXPECT_EQ(image.result, FileResult::Ok);
  EXPECT_EQ(image.bytes, bytes);

  WriteFile(folder / "empty.bin", {});
  const LoadedImage empty = ReadImageFile(folder / "empty.bin");
  EXPECT_EQ(empty.result, FileResult::Ok);
  EXPECT_TRUE(empty.bytes.empty());
}

TEST(ReadImageFileTest, FilesThatCannotBeOpened) {
  TempFolder folder;
  EXPECT_EQ(ReadImageFile(folder / "missing.bin").result, FileResult::OpenFailed);
  EXPECT_EQ(ReadImageFile(folder.path().string()).result, FileResult::OpenFailed);
  WriteFile(folder / "held.bin", {1, 2, 3});
  const ForeignLock lock(folder / "held.bin");
  ASSERT_TRUE(lock.locked());
  EXPECT_EQ(ReadImageFile(folder / "held.bin").result, FileResult::OpenFailed);
}

TEST(ReadImageFileTest, RefusesImagesTooLargeForASigned32BitSize) {
  TempFolder folder;
  const std::string path = folder / "huge.bin";
  WriteFile(path, {});
  std::filesystem::resize_file(path, std::uintmax_t{1} << 31);  // sparse: no disk used
  const LoadedImage image = ReadImageFile(path);
  EXPECT_EQ(image.result, FileResult::OperationFailed);
  EXPECT_TRUE(image.bytes.empty());
}

TEST(WriteImageFileTest, ExistingFileIsOverwrittenFromTheStartNotCreated) {
  TempFolder folder;
  const std::string path = folder / "car.bin";
  EXPECT_EQ(WriteImageFile(path, CountingBytes(4), WriteMode::ExistingFile).result,
            FileResult::OpenFailed);
  EXPECT_FALSE(std::filesystem::exists(path));

  WriteFile(path, {9, 9, 9, 9, 9, 9});
  EXPECT_EQ(WriteImageFile(path, CountingBytes(4), WriteMode::ExistingFile).result, FileResult::Ok);
  EXPECT_EQ(ReadFile(path), (std::vector<std::uint8_t>{0, 1, 2, 3, 9, 9}));
}

TEST(WriteImageFileTest, NewFileReplacesTheWholeContent) {
  TempFolder folder;
  const std::string path = folder / "new.bin";
  EXPECT_EQ(WriteImageFile(path, CountingBytes(5), WriteMode::NewFile).result, FileResult::Ok);
  EXPECT_EQ(ReadFile(path), CountingBytes(5));
  EXPECT_EQ(WriteImageFile(path, CountingBytes(2, 7), WriteMode::NewFile).result, FileResult::Ok);
  EXPECT_EQ(ReadFile(path), CountingBytes(2, 7));
}

TEST(WriteImageFileTest, AFailingWriteIsReported) {
  TempFolder folder;
  const std::string path = folder / "car.bin";
  WriteFile(path, CountingBytes(16));
  const FileSizeLimit full(1024);  // a write past 1 KiB fails as on a full disk
  EXPECT_EQ(WriteImageFile(path, CountingBytes(4096), WriteMode::ExistingFile).result,
            FileResult::OperationFailed);
  EXPECT_EQ(WriteImageFile(path, CountingBytes(4096), WriteMode::NewFile).result,
            FileResult::OperationFailed);
  EXPECT_EQ(ReadFile(path), CountingBytes(16));
  // A device such as /dev/full is no image file: it is refused before anything is written.
  EXPECT_EQ(WriteImageFile("/dev/full", CountingBytes(4096), WriteMode::ExistingFile).result,
            FileResult::OpenFailed);
  EXPECT_EQ(WriteImageFile("/dev/full", CountingBytes(4096), WriteMode::NewFile).result,
            FileResult::OpenFailed);
}

TEST(WriteImageFileTest, AFileHeldByAnotherProgramIsLeftAlone) {
  TempFolder folder;
  const std::string path = folder / "held.bin";
  WriteFile(path, {1, 2, 3});
  const ForeignLock lock(path);
  ASSERT_TRUE(lock.locked());
  EXPECT_EQ(WriteImageFile(path, CountingBytes(8), WriteMode::NewFile).result,
            FileResult::OpenFailed);
  EXPECT_EQ(WriteImageFile(path, CountingBytes(8), WriteMode::ExistingFile).result,
            FileResult::OpenFailed);
  EXPECT_EQ(ReadFile(path), (std::vector<std::uint8_t>{1, 2, 3}));
}

TEST(FileNamesTest, BackupAndCompanionKeepFolderAndBaseName) {
  EXPECT_EQ(BackupPath("/ecu/car.bin"), "/ecu/car.BAK");
  EXPECT_EQ(BackupPath("/ecu/car"), "/ecu/car.BAK");
  EXPECT_EQ(BackupPath("/ecu.v2/car.tar.bin"), "/ecu.v2/car.tar.BAK");
  EXPECT_EQ(CompanionPath("/ecu/car.bin"), "/ecu/car.ecu");
  EXPECT_EQ(CompanionPath("/ecu/car.BIN"), "/ecu/car.ecu");
  EXPECT_EQ(CompanionPath("/ecu.v2/car"), "/ecu.v2/car.ecu");
  EXPECT_EQ(CompanionPath("/my ecu/Wagen Ä.bin"), "/my ecu/Wagen Ä.ecu");
}

TEST(SaveWithBackupTest, KeepsTheOldFileBesideItselfWhateverTheCurrentFolder) {
  TempFolder folder;
  TempFolder elsewhere;
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(elsewhere.path());
  WriteFile(folder / "car.bin", {1, 2});
  EXPECT_EQ(WriteImageFile(folder / "car.bin", kOneByte9, WriteMode::NewFileWithBackup).result,
            FileResult::Ok);
  std::filesystem::current_path(previous);
  EXPECT_EQ(ReadFile(folder / "car.bin"), (std::vector<std::uint8_t>{9}));
  EXPECT_EQ(ReadFile(folder / "car.BAK"), (std::vector<std::uint8_t>{1, 2}));
  EXPECT_FALSE(std::filesystem::exists(elsewhere / "car.BAK"));
}

TEST(SaveWithBackupTest, NeverReplacesAnOldBackup) {
  TempFolder folder;
  WriteFile(folder / "car.bin", {1, 2});
  WriteFile(folder / "car.BAK", {7});
  EXPECT_EQ(WriteImageFile(folder / "car.bin", kOneByte9, WriteMode::NewFileWithBackup).result,
            FileResult::Ok);
  EXPECT_EQ(ReadFile(folder / "car.bin"), (std::vector<std::uint8_t>{9}));
  EXPECT_EQ(ReadFile(folder / "car.BAK"), (std::vector<std::uint8_t>{7}));
  // A new name has nothing to back up.
  EXPECT_EQ(WriteImageFile(folder / "new.bin", kOneByte4, WriteMode::NewFileWithBackup).result,
            FileResult::Ok);
  EXPECT_FALSE(std::filesystem::exists(folder / "new.BAK"));
  {
    WriteFile(folder / "held.bin", {3});
    const ForeignLock lock(folder / "held.bin");
    ASSERT_TRUE(lock.locked());
    EXPECT_EQ(WriteImageFile(folder / "held.bin", kOneByte9, WriteMode::NewFileWithBackup).result,
              FileResult::OpenFailed);
    EXPECT_FALSE(std::filesystem::exists(folder / "held.BAK"));
    EXPECT_EQ(ReadFile(folder / "held.bin"), (std::vector<std::uint8_t>{3}));
  }
  EXPECT_EQ(WriteImageFile(folder / "held.bin", kOneByte9, WriteMode::NewFileWithBackup).result,
            FileResult::Ok);  // once let go
  EXPECT_EQ(ReadFile(folder / "held.BAK"), (std::vector<std::uint8_t>{3}));
  // A folder is not a file.
  EXPECT_EQ(WriteImageFile(folder.path().string(), kOneByte9, WriteMode::NewFileWithBackup).result,
            FileResult::OpenFailed);
}

}  // namespace
