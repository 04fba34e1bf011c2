// Values as a person reads them: amounts with thousands separators and their currency's
// decimals, accounts in groups of four, one line per value. Nothing here consults the C locale,
// so the text is the same whatever locale the embedding program has chosen.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "tolvex/value.hpp"

namespace tolvex {

// The decimals an amount in this currency is written with: 0 or 3 for the currencies that have
// them, 2 for any other code (and for none).
[[nodiscard]] int currency_decimals(std::string_view currency);

// "1,250.00 EUR": rounded half away from zero to the currency's decimals, "," between thousands,
// "." as the decimal mark, a "-" only when the rounded amount is not zero. Without a currency
// only the number, with 2 decimals.
[[nodiscard]] std::string format_amount(double amount, std::string_view currency = {});

// A number with as few decimals as it needs (at most 8) and thousands separators: "1,234.5".
[[nodiscard]] std::string format_number(double value);

// A fraction as a percentage: 0.21 gives "21 %", 0.125 "12.5 %".
[[nodiscard]] std::string format_percent(double fraction);

// The characters in groups of four separated by one space: "CZ65 0800 0000 00". Characters,
// not bytes, are counted, so a multi-byte character is never split.
[[nodiscard]] std::string group_by_four(std::string_view text);

// The text with every control character (C0, DEL and C1, a line feed among them) shown as one
// space, so that a value stays on its line; everything else is kept as read.
[[nodiscard]] std::string single_line(std::string_view text);

// A name written in capitalised words as words: "ProformaInvoice" gives "Proforma invoice",
// "cashOnDelivery" "cash on delivery"; the first letter keeps its case.
[[nodiscard]] std::string words_of(std::string_view name);

// The names of the bits set in flags, in bit order, joined by ", "; bits without a name are
// left out, and a set without a named bit gives "none".
[[nodiscard]] std::string flag_names(std::int32_t flags, std::span<const std::string_view> names,
                                     bool asWords = false);

// A period between two dates: "2026-01-01 to 2026-01-31", "from 2026-01-01", "until 2026-01-31";
// empty when neither is present.
[[nodiscard]] std::string period_of(const Text& from, const Text& to);

}  // namespace tolvex
