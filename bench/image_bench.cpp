// Loading and saving a large image through the project's file code, against plain
// read()/write() of the same bytes as the baseline. A Save writes a temporary file, syncs it,
// renames it over the image and syncs the folder; its baseline is a write and fsync of the
// same bytes over the file in place.

#include "image/image_file.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr std::size_t kImageSize = 64u << 20;

const std::string& ImagePath() {
  static const std::string path = [] {
    const auto file = std::filesystem::temp_directory_path() / "quorvel-bench-image.bin";
    std::vector<std::uint8_t> bytes(kImageSize);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7);
    (void)WriteImageFile(file.string(), bytes, WriteMode::NewFile).result;
    return file.string();
  }();
  return path;
}

void BM_LoadImage(benchmark::State& state) {
  for (auto _ : state) {
    LoadedImage image = ReadImageFile(ImagePath());
    benchmark::DoNotOptimize(image.bytes.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kImageSize));
}
BENCHMARK(BM_LoadImage)->Unit(benchmark::kMillisecond);

void BM_PlainRead(benchmark::State& state) {
  for (auto _ : state) {
    std::vector<std::uint8_t> bytes(kImageSize);
    const int fd = ::open(ImagePath().c_str(), O_RDONLY);
    std::size_t filled = 0;
    while (filled < bytes.size()) {
      const ssize_t got = ::read(fd, bytes.data() + filled, bytes.size() - filled);
      if (got <= 0) break;
      filled += static_cast<std::size_t>(got);
    }
    ::close(fd);
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kImageSize));
}
BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond);

// Each timed write starts on a settled disk, as a user's Save does: what the one before left
// to the file system (the old copy's blocks freed, and discarded on a disk mounted with
// "discard") is flushed untimed.
void Settle(benchmark::State& state) {
  state.PauseTiming();
  ::sync();
  state.ResumeTiming();
}

void BM_SaveImage(benchmark::State& state) {
  const LoadedImage image = ReadImageFile(ImagePath());
  for (auto _ : state) {
    Settle(state);
    benchmark::DoNotOptimize(
        WriteImageFile(ImagePath(), image.bytes, WriteMode::ExistingFile).result);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kImageSize));
}
BENCHMARK(BM_SaveImage)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PlainWrite(benchmark::State& state) {
  const LoadedImage image = ReadImageFile(ImagePath());
  for (auto _ : state) {
    const int fd = ::open(ImagePath().c_str(), O_WRONLY);
    std::size_t done = 0;
    while (done < image.bytes.size()) {
      const ssize_t put = ::write(fd, image.bytes.data() + done, image.bytes.size() - done);
      if (put <= 0) break;
      done += static_cast<std::size_t>(put);
    }
    ::close(fd);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kImageSize));
}
BENCHMARK(BM_PlainWrite)->Unit(benchmark::kMillisecond);

// write() and fsync() of the same bytes, over the file in place or into a file made anew.
void PlainWriteAndSync(benchmark::State& state, int flags) {
  const LoadedImage image = ReadImageFile(ImagePath());
  const std::string path = ImagePath() + ".plain";
  for (auto _ : state) {
    Settle(state);
    const int fd = ::open(path.c_str(), flags, 0644);
    std::size_t done = 0;
    while (done < image.bytes.size()) {
      const ssize_t put = ::write(fd, image.bytes.data() + done, image.bytes.size() - done);
      if (put <= 0) break;
      done += static_cast<std::size_t>(put);
    }
    ::fsync(fd);
    ::close(fd);
  }
  std::remove(path.c_str());
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kImageSize));
}

void BM_PlainWriteFsync(benchmark::State& state) { PlainWriteAndSync(state, O_WRONLY | O_CREAT); }
BENCHMARK(BM_PlainWriteFsync)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PlainNewFileWriteFsync(benchmark::State& state) {
  PlainWriteAndSync(state, O_WRONLY | O_CREAT | O_TRUNC);
}
BENCHMARK(BM_PlainNewFileWriteFsync)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SaveImageAs(benchmark::State& state) {
  const LoadedImage image = ReadImageFile(ImagePath());
  const std::string path = ImagePath() + ".as.bin";
  for (auto _ : state) {
    state.PauseTiming();
    std::remove(BackupPath(path).c_str());  // each Save As makes its backup anew
    ::sync();
    state.ResumeTiming();
    benchmark::DoNotOptimize(
        WriteImageFile(path, image.bytes, WriteMode::NewFileWithBackup).result);
  }
  std::remove(path.c_str());
  std::remove(BackupPath(path).c_str());
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kImageSize));
}
BENCHMARK(BM_SaveImageAs)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
