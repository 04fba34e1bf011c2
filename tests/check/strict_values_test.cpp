#include <gtest/gtest.h>

#include <set>
#include <string>

#include "check/iban_registry.h"
#include "check/strict_values.h"

namespace tolvex {
namespace {

TEST(IbanRegistry, EveryFormatAddsUpToItsLengthAndCountriesAreSortedOnce) {
  std::set<std::string_view> seen;
  std::string_view previous;
  for (const IbanFormat& format : iban_formats()) {
    EXPECT_EQ(4 + bban_length(format.bban), format.length) << format.country;
    EXPECT_LT(previous, format.country) << "sorted for lookup";
    EXPECT_TRUE(iso_country(format.country) || format.country == "XK") << format.country;
    previous = format.country;
    seen.insert(format.country);
  }
  EXPECT_GE(seen.size(), 85u);
}

TEST(IbanRegistry, CheckDigitsAndFormatsOfSeveralCountries) {
  struct Case {
    std::string_view iban;
    bool digits;
    bool format;
  };
  const Case cases[] = {
      {"DE89370400440532013000", true, true},
      {"GB82WEST12345698765432", true, true},
      {"FR1420041010050500013M02606", true, true},
      {"NL91ABNA0417164300", true, true},
      {"CZ6508000000192000145399", true, true},
      {"SK3112000000198742637541", true, true},
      {"NO9386011117947", true, true},
      {"MT84MALT011000012345MTLCAST001S", true, true},
      {"BE68539007547034", true, true},
      {"SK3112000000198742637542", false, true},   // last digit changed
      {"DE89370400440532013001", false, true},
      {"GB82WEST1234569876543X", false, false},    // a letter where the account's digits go
      {"NL91ABNA04171643", false, false},          // two digits short
      {"XX12", false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(iban_check_digits_match(c.iban), c.digits) << c.iban;
    const IbanFormat* format = iban_format(c.iban.substr(0, 2));
    const bool fits = format != nullptr && static_cast<int>(c.iban.size()) == format->length &&
                      bban_matches(c.iban.substr(4), format->bban);
    EXPECT_EQ(fits, c.format) << c.iban;
  }
  EXPECT_EQ(iban_format("XX"), nullptr);
  EXPECT_FALSE(iban_check_digits_match("de89370400440532013000")) << "lower case is no IBAN";
}

TEST(StrictValues, CalendarDatesWithLeapYears) {
  const std::pair<std::string_view, bool> cases[] = {
      {"2024-02-29", true},  {"2026-02-28", true},  {"2000-02-29", true},  {"2026-02-29", false},
      {"1900-02-29", false}, {"2026-02-30", false}, {"2026-04-31", false}, {"2026-12-31", true},
      {"2026-13-01", false}, {"2026-00-10", false}, {"2026-01-00", false}, {"2026-1-01", false},
      {"2026-01-0a", false}, {"20260101", false},
  };
  for (const auto& [date, valid] : cases) EXPECT_EQ(calendar_date(date), valid) << date;
}

TEST(StrictValues, CurrenciesAndTheirMinorUnits) {
  const std::pair<std::string_view, std::optional<int>> cases[] = {
      {"EUR", 2}, {"CZK", 2}, {"JPY", 0}, {"ISK", 0}, {"KWD", 3}, {"BHD", 3},
      {"CZX", std::nullopt}, {"XAU", std::nullopt}, {"eur", std::nullopt},
  };
  for (const auto& [code, minor] : cases) EXPECT_EQ(currency_minor_unit(code), minor) << code;
  EXPECT_TRUE(iso_currency("EUR"));
  EXPECT_FALSE(iso_currency("CZX"));
  EXPECT_FALSE(iso_currency("DEM")) << "withdrawn currencies are not in current use";
  EXPECT_TRUE(iso_country("SK"));
  EXPECT_FALSE(iso_country("QQ"));
}

TEST(StrictValues, SignificantDecimalsAsWritten) {
  const std::pair<std::string_view, std::optional<int>> cases[] = {
      {"12480.005", 3}, {"12480.00", 0}, {"12.50", 1}, {"7", 0},     {"1.5e1", 0},  {"1.25e-1", 3},
      {"1500e-2", 0},   {"-0.001", 3},   {".5", 1},    {"1.", 0},    {"abc", std::nullopt},
      {"1.2.3", std::nullopt},           {"", std::nullopt},        {"1e", std::nullopt},
  };
  for (const auto& [number, decimals] : cases) EXPECT_EQ(significant_decimals(number), decimals) << number;
}

}  // namespace
}  // namespace tolvex
