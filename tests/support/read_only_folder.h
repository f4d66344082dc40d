#pragma once

#include <filesystem>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

// While alive, no file can be made, renamed or linked in the folder, while the files in it
// stay writable. Without permission bits to stop it (root passes them), the folder is made
// immutable instead. locked() is false where neither can be done.
class ReadOnlyFolder {
 public:
  explicit ReadOnlyFolder(const std::filesystem::path& folder) : path_(folder) {
    if (::geteuid() != 0) {
      locked_ = ::chmod(path_.c_str(), 0555) == 0;
      return;
    }
    const int fd = ::open(path_.c_str(), O_RDONLY | O_DIRECTORY);
    int flags = 0;
    immutable_ = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
                 (flags |= FS_IMMUTABLE_FL, ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
    if (fd >= 0) ::close(fd);
    locked_ = immutable_;
  }
  ~ReadOnlyFolder() {
    if (immutable_) {
      const int fd = ::open(path_.c_str(), O_RDONLY | O_DIRECTORY);
      int flags = 0;
      if (fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
        flags &= ~FS_IMMUTABLE_FL;
        ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
      }
      if (fd >= 0) ::close(fd);
    } else if (locked_) {
      ::chmod(path_.c_str(), 0755);
    }
  }
  ReadOnlyFolder(const ReadOnlyFolder&) = delete;
  ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

  [[nodiscard]] bool locked() const { return locked_; }

 private:
  std::filesystem::path path_;
  bool locked_ = false;
  bool immutable_ = false;
};
