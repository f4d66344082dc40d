#pragma once

// The image being edited, with its history. Every change of the image's bytes goes through a
// TImageDocument: it writes the bytes, records them as an undoable step and remembers the
// baseline (the bytes as loaded or last saved) for the positions that were changed, so a view
// can mark what differs from the file on disk.
//
// Positions are byte offsets in the image, not table rows and columns: a step undoes the same
// bytes wherever the current table lies by then. No byte outside offsets 0 … size − 1 of the
// image is ever read or written; a write or a step that would reach outside is refused whole.

#include "app/shared_state.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <span>
#include <utility>
#include <vector>

// A range of byte positions [first, first + count).
struct TByteRange {
  std::int64_t first = 0;
  std::int64_t count = 0;

  [[nodiscard]] bool Empty() const { return count <= 0; }
  [[nodiscard]] std::int64_t End() const { return first + count; }
  friend bool operator==(const TByteRange&, const TByteRange&) = default;
};

// Byte writes gathered into one step: a paste adds every cell, then the document applies the
// lot at once. Writes that continue the previous one are merged into a single run.
class TImageEdit {
 public:
  // Adds a write of `bytes` at `position`. Positions are checked when the edit is applied.
  void Add(std::int64_t position, std::span<const std::uint8_t> bytes);
  // Room for `bytes` bytes of writes, so a large edit grows its buffer once.
  void Reserve(std::size_t bytes) { bytes_.reserve(bytes); }

  [[nodiscard]] bool Empty() const { return runs_.empty(); }
  // Bytes written in all; a byte written twice counts twice.
  [[nodiscard]] std::size_t ByteCount() const { return bytes_.size(); }

 private:
  friend class TImageDocument;

  struct Run {
    std::int64_t position = 0;
    std::size_t offset = 0;  // into bytes_
    std::size_t length = 0;
  };

  std::vector<Run> runs_;
  std::vector<std::uint8_t> bytes_;
};

enum class TEditResult {
  Applied,       // the bytes were written (for undo and redo: the step was taken back or redone)
  Unchanged,     // every byte already held its value; nothing was recorded
  OutsideImage,  // some byte lies outside the image (or no image is loaded); nothing written
  NothingToDo,   // an empty edit, or no step to undo or redo
};

struct TEditOutcome {
  TEditResult result = TEditResult::NothingToDo;
  // The smallest range holding every byte written: what a view shows again.
  TByteRange changed;

  [[nodiscard]] bool Applied() const { return result == TEditResult::Applied; }
};

// What a view is told of a change of the image's bytes.
struct TDocumentChange {
  // The smallest range holding every byte written.
  TByteRange range;
  // The bytes `range` held before, when the change was one run of bytes; empty otherwise.
  // Valid only during the notice.
  std::span<const std::uint8_t> before;
};

// A view of the document: told of every change of the image's bytes, of every reset (a new
// image, Close) and of every save (the baseline moved, so marks of changed bytes may go).
class TDocumentListener {
 public:
  virtual void DocumentChanged(const TDocumentChange& change) = 0;
  virtual void DocumentReset() = 0;
  virtual void DocumentSaved() {}

 protected:
  ~TDocumentListener() = default;
};

// How much history is kept. When a new step goes past either bound, the oldest steps are
// dropped until the history fits again; the newest step is always kept, however large. The
// baseline does not depend on the history, so marks of changed bytes stay right when old
// steps go.
struct THistoryLimits {
  std::size_t maxSteps = 1000;
  // Recorded old and new bytes plus a small per-run overhead, over all undo and redo steps.
  std::size_t maxBytes = 64u << 20;
};

class TImageDocument {
 public:
  // Works on `image` for its whole life; the image must outlive the document.
  explicit TImageDocument(TRomImage& image, THistoryLimits limits = {});

  // Writes every byte of `edit` as one step, or nothing when any byte lies outside the image.
  // Drops the redo steps when something was written. Bytes at the ends of a run that keep
  // their value are not recorded; an edit that changes nothing records no step (Unchanged).
  [[nodiscard]] TEditOutcome Apply(const TImageEdit& edit);
  // One write as one step.
  [[nodiscard]] TEditOutcome Write(std::int64_t position, std::span<const std::uint8_t> bytes);

  // Takes back the last step, restoring exactly the bytes it replaced; it becomes the next
  // redo step. A step that no longer fits the image is refused (OutsideImage) and stays put.
  [[nodiscard]] TEditOutcome Undo();
  // Writes the last undone step's bytes again.
  [[nodiscard]] TEditOutcome Redo();
  [[nodiscard]] bool CanUndo() const { return !undo_.empty(); }
  [[nodiscard]] bool CanRedo() const { return !redo_.empty(); }
  [[nodiscard]] std::size_t UndoCount() const { return undo_.size(); }
  [[nodiscard]] std::size_t RedoCount() const { return redo_.size(); }

  // True when any byte of `range` inside the image differs from the baseline. Bytes of the
  // range outside the image never count. Cheap: a binary search over the changed positions.
  [[nodiscard]] bool Differs(TByteRange range) const;
  // For a row of equally wide items from `first` (`unit` bytes each, one per mark): sets each
  // mark to whether any byte of its item inside the image differs from the baseline. One
  // binary search for the whole row.
  void MarkDiffering(std::int64_t first, int unit, std::span<bool> marks) const;
  // True when any byte of the image differs from the baseline.
  [[nodiscard]] bool Modified() const;

  // The current bytes become the baseline (after Save and Save As). The history stays: an
  // undo after a save marks the bytes it restores as changed.
  void MarkSaved();
  // Forgets history and baseline (after Load and Close): nothing to undo or redo.
  void Reset();

  // Listeners are told in the order they were added, after the document's own state is
  // complete; one added twice is told once. A listener that throws does not keep the others
  // from being told; the first failure reaches the caller. A listener must be removed before
  // it goes.
  void AddListener(TDocumentListener& listener);
  void RemoveListener(TDocumentListener& listener);

  // Bytes held by the history, as counted against THistoryLimits::maxBytes.
  [[nodiscard]] std::size_t HistoryBytes() const { return historyBytes_; }
  // Positions whose baseline byte is kept.
  [[nodiscard]] std::size_t BaselineSize() const { return baselinePositions_.size(); }

  // The image's bytes as far as they may be read: Size bytes, never more than the buffer.
  [[nodiscard]] std::span<const std::uint8_t> Bytes() const;
  [[nodiscard]] const TRomImage& Image() const { return image_; }

 private:
  struct Step {
    std::vector<TImageEdit::Run> runs;
    std::vector<std::uint8_t> oldBytes;  // run.offset indexes both
    std::vector<std::uint8_t> newBytes;
  };

  using Original = std::pair<std::int64_t, std::uint8_t>;

  [[nodiscard]] std::span<std::uint8_t> WritableBytes();
  [[nodiscard]] bool Fits(const std::vector<TImageEdit::Run>& runs) const;
  // Writes a step's old (undo) or new (redo) bytes; undo goes through the runs backwards.
  TByteRange Put(const Step& step, bool undo);
  // Keeps the first byte seen of each position not in the baseline yet.
  void KeepBaseline(std::vector<Original> originals);
  [[nodiscard]] static std::size_t StepBytes(const Step& step);
  // Drops the oldest steps until the history fits its limits again.
  void Trim();
  template <typename Notice>
  void Tell(Notice notice);

  TRomImage& image_;
  THistoryLimits limits_;
  std::deque<Step> undo_;
  std::vector<Step> redo_;
  std::size_t historyBytes_ = 0;
  // The baseline bytes of the positions changed since the last load or save, sorted by
  // position. A position whose byte was changed back keeps its entry; it simply compares equal.
  std::vector<std::int64_t> baselinePositions_;
  std::vector<std::uint8_t> baselineBytes_;
  std::vector<TDocumentListener*> listeners_;
};

// The session's document over RomImage for the whole run: every edit of the text view goes
// through it. Load and Close reset it, Save and Save As mark the bytes saved.
extern TImageDocument& ImageDocument;
