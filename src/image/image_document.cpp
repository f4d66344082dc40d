#include "image/image_document.h"

#include <algorithm>
#include <exception>
#include <limits>

namespace {

// The hull of two ranges; an empty range adds nothing.
TByteRange Join(TByteRange a, TByteRange b) {
  if (a.Empty()) return b;
  if (b.Empty()) return a;
  const std::int64_t first = std::min(a.first, b.first);
  return {first, std::max(a.End(), b.End()) - first};
}

}  // namespace

void TImageEdit::Add(std::int64_t position, std::span<const std::uint8_t> bytes) {
  if (bytes.empty()) return;
  std::int64_t end = 0;
  if (!runs_.empty() &&
      !__builtin_add_overflow(runs_.back().position, static_cast<std::int64_t>(runs_.back().length),
                              &end) &&
      end == position) {
    runs_.back().length += bytes.size();
  } else {
    runs_.push_back({position, bytes_.size(), bytes.size()});
  }
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
}

TImageDocument::TImageDocument(TRomImage& image, THistoryLimits limits)
    : image_(image), limits_(limits) {}

std::span<const std::uint8_t> TImageDocument::Bytes() const {
  if (!image_.Bytes || image_.Size <= 0) return {};
  const auto size =
      std::min<std::size_t>(static_cast<std::size_t>(image_.Size), image_.Bytes->size());
  return std::span<const std::uint8_t>(image_.Bytes->data(), size);
}

std::span<std::uint8_t> TImageDocument::WritableBytes() {
  const std::span<const std::uint8_t> bytes = Bytes();
  if (bytes.empty()) return {};
  return std::span<std::uint8_t>(image_.Bytes->data(), bytes.size());
}

bool TImageDocument::Fits(const std::vector<TImageEdit::Run>& runs) const {
  const auto size = static_cast<std::int64_t>(Bytes().size());
  return std::all_of(runs.begin(), runs.end(), [size](const TImageEdit::Run& run) {
    const auto length = static_cast<std::int64_t>(run.length);
    return run.position >= 0 && length <= size && run.position <= size - length;
  });
}

TEditOutcome TImageDocument::Write(std::int64_t position, std::span<const std::uint8_t> bytes) {
  TImageEdit edit;
  edit.Add(position, bytes);
  return Apply(edit);
}

TEditOutcome TImageDocument::Apply(const TImageEdit& edit) {
  if (edit.Empty()) return {TEditResult::NothingToDo, {}};
  if (!Fits(edit.runs_)) return {TEditResult::OutsideImage, {}};

  const std::span<std::uint8_t> image = WritableBytes();
  Step step;
  std::vector<Original> originals;
  originals.reserve(edit.bytes_.size());
  step.oldBytes.reserve(edit.bytes_.size());
  step.newBytes.reserve(edit.bytes_.size());
  TByteRange changed;
  // Run by run, so a byte written twice in one edit records what the first write replaced.
  for (const TImageEdit::Run& run : edit.runs_) {
    auto target = image.subspan(static_cast<std::size_t>(run.position), run.length);
    auto source = std::span(edit.bytes_).subspan(run.offset, run.length);
    // Bytes at either end that keep their value are left out of the step.
    const auto same = std::mismatch(target.begin(), target.end(), source.begin());
    const auto lead = static_cast<std::size_t>(same.first - target.begin());
    if (lead == run.length) continue;
    const auto trail = static_cast<std::size_t>(
        std::mismatch(target.rbegin(), target.rend(), source.rbegin()).first - target.rbegin());
    target = target.subspan(lead, run.length - lead - trail);
    source = source.subspan(lead, run.length - lead - trail);
    const std::int64_t position = run.position + static_cast<std::int64_t>(lead);
    step.runs.push_back({position, step.oldBytes.size(), target.size()});
    step.oldBytes.insert(step.oldBytes.end(), target.begin(), target.end());
    step.newBytes.insert(step.newBytes.end(), source.begin(), source.end());
    for (std::size_t i = 0; i < target.size(); ++i) {
      originals.emplace_back(position + static_cast<std::int64_t>(i), target[i]);
    }
    std::copy(source.begin(), source.end(), target.begin());
    changed = Join(changed, {position, static_cast<std::int64_t>(target.size())});
  }
  if (step.runs.empty()) return {TEditResult::Unchanged, {}};
  // Reserved for the whole edit; the history counts and keeps only what changed.
  step.oldBytes.shrink_to_fit();
  step.newBytes.shrink_to_fit();

  KeepBaseline(std::move(originals));
  for (const Step& dropped : redo_) historyBytes_ -= StepBytes(dropped);
  redo_.clear();
  historyBytes_ += StepBytes(step);
  undo_.push_back(std::move(step));
  Trim();
  Tell([&](TDocumentListener& listener) {
    const Step& applied = undo_.back();
    listener.DocumentChanged({changed, applied.runs.size() == 1 ? std::span(applied.oldBytes)
                                                                : std::span<const std::uint8_t>()});
  });
  return {TEditResult::Applied, changed};
}

TByteRange TImageDocument::Put(const Step& step, bool undo) {
  const std::span<std::uint8_t> image = WritableBytes();
  const std::vector<std::uint8_t>& bytes = undo ? step.oldBytes : step.newBytes;
  std::vector<Original> originals;
  originals.reserve(bytes.size());
  TByteRange changed;
  const auto put = [&](const TImageEdit::Run& run) {
    const auto target = image.subspan(static_cast<std::size_t>(run.position), run.length);
    for (std::size_t i = 0; i < run.length; ++i) {
      originals.emplace_back(run.position + static_cast<std::int64_t>(i), target[i]);
    }
    const auto source = std::span(bytes).subspan(run.offset, run.length);
    std::copy(source.begin(), source.end(), target.begin());
    changed = Join(changed, {run.position, static_cast<std::int64_t>(run.length)});
  };
  if (undo) {
    std::for_each(step.runs.rbegin(), step.runs.rend(), put);
  } else {
    std::for_each(step.runs.begin(), step.runs.end(), put);
  }
  KeepBaseline(std::move(originals));
  return changed;
}

TEditOutcome TImageDocument::Undo() {
  if (undo_.empty()) return {TEditResult::NothingToDo, {}};
  if (!Fits(undo_.back().runs)) return {TEditResult::OutsideImage, {}};
  const TByteRange changed = Put(undo_.back(), true);
  redo_.push_back(std::move(undo_.back()));
  undo_.pop_back();
  const Step& taken = redo_.back();
  Tell([&](TDocumentListener& listener) {
    listener.DocumentChanged({changed, taken.runs.size() == 1 ? std::span(taken.newBytes)
                                                              : std::span<const std::uint8_t>()});
  });
  return {TEditResult::Applied, changed};
}

TEditOutcome TImageDocument::Redo() {
  if (redo_.empty()) return {TEditResult::NothingToDo, {}};
  if (!Fits(redo_.back().runs)) return {TEditResult::OutsideImage, {}};
  const TByteRange changed = Put(redo_.back(), false);
  undo_.push_back(std::move(redo_.back()));
  redo_.pop_back();
  const Step& taken = undo_.back();
  Tell([&](TDocumentListener& listener) {
    listener.DocumentChanged({changed, taken.runs.size() == 1 ? std::span(taken.oldBytes)
                                                              : std::span<const std::uint8_t>()});
  });
  return {TEditResult::Applied, changed};
}

void TImageDocument::KeepBaseline(std::vector<Original> originals) {
  // The first byte seen of a position is what it held before this step.
  const auto byPosition = [](const Original& a, const Original& b) { return a.first < b.first; };
  if (!std::is_sorted(originals.begin(), originals.end(), byPosition)) {
    std::stable_sort(originals.begin(), originals.end(), byPosition);
  }
  // Keep only positions new to the baseline, once each; both lists are sorted.
  std::size_t fresh = 0;
  std::size_t known = 0;
  for (std::size_t i = 0; i < originals.size(); ++i) {
    const std::int64_t position = originals[i].first;
    if (fresh > 0 && originals[fresh - 1].first == position) continue;
    while (known < baselinePositions_.size() && baselinePositions_[known] < position) ++known;
    if (known < baselinePositions_.size() && baselinePositions_[known] == position) continue;
    originals[fresh++] = originals[i];
  }
  originals.resize(fresh);
  if (originals.empty()) return;

  // A few bytes (an entry typed in) go straight in; a block is merged in one pass.
  if (originals.size() <= 16) {
    for (const auto& [position, byte] : originals) {
      const auto at =
          std::lower_bound(baselinePositions_.begin(), baselinePositions_.end(), position);
      const auto index = at - baselinePositions_.begin();
      baselinePositions_.insert(at, position);
      baselineBytes_.insert(baselineBytes_.begin() + index, byte);
    }
    return;
  }
  std::vector<std::int64_t> positions;
  std::vector<std::uint8_t> bytes;
  positions.reserve(baselinePositions_.size() + originals.size());
  bytes.reserve(baselinePositions_.size() + originals.size());
  std::size_t kept = 0;
  for (const auto& [position, byte] : originals) {
    while (kept < baselinePositions_.size() && baselinePositions_[kept] < position) {
      positions.push_back(baselinePositions_[kept]);
      bytes.push_back(baselineBytes_[kept]);
      ++kept;
    }
    positions.push_back(position);
    bytes.push_back(byte);
  }
  positions.insert(positions.end(), baselinePositions_.begin() + static_cast<std::ptrdiff_t>(kept),
                   baselinePositions_.end());
  bytes.insert(bytes.end(), baselineBytes_.begin() + static_cast<std::ptrdiff_t>(kept),
               baselineBytes_.end());
  baselinePositions_ = std::move(positions);
  baselineBytes_ = std::move(bytes);
}

bool TImageDocument::Differs(TByteRange range) const {
  const std::span<const std::uint8_t> image = Bytes();
  if (range.Empty() || baselinePositions_.empty()) return false;
  // Clamp to the image; an end past the 64-bit range is held at the image's end.
  const std::int64_t first = std::max<std::int64_t>(range.first, 0);
  std::int64_t end = 0;
  if (__builtin_add_overflow(range.first, range.count, &end)) {
    end = std::numeric_limits<std::int64_t>::max();
  }
  end = std::min(end, static_cast<std::int64_t>(image.size()));
  auto at = std::lower_bound(baselinePositions_.begin(), baselinePositions_.end(), first);
  for (; at != baselinePositions_.end() && *at < end; ++at) {
    const auto index = static_cast<std::size_t>(at - baselinePositions_.begin());
    if (image[static_cast<std::size_t>(*at)] != baselineBytes_[index]) return true;
  }
  return false;
}

void TImageDocument::MarkDiffering(std::int64_t first, int unit, std::span<bool> marks) const {
  std::fill(marks.begin(), marks.end(), false);
  if (unit <= 0 || marks.empty() || baselinePositions_.empty()) return;
  const std::span<const std::uint8_t> image = Bytes();
  std::int64_t length = 0;
  std::int64_t end = 0;
  if (__builtin_mul_overflow(static_cast<std::int64_t>(marks.size()), std::int64_t{unit},
                             &length) ||
      __builtin_add_overflow(first, length, &end)) {
    end = std::numeric_limits<std::int64_t>::max();
  }
  end = std::min(end, static_cast<std::int64_t>(image.size()));
  auto at = std::lower_bound(baselinePositions_.begin(), baselinePositions_.end(),
                             std::max<std::int64_t>(first, 0));
  for (; at != baselinePositions_.end() && *at < end; ++at) {
    const auto index = static_cast<std::size_t>(at - baselinePositions_.begin());
    if (image[static_cast<std::size_t>(*at)] != baselineBytes_[index]) {
      marks[static_cast<std::size_t>((*at - first) / unit)] = true;
    }
  }
}

bool TImageDocument::Modified() const {
  return Differs({0, static_cast<std::int64_t>(Bytes().size())});
}

void TImageDocument::MarkSaved() {
  baselinePositions_.clear();
  baselineBytes_.clear();
  Tell([](TDocumentListener& listener) { listener.DocumentSaved(); });
}

void TImageDocument::Reset() {
  undo_.clear();
  redo_.clear();
  historyBytes_ = 0;
  baselinePositions_.clear();
  baselineBytes_.clear();
  Tell([](TDocumentListener& listener) { listener.DocumentReset(); });
}

void TImageDocument::AddListener(TDocumentListener& listener) {
  if (std::find(listeners_.begin(), listeners_.end(), &listener) == listeners_.end()) {
    listeners_.push_back(&listener);
  }
}

void TImageDocument::RemoveListener(TDocumentListener& listener) {
  std::erase(listeners_, &listener);
}

template <typename Notice>
void TImageDocument::Tell(Notice notice) {
  // A copy, so a listener may add or remove listeners while it is told. Every listener is
  // told even when one fails; the first failure is passed on after.
  const std::vector<TDocumentListener*> listeners = listeners_;
  std::exception_ptr failure;
  for (TDocumentListener* listener : listeners) {
    if (std::find(listeners_.begin(), listeners_.end(), listener) == listeners_.end()) continue;
    try {
      notice(*listener);
    } catch (...) {
      if (!failure) failure = std::current_exception();
    }
  }
  if (failure) std::rethrow_exception(failure);
}

std::size_t TImageDocument::StepBytes(const Step& step) {
  return step.oldBytes.size() + step.newBytes.size() + step.runs.size() * sizeof(TImageEdit::Run) +
         sizeof(Step);
}

void TImageDocument::Trim() {
  const auto over = [this] {
    return undo_.size() + redo_.size() > limits_.maxSteps || historyBytes_ > limits_.maxBytes;
  };
  while (undo_.size() > 1 && over()) {
    historyBytes_ -= StepBytes(undo_.front());
    undo_.pop_front();
  }
}
