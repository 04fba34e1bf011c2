// The field checks that the family rules are written with. Each passes with 0 or records the
// field's name as message, the failure as detail, and returns the code (ERROR_INVALID_VALUE,
// or ERROR_XML for a date whose month or day is out of range). None changes a field.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "base/error.h"
#include "base/messages.h"
#include "tolvex/value.hpp"

namespace tolvex {

// Any field held as optional, record, list or pointer: it must be present.
template <typename Field>
[[nodiscard]] ErrorCode check_not_null(std::string_view name, const Field& field) {
  return field ? ERROR_OK : report_field(name, messages::kCannotBeNull);
}

// The field must be absent; failure is the caller's explanation.
template <typename Field>
[[nodiscard]] ErrorCode check_must_be_null(std::string_view name, const Field& field,
                                           const Message& failure) {
  return field ? report_field(name, failure) : ERROR_OK;
}

// Present, with at least one byte other than space, tab, line feed and carriage return.
[[nodiscard]] ErrorCode check_not_blank(std::string_view name, const Text& text);

// YYYY-MM-DD with digits, and month-day between 01-01 and 12-31 as text; no calendar check.
[[nodiscard]] ErrorCode check_date(std::string_view name, const Text& text);

// Exactly three capital ASCII letters; no list of codes is consulted.
[[nodiscard]] ErrorCode check_country_code(std::string_view name, const Text& text);
[[nodiscard]] ErrorCode check_currency_code(std::string_view name, const Text& text);

// Present and 0 <= value <= 1.
[[nodiscard]] ErrorCode check_unit_interval(std::string_view name, const Decimal& value);

// Present and not negative.
[[nodiscard]] ErrorCode check_non_negative(std::string_view name, const Integer& value);
[[nodiscard]] ErrorCode check_non_negative(std::string_view name, const Decimal& value);

// low <= value <= high; an absent value passes.
[[nodiscard]] ErrorCode check_int_range(std::string_view name, const Integer& value, std::int32_t low,
                                        std::int32_t high);

// Present, with no bit set at position count or higher.
[[nodiscard]] ErrorCode check_flags(std::string_view name, const FlagSet& flags, int count);

// Present, digits only within the first max_length bytes, and at most max_length bytes long.
[[nodiscard]] ErrorCode check_digits(std::string_view name, const Text& text, std::size_t max_length);

// Two capital letters, two digits, then up to 30 capital letters or digits; bytes beyond are not
// examined and there is neither a minimum length nor a check-digit calculation.
[[nodiscard]] ErrorCode check_iban(std::string_view name, const Text& text);

// 8 or 11 bytes: six capital letters, then capital letters or digits.
[[nodiscard]] ErrorCode check_bic(std::string_view name, const Text& text);

// Present, not empty, and without null items (the first null item decides).
template <typename T>
[[nodiscard]] ErrorCode check_list(std::string_view name, const List<T>& list) {
  if (!list) return report_field(name, messages::kCannotBeNull);
  if (list->empty()) return report_field(name, messages::kListCannotBeEmpty);
  for (const auto& item : *list) {
    if (item == nullptr) return report_field(name, messages::kListCannotContainNull);
  }
  return ERROR_OK;
}

struct ChoiceField {
  std::string_view name;
  bool present;
};

// Exactly one of the fields is present. A second present field is named as the conflict; with
// none present, the first field is named.
[[nodiscard]] ErrorCode check_choice(std::initializer_list<ChoiceField> fields);

// PeriodFromDate and PeriodToDate: both absent, or both valid dates with the start not after the end.
[[nodiscard]] ErrorCode check_period(const Text& start, const Text& end);

}  // namespace tolvex
