// Values as a person reads them: amounts by currency, numbers, percentages, account groups and
// single-line texts, each a table of inputs and the exact text.
#include "readable/readable.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "tolvex/invoice.hpp"
#include "tolvex/pay.hpp"

namespace tolvex {
namespace {

struct AmountCase {
  double amount;
  const char* currency;
  const char* text;
};

const std::vector<AmountCase> kAmounts = {
    {0, "EUR", "0.00 EUR"},
    {0.5, "EUR", "0.50 EUR"},
    {1250, "EUR", "1,250.00 EUR"},
    {1234567.891, "EUR", "1,234,567.89 EUR"},
    {0, "JPY", "0 JPY"},
    {0.5, "JPY", "1 JPY"},  // half away from zero, not to even
    {1250, "JPY", "1,250 JPY"},
    {1234567.891, "JPY", "1,234,568 JPY"},
    {0, "BHD", "0.000 BHD"},
    {0.5, "BHD", "0.500 BHD"},
    {1250, "BHD", "1,250.000 BHD"},
    {1234567.891, "BHD", "1,234,567.891 BHD"},
    {-1840, "CZK", "-1,840.00 CZK"},
    {-1234567.891, "KWD", "-1,234,567.891 KWD"},
    {-0.5, "KRW", "-1 KRW"},
    {-0.004, "EUR", "0.00 EUR"},  // rounds to nothing: no sign
    {-0.0, "EUR", "0.00 EUR"},
    {0.125, "EUR", "0.13 EUR"},        // an exact tie
    {1.005, "EUR", "1.01 EUR"},        // held just below, written as a tie
    {999.995, "EUR", "1,000.00 EUR"},  // the carry runs into a new group
    {999999.5, "JPY", "1,000,000 JPY"},
    {0.1 + 0.2, "EUR", "0.30 EUR"},
    {100, "", "100.00"},
    {12.3456, "TND", "12.346 TND"},
    {12.3456, "XYZ", "12.35 XYZ"},  // an unknown code has two decimals
    {1e20, "USD", "100,000,000,000,000,000,000.00 USD"},
    {std::numeric_limits<double>::infinity(), "EUR", "inf EUR"},
    {-std::numeric_limits<double>::infinity(), "EUR", "-inf EUR"},
    {std::nan(""), "EUR", "nan EUR"},
};

TEST(FormatAmount, ByCurrencyWithSeparatorsAndRounding) {
  for (const AmountCase& c : kAmounts) {
    EXPECT_EQ(format_amount(c.amount, c.currency), c.text) << c.amount << " " << c.currency;
  }
}

TEST(FormatAmount, ACurrencyWithControlCharactersStaysOnTheLine) {
  EXPECT_EQ(format_amount(1, "E\nR"), "1.00 E R");
}

TEST(CurrencyDecimals, ZeroThreeOrTwo) {
  const struct {
    const char* currency;
    int decimals;
  } cases[] = {{"JPY", 0}, {"KRW", 0}, {"ISK", 0}, {"BHD", 3}, {"KWD", 3}, {"TND", 3},
               {"OMR", 3}, {"EUR", 2}, {"CZK", 2}, {"", 2},    {"jpy", 2}, {"JPYX", 2}};
  for (const auto& c : cases) EXPECT_EQ(currency_decimals(c.currency), c.decimals) << c.currency;
}

TEST(FormatNumber, AsFewDecimalsAsNeeded) {
  const struct {
    double value;
    const char* text;
  } cases[] = {{0, "0"},
               {40, "40"},
               {-2, "-2"},
               {1234.5, "1,234.5"},
               {25.185, "25.185"},
               {0.123456789, "0.12345679"},
               {1e-9, "0"},
               {-1e-9, "0"},
               {1000000, "1,000,000"}};
  for (const auto& c : cases) EXPECT_EQ(format_number(c.value), c.text) << c.value;
}

TEST(FormatPercent, WithoutBinaryResidue) {
  const struct {
    double fraction;
    const char* text;
  } cases[] = {{0.21, "21 %"}, {0.12, "12 %"}, {0.07, "7 %"}, {0.125, "12.5 %"}, {0, "0 %"}, {1, "100 %"}};
  for (const auto& c : cases) EXPECT_EQ(format_percent(c.fraction), c.text) << c.fraction;
}

TEST(GroupByFour, CharactersNotBytes) {
  const struct {
    const char* text;
    const char* grouped;
  } cases[] = {
      {"", ""},
      {"CZ6", "CZ6"},
      {"CZ65", "CZ65"},
      {"CZ650", "CZ65 0"},
      {"CZ6508000000", "CZ65 0800 0000"},
      {"CZ65080000000", "CZ65 0800 0000 0"},
      {"SK9811000000002938475612", "SK98 1100 0000 0029 3847 5612"},
      {"\xC3\x84\xC3\x96\xC3\x9C\xC3\x9F\xC3\xA4", "\xC3\x84\xC3\x96\xC3\x9C\xC3\x9F \xC3\xA4"},  // ÄÖÜß ä
  };
  for (const auto& c : cases) EXPECT_EQ(group_by_four(c.text), c.grouped) << c.text;
}

TEST(SingleLine, ControlCharactersBecomeSpaces) {
  const struct {
    std::string text;
    std::string line;
  } cases[] = {
      {"plain", "plain"},
      {"two\nlines", "two lines"},
      {"a\r\nb", "a  b"},
      {"tab\there", "tab here"},
      {std::string("nul\0x", 5), "nul x"},
      {"del\x7F", "del "},
      {"c1\xC2\x85next", "c1 next"},         // U+0085, next line
      {"\xC2\xA0nbsp", "\xC2\xA0nbsp"},      // U+00A0 is no control character
      {"Nájemné byt 12", "Nájemné byt 12"},  // UTF-8 kept as read
      {"cut\xC2", "cut\xC2"},                // a lone lead byte at the end is kept
  };
  for (const auto& c : cases) EXPECT_EQ(single_line(c.text), c.line) << c.text;
}

TEST(WordsOf, CapitalisedNamesAsWords) {
  EXPECT_EQ(words_of("ProformaInvoice"), "Proforma invoice");
  EXPECT_EQ(words_of("CreditNote"), "Credit note");
  EXPECT_EQ(words_of("Invoice"), "Invoice");
  EXPECT_EQ(words_of("cashOnDelivery"), "cash on delivery");
  EXPECT_EQ(words_of("SEPA"), "SEPA");
}

TEST(FlagNames, InBitOrder) {
  EXPECT_EQ(flag_names(1 | 4, kMonthNames), "January, March");
  EXPECT_EQ(flag_names(2048, kMonthNames), "December");
  EXPECT_EQ(flag_names(0, kMonthNames), "none");
  EXPECT_EQ(flag_names(1 << 20, kMonthNames), "none");  // no name for the bit
  EXPECT_EQ(flag_names(1 | 8, kPaymentMeansNames, true), "money transfer, credit card");
}

TEST(PeriodOf, EitherEndMayBeMissing) {
  EXPECT_EQ(period_of(Text("2026-01-01"), Text("2026-01-31")), "2026-01-01 to 2026-01-31");
  EXPECT_EQ(period_of(Text("2026-01-01"), std::nullopt), "from 2026-01-01");
  EXPECT_EQ(period_of(std::nullopt, Text("2026-01-31")), "until 2026-01-31");
  EXPECT_EQ(period_of(std::nullopt, std::nullopt), "");
}

// A program that has chosen a locale with a decimal comma and "." between thousands.
TEST(FormatAmount, IndependentOfTheProcessLocale) {
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) GTEST_SKIP() << "de_DE.UTF-8 locale not installed";
  const std::string amount = format_amount(1234567.891, "EUR");
  const std::string number = format_number(25.185);
  const std::string percent = format_percent(0.125);
  std::setlocale(LC_ALL, saved.c_str());
  EXPECT_EQ(amount, "1,234,567.89 EUR");
  EXPECT_EQ(number, "25.185");
  EXPECT_EQ(percent, "12.5 %");
}

}  // namespace
}  // namespace tolvex
