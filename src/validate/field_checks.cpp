#include "validate/field_checks.h"

namespace tolvex {
namespace {

constexpr bool is_digit(char c) { return c >= '0' && c <= '9'; }
constexpr bool is_capital(char c) { return c >= 'A' && c <= 'Z'; }
constexpr bool is_capital_or_digit(char c) { return is_capital(c) || is_digit(c); }

ErrorCode check_three_capitals(std::string_view name, const Text& text, std::string_view detail) {
  if (!text) return set_error(ERROR_INVALID_VALUE, name, kCannotBeNull);
  const std::string& code = *text;
  const bool valid = code.size() == 3 && is_capital(code[0]) && is_capital(code[1]) && is_capital(code[2]);
  return valid ? ERROR_OK : set_error(ERROR_INVALID_VALUE, name, detail);
}

}  // namespace

ErrorCode check_not_blank(std::string_view name, const Text& text) {
  if (!text) return set_error(ERROR_INVALID_VALUE, name, kCannotBeNull);
  if (text->find_last_not_of(" \t\n\r") == std::string::npos) {
    return set_error(ERROR_INVALID_VALUE, name, " cannot be empty. ");
  }
  return ERROR_OK;
}

ErrorCode check_date(std::string_view name, const Text& text) {
  if (!text) return set_error(ERROR_INVALID_VALUE, name, kCannotBeNull);
  const std::string_view date = *text;
  bool form = date.size() == 10 && date[4] == '-' && date[7] == '-';
  for (const std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9}) form = form && is_digit(date[i]);
  if (!form) return set_error(ERROR_INVALID_VALUE, name, " is invalid date format. ");
  // Month and day compared as text: 02-30 passes, 01-00 and 13-01 do not.
  const std::string_view month_day = date.substr(5);
  if (month_day < "01-01" || month_day > "12-31") {
    return set_error(ERROR_XML, name, " is invalid date format. Day or month is out of range. ");
  }
  return ERROR_OK;
}

ErrorCode check_country_code(std::string_view name, const Text& text) {
  return check_three_capitals(name, text, " is invalid country code. ");
}

ErrorCode check_currency_code(std::string_view name, const Text& text) {
  return check_three_capitals(name, text, " is invalid currency code. ");
}

ErrorCode check_unit_interval(std::string_view name, const Decimal& value) {
  if (!value) return set_error(ERROR_INVALID_VALUE, name, kCannotBeNull);
  if (!(*value >= 0.0 && *value <= 1.0)) {
    return set_error(ERROR_INVALID_VALUE, name, " is invalid, value must be between 0 and 1 inclusive. ");
  }
  return ERROR_OK;
}

ErrorCode check_non_negative(std::string_view name, const Integer& value) {
  if (!value) return set_error(ERROR_INVALID_VALUE, name, kCannotBeNull);
  return *value >= 0 ? ERROR_OK : set_error(ERROR_INVALID_VALUE, name, " cannot be negative. ");
}

ErrorCode check_non_negative(std::string_view name, const Decimal& value) {
  if (!value) return set_error(ERROR_INVALID_VALUE, name, kCannotBeNull);
  return *value >= 0.0 ? ERROR_OK : set_error(ERROR_INVALID_VALUE, name, " cannot be negative. ");
}

ErrorCode check_int_range(std::string_view name, const Integer& value, std::int32_t low, std::int32_t high) {
  if (!value || (*value >= low && *value <= high)) return ERROR_OK;
  return set_error(ERROR_INVALID_VALUE, name, " is out of range. ");
}

ErrorCode check_flags(std::string_view name, const FlagSet& flags, int count) {
  if (!flags) return set_error(ERROR_INVALID_VALUE, name, kCannotBeNull);
  const std::uint32_t known = count >= 32 ? ~std::uint32_t{0} : (std::uint32_t{1} << count) - 1;
  if ((static_cast<std::uint32_t>(*flags) & ~known) != 0) {
    return set_error(ERROR_INVALID_VALUE, name, " contains invalid values. ");
  }
  return ERROR_OK;
}

ErrorCode check_digits(std::string_view name, const Text& text, std::size_t max_length) {
  if (!text) return set_error(ERROR_INVALID_VALUE, name, kCannotBeNull);
  // Bytes past the maximum are not examined: an over-long text is reported as too long.
  for (const char c : std::string_view(*text).substr(0, max_length)) {
    if (!is_digit(c)) return set_error(ERROR_INVALID_VALUE, name, " is invalid. Can contain only digits. ");
  }
  if (text->size() > max_length) return set_error(ERROR_INVALID_VALUE, name, " is too long. ");
  return ERROR_OK;
}

ErrorCode check_iban(std::string_view name, const Text& text) {
  if (!text) return set_error(ERROR_INVALID_VALUE, name, kCannotBeNull);
  constexpr std::size_t kMaxLength = 34;
  const std::string_view iban = std::string_view(*text).substr(0, kMaxLength);
  for (std::size_t i = 0; i < iban.size(); ++i) {
    const bool valid = i < 2 ? is_capital(iban[i]) : i < 4 ? is_digit(iban[i]) : is_capital_or_digit(iban[i]);
    if (!valid) return set_error(ERROR_INVALID_VALUE, name, " is invalid. ");
  }
  return ERROR_OK;
}

ErrorCode check_bic(std::string_view name, const Text& text) {
  if (!text) return set_error(ERROR_INVALID_VALUE, name, kCannotBeNull);
  const std::string_view bic = *text;
  bool valid = bic.size() == 8 || bic.size() == 11;
  for (std::size_t i = 0; valid && i < bic.size(); ++i) {
    valid = i < 6 ? is_capital(bic[i]) : is_capital_or_digit(bic[i]);
  }
  return valid ? ERROR_OK : set_error(ERROR_INVALID_VALUE, name, " is invalid. ");
}

ErrorCode check_choice(std::initializer_list<ChoiceField> fields) {
  bool seen = false;
  for (const ChoiceField& field : fields) {
    if (!field.present) continue;
    if (seen) return set_error(ERROR_INVALID_VALUE, field.name, " conflicts with another field value. ");
    seen = true;
  }
  if (seen || fields.size() == 0) return ERROR_OK;
  return set_error(ERROR_INVALID_VALUE, fields.begin()->name,
                   " or the other(s) choice field(s) cannot be NULL. ");
}

ErrorCode check_period(const Text& start, const Text& end) {
  if (!start && !end) return ERROR_OK;
  if (!start) return set_error(ERROR_INVALID_VALUE, "PeriodFromDate", kCannotBeNull);
  if (const ErrorCode code = check_date("PeriodFromDate", start)) return code;
  if (const ErrorCode code = check_date("PeriodToDate", end)) return code;
  // Byte order of well-formed dates is date order.
  if (*start > *end) return set_error_message(ERROR_INVALID_VALUE, "PeriodFromDate is after PeriodToDate. ");
  return ERROR_OK;
}

}  // namespace tolvex
