#include "image/image_file.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <new>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// An open file descriptor, closed on every path out; Close() reports the close's result.
class FileHandle {
 public:
  explicit FileHandle(int fd) : fd_(fd) {}
  FileHandle(FileHandle&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  ~FileHandle() {
    if (fd_ >= 0) ::close(fd_);
  }

  [[nodiscard]] int fd() const { return fd_; }
  [[nodiscard]] bool IsOpen() const { return fd_ >= 0; }

  [[nodiscard]] bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

// Opens and locks; a file another process holds locked counts as not openable.
FileHandle OpenLocked(const std::string& path, int flags) {
  FileHandle file(::open(path.c_str(), flags | O_CLOEXEC, 0666));
  if (file.IsOpen() && ::flock(file.fd(), LOCK_EX | LOCK_NB) != 0) return FileHandle(-1);
  return file;
}

bool WriteAll(int fd, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (written == 0) return false;
    bytes = bytes.subspan(static_cast<std::size_t>(written));
  }
  return true;
}

}  // namespace

LoadedImage ReadImageFile(const std::string& path) {
  FileHandle file = OpenLocked(path, O_RDONLY);
  if (!file.IsOpen()) return {};
  struct stat status {};
  if (::fstat(file.fd(), &status) != 0) return {FileResult::OperationFailed, {}};
  if (S_ISDIR(status.st_mode)) return {};

  // The length as a seek to the end finds it; then back to the start.
  const off_t length = ::lseek(file.fd(), 0, SEEK_END);
  if (length < 0 || ::lseek(file.fd(), 0, SEEK_SET) != 0) return {FileResult::OperationFailed, {}};
  if (length > kMaxImageSize) return {FileResult::OperationFailed, {}};

  LoadedImage image{FileResult::Ok, {}};
  try {
    image.bytes.resize(static_cast<std::size_t>(length));
  } catch (const std::bad_alloc&) {
    return {FileResult::OperationFailed, {}};
  }

  // Read in large blocks until the length is reached or the file ends early.
  std::size_t filled = 0;
  while (filled < image.bytes.size()) {
    const ssize_t got = ::read(file.fd(), image.bytes.data() + filled, image.bytes.size() - filled);
    if (got < 0) {
      if (errno == EINTR) continue;
      return {FileResult::OperationFailed, {}};
    }
    if (got == 0) break;
    filled += static_cast<std::size_t>(got);
  }
  image.bytes.resize(filled);
  if (!file.Close()) return {FileResult::OperationFailed, {}};
  return image;
}

FileResult WriteImageFile(const std::string& path, std::span<const std::uint8_t> bytes,
                          WriteMode mode) {
  // A new file is emptied only once the lock is held, never under another program's feet.
  const int flags = mode == WriteMode::NewFile ? (O_RDWR | O_CREAT) : O_WRONLY;
  FileHandle file = OpenLocked(path, flags);
  if (!file.IsOpen()) return FileResult::OpenFailed;
  if (mode == WriteMode::NewFile && ::ftruncate(file.fd(), 0) != 0) {
    return FileResult::OperationFailed;
  }
  if (!WriteAll(file.fd(), bytes)) return FileResult::OperationFailed;
  if (!file.Close()) return FileResult::OperationFailed;
  return FileResult::Ok;
}

bool IsExistingFile(const std::string& path) {
  std::error_code error;
  return fs::is_regular_file(path, error);
}

std::string BackupPath(const std::string& path) {
  fs::path backup(path);
  backup.replace_extension(".BAK");
  return backup.string();
}

bool MoveToBackup(const std::string& path) {
  if (!IsExistingFile(path)) return false;
  // A file another program holds stays where it is; the write that follows then fails on it.
  const FileHandle held = OpenLocked(path, O_RDONLY);
  if (!held.IsOpen()) return false;
  const std::string backup = BackupPath(path);
  // rename() would silently replace an old backup; this refuses when the name is taken.
  if (::renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, backup.c_str(), RENAME_NOREPLACE) == 0) {
    return true;
  }
  if (errno != EINVAL && errno != ENOSYS) return false;
  // File systems without no-replace renames: a hard link also refuses a taken name.
  if (::link(path.c_str(), backup.c_str()) != 0) return false;
  if (::unlink(path.c_str()) == 0) return true;
  // Both names would share one file, which the coming write then empties: undo the link.
  ::unlink(backup.c_str());
  return false;
}

std::string CompanionPath(const std::string& imagePath) {
  fs::path companion(imagePath);
  companion.replace_extension(".ecu");
  return companion.string();
}
