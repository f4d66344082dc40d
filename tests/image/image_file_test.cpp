#include "image/image_file.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>

namespace {

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
  EXPECT_EQ(WriteImageFile(path, CountingBytes(4), WriteMode::ExistingFile),
            FileResult::OpenFailed);
  EXPECT_FALSE(std::filesystem::exists(path));

  WriteFile(path, {9, 9, 9, 9, 9, 9});
  EXPECT_EQ(WriteImageFile(path, CountingBytes(4), WriteMode::ExistingFile), FileResult::Ok);
  EXPECT_EQ(ReadFile(path), (std::vector<std::uint8_t>{0, 1, 2, 3, 9, 9}));
}

TEST(WriteImageFileTest, NewFileReplacesTheWholeContent) {
  TempFolder folder;
  const std::string path = folder / "new.bin";
  EXPECT_EQ(WriteImageFile(path, CountingBytes(5), WriteMode::NewFile), FileResult::Ok);
  EXPECT_EQ(ReadFile(path), CountingBytes(5));
  EXPECT_EQ(WriteImageFile(path, CountingBytes(2, 7), WriteMode::NewFile), FileResult::Ok);
  EXPECT_EQ(ReadFile(path), CountingBytes(2, 7));
}

TEST(WriteImageFileTest, AFailingWriteIsReported) {
  EXPECT_EQ(WriteImageFile("/dev/full", CountingBytes(4096), WriteMode::ExistingFile),
            FileResult::OperationFailed);
  EXPECT_EQ(WriteImageFile("/dev/full", CountingBytes(4096), WriteMode::NewFile),
            FileResult::OperationFailed);
}

TEST(WriteImageFileTest, AFileHeldByAnotherProgramIsLeftAlone) {
  TempFolder folder;
  const std::string path = folder / "held.bin";
  WriteFile(path, {1, 2, 3});
  const ForeignLock lock(path);
  ASSERT_TRUE(lock.locked());
  EXPECT_EQ(WriteImageFile(path, CountingBytes(8), WriteMode::NewFile), FileResult::OpenFailed);
  EXPECT_EQ(WriteImageFile(path, CountingBytes(8), WriteMode::ExistingFile),
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

TEST(MoveToBackupTest, MovesTheFileBesideItselfWhateverTheCurrentFolder) {
  TempFolder folder;
  TempFolder elsewhere;
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(elsewhere.path());
  WriteFile(folder / "car.bin", {1, 2});
  EXPECT_TRUE(MoveToBackup(folder / "car.bin"));
  std::filesystem::current_path(previous);
  EXPECT_FALSE(std::filesystem::exists(folder / "car.bin"));
  EXPECT_EQ(ReadFile(folder / "car.BAK"), (std::vector<std::uint8_t>{1, 2}));
  EXPECT_FALSE(std::filesystem::exists(elsewhere / "car.BAK"));
}

TEST(MoveToBackupTest, NeverReplacesAnOldBackup) {
  TempFolder folder;
  WriteFile(folder / "car.bin", {1, 2});
  WriteFile(folder / "car.BAK", {7});
  EXPECT_FALSE(MoveToBackup(folder / "car.bin"));
  EXPECT_EQ(ReadFile(folder / "car.bin"), (std::vector<std::uint8_t>{1, 2}));
  EXPECT_EQ(ReadFile(folder / "car.BAK"), (std::vector<std::uint8_t>{7}));
  EXPECT_FALSE(MoveToBackup(folder / "missing.bin"));
  {
    WriteFile(folder / "held.bin", {3});
    const ForeignLock lock(folder / "held.bin");
    ASSERT_TRUE(lock.locked());
    EXPECT_FALSE(MoveToBackup(folder / "held.bin"));
    EXPECT_FALSE(std::filesystem::exists(folder / "held.BAK"));
  }
  EXPECT_TRUE(MoveToBackup(folder / "held.bin"));      // once let go
  EXPECT_FALSE(MoveToBackup(folder.path().string()));  // a folder is not a file
}

}  // namespace
