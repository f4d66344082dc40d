#include "image/safe_write.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <random>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <stdio.h>  // renameat2
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Progress is told after each block of this size.
constexpr std::size_t kBlock = std::size_t{4} << 20;

FileOutcome Failure(FileResult result, std::string_view what, const std::string& path, int error) {
  return {result, std::string(what) + " '" + path + "': " + std::generic_category().message(error)};
}

// Opens without blocking: a FIFO without a writer, or a device, would otherwise hang the open.
FileHandle OpenNonBlocking(const std::string& path, int flags) {
  return FileHandle(::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
}

// Refuses anything but a regular file, makes the descriptor blocking again and takes the lock.
FileOutcome AdmitRegular(const FileHandle& file, const std::string& path, bool lock,
                         struct stat& status) {
  if (::fstat(file.fd(), &status) != 0) {
    return Failure(FileResult::OperationFailed, "fstat", path, errno);
  }
  if (!S_ISREG(status.st_mode)) {
    return {FileResult::OpenFailed, "not a regular file '" + path + "'"};
  }
  const int flags = ::fcntl(file.fd(), F_GETFL);
  if (flags < 0 || ::fcntl(file.fd(), F_SETFL, flags & ~O_NONBLOCK) != 0) {
    return Failure(FileResult::OperationFailed, "fcntl", path, errno);
  }
  if (lock && ::flock(file.fd(), LOCK_EX | LOCK_NB) != 0) {
    return Failure(FileResult::OpenFailed, "lock", path, errno);
  }
  return {};
}

// Writes all of `bytes` at the descriptor's position; 0 or the error.
int WriteAll(int fd, std::span<const std::uint8_t> bytes, const WriteProgress& progress,
             std::uint64_t done_before, std::uint64_t total) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const std::size_t block = std::min(kBlock, bytes.size() - done);
    const ssize_t written = ::write(fd, bytes.data() + done, block);
    if (written < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (written == 0) return EIO;
    done += static_cast<std::size_t>(written);
    if (progress) progress(done_before + done, total);
  }
  return 0;
}

// Appends the bytes of `from` from offset `start` to its end to `to`; 0 or the error.
int CopyTail(int from, int to, std::uint64_t start, std::uint64_t end,
             const WriteProgress& progress, std::uint64_t total) {
  std::vector<std::uint8_t> block(std::min<std::uint64_t>(kBlock, end - start));
  for (std::uint64_t offset = start; offset < end;) {
    const std::size_t want =
        static_cast<std::size_t>(std::min<std::uint64_t>(block.size(), end - offset));
    const ssize_t got = ::pread(from, block.data(), want, static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return errno;
    if (got == 0) return 0;  // the file shrank meanwhile: what there was is copied
    const auto piece = std::span<const std::uint8_t>(block).first(static_cast<std::size_t>(got));
    if (const int error = WriteAll(to, piece, {}, 0, 0); error != 0) return error;
    offset += static_cast<std::uint64_t>(got);
    if (progress) progress(offset, total);
  }
  return 0;
}

std::string FolderOf(const std::string& path) {
  const fs::path folder = fs::path(path).parent_path();
  return folder.empty() ? std::string(".") : folder.string();
}

// Creates ".name.quorvel-tmp-XXXXXX" in `folder`, exclusively; the name is cut so that it
// fits the 255 bytes of a file name.
FileHandle CreateTemporary(const std::string& folder, const std::string& name, mode_t mode,
                           std::string& temp_path, int& error) {
  std::string stem = name.substr(0, 200);
  while (stem.size() < name.size() && !stem.empty() &&
         (static_cast<unsigned char>(name[stem.size()]) & 0xC0) == 0x80) {
    stem.pop_back();  // never cut a UTF-8 character in two
  }
  static constexpr std::string_view kLetters =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::uint64_t bits = (std::uint64_t{random()} << 32) | random();
    std::string suffix;
    for (int k = 0; k < 6; ++k, bits /= kLetters.size()) suffix += kLetters[bits % kLetters.size()];
    temp_path = (fs::path(folder) / ("." + stem + std::string(kTemporaryMarker) + suffix)).string();
    FileHandle file(::open(temp_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
    if (file.IsOpen()) return file;
    if (errno != EEXIST) break;
  }
  error = errno;
  return FileHandle();
}

// Syncs a folder so that names made or changed in it reach the disk. A folder that may be
// written but not read cannot be opened to sync (EACCES); file systems that cannot sync
// folders say EINVAL. Both leave the rename standing; any other failure is reported: 0 or
// the error.
int SyncFolder(const std::string& folder) {
  FileHandle handle(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!handle.IsOpen()) return errno == EACCES ? 0 : errno;
  if (::fsync(handle.fd()) != 0 && errno != EINVAL) return errno;
  return handle.Close() ? 0 : errno;
}

// Hard links are not supported there (FAT, exFAT), or not allowed for this file.
bool NoHardLink(int error) {
  return error == EPERM || error == EXDEV || error == EOPNOTSUPP || error == EMLINK;
}

// Renames `from` to `to` unless `to` exists: 0, EEXIST or the error.
int RenameNoReplace(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return errno;
  // Neither hard links nor no-replace renames here: look before renaming.
  struct stat taken {};
  if (::lstat(to.c_str(), &taken) == 0) return EEXIST;
  return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

// Writes over the file from its first byte and syncs it; `truncate` cuts what lies past the
// bytes' end.
FileOutcome WriteInPlace(FileHandle file, const std::string& path,
                         std::span<const std::uint8_t> bytes, bool truncate,
                         const WriteProgress& progress) {
  if (::lseek(file.fd(), 0, SEEK_SET) != 0) {
    return Failure(FileResult::OperationFailed, "seek", path, errno);
  }
  if (const int error = WriteAll(file.fd(), bytes, progress, 0, bytes.size()); error != 0) {
    return Failure(FileResult::OperationFailed, "write", path, error);
  }
  if (truncate && ::ftruncate(file.fd(), static_cast<off_t>(bytes.size())) != 0) {
    return Failure(FileResult::OperationFailed, "truncate", path, errno);
  }
  if (::fsync(file.fd()) != 0) return Failure(FileResult::OperationFailed, "fsync", path, errno);
  if (!file.Close()) return Failure(FileResult::OperationFailed, "close", path, errno);
  return {};
}

// Planned: the ".BAK" name is free; the backup is made once the new file is complete.
// Linked: the ".BAK" name already is a second name of the old file (left by an earlier run),
// so the old content stays there once the new file takes the name.
enum class Backup { None, Planned, Made, Linked, Taken, ByRename };

}  // namespace

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

FileHandle::~FileHandle() {
  if (fd_ >= 0) ::close(fd_);
}

bool FileHandle::Close() {
  const int fd = std::exchange(fd_, -1);
  return ::close(fd) == 0;
}

OpenedFile OpenRegularFile(const std::string& path, bool lock) {
  OpenedFile opened;
  opened.file = OpenNonBlocking(path, O_RDONLY);
  if (!opened.file.IsOpen()) {
    opened.outcome = Failure(FileResult::OpenFailed, "open", path, errno);
    return opened;
  }
  struct stat status {};
  opened.outcome = AdmitRegular(opened.file, path, lock, status);
  if (opened.outcome.result != FileResult::Ok) {
    opened.file = FileHandle();
    return opened;
  }
  opened.size = static_cast<std::uint64_t>(status.st_size);
  return opened;
}

ReadCount ReadFully(const OpenedFile& opened, const std::string& path,
                    std::span<std::uint8_t> bytes, const ReadProgress& progress) {
  ReadCount read;
  while (read.count < bytes.size()) {
    const std::size_t block = std::min(kBlock, bytes.size() - read.count);
    const ssize_t got = ::read(opened.file.fd(), bytes.data() + read.count, block);
    if (got < 0) {
      if (errno == EINTR) continue;
      read.outcome = Failure(FileResult::OperationFailed, "read", path, errno);
      return read;
    }
    if (got == 0) break;  // the file ended early
    read.count += static_cast<std::size_t>(got);
    if (progress && !progress(read.count, bytes.size())) {
      read.outcome = {FileResult::Cancelled, "cancelled"};
      return read;
    }
  }
  return read;
}

std::string BackupPath(const std::string& path) {
  fs::path backup(path);
  backup.replace_extension(".BAK");
  return backup.string();
}

FileOutcome WriteFileSafely(const std::string& path, std::span<const std::uint8_t> bytes,
                            WriteKind kind, const WriteProgress& progress) {
  // A symlink stays: the file it points to is the one replaced.
  std::string target = path;
  struct stat link_status {};
  if (::lstat(path.c_str(), &link_status) == 0 && S_ISLNK(link_status.st_mode)) {
    std::error_code error;
    target = fs::canonical(path, error).string();
    if (error) return {FileResult::OpenFailed, "resolve '" + path + "': " + error.message()};
  }

  // The existing file, locked for the whole operation. Save and Export must be able to write
  // it; Save As, which keeps it as the backup, only needs to read it.
  struct stat status {};
  bool readable = true;
  const int flags = kind == WriteKind::WholeWithBackup ? O_RDONLY : O_RDWR;
  FileHandle existing = OpenNonBlocking(target, flags);
  if (!existing.IsOpen() && errno == EACCES && flags == O_RDWR) {
    existing = OpenNonBlocking(target, O_WRONLY);
    readable = false;
  }
  const bool exists = existing.IsOpen();
  if (!exists && (errno != ENOENT || kind == WriteKind::OverExisting)) {
    return Failure(FileResult::OpenFailed, "open", target, errno);
  }
  if (exists) {
    if (FileOutcome admitted = AdmitRegular(existing, target, true, status);
        admitted.result != FileResult::Ok) {
      return admitted;
    }
  }

  // The backup is a second name for the old file, so the chosen name is never missing. It is
  // made only once the new file is complete, just before that takes the name, and undone when
  // the rename fails: a failed save leaves no second name on the old file, which the next save
  // would take for a kept backup and a second link, and write the new bytes through in place.
  Backup backup = Backup::None;
  const std::string backup_path = BackupPath(path);
  if (kind == WriteKind::WholeWithBackup && exists) {
    struct stat taken {};
    if (::lstat(backup_path.c_str(), &taken) == 0 && taken.st_dev == status.st_dev &&
        taken.st_ino == status.st_ino) {
      backup = Backup::Linked;
    } else if (::lstat(backup_path.c_str(), &taken) == 0) {
      backup = Backup::Taken;
      // Without a backup the file itself is overwritten, which needs leave to write it.
      if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
        return Failure(FileResult::OpenFailed, "open for writing", target, errno);
      }
    } else if (errno == ENOENT) {
      backup = Backup::Planned;
    } else {
      const int error = errno;
      return Failure(FileResult::OperationFailed, "back up as '" + backup_path + "'", target,
                     error);
    }
  }

  // A replacement is a new file: it would leave other hard links, and an owner or group this
  // process cannot give it, behind. Then the old file is overwritten, unless it is the backup.
  const bool keeps_old_file = exists && (backup == Backup::None || backup == Backup::Taken);
  const std::uint64_t old_size = exists ? static_cast<std::uint64_t>(status.st_size) : 0;
  const bool tail = kind == WriteKind::OverExisting && old_size > bytes.size();
  bool in_place = keeps_old_file && (status.st_nlink > 1 || (tail && !readable));

  const std::string folder = FolderOf(target);
  std::string temp_path;
  FileHandle temp;
  int temp_error = 0;
  if (!in_place) {
    temp = CreateTemporary(folder, fs::path(target).filename().string(), exists ? 0600 : 0666,
                           temp_path, temp_error);
    struct stat made {};
    if (temp.IsOpen() && keeps_old_file && ::fstat(temp.fd(), &made) == 0 &&
        (made.st_uid != status.st_uid || made.st_gid != status.st_gid) &&
        ::fchown(temp.fd(), status.st_uid, status.st_gid) != 0) {
      temp = FileHandle();
      ::unlink(temp_path.c_str());
      in_place = true;
    }
    if (!temp.IsOpen() && !in_place) {
      if (!exists) return Failure(FileResult::OpenFailed, "create", temp_path, temp_error);
      if (backup == Backup::Planned) {
        return Failure(FileResult::OperationFailed, "create", temp_path, temp_error);
      }
      // Only a folder that does not let a file be made, holding a writable file, is written
      // in place; any other failure (EIO, ENOSPC, ...) leaves the old file as it is.
      if (temp_error != EACCES && temp_error != EPERM) {
        return Failure(FileResult::OperationFailed, "create", temp_path, temp_error);
      }
      in_place = true;
    }
  }

  if (in_place) {
    const bool truncate = kind != WriteKind::OverExisting && old_size > bytes.size();
    if (flags != O_RDONLY) {
      return WriteInPlace(std::move(existing), target, bytes, truncate, progress);
    }
    // Save As holds the file read-only for the lock; writing takes a second descriptor.
    FileHandle writer = OpenNonBlocking(target, O_WRONLY);
    if (!writer.IsOpen()) return Failure(FileResult::OpenFailed, "open", target, errno);
    struct stat same {};
    if (FileOutcome admitted = AdmitRegular(writer, target, false, same);
        admitted.result != FileResult::Ok) {
      return admitted;
    }
    if (same.st_ino != status.st_ino || same.st_dev != status.st_dev) {
      return {FileResult::OpenFailed, "'" + target + "' was replaced while it was opened"};
    }
    return WriteInPlace(std::move(writer), target, bytes, truncate, progress);
  }

  const auto fail = [&](std::string_view what, const std::string& on, int error) {
    ::unlink(temp_path.c_str());
    return Failure(FileResult::OperationFailed, what, on, error);
  };
  const std::uint64_t total = tail ? old_size : bytes.size();
  if (const int error = WriteAll(temp.fd(), bytes, progress, 0, total); error != 0) {
    return fail("write", temp_path, error);
  }
  if (tail) {
    if (const int error =
            CopyTail(existing.fd(), temp.fd(), bytes.size(), old_size, progress, total);
        error != 0) {
      return fail("copy the end of", target, error);
    }
  }
  if (exists && ::fchmod(temp.fd(), status.st_mode & 07777) != 0) {
    return fail("chmod", temp_path, errno);
  }
  if (::fsync(temp.fd()) != 0) return fail("fsync", temp_path, errno);
  if (!temp.Close()) return fail("close", temp_path, errno);

  if (backup == Backup::Planned) {
    if (::link(target.c_str(), backup_path.c_str()) == 0) {
      backup = Backup::Made;
    } else if (NoHardLink(errno)) {
      backup = Backup::ByRename;  // moved aside just before the new file takes the name
    } else {
      // A name taken meanwhile keeps what it holds, and the old file stays as it is.
      const int error = errno;
      return fail("back up as '" + backup_path + "'", target, error);
    }
  }
  if (backup == Backup::ByRename) {
    const int error = RenameNoReplace(target, backup_path);
    if (error == EEXIST) {
      backup = Backup::Taken;
    } else if (error != 0) {
      return fail("back up as '" + backup_path + "'", target, error);
    }
  }
  if (::rename(temp_path.c_str(), target.c_str()) != 0) {
    const int error = errno;
    if (backup == Backup::Made) ::unlink(backup_path.c_str());  // the link made above
    if (backup == Backup::ByRename) ::rename(backup_path.c_str(), target.c_str());
    return fail("rename", temp_path, error);
  }

  // The new name, and a backup's, reach the disk with their folders.
  int error = SyncFolder(folder);
  const std::string backup_folder = FolderOf(backup_path);
  if (error == 0 && (backup == Backup::Made || backup == Backup::ByRename) &&
      fs::path(backup_folder) != fs::path(folder)) {
    error = SyncFolder(backup_folder);
  }
  if (error != 0) return Failure(FileResult::OperationFailed, "fsync the folder", folder, error);
  return {};
}
