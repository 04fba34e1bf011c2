// Numbers as documents write them, whatever locale the embedding program has chosen: "." is the
// only decimal mark, in reading and in writing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tolvex {

// strtol in the "C" locale over the whole text: leading white space and a sign are allowed,
// anything left over is not. Out-of-range values are clamped to the 32-bit bounds.
[[nodiscard]] std::optional<std::int32_t> parse_integer(const char* content);

// A decimal number over the whole text: leading white space, an optional sign, digits with an
// optional "." and fraction, an optional exponent; "." is the only decimal mark and nothing may
// follow. "nan", "inf", hexadecimal forms and numbers too large for a double are refused; a
// number too small for one reads as 0.
[[nodiscard]] std::optional<double> parse_decimal(const char* content);

// The written form of every decimal: fixed notation with 8 decimals, nearest to the double,
// then trailing zeros and a bare point removed ("12.5", "100", "0").
[[nodiscard]] std::string format_decimal(double x);

}  // namespace tolvex
