#pragma once

// The editing session: the image held in memory with its document (history and baseline), an
// image to compare against and the current table, owned in one place. Start-up builds the one
// session of the run and hands it to the windows; the shared names RomImage, TableCursor and
// ImageDocument refer into it. Load, Close, Save and Save As are operations of the session, so
// the image and its history always change together.

#include "app/shared_state.h"
#include "image/image_document.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A second image, such as the stock file a tuned image is compared against.
struct TComparedImage {
  std::vector<std::uint8_t> Bytes;
  std::string FileName;
};

class TSession {
 public:
  TSession();
  TSession(const TSession&) = delete;
  TSession& operator=(const TSession&) = delete;

  [[nodiscard]] TRomImage& Image() { return image_; }
  [[nodiscard]] const TRomImage& Image() const { return image_; }
  [[nodiscard]] TImageDocument& Document() { return document_; }
  [[nodiscard]] const TImageDocument& Document() const { return document_; }
  [[nodiscard]] TTableCursor& Cursor() { return cursor_; }
  [[nodiscard]] const TTableCursor& Cursor() const { return cursor_; }
  [[nodiscard]] const std::optional<TComparedImage>& Compared() const { return compared_; }

  // A load: the bytes become the image and its path the file name, with a fresh history.
  void Replace(std::vector<std::uint8_t> bytes, std::string fileName);
  // Close: no image is loaded, the history is gone and nothing is compared any more.
  void Close();
  // Save: the current bytes become the baseline; the history stays.
  void MarkSaved();
  // Save As: as Save, and later plain saves write to `fileName`.
  void SavedAs(std::string fileName);

  void Compare(TComparedImage image) { compared_ = std::move(image); }
  void StopComparing() { compared_.reset(); }

  // Everything back to its start-up value: no image, no history, the start-up table.
  void Reset();

 private:
  TRomImage image_;
  TImageDocument document_{image_};
  TTableCursor cursor_;
  std::optional<TComparedImage> compared_;
};

// The one session of the run, built before start-up creates the windows.
[[nodiscard]] TSession& CurrentSession();
