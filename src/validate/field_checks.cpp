#include "validate/field_checks.h"

namespace tolvex {
namespace {

constexpr bool is_digit(char c) { return c >= '0' && c <= '9'; }
constexpr bool is_capital(char c) { return c >= 'A' && c <= 'Z'; }
constexpr bool is_capital_or_digit(char c) { return is_capital(c) || is_digit(c); }

ErrorCode check_three_capitals(std::string_view name, const Text& text, const Message& failure) {
  if (!text) return report_field(name, messages::kCannotBeNull);
  const std::string& code = *text;
  const bool valid = code.size() == 3 && is_capital(code[0]) && is_capital(code[1]) && is_capital(code[2]);
  return valid ? ERROR_OK : report_field(name, failure);
}

}  // namespace

ErrorCode check_not_blank(std::string_view name, const Text& text) {
  if (!text) return report_field(name, messages::kCannotBeNull);
  if (text->find_last_not_of(" \t\n\r") == std::string::npos) {
    return report_field(name, messages::kCannotBeEmpty);
  }
  return ERROR_OK;
}

ErrorCode check_date(std::string_view name, const Text& text) {
  if (!text) return report_field(name, messages::kCannotBeNull);
  const std::string_view date = *text;
  bool form = date.size() == 10 && date[4] == '-' && date[7] == '-';
  for (const std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9}) form = form && is_digit(date[i]);
  if (!form) return report_field(name, messages::kIsInvalidDateFormat);
  // Month and day compared as text: 02-30 passes, 01-00 and 13-01 do not.
  const std::string_view month_day = date.substr(5);
  if (month_day < "01-01" || month_day > "12-31") {
    return report_field(name, messages::kDayOrMonthOutOfRange);
  }
  return ERROR_OK;
}

ErrorCode check_country_code(std::string_view name, const Text& text) {
  return check_three_capitals(name, text, messages::kIsInvalidCountryCode);
}

ErrorCode check_currency_code(std::string_view name, const Text& text) {
  return check_three_capitals(name, text, messages::kIsInvalidCurrencyCode);
}

ErrorCode check_unit_interval(std::string_view name, const Decimal& value) {
  if (!value) return report_field(name, messages::kCannotBeNull);
  if (!(*value >= 0.0 && *value <= 1.0)) {
    return report_field(name, messages::kMustBeBetweenZeroAndOne);
  }
  return ERROR_OK;
}

ErrorCode check_non_negative(std::string_view name, const Integer& value) {
  if (!value) return report_field(name, messages::kCannotBeNull);
  return *value >= 0 ? ERROR_OK : report_field(name, messages::kCannotBeNegative);
}

ErrorCode check_non_negative(std::string_view name, const Decimal& value) {
  if (!value) return report_field(name, messages::kCannotBeNull);
  return *value >= 0.0 ? ERROR_OK : report_field(name, messages::kCannotBeNegative);
}

ErrorCode check_int_range(std::string_view name, const Integer& value, std::int32_t low, std::int32_t high) {
  if (!value || (*value >= low && *value <= high)) return ERROR_OK;
  return report_field(name, messages::kIsOutOfRange);
}

ErrorCode check_flags(std::string_view name, const FlagSet& flags, int count) {
  if (!flags) return report_field(name, messages::kCannotBeNull);
  const std::uint32_t known = count >= 32 ? ~std::uint32_t{0} : (std::uint32_t{1} << count) - 1;
  if ((static_cast<std::uint32_t>(*flags) & ~known) != 0) {
    return report_field(name, messages::kContainsInvalidValues);
  }
  return ERROR_OK;
}

ErrorCode check_digits(std::string_view name, const Text& text, std::size_t max_length) {
  if (!text) return report_field(name, messages::kCannotBeNull);
  // Bytes past the maximum are not examined: an over-long text is reported as too long.
  for (const char c : std::string_view(*text).substr(0, max_length)) {
    if (!is_digit(c)) return report_field(name, messages::kCanContainOnlyDigits);
  }
  if (text->size() > max_length) return report_field(name, messages::kIsTooLong);
  return ERROR_OK;
}

ErrorCode check_iban(std::string_view name, const Text& text) {
  if (!text) return report_field(name, messages::kCannotBeNull);
  constexpr std::size_t kMaxLength = 34;
  const std::string_view iban = std::string_view(*text).substr(0, kMaxLength);
  for (std::size_t i = 0; i < iban.size(); ++i) {
    const bool valid = i < 2 ? is_capital(iban[i]) : i < 4 ? is_digit(iban[i]) : is_capital_or_digit(iban[i]);
    if (!valid) return report_field(name, messages::kIsInvalid);
  }
  return ERROR_OK;
}

ErrorCode check_bic(std::string_view name, const Text& text) {
  if (!text) return report_field(name, messages::kCannotBeNull);
  const std::string_view bic = *text;
  bool valid = bic.size() == 8 || bic.size() == 11;
  for (std::size_t i = 0; valid && i < bic.size(); ++i) {
    valid = i < 6 ? is_capital(bic[i]) : is_capital_or_digit(bic[i]);
  }
  return valid ? ERROR_OK : report_field(name, messages::kIsInvalid);
}

ErrorCode check_choice(std::initializer_list<ChoiceField> fields) {
  bool seen = false;
  for (const ChoiceField& field : fields) {
    if (!field.present) continue;
    if (seen) return report_field(field.name, messages::kConflictsWithAnotherField);
    seen = true;
  }
  if (seen || fields.size() == 0) return ERROR_OK;
  return report_field(fields.begin()->name, messages::kNoChoiceFieldGiven);
}

ErrorCode check_period(const Text& start, const Text& end) {
  if (!start && !end) return ERROR_OK;
  if (!start) return report_field("PeriodFromDate", messages::kCannotBeNull);
  if (const ErrorCode code = check_date("PeriodFromDate", start)) return code;
  if (const ErrorCode code = check_date("PeriodToDate", end)) return code;
  // Byte order of well-formed dates is date order.
  if (*start > *end) return report(messages::kPeriodFromDateAfterPeriodToDate);
  return ERROR_OK;
}

}  // namespace tolvex
