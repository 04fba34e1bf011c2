#include "readable/readable.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstddef>

namespace tolvex {
namespace {

// The currencies whose minor unit is not the hundredth: whole units only, or thousandths.
constexpr std::array<std::string_view, 16> kNoDecimals = {"BIF", "CLP", "DJF", "GNF", "ISK", "JPY",
                                                          "KMF", "KRW", "PYG", "RWF", "UGX", "VND",
                                                          "VUV", "XAF", "XOF", "XPF"};
constexpr std::array<std::string_view, 7> kThreeDecimals = {"BHD", "IQD", "JOD", "KWD", "LYD", "OMR", "TND"};

constexpr bool is_upper(char c) { return c >= 'A' && c <= 'Z'; }
constexpr bool is_lower(char c) { return c >= 'a' && c <= 'z'; }

// A number split at its decimal mark, digits only.
struct Digits {
  bool negative = false;
  std::string whole;
  std::string fraction;
};

// The shortest digits that read back as the double, rounded half away from zero to the given
// decimals. Rounding the shortest form rounds the number as it was written: 1.005 is held a
// little below itself, yet was meant as 1.005 and becomes 1.01.
Digits round_digits(double value, int decimals) {
  std::array<char, 400> buffer;  // the longest double in fixed notation has 309 digits before the point
  const auto written =
      std::to_chars(buffer.data(), buffer.data() + buffer.size(), std::fabs(value), std::chars_format::fixed);
  const std::string_view shortest(buffer.data(), static_cast<std::size_t>(written.ptr - buffer.data()));
  const std::size_t point = shortest.find('.');
  std::string whole(shortest.substr(0, point));
  std::string fraction(point == std::string_view::npos ? std::string_view{} : shortest.substr(point + 1));

  const auto kept = static_cast<std::size_t>(decimals);
  const bool up = fraction.size() > kept && fraction[kept] >= '5';
  fraction.resize(kept, '0');
  std::string all = whole + fraction;
  if (up) {
    std::size_t i = all.size();
    while (i > 0 && all[i - 1] == '9') all[--i] = '0';
    if (i == 0) {
      all.insert(all.begin(), '1');
    } else {
      ++all[i - 1];
    }
  }
  Digits digits;
  digits.whole = all.substr(0, all.size() - kept);
  digits.fraction = all.substr(all.size() - kept);
  // A "-" before a number that rounds to zero would be read as a debt of nothing.
  digits.negative = std::signbit(value) && all.find_first_not_of('0') != std::string::npos;
  return digits;
}

std::string with_separators(const Digits& digits) {
  std::string text = digits.negative ? "-" : "";
  const std::size_t size = digits.whole.size();
  for (std::size_t i = 0; i < size; ++i) {
    if (i > 0 && (size - i) % 3 == 0) text += ',';
    text += digits.whole[i];
  }
  if (!digits.fraction.empty()) text += '.' + digits.fraction;
  return text;
}

// Infinity and NaN have no digits to group; a document built in memory may still hold them.
std::string not_finite(double value) {
  if (std::isnan(value)) return "nan";
  return value < 0 ? "-inf" : "inf";
}

std::string trimmed_number(double value, int decimals) {
  if (!std::isfinite(value)) return not_finite(value);
  Digits digits = round_digits(value, decimals);
  digits.fraction.erase(digits.fraction.find_last_not_of('0') + 1);
  return with_separators(digits);
}

// Bytes 10xxxxxx continue a UTF-8 character.
constexpr bool starts_character(char c) { return (static_cast<unsigned char>(c) & 0xC0u) != 0x80u; }

}  // namespace

int currency_decimals(std::string_view currency) {
  if (std::find(kNoDecimals.begin(), kNoDecimals.end(), currency) != kNoDecimals.end()) return 0;
  if (std::find(kThreeDecimals.begin(), kThreeDecimals.end(), currency) != kThreeDecimals.end()) return 3;
  return 2;
}

std::string format_amount(double amount, std::string_view currency) {
  std::string text = std::isfinite(amount)
                         ? with_separators(round_digits(amount, currency_decimals(currency)))
                         : not_finite(amount);
  if (!currency.empty()) text += ' ' + single_line(currency);
  return text;
}

std::string format_number(double value) { return trimmed_number(value, 8); }

std::string format_percent(double fraction) {
  // Six decimals of a percentage hide the binary residue of the product (0.07 * 100).
  return trimmed_number(fraction * 100, 6) + " %";
}

std::string group_by_four(std::string_view text) {
  std::string grouped;
  std::size_t characters = 0;
  for (const char c : text) {
    if (starts_character(c)) {
      if (characters > 0 && characters % 4 == 0) grouped += ' ';
      ++characters;
    }
    grouped += c;
  }
  return grouped;
}

std::string single_line(std::string_view text) {
  std::string line;
  line.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x20 || byte == 0x7F) {
      line += ' ';
    } else if (byte == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
               static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
      line += ' ';  // U+0080 to U+009F, the C1 controls
      ++i;
    } else {
      line += text[i];
    }
  }
  return line;
}

std::string words_of(std::string_view name) {
  std::string words;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const char c = name[i];
    if (i > 0 && is_upper(c) && is_lower(name[i - 1])) {
      words += ' ';
      words += static_cast<char>(c - 'A' + 'a');
    } else {
      words += c;
    }
  }
  return words;
}

std::string flag_names(std::int32_t flags, std::span<const std::string_view> names, bool asWords) {
  std::string text;
  for (std::size_t bit = 0; bit < names.size() && bit < 31; ++bit) {
    if ((flags & (std::int32_t{1} << bit)) == 0) continue;
    if (!text.empty()) text += ", ";
    text += asWords ? words_of(names[bit]) : std::string(names[bit]);
  }
  return text.empty() ? "none" : text;
}

std::string period_of(const Text& from, const Text& to) {
  if (from && to) return *from + " to " + *to;
  if (from) return "from " + *from;
  if (to) return "until " + *to;
  return {};
}

}  // namespace tolvex
