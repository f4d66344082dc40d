// Loading and saving a large image through the project's file code, against plain
// read()/write() of the same bytes as the baseline.

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
    (void)WriteImageFile(file.string(), bytes, WriteMode::NewFile);
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

void BM_SaveImage(benchmark::State& state) {
  const LoadedImage image = ReadImageFile(ImagePath());
  for (auto _ : state) {
    benchmark::DoNotOptimize(WriteImageFile(ImagePath(), image.bytes, WriteMode::ExistingFile));
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kImageSize));
}
BENCHMARK(BM_SaveImage)->Unit(benchmark::kMillisecond);

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

}  // namespace
