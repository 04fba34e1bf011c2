#include "base/numbers.h"

#include <locale.h>

#include <array>
#include <charconv>
#include <climits>
#include <cstdlib>

namespace tolvex {
namespace {

// glibc hands out the "C" locale object without allocating, so this cannot fail.
locale_t c_locale() {
  static const locale_t locale = newlocale(LC_ALL_MASK, "C", locale_t{});
  return locale;
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
  if (content == nullptr) return std::nullopt;
  char* end = nullptr;
  const double value = strtod_l(content, &end, c_locale());
  if (end == content || *end != '\0') return std::nullopt;
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
