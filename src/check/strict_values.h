// The value checks that the document's rules leave lenient: calendar dates, ISO codes in use,
// decimals of amounts.
#pragma once

#include <optional>
#include <string_view>

namespace tolvex {

// YYYY-MM-DD naming a day of the proleptic Gregorian calendar (leap years included).
[[nodiscard]] bool calendar_date(std::string_view text);

[[nodiscard]] bool iso_country(std::string_view code);
[[nodiscard]] bool iso_currency(std::string_view code);

// The digits after the decimal mark of an ISO 4217 currency, or none when the currency has no
// minor unit defined (gold, special drawing rights) or is unknown.
[[nodiscard]] std::optional<int> currency_minor_unit(std::string_view code);

// How many decimals a number written as plain decimal (optionally with an exponent) carries,
// trailing zeros not counted: "12480.005" 3, "12.50" 1, "1.5e1" 0. None for text that is no
// such number.
[[nodiscard]] std::optional<int> significant_decimals(std::string_view number);

}  // namespace tolvex
