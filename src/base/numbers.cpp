#include "base/numbers.h"

#include <locale.h>

#include <array>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace tolvex {
namespace {

// glibc hands out the "C" locale object without allocating, so this cannot fail.
locale_t c_locale() {
  static const locale_t locale = newlocale(LC_ALL_MASK, "C", locale_t{});
  return locale;
}

constexpr bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The text after leading white space is an optional sign, digits with an optional point and
// fraction (a digit on at least one side), and an optional exponent. strtod also takes "nan",
// "inf" and hexadecimal forms, which no document writes as an amount.
bool is_decimal_form(const char* text) {
  while (*text == ' ' || (*text >= '\t' && *text <= '\r')) ++text;
  if (*text == '+' || *text == '-') ++text;
  bool digits = false;
  for (; is_digit(*text); ++text) digits = true;
  if (*text == '.') {
    for (++text; is_digit(*text); ++text) digits = true;
  }
  if (!digits) return false;
  if (*text == 'e' || *text == 'E') {
    ++text;
    if (*text == '+' || *text == '-') ++text;
    if (!is_digit(*text)) return false;
    while (is_digit(*text)) ++text;
  }
  return *text == '\0';
}

}  // namespace

std::optional<std::int32_t> parse_integer(const char* content) {
  if (content == nullptr) return std::nullopt;
  char* end = nullptr;
  const long value = strtol_l(content, &end, 10, c_locale());
  if (end == content || *end != '\0') return std::nullopt;
  if (value < INT32_MIN) return INT32_MIN;
  if (value > INT32_MAX) return INT32_MAX;
  return static_cast<std::int32_t>(value);
}

std::optional<double> parse_decimal(const char* content) {
  if (content == nullptr || !is_decimal_form(content)) return std::nullopt;
  const double value = strtod_l(content, nullptr, c_locale());
  // A number too large for a double becomes infinity; one too small becomes 0 and is kept.
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

std::string format_decimal(double x) {
  // Large enough for the longest double in fixed notation: 309 digits, sign, point, 8 decimals.
  std::array<char, 330> digits;
  // std::to_chars writes the same digits as "%.8f" but never a locale's decimal comma.
  const auto result =
      std::to_chars(digits.data(), digits.data() + digits.size(), x, std::chars_format::fixed, 8);
  std::string text(digits.data(), result.ptr);
  text.erase(text.find_last_not_of('0') + 1);
  if (text.back() == '.') text.pop_back();
  return text;
}

}  // namespace tolvex
