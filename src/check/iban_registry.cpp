#include "check/iban_registry.h"

#include <algorithm>
#include <array>

namespace tolvex {
namespace {

// Typed from the registry named by kIbanRegistryRelease: country, IBAN length, BBAN format.
// Compared with python-stdnum 1.18's iban.dat (Debian python3-stdnum 1.18-1, November 2022,
// generated from SWIFT's swift_standards_infopaper_ibanregistry_1.txt, whose release it does not
// name): its 82 countries agree in length and format. FK, HN, MN, NI, OM, SO and YE joined the
// registry after that file and are not in it.
constexpr auto kFormats = std::to_array<IbanFormat>({
    {"AD", 24, "4!n4!n12!c"},         {"AE", 23, "3!n16!n"},
    {"AL", 28, "8!n16!c"},            {"AT", 20, "5!n11!n"},
    {"AZ", 28, "4!a20!c"},            {"BA", 20, "3!n3!n8!n2!n"},
    {"BE", 16, "3!n7!n2!n"},          {"BG", 22, "4!a4!n2!n8!c"},
    {"BH", 22, "4!a14!c"},            {"BI", 27, "5!n5!n11!n2!n"},
    {"BR", 29, "8!n5!n10!n1!a1!c"},   {"BY", 28, "4!c4!n16!c"},
    {"CH", 21, "5!n12!c"},            {"CR", 22, "4!n14!n"},
    {"CY", 28, "3!n5!n16!c"},         {"CZ", 24, "4!n6!n10!n"},
    {"DE", 22, "8!n10!n"},            {"DJ", 27, "5!n5!n11!n2!n"},
    {"DK", 18, "4!n9!n1!n"},          {"DO", 28, "4!c20!n"},
    {"EE", 20, "2!n2!n11!n1!n"},      {"EG", 29, "4!n4!n17!n"},
    {"ES", 24, "4!n4!n1!n1!n10!n"},   {"FI", 18, "3!n11!n"},
    {"FK", 18, "2!a12!n"},            {"FO", 18, "4!n9!n1!n"},
    {"FR", 27, "5!n5!n11!c2!n"},      {"GB", 22, "4!a6!n8!n"},
    {"GE", 22, "2!a16!n"},            {"GI", 23, "4!a15!c"},
    {"GL", 18, "4!n9!n1!n"},          {"GR", 27, "3!n4!n16!c"},
    {"GT", 28, "4!c20!c"},            {"HN", 28, "4!a20!n"},
    {"HR", 21, "7!n10!n"},            {"HU", 28, "3!n4!n1!n15!n1!n"},
    {"IE", 22, "4!a6!n8!n"},          {"IL", 23, "3!n3!n13!n"},
    {"IQ", 23, "4!a3!n12!n"},         {"IS", 26, "4!n2!n6!n10!n"},
    {"IT", 27, "1!a5!n5!n12!c"},      {"JO", 30, "4!a4!n18!c"},
    {"KW", 30, "4!a22!c"},            {"KZ", 20, "3!n13!c"},
    {"LB", 28, "4!n20!c"},            {"LC", 32, "4!a24!c"},
    {"LI", 21, "5!n12!c"},            {"LT", 20, "5!n11!n"},
    {"LU", 20, "3!n13!c"},            {"LV", 21, "4!a13!c"},
    {"LY", 25, "3!n3!n15!n"},         {"MC", 27, "5!n5!n11!c2!n"},
    {"MD", 24, "2!c18!c"},            {"ME", 22, "3!n13!n2!n"},
    {"MK", 19, "3!n10!c2!n"},         {"MN", 20, "4!n12!n"},
    {"MR", 27, "5!n5!n11!n2!n"},      {"MT", 31, "4!a5!n18!c"},
    {"MU", 30, "4!a2!n2!n12!n3!n3!a"}, {"NI", 28, "4!a20!n"},
    {"NL", 18, "4!a10!n"},            {"NO", 15, "4!n6!n1!n"},
    {"OM", 23, "3!n16!c"},            {"PK", 24, "4!a16!c"},
    {"PL", 28, "8!n16!n"},            {"PS", 29, "4!a21!c"},
    {"PT", 25, "4!n4!n11!n2!n"},      {"QA", 29, "4!a21!c"},
    {"RO", 24, "4!a16!c"},            {"RS", 22, "3!n13!n2!n"},
    {"RU", 33, "9!n5!n15!c"},         {"SA", 24, "2!n18!c"},
    {"SC", 31, "4!a2!n2!n16!n3!a"},   {"SD", 18, "2!n12!n"},
    {"SE", 24, "3!n16!n1!n"},         {"SI", 19, "5!n8!n2!n"},
    {"SK", 24, "4!n6!n10!n"},         {"SM", 27, "1!a5!n5!n12!c"},
    {"SO", 23, "4!n3!n12!n"},         {"ST", 25, "4!n4!n11!n2!n"},
    {"SV", 28, "4!a20!n"},            {"TL", 23, "3!n14!n2!n"},
    {"TN", 24, "2!n3!n13!n2!n"},      {"TR", 26, "5!n1!n16!c"},
    {"UA", 29, "6!n19!c"},            {"VA", 22, "3!n15!n"},
    {"VG", 24, "4!a16!n"},            {"XK", 20, "4!n10!n2!n"},
    {"YE", 30, "4!a4!n18!c"},
});

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_upper(char c) { return c >= 'A' && c <= 'Z'; }
bool is_lower(char c) { return c >= 'a' && c <= 'z'; }

// Calls part(count, kind) for each "<count>!<kind>" of the notation; false on a malformed one.
template <typename Part>
bool each_part(std::string_view notation, Part part) {
  std::size_t at = 0;
  while (at < notation.size()) {
    int count = 0;
    const std::size_t start = at;
    while (at < notation.size() && is_digit(notation[at])) count = count * 10 + (notation[at++] - '0');
    if (at == start || at + 1 >= notation.size() || notation[at] != '!') return false;
    if (!part(count, notation[at + 1])) return false;
    at += 2;
  }
  return true;
}

}  // namespace

std::span<const IbanFormat> iban_formats() { return kFormats; }

const IbanFormat* iban_format(std::string_view country) {
  const auto found = std::lower_bound(kFormats.begin(), kFormats.end(), country,
                                      [](const IbanFormat& f, std::string_view c) { return f.country < c; });
  return found != kFormats.end() && found->country == country ? &*found : nullptr;
}

int bban_length(std::string_view notation) {
  int total = 0;
  const bool ok = each_part(notation, [&](int count, char) {
    total += count;
    return true;
  });
  return ok ? total : -1;
}

bool bban_matches(std::string_view bban, std::string_view notation) {
  std::size_t at = 0;
  const bool ok = each_part(notation, [&](int count, char kind) {
    for (int i = 0; i < count; ++i, ++at) {
      if (at >= bban.size()) return false;
      const char c = bban[at];
      const bool fits = kind == 'n'   ? is_digit(c)
                        : kind == 'a' ? is_upper(c)
                        : kind == 'c' ? is_digit(c) || is_upper(c) || is_lower(c)
                                      : false;
      if (!fits) return false;
    }
    return true;
  });
  return ok && at == bban.size();
}

bool iban_check_digits_match(std::string_view iban) {
  if (iban.size() < 5) return false;
  unsigned remainder = 0;
  const auto add = [&remainder](char c) {
    if (is_digit(c)) {
      remainder = (remainder * 10 + static_cast<unsigned>(c - '0')) % 97;
    } else if (is_upper(c)) {
      remainder = (remainder * 100 + static_cast<unsigned>(c - 'A' + 10)) % 97;
    } else {
      return false;
    }
    return true;
  };
  for (std::size_t i = 4; i < iban.size(); ++i) {
    if (!add(iban[i])) return false;
  }
  for (std::size_t i = 0; i < 4; ++i) {
    if (!add(iban[i])) return false;
  }
  return remainder == 1;
}

}  // namespace tolvex
