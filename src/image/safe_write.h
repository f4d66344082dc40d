#pragma once

// The one way files are opened for reading and written: only regular files are touched (a
// FIFO, device, socket or folder is refused before anything is read or written, without ever
// blocking), and a file is replaced all at once. The new content goes to a temporary file
// beside the target (".name.quorvel-tmp-XXXXXX"), is written whole, synced to the disk, given
// the old file's permission bits and renamed over the target; then the folder is synced. At
// every instant the target's name holds the old or the complete new content. Nothing here
// shows anything: results carry a readable reason for the edge that tells the user.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

enum class FileResult {
  Ok,
  OpenFailed,       // the file could not be opened, created or locked, or is no regular file
  OperationFailed,  // opened, but a seek, read, write, sync, rename or close failed, or the
                    // size is refused
  Cancelled,        // the user stopped a load; nothing was changed
};

struct FileOutcome {
  FileResult result = FileResult::Ok;
  std::string reason;  // empty on success, else what failed on which file and why
};

// Told after each block: bytes done of the total. A read stops when this returns false.
using ReadProgress = std::function<bool(std::uint64_t done, std::uint64_t total)>;
using WriteProgress = std::function<void(std::uint64_t done, std::uint64_t total)>;

// An open file descriptor, closed on every path out; Close() reports the close's result.
class FileHandle {
 public:
  FileHandle() = default;
  explicit FileHandle(int fd) : fd_(fd) {}
  FileHandle(FileHandle&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  FileHandle& operator=(FileHandle&& other) noexcept;
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  ~FileHandle();

  [[nodiscard]] int fd() const { return fd_; }
  [[nodiscard]] bool IsOpen() const { return fd_ >= 0; }
  [[nodiscard]] bool Close();

 private:
  int fd_ = -1;
};

struct OpenedFile {
  FileHandle file;  // open when outcome is Ok
  std::uint64_t size = 0;
  FileOutcome outcome;
};

// Opens a regular file for reading, holding an exclusive lock on it when `lock` is set (a
// file another program holds locked counts as not openable). Anything but a regular file is
// refused with OpenFailed before a byte is read.
[[nodiscard]] OpenedFile OpenRegularFile(const std::string& path, bool lock);

// Reads until `bytes` is full or the file ends; returns the count read, or an error reason.
struct ReadCount {
  std::size_t count = 0;
  FileOutcome outcome;
};
[[nodiscard]] ReadCount ReadFully(const OpenedFile& opened, const std::string& path,
                                  std::span<std::uint8_t> bytes, const ReadProgress& progress = {});

enum class WriteKind {
  // Save: the file must exist and be openable for writing; the bytes go over it from its
  // first byte, so anything past their end stays.
  OverExisting,
  // The content becomes exactly the bytes; the file is created when missing.
  Whole,
  // Save As: like Whole, but an existing file is kept under its ".BAK" name beside the chosen
  // one, an existing ".BAK" never replaced. The backup is made once the new content is
  // complete, and a failure leaves none; a backup that fails for any other reason than a
  // taken name stops everything before the file is touched.
  WholeWithBackup,
};

// Writes `bytes` to `path` as `kind` says, replacing the file all at once. A symlink is
// followed, so the link stays and its target is replaced. Where a replacement would cut the
// file off from other names (more than one hard link) or from its owner or group, or where
// no temporary file can be made in its folder, the bytes are written in place instead and
// synced before success is reported. The existing file is locked for the whole operation.
[[nodiscard]] FileOutcome WriteFileSafely(const std::string& path,
                                          std::span<const std::uint8_t> bytes, WriteKind kind,
                                          const WriteProgress& progress = {});

// The backup name of `path`: the same folder and base name with the extension ".BAK".
[[nodiscard]] std::string BackupPath(const std::string& path);

// The marker in the names of temporary files, for users and tests to recognise them.
inline constexpr std::string_view kTemporaryMarker = ".quorvel-tmp-";
