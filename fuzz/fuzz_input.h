#pragma once

// Takes typed values off the front of a fuzzer's input, giving zeros once it runs out.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  template <typename T>
  T Take() {
    T value{};
    const std::size_t count = std::min(sizeof(T), size_);
    std::memcpy(&value, data_, count);
    data_ += count;
    size_ -= count;
    return value;
  }

  // A text of up to `limit` bytes, its length taken from the input first.
  std::string TakeText(std::size_t limit) {
    const std::size_t length = std::min<std::size_t>(Take<std::uint8_t>() % (limit + 1), size_);
    std::string text(reinterpret_cast<const char*>(data_), length);
    data_ += length;
    size_ -= length;
    return text;
  }

  [[nodiscard]] std::string_view Rest() const {
    return {reinterpret_cast<const char*>(data_), size_};
  }
  [[nodiscard]] bool Empty() const { return size_ == 0; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
};
