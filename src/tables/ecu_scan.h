#pragma once

// The reading steps of the ".ecu" reader: numeric fields scanned as the C library's fscanf
// does, and text fields ended by "," or "}". The input is a text held in memory or a source
// read block by block, read one character at a time; nothing is ever read outside it.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

// A text being read, one character at a time. A CR directly before an LF is read as part of
// that line end, so lines may end in CR LF or LF alike. Characters are 0 … 255; EcuInput::End
// is the end of the text.
class EcuInput {
 public:
  static constexpr int End = -1;

  // Fills the span from the start and returns the count put there; 0 at the end.
  using Source = std::function<std::size_t(std::span<char>)>;

  explicit EcuInput(std::string_view text) : text_(text) {}
  // Reads the source a block at a time, holding one block.
  explicit EcuInput(Source source);

  // The next character, without taking it.
  [[nodiscard]] int Peek() const;
  // Takes the next character.
  int Get();
  // Puts back the character the last Get took, as ungetc does; End puts back nothing.
  void Unget(int c);
  [[nodiscard]] bool AtEnd() const { return position_ >= text_.size(); }
  // Bytes taken so far.
  [[nodiscard]] std::size_t Position() const { return dropped_ + position_; }

  // Takes characters up to and including `stop`; false when the text ends first.
  bool SkipPast(char stop);

 private:
  // Keeps two characters after the position in text_ while the source has more.
  void Refill();

  std::string_view text_;  // the text, or the part of buffer_ not yet dropped
  std::size_t position_ = 0;
  std::size_t last_position_ = 0;
  Source source_;
  std::string buffer_;
  std::size_t dropped_ = 0;  // bytes of the source no longer held
  bool source_ended_ = true;
};

// Scans `pattern` into `target` as fscanf does, then skips past the next `stop` character.
// The pattern is literal characters around one conversion: "%x" or "%d" for the int32 target,
// "%f" for the float one (for instance "{%x" or "%d}"). A scan that does not match leaves the
// target unchanged and is no failure. Fails when the text ends before anything was converted,
// or before `stop`. Throws std::invalid_argument for a pattern the target cannot take.
bool ReadNumberField(EcuInput& input, std::string_view pattern, char stop, std::int32_t& target);
bool ReadNumberField(EcuInput& input, std::string_view pattern, char stop, float& target);

// Reads a text field: everything up to the next "," or "}" (taken, not stored), with trailing
// blanks and tabs removed and leading ones kept. At most `limit` characters are kept; the rest
// of a longer field is skipped. Fails when the text is at its end at the start, or ends inside
// the field.
bool ReadTextField(EcuInput& input, std::string& buffer, std::size_t limit);
