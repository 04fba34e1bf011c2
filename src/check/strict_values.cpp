#include "check/strict_values.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <string>

#include "check/iso_codes.h"

namespace tolvex {
namespace {

struct MinorUnit {
  std::string_view currency;
  int digits;  // -1: no minor unit
};

// The currencies whose minor unit is not two digits, from ISO 4217's published list of current
// codes (the List One table of the maintenance agency); every other current code has two.
constexpr auto kMinorUnits = std::to_array<MinorUnit>({
    {"BHD", 3}, {"BIF", 0}, {"CLF", 4}, {"CLP", 0}, {"DJF", 0}, {"GNF", 0}, {"IQD", 3},
    {"ISK", 0}, {"JOD", 3}, {"JPY", 0}, {"KMF", 0}, {"KRW", 0}, {"KWD", 3}, {"LYD", 3},
    {"OMR", 3}, {"PYG", 0}, {"RWF", 0}, {"TND", 3}, {"UGX", 0}, {"UYI", 0}, {"UYW", 4},
    {"VND", 0}, {"VUV", 0}, {"XAF", 0}, {"XAG", -1}, {"XAU", -1}, {"XBA", -1}, {"XBB", -1},
    {"XBC", -1}, {"XBD", -1}, {"XDR", -1}, {"XOF", 0}, {"XPD", -1}, {"XPF", 0}, {"XPT", -1},
    {"XSU", -1}, {"XTS", -1}, {"XUA", -1}, {"XXX", -1},
});

template <typename Table>
bool sorted_contains(const Table& table, std::string_view code) {
  return std::binary_search(table.begin(), table.end(), code);
}

std::optional<int> number_at(std::string_view text, std::size_t from, std::size_t to) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data() + from, text.data() + to, value);
  if (from == to || error != std::errc{} || end != text.data() + to) return std::nullopt;
  return value;
}

bool all_digits(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

bool calendar_date(std::string_view text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
  const std::optional<int> year = number_at(text, 0, 4);
  const std::optional<int> month = number_at(text, 5, 7);
  const std::optional<int> day = number_at(text, 8, 10);
  if (!year || !month || !day || !all_digits(text.substr(0, 4)) || !all_digits(text.substr(5, 2)) ||
      !all_digits(text.substr(8, 2))) {
    return false;
  }
  if (*month < 1 || *month > 12 || *day < 1) return false;
  const bool leap = (*year % 4 == 0 && *year % 100 != 0) || *year % 400 == 0;
  constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const int last = kDays[static_cast<std::size_t>(*month - 1)] + (*month == 2 && leap ? 1 : 0);
  return *day <= last;
}

bool iso_country(std::string_view code) { return sorted_contains(kIsoCountryCodes, code); }

bool iso_currency(std::string_view code) { return sorted_contains(kIsoCurrencyCodes, code); }

std::optional<int> currency_minor_unit(std::string_view code) {
  if (!iso_currency(code)) return std::nullopt;
  const auto found = std::lower_bound(kMinorUnits.begin(), kMinorUnits.end(), code,
                                      [](const MinorUnit& m, std::string_view c) { return m.currency < c; });
  if (found == kMinorUnits.end() || found->currency != code) return 2;
  if (found->digits < 0) return std::nullopt;
  return found->digits;
}

std::optional<int> significant_decimals(std::string_view number) {
  std::size_t at = 0;
  if (at < number.size() && (number[at] == '-' || number[at] == '+')) ++at;
  const std::size_t whole = at;
  while (at < number.size() && number[at] >= '0' && number[at] <= '9') ++at;
  const std::size_t wholeEnd = at;
  std::size_t fractionEnd = at;
  std::size_t fractionStart = at;
  if (at < number.size() && number[at] == '.') {
    fractionStart = ++at;
    while (at < number.size() && number[at] >= '0' && number[at] <= '9') ++at;
    fractionEnd = at;
  }
  if (wholeEnd == whole && fractionEnd == fractionStart) return std::nullopt;
  int exponent = 0;
  if (at < number.size() && (number[at] == 'e' || number[at] == 'E')) {
    ++at;
    const std::size_t sign = at;
    if (at < number.size() && (number[at] == '-' || number[at] == '+')) ++at;
    const std::optional<int> value = number_at(number, at, number.size());
    if (!value || *value > 400) return std::nullopt;
    exponent = number[sign] == '-' ? -*value : *value;
    at = number.size();
  }
  if (at != number.size()) return std::nullopt;
  // Trailing zeros of all the digits written, fraction and whole part alike, add no precision.
  int decimals = static_cast<int>(fractionEnd - fractionStart) - exponent;
  std::string digits(number.substr(whole, wholeEnd - whole));
  digits += number.substr(fractionStart, fractionEnd - fractionStart);
  for (std::size_t end = digits.size(); end > 0 && digits[end - 1] == '0'; --end) --decimals;
  return std::max(decimals, 0);
}

}  // namespace tolvex
