#pragma once

// Reading and writing whole image files. Each operation opens the file, holds an exclusive
// advisory lock on it while it works (another program holding the lock makes the open fail,
// standing in for an open without sharing), and closes it before returning. Only regular
// files are read or written, and a file is replaced all at once (see safe_write.h).

#include "image/safe_write.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

struct LoadedImage {
  FileResult result = FileResult::OpenFailed;
  std::vector<std::uint8_t> bytes;  // the whole file, in file order, when result is Ok
  std::string reason;               // what failed, when result is not Ok
};

// Images must fit a signed 32-bit size; larger files are refused.
inline constexpr std::int64_t kMaxImageSize = 0x7FFFFFFF;

// Reads the whole file at `path` into a new buffer. Anything but a regular file counts as a
// file that cannot be opened. `progress` may stop the read (result Cancelled).
[[nodiscard]] LoadedImage ReadImageFile(const std::string& path, const ReadProgress& progress = {});

enum class WriteMode {
  ExistingFile,       // Save: the file must exist; the bytes go over it from its first byte
  NewFile,            // the file is created, or its content replaced when it exists
  NewFileWithBackup,  // Save As: as NewFile, an existing file first kept under its ".BAK" name
};

// Writes `bytes` as `mode` says; every write, sync, rename and close is checked.
[[nodiscard]] FileOutcome WriteImageFile(const std::string& path,
                                         std::span<const std::uint8_t> bytes, WriteMode mode,
                                         const WriteProgress& progress = {});

// True when `path` names an existing regular file (folders and devices do not count).
[[nodiscard]] bool IsExistingFile(const std::string& path);

// The table-definition file that may lie beside an image: same folder and base name,
// extension ".ecu".
[[nodiscard]] std::string CompanionPath(const std::string& imagePath);
