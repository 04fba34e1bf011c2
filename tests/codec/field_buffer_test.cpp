#include "codec/field_buffer.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "base/numbers.h"

namespace tolvex {
namespace {

struct DecimalCase {
  double value;
  const char* text;
};

class FormatDecimalTest : public ::testing::TestWithParam<DecimalCase> {};

TEST_P(FormatDecimalTest, WritesEightDecimalsWithoutTrailingZeros) {
  EXPECT_EQ(format_decimal(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Values, FormatDecimalTest,
                         ::testing::Values(DecimalCase{12.5, "12.5"}, DecimalCase{100, "100"},
                                           DecimalCase{0, "0"}, DecimalCase{1.123456789, "1.12345679"},
                                           DecimalCase{-2.5, "-2.5"}, DecimalCase{0.000000004, "0"},
                                           DecimalCase{5e-9, "0.00000001"}, DecimalCase{0.1 + 0.2, "0.3"},
                                           DecimalCase{1234567.12345678, "1234567.12345678"},
                                           DecimalCase{-123456.5, "-123456.5"}, DecimalCase{-0.0, "-0"},
                                           DecimalCase{1e20, "100000000000000000000"},
                                           DecimalCase{0.125, "0.125"}, DecimalCase{-0.000000004, "-0"}));

// Sets a locale for one test and puts the previous one back, also when the test fails.
class ScopedLocale {
 public:
  explicit ScopedLocale(const char* name) : previous_(std::setlocale(LC_ALL, nullptr)) {
    active_ = std::setlocale(LC_ALL, name) != nullptr;
  }
  ~ScopedLocale() { std::setlocale(LC_ALL, previous_.c_str()); }
  bool active() const { return active_; }

 private:
  std::string previous_;
  bool active_ = false;
};

TEST(FormatDecimal, IgnoresTheProcessLocale) {
  const ScopedLocale german("de_DE.UTF-8");
  if (!german.active()) GTEST_SKIP() << "de_DE.UTF-8 is not installed";
  char printed[32];
  std::snprintf(printed, sizeof printed, "%.1f", 12.5);
  ASSERT_STREQ(printed, "12,5") << "the locale does not use a decimal comma";
  EXPECT_EQ(format_decimal(12.5), "12.5");
  EXPECT_EQ(format_decimal(-1234.125), "-1234.125");

  FieldBuffer buffer;
  field_buffer_split(buffer, "12.5\t1,5");
  EXPECT_EQ(field_take_decimal(buffer), 12.5);
  EXPECT_EQ(field_take_decimal(buffer), 0.0);
}

TEST(FieldPut, TextKeepsEverythingButTabs) {
  FieldBuffer buffer;
  field_put_text(buffer, "a\tb");
  field_put_text(buffer, "line\nbreak \r");
  field_put_text(buffer, std::nullopt);
  field_put_text(buffer, "");
  field_put_text(buffer, "\t\t");
  EXPECT_EQ(buffer.fields, (std::vector<std::string>{"a b", "line\nbreak \r", "", "", "  "}));
}

TEST(FieldPut, IntegersAsPercentI) {
  FieldBuffer buffer;
  field_put_integer(buffer, -7);
  field_put_integer(buffer, 0);
  field_put_integer(buffer, 5);
  field_put_integer(buffer, std::numeric_limits<std::int32_t>::min());
  field_put_integer(buffer, std::numeric_limits<std::int32_t>::max());
  field_put_optional_integer(buffer, 12);
  field_put_optional_integer(buffer, std::nullopt);
  field_put_absent(buffer);
  EXPECT_EQ(buffer.fields,
            (std::vector<std::string>{"-7", "0", "5", "-2147483648", "2147483647", "12", "", ""}));
}

TEST(FieldPut, DecimalsThroughFormatDecimal) {
  FieldBuffer buffer;
  field_put_decimal(buffer, 0.1 + 0.2);
  field_put_decimal(buffer, std::nullopt);
  field_put_decimal(buffer, 0.0);
  EXPECT_EQ(buffer.fields, (std::vector<std::string>{"0.3", "", "0"}));
}

struct DateCase {
  Text date;
  const char* field;
};

class FieldPutDateTest : public ::testing::TestWithParam<DateCase> {};

TEST_P(FieldPutDateTest, DropsTheSeparatorsOfTenByteDates) {
  FieldBuffer buffer;
  field_put_date(buffer, GetParam().date);
  ASSERT_EQ(buffer.fields.size(), 1u);
  EXPECT_EQ(buffer.fields[0], GetParam().field);
}

INSTANTIATE_TEST_SUITE_P(Dates, FieldPutDateTest,
                         ::testing::Values(DateCase{"2024-01-15", "20240115"},
                                           DateCase{"2024/01/15", "20240115"}, DateCase{"2024-1-15", ""},
                                           DateCase{"2024-01-155", ""}, DateCase{"abcdefghij", "abcdfgij"},
                                           DateCase{"", ""}, DateCase{std::nullopt, ""}));

TEST(FieldBufferSplit, CutsAtEveryTab) {
  struct Case {
    const char* text;
    std::vector<std::string> fields;
  };
  const std::vector<Case> cases = {
      {"a\t\tb", {"a", "", "b"}},     {"", {""}}, {"\t", {"", ""}}, {"only", {"only"}},
      {"x\ty\n\t", {"x", "y\n", ""}},
  };
  for (const Case& c : cases) {
    FieldBuffer buffer;
    buffer.cursor = 3;
    field_buffer_split(buffer, c.text);
    EXPECT_EQ(buffer.fields, c.fields) << c.text;
    EXPECT_EQ(buffer.cursor, 0u);
    EXPECT_EQ(field_buffer_join(buffer), c.text);
  }
}

TEST(FieldTake, TextAndCursor) {
  FieldBuffer buffer;
  field_buffer_split(buffer, "a\t\tb");
  EXPECT_EQ(field_take_text(buffer), "a");
  EXPECT_EQ(field_take_text(buffer), std::nullopt);
  EXPECT_EQ(buffer.cursor, 2u);
  EXPECT_EQ(field_take_text(buffer), "b");
  EXPECT_EQ(field_take_text(buffer), std::nullopt);
  EXPECT_EQ(field_take_integer(buffer), 0);
  EXPECT_EQ(field_take_optional_integer(buffer), std::nullopt);
  EXPECT_EQ(field_take_decimal(buffer), std::nullopt);
  EXPECT_EQ(field_take_date(buffer), std::nullopt);
  EXPECT_EQ(buffer.cursor, 3u);
}

TEST(FieldTake, Integers) {
  FieldBuffer buffer;
  field_buffer_split(buffer, "42\t 42\t42 \t-7\tx\t99999999999\t-99999999999\t\t+3\t4.0");
  const std::vector<std::int32_t> expected = {42, 42, 0, -7, 0, 2147483647, -2147483648, 0, 3, 0};
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(field_take_integer(buffer), expected[i]) << i;
}

TEST(FieldTake, OptionalIntegersAreAbsentOnlyWhenEmpty) {
  FieldBuffer buffer;
  field_buffer_split(buffer, "5\t\tabc\t-7");
  EXPECT_EQ(field_take_optional_integer(buffer), 5);
  EXPECT_EQ(field_take_optional_integer(buffer), std::nullopt);
  EXPECT_EQ(field_take_optional_integer(buffer), 0);
  EXPECT_EQ(field_take_optional_integer(buffer), -7);
}

TEST(FieldTake, Decimals) {
  FieldBuffer buffer;
  field_buffer_split(buffer, "12.5\t1e3\t1,5\t\t-0.3\t 7\t7 ");
  EXPECT_EQ(field_take_decimal(buffer), 12.5);
  EXPECT_EQ(field_take_decimal(buffer), 1000.0);
  EXPECT_EQ(field_take_decimal(buffer), 0.0);
  EXPECT_EQ(field_take_decimal(buffer), std::nullopt);
  EXPECT_EQ(field_take_decimal(buffer), -0.3);
  EXPECT_EQ(field_take_decimal(buffer), 7.0);
  EXPECT_EQ(field_take_decimal(buffer), 0.0);
}

TEST(FieldTake, DatesGetTheirHyphensBack) {
  FieldBuffer buffer;
  field_buffer_split(buffer, "20240115\t2024011\t20240115XY\t\tabcdefgh");
  EXPECT_EQ(field_take_date(buffer), "2024-01-15");
  EXPECT_EQ(field_take_date(buffer), std::nullopt);
  EXPECT_EQ(field_take_date(buffer), "2024-01-15");
  EXPECT_EQ(field_take_date(buffer), std::nullopt);
  EXPECT_EQ(field_take_date(buffer), "abcd-ef-gh");
}

TEST(FieldTake, WrittenDatesReadBack) {
  FieldBuffer written;
  field_put_date(written, "2024-01-15");
  FieldBuffer read;
  field_buffer_split(read, field_buffer_join(written));
  EXPECT_EQ(field_take_date(read), "2024-01-15");
}

TEST(FieldBufferTextLength, CountsFieldsAndTabs) {
  FieldBuffer buffer;
  EXPECT_EQ(field_buffer_text_length(buffer), 4294967295u);
  field_put_absent(buffer);
  EXPECT_EQ(field_buffer_text_length(buffer), 0u);
  field_put_text(buffer, "ab");
  field_put_text(buffer, "c");
  EXPECT_EQ(field_buffer_text_length(buffer), 5u);
  EXPECT_EQ(field_buffer_join(buffer), "\tab\tc");
}

FieldBuffer buffer_of_length(std::size_t first, std::size_t second) {
  FieldBuffer buffer;
  field_put_text(buffer, std::string(first, 'x'));
  field_put_text(buffer, std::string(second, 'y'));
  return buffer;
}

TEST(CheckSequenceLimit, AcceptsExactly550Bytes) {
  const SerialisationSettings defaults;
  EXPECT_EQ(defaults.sequence_limit, 550u);
  set_error_message(ERROR_OK, "");
  EXPECT_EQ(check_sequence_limit(buffer_of_length(300, 249), defaults), ERROR_OK);
  EXPECT_EQ(last_error().code, ERROR_OK);
  EXPECT_EQ(check_sequence_limit(buffer_of_length(300, 250), defaults), ERROR_SEQUENCE_LIMIT_EXCEEDED);
  EXPECT_EQ(last_error().code, ERROR_SEQUENCE_LIMIT_EXCEEDED);
  EXPECT_EQ(last_error().message, "Sequence limit exceeded.");
}

TEST(CheckSequenceLimit, RefusesAnEmptyBuffer) {
  EXPECT_EQ(check_sequence_limit(FieldBuffer{}, SerialisationSettings{}), ERROR_SEQUENCE_LIMIT_EXCEEDED);
}

TEST(CheckSequenceLimit, NoLimitPassesATextTheLengthFieldCannotHold) {
  const SerialisationSettings raised{.sequence_limit = 1000000};
  EXPECT_EQ(check_sequence_limit(buffer_of_length(65530, 0), raised), ERROR_OK);
  EXPECT_EQ(check_sequence_limit(buffer_of_length(65531, 0), raised), ERROR_SEQUENCE_LIMIT_EXCEEDED);
  EXPECT_EQ(last_error().message, "Sequence limit exceeded.");
}

TEST(SerialisationSettings, EachThreadHasItsOwnLimit) {
  ASSERT_EQ(serialisation_sequence_limit(), 550u);
  std::uint32_t seen_by_other = 0;
  std::thread other([&] {
    serialisation_set_sequence_limit(1000);
    seen_by_other = serialisation_settings().sequence_limit;
  });
  other.join();
  EXPECT_EQ(seen_by_other, 1000u);
  EXPECT_EQ(serialisation_sequence_limit(), 550u);

  serialisation_set_sequence_limit(600);
  EXPECT_EQ(serialisation_settings().sequence_limit, 600u);
  serialisation_set_sequence_limit(550);
}

}  // namespace
}  // namespace tolvex
