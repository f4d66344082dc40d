#pragma once

// Reading and writing whole image files. Each operation opens the file, holds an exclusive
// advisory lock on it while it works (another program holding the lock makes the open fail,
// standing in for an open without sharing), and closes it before returning.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

enum class FileResult {
  Ok,
  OpenFailed,       // the file could not be opened, created or locked
  OperationFailed,  // opened, but a seek, read, write or close failed, or the size is refused
};

struct LoadedImage {
  FileResult result = FileResult::OpenFailed;
  std::vector<std::uint8_t> bytes;  // the whole file, in file order, when result is Ok
};

// Images must fit a signed 32-bit size; larger files are refused.
inline constexpr std::int64_t kMaxImageSize = 0x7FFFFFFF;

// Reads the whole file at `path`. A folder counts as a file that cannot be opened.
[[nodiscard]] LoadedImage ReadImageFile(const std::string& path);

enum class WriteMode {
  ExistingFile,  // the file must exist; it is neither created nor truncated
  NewFile,       // the file is created, or emptied when it exists
};

// Writes `bytes` from the file's first byte on; every write and the close are checked.
[[nodiscard]] FileResult WriteImageFile(const std::string& path,
                                        std::span<const std::uint8_t> bytes, WriteMode mode);

// True when `path` names an existing regular file (folders and devices do not count).
[[nodiscard]] bool IsExistingFile(const std::string& path);

// The backup name of `path`: the same folder and base name with the extension ".BAK".
[[nodiscard]] std::string BackupPath(const std::string& path);

// Moves an existing file at `path` aside to its backup name, unless a file of that name
// already exists (the old backup is never replaced) or another program holds the file
// locked. Returns whether the file was moved.
bool MoveToBackup(const std::string& path);

// The table-definition file that may lie beside an image: same folder and base name,
// extension ".ecu".
[[nodiscard]] std::string CompanionPath(const std::string& imagePath);
