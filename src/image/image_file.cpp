#include "image/image_file.h"

#include <filesystem>
#include <new>
#include <system_error>

namespace fs = std::filesystem;

LoadedImage ReadImageFile(const std::string& path, const ReadProgress& progress) {
  OpenedFile opened = OpenRegularFile(path, true);
  if (opened.outcome.result != FileResult::Ok) {
    return {opened.outcome.result, {}, std::move(opened.outcome.reason)};
  }
  if (opened.size > static_cast<std::uint64_t>(kMaxImageSize)) {
    return {FileResult::OperationFailed, {}, "'" + path + "' is too large for an image"};
  }

  LoadedImage image{FileResult::Ok, {}, {}};
  try {
    image.bytes.resize(static_cast<std::size_t>(opened.size));
  } catch (const std::bad_alloc&) {
    return {FileResult::OperationFailed, {}, "no memory for '" + path + "'"};
  }
  // Up to the length the file had when opened, or less when it ends early.
  const ReadCount read = ReadFully(opened, path, image.bytes, progress);
  if (read.outcome.result != FileResult::Ok) return {read.outcome.result, {}, read.outcome.reason};
  image.bytes.resize(read.count);
  if (!opened.file.Close()) return {FileResult::OperationFailed, {}, "close '" + path + "' failed"};
  return image;
}

FileOutcome WriteImageFile(const std::string& path, std::span<const std::uint8_t> bytes,
                           WriteMode mode, const WriteProgress& progress) {
  switch (mode) {
    case WriteMode::ExistingFile:
      return WriteFileSafely(path, bytes, WriteKind::OverExisting, progress);
    case WriteMode::NewFile:
      return WriteFileSafely(path, bytes, WriteKind::Whole, progress);
    case WriteMode::NewFileWithBackup:
      return WriteFileSafely(path, bytes, WriteKind::WholeWithBackup, progress);
  }
  return {FileResult::OperationFailed, "unknown write mode"};
}

bool IsExistingFile(const std::string& path) {
  std::error_code error;
  return fs::is_regular_file(path, error);
}

std::string CompanionPath(const std::string& imagePath) {
  fs::path companion(imagePath);
  companion.replace_extension(".ecu");
  return companion.string();
}
