// The field checks, one table per check: the value, and the detail and code recorded when it fails.
#include "validate/field_checks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tolvex {
namespace {

constexpr const char* kPass = nullptr;

struct Case {
  std::string label;
  std::function<ErrorCode()> check;
  const char* line;  // the error line, or kPass
  ErrorCode code = ERROR_INVALID_VALUE;
};

void run(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    set_error_message(ERROR_OK, "untouched");
    const ErrorCode code = c.check();
    if (c.line == kPass) {
      EXPECT_EQ(code, ERROR_OK) << c.label << ": " << error_line();
      EXPECT_EQ(last_error().message, "untouched") << c.label;
    } else {
      EXPECT_EQ(code, c.code) << c.label;
      EXPECT_EQ(last_error().code, c.code) << c.label;
      EXPECT_EQ(error_line(), c.line) << c.label;
    }
  }
}

Case text_case(ErrorCode (*check)(std::string_view, const Text&), Text value, const char* line,
               ErrorCode code = ERROR_INVALID_VALUE) {
  return {value.value_or("<absent>"), [=] { return check("F", value); }, line, code};
}

TEST(CheckNotNull, AcceptsAnyPresentField) {
  const Record<int> record = std::make_unique<int>(0);
  const List<int> empty_list = PointerList<int>{};
  run({
      {"empty text", [] { return check_not_null("F", Text("")); }, kPass},
      {"zero", [] { return check_not_null("F", Integer(0)); }, kPass},
      {"record", [&] { return check_not_null("F", record); }, kPass},
      {"empty list", [&] { return check_not_null("F", empty_list); }, kPass},
      {"absent text", [] { return check_not_null("F", Text()); }, "ERROR_INVALID_VALUE: F cannot be NULL. "},
      {"absent record", [] { return check_not_null("F", Record<int>()); },
       "ERROR_INVALID_VALUE: F cannot be NULL. "},
      {"null pointer", [] { return check_not_null("F", static_cast<const int*>(nullptr)); },
       "ERROR_INVALID_VALUE: F cannot be NULL. "},
  });
}

TEST(CheckMustBeNull, RecordsTheCallersMessageWithItsCode) {
  constexpr Message kWhy{ERROR_INVALID_VALUE, " why. "};
  constexpr Message kBecause{ERROR_INVALID_VALUE, "Because."};
  constexpr Message kOtherCode{ERROR_XML, " why. "};
  run({
      {"absent", [&] { return check_must_be_null("F", Text(), kWhy); }, kPass},
      {"present", [&] { return check_must_be_null("F", Text(""), kWhy); }, "ERROR_INVALID_VALUE: F why. "},
      {"no leading space", [&] { return check_must_be_null("F", Integer(0), kBecause); },
       "ERROR_INVALID_VALUE: F Because."},
      {"the message's code", [&] { return check_must_be_null("F", Integer(0), kOtherCode); },
       "ERROR_XML: F why. ", ERROR_XML},
  });
}

TEST(CheckNotBlank, NeedsOneByteBeyondSpaceTabLineFeedReturn) {
  const char* blank = "ERROR_INVALID_VALUE: F cannot be empty. ";
  run({
      text_case(check_not_blank, " a ", kPass),
      text_case(check_not_blank, "\v", kPass),
      text_case(check_not_blank, "", blank),
      text_case(check_not_blank, " \t\r\n", blank),
      text_case(check_not_blank, std::nullopt, "ERROR_INVALID_VALUE: F cannot be NULL. "),
  });
}

TEST(CheckDate, ChecksFormThenMonthAndDayAsText) {
  const char* form = "ERROR_INVALID_VALUE: F is invalid date format. ";
  const char* range = "ERROR_XML: F is invalid date format. Day or month is out of range. ";
  std::vector<Case> cases;
  for (const char* date : {"2024-02-29", "2023-02-29", "2023-02-30", "2023-04-31", "2023-05-00", "2023-10-45",
                           "2026-01-01", "2026-12-31", "0000-01-01"}) {
    cases.push_back(text_case(check_date, date, kPass));
  }
  for (const char* date :
       {"2023-00-15", "2023-01-00", "2023-13-01", "2023-12-32", "2024-13-01", "2023-99-99"}) {
    cases.push_back(text_case(check_date, date, range, ERROR_XML));
  }
  for (const char* date : {"20240101", "2023-1-5", "2023/01/05", "2023-01-051", "2023-0a-05", "y023-01-05",
                           "2023-01-0 ", " 2023-01-05", ""}) {
    cases.push_back(text_case(check_date, date, form));
  }
  cases.push_back(text_case(check_date, std::nullopt, "ERROR_INVALID_VALUE: F cannot be NULL. "));
  run(cases);
}

TEST(CheckCodes, AcceptThreeCapitalLetters) {
  const char* currency = "ERROR_INVALID_VALUE: F is invalid currency code. ";
  const char* country = "ERROR_INVALID_VALUE: F is invalid country code. ";
  run({
      text_case(check_currency_code, "EUR", kPass),
      text_case(check_currency_code, "XYZ", kPass),
      text_case(check_currency_code, "eur", currency),
      text_case(check_currency_code, "EURO", currency),
      text_case(check_currency_code, "EU", currency),
      text_case(check_currency_code, "E1R", currency),
      text_case(check_currency_code, std::nullopt, "ERROR_INVALID_VALUE: F cannot be NULL. "),
      text_case(check_country_code, "SVK", kPass),
      text_case(check_country_code, "SK", country),
      text_case(check_country_code, "svk", country),
      text_case(check_country_code, std::nullopt, "ERROR_INVALID_VALUE: F cannot be NULL. "),
  });
}

TEST(CheckNumbers, UnitIntervalNonNegativeAndRange) {
  const char* interval = "ERROR_INVALID_VALUE: F is invalid, value must be between 0 and 1 inclusive. ";
  const char* negative = "ERROR_INVALID_VALUE: F cannot be negative. ";
  const char* null = "ERROR_INVALID_VALUE: F cannot be NULL. ";
  const char* range = "ERROR_INVALID_VALUE: F is out of range. ";
  run({
      {"0", [] { return check_unit_interval("F", 0.0); }, kPass},
      {"0.2", [] { return check_unit_interval("F", 0.2); }, kPass},
      {"1", [] { return check_unit_interval("F", 1.0); }, kPass},
      {"-0.01", [] { return check_unit_interval("F", -0.01); }, interval},
      {"1.01", [] { return check_unit_interval("F", 1.01); }, interval},
      {"20", [] { return check_unit_interval("F", 20.0); }, interval},
      {"nan", [] { return check_unit_interval("F", std::nan("")); }, interval},
      {"absent", [] { return check_unit_interval("F", Decimal()); }, null},
      {"int 0", [] { return check_non_negative("F", Integer(0)); }, kPass},
      {"int -1", [] { return check_non_negative("F", Integer(-1)); }, negative},
      {"int absent", [] { return check_non_negative("F", Integer()); }, null},
      {"decimal 0", [] { return check_non_negative("F", Decimal(0.0)); }, kPass},
      {"decimal -0.01", [] { return check_non_negative("F", Decimal(-0.01)); }, negative},
      {"decimal absent", [] { return check_non_negative("F", Decimal()); }, null},
      {"range absent", [] { return check_int_range("F", Integer(), 5, 1); }, kPass},
      {"range low", [] { return check_int_range("F", Integer(1), 1, 7); }, kPass},
      {"range high", [] { return check_int_range("F", Integer(7), 1, 7); }, kPass},
      {"range below", [] { return check_int_range("F", Integer(0), 1, 7); }, range},
      {"range above", [] { return check_int_range("F", Integer(8), 1, 7); }, range},
  });
}

TEST(CheckFlags, RefusesBitsBeyondTheNames) {
  const char* invalid = "ERROR_INVALID_VALUE: F contains invalid values. ";
  run({
      {"0", [] { return check_flags("F", FlagSet(0), 3); }, kPass},
      {"7 of 3", [] { return check_flags("F", FlagSet(7), 3); }, kPass},
      {"8 of 3", [] { return check_flags("F", FlagSet(8), 3); }, invalid},
      {"127 of 7", [] { return check_flags("F", FlagSet(127), 7); }, kPass},
      {"128 of 7", [] { return check_flags("F", FlagSet(128), 7); }, invalid},
      {"sign bit", [] { return check_flags("F", FlagSet(INT32_MIN), 7); }, invalid},
      {"absent", [] { return check_flags("F", FlagSet(), 3); }, "ERROR_INVALID_VALUE: F cannot be NULL. "},
  });
}

TEST(CheckDigits, ExaminesOnlyTheFirstMaximumBytes) {
  const char* digits = "ERROR_INVALID_VALUE: F is invalid. Can contain only digits. ";
  const char* too_long = "ERROR_INVALID_VALUE: F is too long. ";
  const auto digits_case = [](Text text, std::size_t max, const char* line) {
    return Case{text.value_or("<absent>"), [=] { return check_digits("F", text, max); }, line};
  };
  run({
      digits_case("0123456789", 10, kPass),
      digits_case("", 10, kPass),
      digits_case("01234567890", 10, too_long),
      digits_case("12a", 10, digits),
      digits_case(" 12", 10, digits),
      digits_case("1234", 4, kPass),
      digits_case("12345", 4, too_long),
      digits_case("12345a", 4, too_long),
      digits_case("1a345", 4, digits),
      digits_case(std::nullopt, 4, "ERROR_INVALID_VALUE: F cannot be NULL. "),
  });
}

TEST(CheckIban, ChecksTheFormPositionByPosition) {
  const char* invalid = "ERROR_INVALID_VALUE: F is invalid. ";
  run({
      text_case(check_iban, "CZ6508000000192000145399", kPass),
      text_case(check_iban, "SK3112000000198742637541", kPass),
      text_case(check_iban, "CZ65", kPass),
      text_case(check_iban, "C", kPass),
      text_case(check_iban, "", kPass),
      text_case(check_iban, "MT84MALT011000012345MTLCAST001S", kPass),
      text_case(check_iban, "CZ65" + std::string(30, 'A') + "a", kPass),
      text_case(check_iban, "CZ65" + std::string(29, 'A') + "a", invalid),
      text_case(check_iban, "cz6508000000192000145399", invalid),
      text_case(check_iban, "CZA508000000192000145399", invalid),
      text_case(check_iban, "CZ6X08000000192000145399", invalid),
      text_case(check_iban, "CZ65 0800 0000 1920 0014 5399", invalid),
      text_case(check_iban, "CZ650800000019200014539x", invalid),
      text_case(check_iban, std::nullopt, "ERROR_INVALID_VALUE: F cannot be NULL. "),
  });
}

TEST(CheckBic, NeedsEightOrElevenBytesStartingWithSixLetters) {
  const char* invalid = "ERROR_INVALID_VALUE: F is invalid. ";
  run({
      text_case(check_bic, "KOMBCZPP", kPass),
      text_case(check_bic, "GIBACZPX", kPass),
      text_case(check_bic, "TATRSKBX123", kPass),
      text_case(check_bic, "ABCDEF12", kPass),
      text_case(check_bic, "KOMBCZP", invalid),
      text_case(check_bic, "KOMBCZPPX", invalid),
      text_case(check_bic, "KOMBCZPP12", invalid),
      text_case(check_bic, "KOMB1ZPP", invalid),
      text_case(check_bic, "KOMBCZpp", invalid),
      text_case(check_bic, "KOMBCZPPxxx", invalid),
      text_case(check_bic, std::nullopt, "ERROR_INVALID_VALUE: F cannot be NULL. "),
  });
}

TEST(CheckList, NeedsItemsAndNoNullItem) {
  const auto list_of = [](std::initializer_list<bool> present) {
    List<int> list = PointerList<int>{};
    for (const bool p : present) list->append(p ? std::make_unique<int>(1) : nullptr);
    return list;
  };
  const List<int> one = list_of({true}), empty = list_of({}), with_null = list_of({true, false, true});
  run({
      {"one", [&] { return check_list("L", one); }, kPass},
      {"absent", [] { return check_list("L", List<int>()); }, "ERROR_INVALID_VALUE: L cannot be NULL. "},
      {"empty", [&] { return check_list("L", empty); }, "ERROR_INVALID_VALUE: L list cannot be empty. "},
      {"null item", [&] { return check_list("L", with_null); },
       "ERROR_INVALID_VALUE: L list cannot contain NULL value. "},
  });
}

TEST(CheckChoice, NamesTheSecondPresentOrTheFirstWhenNone) {
  run({
      {"first only",
       [] {
         return check_choice({{"A", true}, {"B", false}});
       },
       kPass},
      {"second only",
       [] {
         return check_choice({{"A", false}, {"B", true}});
       },
       kPass},
      {"both",
       [] {
         return check_choice({{"A", true}, {"B", true}});
       },
       "ERROR_INVALID_VALUE: B conflicts with another field value. "},
      {"second and third",
       [] {
         return check_choice({{"A", false}, {"B", true}, {"C", true}});
       },
       "ERROR_INVALID_VALUE: C conflicts with another field value. "},
      {"none",
       [] {
         return check_choice({{"A", false}, {"B", false}});
       },
       "ERROR_INVALID_VALUE: A or the other(s) choice field(s) cannot be NULL. "},
  });
}

TEST(CheckPeriod, NeedsBothDatesInOrder) {
  const auto period_case = [](Text start, Text end, const char* line, ErrorCode code = ERROR_INVALID_VALUE) {
    return Case{start.value_or("-") + " " + end.value_or("-"), [=] { return check_period(start, end); }, line,
                code};
  };
  run({
      period_case(std::nullopt, std::nullopt, kPass),
      period_case("2026-05-01", "2026-05-01", kPass),
      period_case("2026-04-30", "2026-05-01", kPass),
      period_case(std::nullopt, "2026-05-01", "ERROR_INVALID_VALUE: PeriodFromDate cannot be NULL. "),
      period_case("2026-05-01", std::nullopt, "ERROR_INVALID_VALUE: PeriodToDate cannot be NULL. "),
      period_case("2026-5-1", std::nullopt, "ERROR_INVALID_VALUE: PeriodFromDate is invalid date format. "),
      period_case("2026-05-01", "2026-13-01",
                  "ERROR_XML: PeriodToDate is invalid date format. Day or month is out of range. ",
                  ERROR_XML),
      period_case("2024-05-01", "2024-04-30", "ERROR_INVALID_VALUE: PeriodFromDate is after PeriodToDate.  "),
  });
}

}  // namespace
}  // namespace tolvex
