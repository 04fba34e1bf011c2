// The IBAN registry's formats by country, and the checks an IBAN can be held to beyond its form.
#pragma once

#include <span>
#include <string_view>

namespace tolvex {

// The registry's release the table was taken from.
inline constexpr std::string_view kIbanRegistryRelease = "release 98 (2024) of the SWIFT IBAN Registry";

struct IbanFormat {
  std::string_view country;  // ISO 3166 alpha-2
  int length;                // of the whole IBAN
  std::string_view bban;     // the registry's notation: "4!n6!n10!n"
};

// Every country of the registry, sorted by country.
[[nodiscard]] std::span<const IbanFormat> iban_formats();

// The format of a country, or null when the registry does not list it.
[[nodiscard]] const IbanFormat* iban_format(std::string_view country);

// Whether the text matches the registry's notation: n digits, a capital letters, c letters or
// digits, each with its count ("!" is a fixed count).
[[nodiscard]] bool bban_matches(std::string_view bban, std::string_view notation);

// Total length the notation gives.
[[nodiscard]] int bban_length(std::string_view notation);

// The ISO 7064 mod 97-10 check of an IBAN of letters and digits: the first four characters
// moved to the end, letters as 10 to 35, the number modulo 97 is 1.
[[nodiscard]] bool iban_check_digits_match(std::string_view iban);

}  // namespace tolvex
