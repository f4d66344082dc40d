#include "tables/ecu_scan.h"

#include "app/ascii.h"
#include "app/number_text.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string>
#include <system_error>
#include <type_traits>

namespace {

// What one fscanf call gives: the end of the input before any conversion, a conversion that
// did not match (the target keeps its value), or a stored value.
enum class Scan { InputFailure, NoMatch, Converted };

// "%d" or "%x" as glibc does it: optional sign, for "%x" an optional "0x" after a leading 0,
// then digits handed to strtol / strtoul (64-bit long) and stored as a 32-bit int.
Scan ScanInteger(EcuInput& input, bool hex, std::int32_t& target) {
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
  const int base = hex ? 16 : 10;
  int c = input.Get();
  bool negative = false;
  if (c == '-' || c == '+') {
    negative = c == '-';
    c = input.Get();
  }
  bool any_digit = false;
  if (c == '0') {
    any_digit = true;
    c = input.Get();
    if (hex && ascii::ToLower(c) == 'x') c = input.Get();
  }
  std::uint64_t magnitude = 0;
  bool overflow = false;
  for (int digit = ascii::HexDigitValue(c); digit >= 0 && digit < base;
       digit = ascii::HexDigitValue(c)) {
    any_digit = true;
    const auto d = static_cast<std::uint64_t>(digit);
    if (magnitude > (kMax - d) / static_cast<std::uint64_t>(base)) overflow = true;
    magnitude = magnitude * static_cast<std::uint64_t>(base) + d;
    c = input.Get();
  }
  input.Unget(c);
  if (!any_digit) return Scan::NoMatch;

  std::uint64_t value = 0;  // the 64-bit pattern strtol / strtoul return
  if (hex) {
    value = overflow ? kMax : (negative ? 0 - magnitude : magnitude);
  } else {
    constexpr std::uint64_t kLongMax = std::numeric_limits<std::int64_t>::max();
    if (!negative) {
      value = overflow || magnitude > kLongMax ? kLongMax : magnitude;
    } else {
      value = overflow || magnitude > kLongMax + 1 ? kLongMax + 1 : 0 - magnitude;
    }
  }
  target = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
  return Scan::Converted;
}

// strtof of the text "%f" gathered (without sign): the longest prefix that is a number, or
// nothing when there is none. Always "." as the decimal point, whatever the C locale says.
bool ConvertFloat(std::string_view text, bool hex, float& value) {
  if (hex) {
    // "0x" and a hexadecimal mantissa; without one, strtof reads just the "0".
    const std::string_view digits = text.substr(2);
    const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), value,
                                        std::chars_format::hex);
    if (result.ec == std::errc::invalid_argument) {
      value = 0.0f;
    } else if (result.ec == std::errc::result_out_of_range) {
      double wide = 0.0;
      const auto wider = std::from_chars(digits.data(), digits.data() + digits.size(), wide,
                                         std::chars_format::hex);
      if (wider.ec == std::errc::result_out_of_range) {
        // Beyond even a double: the sign of the binary exponent tells overflow from underflow.
        const std::size_t p = digits.find_first_of("pP");
        const bool tiny =
            p != std::string_view::npos && p + 1 < digits.size() && digits[p + 1] == '-';
        wide = tiny ? 0.0 : std::numeric_limits<double>::infinity();
      }
      value = static_cast<float>(wide);
    }
    return true;
  }
  const auto result =
      std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
  if (result.ec == std::errc::invalid_argument) return false;
  if (result.ec == std::errc::result_out_of_range) {
    // ParseFloat knows overflow from underflow; the float conversion then gives inf or 0.
    value = static_cast<float>(ParseFloat(text.substr(0, result.ptr - text.data())));
  }
  return true;
}

// "%f" as glibc does it: the characters that may form a number (sign, "nan", "inf" or
// "infinity", a decimal or "0x" hexadecimal mantissa with "." and exponent) are gathered
// first, then the longest number among them is converted.
Scan ScanFloat(EcuInput& input, float& target) {
  std::string text;
  bool negative = false;
  bool hex = false;
  int c = input.Get();
  if (c == '-' || c == '+') {
    negative = c == '-';
    c = input.Get();
    if (c == EcuInput::End) return Scan::NoMatch;
  }

  // A word must be complete; the character that breaks it stays taken, as in glibc.
  const auto match_word = [&](std::string_view word) {
    for (const char expected : word) {
      c = input.Get();
      if (c == EcuInput::End || ascii::ToLower(c) != expected) return false;
      text += static_cast<char>(c);
    }
    return true;
  };

  if (ascii::ToLower(c) == 'n') {
    text += static_cast<char>(c);
    if (!match_word("an")) return Scan::NoMatch;
  } else if (ascii::ToLower(c) == 'i') {
    text += static_cast<char>(c);
    if (!match_word("nf")) return Scan::NoMatch;
    c = input.Get();
    if (ascii::ToLower(c) == 'i') {
      text += static_cast<char>(c);
      if (!match_word("nity")) return Scan::NoMatch;
    } else {
      input.Unget(c);
    }
  } else {
    int exponent_char = 'e';
    bool got_digit = false;
    bool got_dot = false;
    bool got_e = false;
    if (c == '0') {
      text += '0';
      c = input.Get();
      if (ascii::ToLower(c) == 'x') {
        text += static_cast<char>(c);
        hex = true;
        exponent_char = 'p';
        c = input.Get();
      } else {
        got_digit = true;
      }
    }
    for (; c != EcuInput::End; c = input.Get()) {
      if (ascii::IsDigit(c) || (hex && !got_e && ascii::HexDigitValue(c) >= 0)) {
        got_digit = true;
      } else if (got_e && text.back() == exponent_char && (c == '-' || c == '+')) {
      } else if (got_digit && !got_e && ascii::ToLower(c) == exponent_char) {
        c = exponent_char;
        got_e = got_dot = true;
      } else if (!got_dot && c == '.') {
        got_dot = true;
      } else {
        input.Unget(c);
        break;
      }
      text += static_cast<char>(c);
    }
    if (text.size() == (hex ? 2u : 0u)) return Scan::NoMatch;
  }

  float value = 0.0f;
  if (!ConvertFloat(text, hex, value)) return Scan::NoMatch;
  target = negative ? -value : value;
  return Scan::Converted;
}

// One fscanf call with a pattern of literal characters around one conversion.
template <typename Target>
Scan ScanPattern(EcuInput& input, std::string_view pattern, Target& target) {
  bool converted = false;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != '%') {
      const int c = input.Get();
      if (c == EcuInput::End) return converted ? Scan::Converted : Scan::InputFailure;
      if (c != static_cast<unsigned char>(pattern[i])) {
        input.Unget(c);
        return converted ? Scan::Converted : Scan::NoMatch;
      }
      continue;
    }
    const char conversion = i + 1 < pattern.size() ? pattern[++i] : '\0';
    while (ascii::IsSpace(input.Peek())) input.Get();
    if (input.AtEnd()) return converted ? Scan::Converted : Scan::InputFailure;
    Scan scan = Scan::NoMatch;
    if constexpr (std::is_same_v<Target, float>) {
      if (conversion != 'f' || converted) throw std::invalid_argument("unsupported pattern");
      scan = ScanFloat(input, target);
    } else {
      if ((conversion != 'd' && conversion != 'x') || converted) {
        throw std::invalid_argument("unsupported pattern");
      }
      scan = ScanInteger(input, conversion == 'x', target);
    }
    if (scan != Scan::Converted) return scan;
    converted = true;
  }
  return converted ? Scan::Converted : Scan::NoMatch;
}

template <typename Target>
bool ReadNumber(EcuInput& input, std::string_view pattern, char stop, Target& target) {
  if (ScanPattern(input, pattern, target) == Scan::InputFailure) return false;
  return input.SkipPast(stop);
}

}  // namespace

int EcuInput::Peek() const {
  if (position_ >= text_.size()) return End;
  const char c = text_[position_];
  if (c == '\r' && position_ + 1 < text_.size() && text_[position_ + 1] == '\n') return '\n';
  return static_cast<unsigned char>(c);
}

EcuInput::EcuInput(Source source)
    : source_(std::move(source)), buffer_(std::size_t{1} << 20, '\0'), source_ended_(false) {
  text_ = std::string_view(buffer_.data(), 0);
  Refill();
}

void EcuInput::Refill() {
  while (!source_ended_ && position_ + 2 > text_.size()) {
    // Keep from the character an Unget may return to; the rest was read.
    const std::size_t keep_from = std::min(last_position_, position_);
    const std::size_t kept = text_.size() - keep_from;
    std::memmove(buffer_.data(), buffer_.data() + keep_from, kept);
    dropped_ += keep_from;
    position_ -= keep_from;
    last_position_ -= keep_from;
    const std::size_t got = source_(std::span<char>(buffer_).subspan(kept));
    source_ended_ = got == 0;
    text_ = std::string_view(buffer_.data(), kept + got);
  }
}

int EcuInput::Get() {
  last_position_ = position_;
  const int c = Peek();
  if (c != End) position_ += c == '\n' && text_[position_] == '\r' ? 2 : 1;
  if (!source_ended_) Refill();
  return c;
}

void EcuInput::Unget(int c) {
  if (c != End) position_ = last_position_;
}

bool EcuInput::SkipPast(char stop) {
  // Whole blocks are searched at once: a file of megabytes without the character ends fast.
  // A CR LF is one line end, so searching for the LF finds it as well.
  for (;;) {
    const void* found = position_ < text_.size()
                            ? std::memchr(text_.data() + position_, stop, text_.size() - position_)
                            : nullptr;
    if (found != nullptr) {
      const auto at = static_cast<std::size_t>(static_cast<const char*>(found) - text_.data());
      last_position_ = stop == '\n' && at > position_ && text_[at - 1] == '\r' ? at - 1 : at;
      position_ = at + 1;
      if (!source_ended_) Refill();
      return true;
    }
    last_position_ = position_ = text_.size();
    if (source_ended_) return false;
    Refill();
  }
}

bool ReadNumberField(EcuInput& input, std::string_view pattern, char stop, std::int32_t& target) {
  return ReadNumber(input, pattern, stop, target);
}

bool ReadNumberField(EcuInput& input, std::string_view pattern, char stop, float& target) {
  return ReadNumber(input, pattern, stop, target);
}

bool ReadTextField(EcuInput& input, std::string& buffer, std::size_t limit) {
  buffer.clear();
  int c = input.Get();
  if (c == EcuInput::End) return false;
  while (c != ',' && c != '}') {
    if (buffer.size() < limit) buffer += static_cast<char>(c);
    c = input.Get();
    if (c == EcuInput::End) return false;
  }
  const std::size_t kept = buffer.find_last_not_of(" \t");
  buffer.resize(kept == std::string::npos ? 0 : kept + 1);
  return true;
}
