#include "image/safe_write.h"
#include "image/image_file.h"
#include "support/file_size_limit.h"
#include "support/read_only_folder.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::vector<std::uint8_t> kOld = CountingBytes(64, 0x40);
const std::vector<std::uint8_t> kNew = CountingBytes(48, 0x90);

struct stat Status(const std::string& path) {
  struct stat status {};
  ::stat(path.c_str(), &status);
  return status;
}

// Temporary files left in the folder.
int Leftovers(const TempFolder& folder) {
  int count = 0;
  for (const auto& entry : fs::directory_iterator(folder.path())) {
    count += entry.path().filename().string().find(kTemporaryMarker) != std::string::npos;
  }
  return count;
}

std::string OldFile(const TempFolder& folder, mode_t mode = 0644) {
  const std::string path = folder / "car.bin";
  WriteFile(path, kOld);
  ::chmod(path.c_str(), mode);
  return path;
}

struct Row {
  const char* what;
  std::function<std::string(const TempFolder&)> make;  // the path to write
  WriteKind kind;
  FileResult expected;
  std::function<void(const TempFolder&, const std::string&)> check;
  bool needsPermissions = false;  // permission checks do not hold for root
};

TEST(WriteFileSafelyTest, EachKindOfTarget) {
  const Row rows[] = {
      {"a new file", [](const TempFolder& f) { return f / "new.bin"; }, WriteKind::Whole,
       FileResult::Ok,
       [](const TempFolder& f, const std::string& path) {
         EXPECT_EQ(ReadFile(path), kNew);
         const mode_t mask = ::umask(0);
         ::umask(mask);
         EXPECT_EQ(Status(path).st_mode & 07777, 0666 & ~mask);
         EXPECT_FALSE(fs::exists(f / "new.BAK"));
       }},
      {"Save never creates", [](const TempFolder& f) { return f / "new.bin"; },
       WriteKind::OverExisting, FileResult::OpenFailed,
       [](const TempFolder&, const std::string& path) { EXPECT_FALSE(fs::exists(path)); }},
      {"over a file: replaced, its permission bits kept",
       [](const TempFolder& f) { return OldFile(f, 0604); }, WriteKind::Whole, FileResult::Ok,
       [](const TempFolder&, const std::string& path) {
         EXPECT_EQ(ReadFile(path), kNew);
         EXPECT_EQ(Status(path).st_mode & 07777, 0604u);
       }},
      {"Save over a longer file keeps its end",
       [](const TempFolder& f) { return OldFile(f, 0750); }, WriteKind::OverExisting,
       FileResult::Ok,
       [](const TempFolder&, const std::string& path) {
         auto expected = kNew;
         expected.insert(expected.end(), kOld.begin() + 48, kOld.end());
         EXPECT_EQ(ReadFile(path), expected);
         EXPECT_EQ(Status(path).st_mode & 07777, 0750u);
       }},
      {"a symlink stays a link, its target replaced",
       [](const TempFolder& f) {
         fs::create_directory(f / "real");
         WriteFile(f / "real/target.bin", kOld);
         fs::create_symlink("real/target.bin", f / "car.bin");
         return f / "car.bin";
       },
       WriteKind::OverExisting, FileResult::Ok,
       [](const TempFolder& f, const std::string& path) {
         EXPECT_TRUE(fs::is_symlink(path));
         EXPECT_EQ(ReadFile(f / "real/target.bin").size(), kOld.size());
         EXPECT_EQ(ReadFile(f / "real/target.bin")[0], kNew[0]);
       }},
      {"Save As onto a symlink: the link stays, the backup is a copy of the old content",
       [](const TempFolder& f) {
         fs::create_directory(f / "real");
         WriteFile(f / "real/target.bin", kOld);
         fs::create_symlink("real/target.bin", f / "car.bin");
         return f / "car.bin";
       },
       WriteKind::WholeWithBackup, FileResult::Ok,
       [](const TempFolder& f, const std::string& path) {
         EXPECT_TRUE(fs::is_symlink(path));
         EXPECT_EQ(ReadFile(path), kNew);
         EXPECT_FALSE(fs::is_symlink(f / "car.BAK"));
         EXPECT_EQ(ReadFile(f / "car.BAK"), kOld);
       }},
      {"a file with a second hard link is written in place",
       [](const TempFolder& f) {
         const std::string path = OldFile(f);
         fs::create_hard_link(path, f / "other.bin");
         return path;
       },
       WriteKind::Whole, FileResult::Ok,
       [](const TempFolder& f, const std::string& path) {
         EXPECT_EQ(ReadFile(path), kNew);
         EXPECT_EQ(ReadFile(f / "other.bin"), kNew);
         EXPECT_EQ(Status(path).st_ino, Status(f / "other.bin").st_ino);
       }},
      {"Save As with the backup name taken keeps the old backup",
       [](const TempFolder& f) {
         WriteFile(f / "car.BAK", {7});
         return OldFile(f);
       },
       WriteKind::WholeWithBackup, FileResult::Ok,
       [](const TempFolder& f, const std::string& path) {
         EXPECT_EQ(ReadFile(path), kNew);
         EXPECT_EQ(ReadFile(f / "car.BAK"), (std::vector<std::uint8_t>{7}));
       }},
      {"Save As keeps the old file as the backup, a name of its own",
       [](const TempFolder& f) { return OldFile(f, 0600); }, WriteKind::WholeWithBackup,
       FileResult::Ok,
       [](const TempFolder& f, const std::string& path) {
         EXPECT_EQ(ReadFile(path), kNew);
         EXPECT_EQ(ReadFile(f / "car.BAK"), kOld);
         EXPECT_EQ(Status(f / "car.BAK").st_nlink, 1u);
         EXPECT_EQ(Status(path).st_mode & 07777, 0600u);
       }},
      {"a read-only file is not exported over",
       [](const TempFolder& f) { return OldFile(f, 0444); }, WriteKind::Whole,
       FileResult::OpenFailed,
       [](const TempFolder&, const std::string& path) { EXPECT_EQ(ReadFile(path), kOld); }, true},
      {"Save As over a read-only file with a backup: replaced, as its backup holds it",
       [](const TempFolder& f) { return OldFile(f, 0444); }, WriteKind::WholeWithBackup,
       FileResult::Ok,
       [](const TempFolder& f, const std::string& path) {
         EXPECT_EQ(ReadFile(path), kNew);
         EXPECT_EQ(ReadFile(f / "car.BAK"), kOld);
       },
       true},
      {"Save As over a read-only file without a backup is refused",
       [](const TempFolder& f) {
         WriteFile(f / "car.BAK", {7});
         return OldFile(f, 0444);
       },
       WriteKind::WholeWithBackup, FileResult::OpenFailed,
       [](const TempFolder&, const std::string& path) { EXPECT_EQ(ReadFile(path), kOld); }, true},
      {"a name as long as a file name may be",
       [](const TempFolder& f) { return f / std::string(250, 'n'); }, WriteKind::Whole,
       FileResult::Ok,
       [](const TempFolder&, const std::string& path) { EXPECT_EQ(ReadFile(path), kNew); }},
      {"a missing folder", [](const TempFolder& f) { return f / "no-such-folder/car.bin"; },
       WriteKind::WholeWithBackup, FileResult::OpenFailed,
       [](const TempFolder&, const std::string&) {}},
      {"a dangling symlink",
       [](const TempFolder& f) {
         fs::create_symlink("gone.bin", f / "car.bin");
         return f / "car.bin";
       },
       WriteKind::Whole, FileResult::OpenFailed,
       [](const TempFolder& f, const std::string&) { EXPECT_FALSE(fs::exists(f / "gone.bin")); }},
  };
  for (const Row& row : rows) {
    if (row.needsPermissions && ::geteuid() == 0) continue;
    TempFolder folder;
    const std::string path = row.make(folder);
    const FileOutcome outcome = WriteFileSafely(path, kNew, row.kind);
    EXPECT_EQ(outcome.result, row.expected) << row.what << ": " << outcome.reason;
    EXPECT_EQ(outcome.reason.empty(), row.expected == FileResult::Ok) << row.what;
    row.check(folder, path);
    EXPECT_EQ(Leftovers(folder), 0) << row.what;
  }
}

TEST(WriteFileSafelyTest, AReplacementIsANewFileRenamedOverTheOld) {
  TempFolder folder;
  const std::string path = OldFile(folder);
  const int reader = ::open(path.c_str(), O_RDONLY);  // sees the old file to the end
  ASSERT_GE(reader, 0);
  const ino_t before = Status(path).st_ino;
  std::vector<std::string> seen;  // names in the folder while the bytes are written
  const auto progress = [&](std::uint64_t, std::uint64_t) {
    if (!seen.empty()) return;
    for (const auto& entry : fs::directory_iterator(folder.path())) {
      seen.push_back(entry.path().filename().string());
    }
  };
  ASSERT_EQ(WriteFileSafely(path, kNew, WriteKind::OverExisting, progress).result, FileResult::Ok);
  EXPECT_NE(Status(path).st_ino, before);
  std::vector<std::uint8_t> old(kOld.size());
  EXPECT_EQ(::read(reader, old.data(), old.size()), static_cast<ssize_t>(kOld.size()));
  EXPECT_EQ(old, kOld);
  ::close(reader);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_TRUE(seen[0].starts_with(".car.bin.quorvel-tmp-") ||
              seen[1].starts_with(".car.bin.quorvel-tmp-"))
      << seen[0] << " " << seen[1];
}

TEST(WriteFileSafelyTest, AFolderWhereNoFileCanBeMade) {
  TempFolder folder;
  const std::string path = OldFile(folder);
  const ino_t before = Status(path).st_ino;
  {
    const ReadOnlyFolder locked(folder.path());
    if (!locked.locked()) GTEST_SKIP() << "no way to make a folder read-only here";
    // Save writes in place, synced before it reports success.
    const FileOutcome saved = WriteFileSafely(path, kNew, WriteKind::OverExisting);
    EXPECT_EQ(saved.result, FileResult::Ok) << saved.reason;
    // Save As cannot make its backup there: nothing is touched.
    const FileOutcome saved_as = WriteFileSafely(path, kOld, WriteKind::WholeWithBackup);
    EXPECT_EQ(saved_as.result, FileResult::OperationFailed);
    EXPECT_NE(saved_as.reason.find(folder.path().string()), std::string::npos) << saved_as.reason;
    // Nor can a new file be made.
    EXPECT_EQ(WriteFileSafely(folder / "new.bin", kNew, WriteKind::Whole).result,
              FileResult::OpenFailed);
  }
  auto expected = kNew;
  expected.insert(expected.end(), kOld.begin() + 48, kOld.end());
  EXPECT_EQ(ReadFile(path), expected);
  EXPECT_EQ(Status(path).st_ino, before);
  EXPECT_FALSE(fs::exists(folder / "car.BAK"));
}

TEST(WriteFileSafelyTest, AFailingWriteLeavesTheOldFileAndNoTemporaryFile) {
  for (const WriteKind kind :
       {WriteKind::OverExisting, WriteKind::Whole, WriteKind::WholeWithBackup}) {
    TempFolder folder;
    const std::string path = OldFile(folder);
    FileOutcome outcome;
    {
      const FileSizeLimit full(16);
      outcome = WriteFileSafely(path, kNew, kind);
    }
    EXPECT_EQ(outcome.result, FileResult::OperationFailed);
    EXPECT_NE(outcome.reason.find("write"), std::string::npos) << outcome.reason;
    EXPECT_NE(outcome.reason.find("File too large"), std::string::npos) << outcome.reason;
    EXPECT_EQ(ReadFile(path), kOld);
    EXPECT_EQ(Leftovers(folder), 0);
    // A backup made before the failure holds the old content.
    if (fs::exists(folder / "car.BAK")) {
      EXPECT_EQ(ReadFile(folder / "car.BAK"), kOld);
    }
  }
}

// A failed Save As leaves no second name on the old file: the same Save As again keeps the
// old content as the backup, and a Save writes a new file instead of through both names.
TEST(WriteFileSafelyTest, AFailedSaveAsLeavesTheNextSaveTheOldContent) {
  for (const WriteKind again : {WriteKind::WholeWithBackup, WriteKind::OverExisting}) {
    TempFolder folder;
    const std::string path = OldFile(folder);
    {
      const FileSizeLimit full(16);
      ASSERT_EQ(WriteFileSafely(path, kNew, WriteKind::WholeWithBackup).result,
                FileResult::OperationFailed);
    }
    EXPECT_EQ(Status(path).st_nlink, 1u);
    EXPECT_FALSE(fs::exists(folder / "car.BAK"));
    const FileOutcome repeated = WriteFileSafely(path, kNew, again);
    ASSERT_EQ(repeated.result, FileResult::Ok) << repeated.reason;
    EXPECT_EQ(ReadFile(path).front(), kNew.front());
    if (again == WriteKind::WholeWithBackup) {
      EXPECT_EQ(ReadFile(folder / "car.BAK"), kOld);
    } else {
      EXPECT_FALSE(fs::exists(folder / "car.BAK"));
    }
  }
}

// A ".BAK" that already is a second name of the old file (left by an earlier run) keeps the
// old content: the new file takes the name instead of being written through both.
TEST(WriteFileSafelyTest, ABackupNameLinkedToTheOldFileKeepsTheOldContent) {
  TempFolder folder;
  const std::string path = OldFile(folder);
  fs::create_hard_link(path, folder / "car.BAK");
  const FileOutcome outcome = WriteFileSafely(path, kNew, WriteKind::WholeWithBackup);
  ASSERT_EQ(outcome.result, FileResult::Ok) << outcome.reason;
  EXPECT_EQ(ReadFile(path).front(), kNew.front());
  EXPECT_EQ(ReadFile(folder / "car.BAK"), kOld);
  EXPECT_EQ(Status(path).st_nlink, 1u);
}

// The backup is made once the new file is complete: a ".BAK" that appears meanwhile stays as
// it is, and so does the old file.
TEST(WriteFileSafelyTest, ABackupNameTakenWhileWritingStopsTheSaveAs) {
  TempFolder folder;
  const std::string path = OldFile(folder);
  const auto progress = [&](std::uint64_t, std::uint64_t) { WriteFile(folder / "car.BAK", {7}); };
  const FileOutcome outcome = WriteFileSafely(path, kNew, WriteKind::WholeWithBackup, progress);
  EXPECT_EQ(outcome.result, FileResult::OperationFailed);
  EXPECT_NE(outcome.reason.find("car.BAK"), std::string::npos) << outcome.reason;
  EXPECT_EQ(ReadFile(path), kOld);
  EXPECT_EQ(ReadFile(folder / "car.BAK"), (std::vector<std::uint8_t>{7}));
  EXPECT_EQ(Leftovers(folder), 0);
}

// Without a writer a FIFO blocks an open for reading, and reading it blocks for good; a
// device has no end. Each is refused at once, before a byte is read or written.
TEST(OnlyRegularFilesTest, FifosDevicesAndFoldersAreRefusedWithoutBlocking) {
  TempFolder folder;
  const std::string fifo = folder / "pipe.bin";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  const std::string zero_link = folder / "zero.bin";
  fs::create_symlink("/dev/zero", zero_link);
  for (const std::string& path : {fifo, zero_link, std::string("/dev/zero"),
                                  std::string("/dev/null"), folder.path().string()}) {
    const OpenedFile opened = OpenRegularFile(path, true);
    EXPECT_EQ(opened.outcome.result, FileResult::OpenFailed) << path;
    EXPECT_FALSE(opened.file.IsOpen()) << path;
    for (const WriteKind kind :
         {WriteKind::OverExisting, WriteKind::Whole, WriteKind::WholeWithBackup}) {
      EXPECT_EQ(WriteFileSafely(path, kNew, kind).result, FileResult::OpenFailed) << path;
    }
  }
  EXPECT_TRUE(fs::is_fifo(fifo));
  EXPECT_FALSE(fs::exists(folder / "pipe.BAK"));
  EXPECT_EQ(Leftovers(folder), 0);
}

TEST(ReadFullyTest, TellsProgressAndStopsWhenCancelled) {
  TempFolder folder;
  const std::string path = folder / "big.bin";
  WriteFile(path, CountingBytes(std::size_t{9} << 20));
  OpenedFile opened = OpenRegularFile(path, true);
  ASSERT_EQ(opened.outcome.result, FileResult::Ok);
  EXPECT_EQ(opened.size, std::uint64_t{9} << 20);
  std::vector<std::uint8_t> bytes(opened.size);
  std::vector<std::uint64_t> told;
  const ReadCount read =
      ReadFully(opened, path, bytes, [&](std::uint64_t done, std::uint64_t total) {
        told.push_back(done);
        EXPECT_EQ(total, bytes.size());
        return told.size() < 2;  // cancelled after the second block
      });
  EXPECT_EQ(read.outcome.result, FileResult::Cancelled);
  EXPECT_EQ(told, (std::vector<std::uint64_t>{4u << 20, 8u << 20}));
}

TEST(ReadImageFileTest, ACancelledLoadGivesNoImage) {
  TempFolder folder;
  const std::string path = folder / "big.bin";
  WriteFile(path, CountingBytes(std::size_t{5} << 20));
  const LoadedImage image = ReadImageFile(path, [](std::uint64_t, std::uint64_t) { return false; });
  EXPECT_EQ(image.result, FileResult::Cancelled);
  EXPECT_TRUE(image.bytes.empty());
  const std::string fifo = folder / "pipe.bin";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  EXPECT_EQ(ReadImageFile(fifo).result, FileResult::OpenFailed);
}

TEST(BackupPathTest, TheOldFileKeepsItsFolderAndBaseName) {
  EXPECT_EQ(BackupPath("/ecu/car.bin"), "/ecu/car.BAK");
  EXPECT_EQ(BackupPath("car.bin"), "car.BAK");
}

}  // namespace
