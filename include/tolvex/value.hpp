// How a document holds its fields. Every field is optional: an absent field has no value,
// which is not the same as an empty text or an empty list.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "tolvex/pointer_list.hpp"

namespace tolvex {

using Text = std::optional<std::string>;  // UTF-8 as read, never trimmed; dates as YYYY-MM-DD
using Integer = std::optional<std::int32_t>;
using Decimal = std::optional<double>;
using Enumeration = std::optional<std::int32_t>;  // position in the enumeration's name list
using FlagSet = std::optional<std::int32_t>;      // bit i stands for the i-th name; 0 is a present, empty set
using CodeText = Text;                            // one of a fixed set of short codes
template <typename T>
using Record = std::unique_ptr<T>;  // null when absent

inline void value_set_text(Text& field, std::string_view text) { field.emplace(text); }
inline void value_set_integer(Integer& field, std::int32_t n) { field = n; }
inline void value_set_decimal(Decimal& field, double x) { field = x; }
inline double value_get_decimal(const Decimal& field) { return field.value_or(0.0); }

}  // namespace tolvex
