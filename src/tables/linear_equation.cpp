#include "tables/linear_equation.h"

#include <cctype>
#include <charconv>
#include <cmath>

namespace {

// a·X + b while parsing; an operation that leaves that form fails the whole equation.
struct Affine {
  double A = 0.0;
  double B = 0.0;
};

bool SameName(std::string_view name, std::string_view variable) {
  if (name.size() != variable.size()) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(name[i])) !=
        std::tolower(static_cast<unsigned char>(variable[i])))
      return false;
  }
  return true;
}

// Recursive descent over sums of products of signed factors.
class Parser {
 public:
  Parser(std::string_view text, std::string_view variable) : text_(text), variable_(variable) {}

  std::optional<Affine> Equation() {
    auto value = Sum();
    SkipSpace();
    if (!value || at_ != text_.size()) return std::nullopt;
    return value;
  }

 private:
  void SkipSpace() {
    while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_]))) ++at_;
  }
  bool Take(char c) {
    SkipSpace();
    if (at_ < text_.size() && text_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }

  std::optional<Affine> Sum() {
    auto left = Product();
    while (left) {
      if (Take('+')) {
        const auto right = Product();
        if (!right) return std::nullopt;
        left = Affine{left->A + right->A, left->B + right->B};
      } else if (Take('-')) {
        const auto right = Product();
        if (!right) return std::nullopt;
        left = Affine{left->A - right->A, left->B - right->B};
      } else {
        break;
      }
    }
    return left;
  }

  std::optional<Affine> Product() {
    auto left = Signed();
    while (left) {
      if (Take('*')) {
        const auto right = Signed();
        if (!right || (left->A != 0.0 && right->A != 0.0)) return std::nullopt;
        left = Affine{left->A * right->B + right->A * left->B, left->B * right->B};
      } else if (Take('/')) {
        const auto right = Signed();
        if (!right || right->A != 0.0 || right->B == 0.0) return std::nullopt;
        left = Affine{left->A / right->B, left->B / right->B};
      } else {
        break;
      }
    }
    return left;
  }

  std::optional<Affine> Signed() {
    if (++depth_ > kMaxDepth) return std::nullopt;
    std::optional<Affine> value;
    if (Take('-')) {
      value = Signed();
      if (value) value = Affine{-value->A, -value->B};
    } else if (Take('+')) {
      value = Signed();
    } else {
      value = Primary();
    }
    --depth_;
    return value;
  }

  std::optional<Affine> Primary() {
    SkipSpace();
    if (at_ >= text_.size()) return std::nullopt;
    if (Take('(')) {
      auto inner = Sum();
      if (!inner || !Take(')')) return std::nullopt;
      return inner;
    }
    const char first = text_[at_];
    if (std::isalpha(static_cast<unsigned char>(first)) || first == '_') {
      const std::size_t start = at_;
      while (at_ < text_.size() &&
             (std::isalnum(static_cast<unsigned char>(text_[at_])) || text_[at_] == '_'))
        ++at_;
      if (!SameName(text_.substr(start, at_ - start), variable_)) return std::nullopt;
      return Affine{1.0, 0.0};
    }
    double number = 0.0;
    const auto [end, error] = std::from_chars(text_.data() + at_, text_.data() + text_.size(),
                                              number, std::chars_format::general);
    if (error != std::errc{}) return std::nullopt;
    at_ = static_cast<std::size_t>(end - text_.data());
    return Affine{0.0, number};
  }

  static constexpr int kMaxDepth = 200;  // nesting kept off the stack's limits
  std::string_view text_;
  std::string_view variable_;
  std::size_t at_ = 0;
  int depth_ = 0;
};

}  // namespace

std::optional<TLinearEquation> LinearEquation(std::string_view equation,
                                              std::string_view variable) {
  const auto value = Parser(equation, variable).Equation();
  if (!value || !std::isfinite(value->A) || !std::isfinite(value->B)) return std::nullopt;
  return TLinearEquation{value->A, value->B};
}
