// The message table as a whole, and the functions that record its entries.
#include "base/messages.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstddef>
#include <set>
#include <string>
#include <utility>

namespace tolvex {
namespace {

TEST(MessageTable, EveryEntryHasAKnownFailureCode) {
  for (const Message& message : messages::kEveryMessage) {
    EXPECT_NE(message.code, ERROR_OK) << message.text;
    EXPECT_GE(message.code, ERROR_IO) << message.text;
    EXPECT_LE(message.code, ERROR_QR) << message.text;
  }
}

TEST(MessageTable, EveryTextIsNonEmptyAndFitsTheRecordsReservedRoom) {
  // The last-error record reserves this much (error.cpp), so that recording a fixed text,
  // the lack of memory above all, needs no allocation.
  constexpr std::size_t kReservedText = 256;
  for (const Message& message : messages::kEveryMessage) {
    EXPECT_FALSE(message.text.empty()) << "an entry of code " << message.code;
    EXPECT_LE(message.text.size(), kReservedText) << message.text;
  }
}

TEST(MessageTable, NoTwoEntriesShareCodeAndText) {
  std::set<std::pair<ErrorCode, std::string_view>> seen;
  for (const Message& message : messages::kEveryMessage) {
    EXPECT_TRUE(seen.emplace(message.code, message.text).second)
        << "twice: " << message.code << " \"" << message.text << '"';
  }
}

TEST(MessageTable, ATextRecordedWithTwoCodesIsTwoEntries) {
  EXPECT_EQ(messages::kBase32hexCannotBeNull.text, messages::kBase32hexToDecodeCannotBeNull.text);
  EXPECT_EQ(messages::kBase32hexCannotBeNull.code, ERROR_NULL_POINTER);
  EXPECT_EQ(messages::kBase32hexToDecodeCannotBeNull.code, ERROR_BASE32HEX);
}

struct ReportCase {
  std::string label;
  ErrorCode (*record)();
  ErrorCode code;
  std::string message;
  std::string detail;
  std::string line;
};

class ReportTest : public ::testing::TestWithParam<ReportCase> {};

TEST_P(ReportTest, RecordsCodeAndTextsAndReturnsTheCode) {
  const ReportCase& c = GetParam();
  set_error(ERROR_OK, "stale", "stale");
  EXPECT_EQ(c.record(), c.code);
  EXPECT_EQ(last_error().code, c.code);
  EXPECT_EQ(last_error().message, c.message);
  EXPECT_EQ(last_error().detail, c.detail);
  EXPECT_EQ(error_line(), c.line);
}

INSTANTIATE_TEST_SUITE_P(
    Reports, ReportTest,
    ::testing::Values(
        ReportCase{"message", [] { return report(messages::kChecksumMismatch); }, ERROR_CHECKSUM,
                   "Checksum mismatch. ", "", "ERROR_CHECKSUM: Checksum mismatch.  "},
        ReportCase{"with detail", [] { return report(messages::kIllegalValueFor, "-v"); },
                   ERROR_ILLEGAL_ARGUMENT, "Illegal value for: ", "-v",
                   "ERROR_ILLEGAL_ARGUMENT: Illegal value for:  -v"},
        ReportCase{"field", [] { return report_field("Amount", messages::kInvalidDecimalFormat); }, ERROR_XML,
                   "Amount", "Invalid decimal format. Use dot '.' as a decimal mark.",
                   "ERROR_XML: Amount Invalid decimal format. Use dot '.' as a decimal mark."},
        ReportCase{"field with its own space", [] { return report_field("IBAN", messages::kIsInvalid); },
                   ERROR_INVALID_VALUE, "IBAN", " is invalid. ", "ERROR_INVALID_VALUE: IBAN is invalid. "},
        ReportCase{"around a value",
                   [] {
                     return report_around(messages::kImageSizeTooLarge, "8000",
                                          messages::kImageSizeTooLargeUnit);
                   },
                   ERROR_ILLEGAL_ARGUMENT, "Image size is too large: the largest is 8000 pixels. ", "",
                   "ERROR_ILLEGAL_ARGUMENT: Image size is too large: the largest is 8000 pixels.  "},
        ReportCase{"around, under the opening's code",
                   [] { return report_around(messages::kNotATolvexCode, "x", messages::kSamePictureAnd); },
                   ERROR_BAD_FORMAT, "Not a tolvex code. x and ", "",
                   "ERROR_BAD_FORMAT: Not a tolvex code. x and  "}),
    [](const ::testing::TestParamInfo<ReportCase>& info) {
      std::string name;
      for (const char c : info.param.label) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
      return name;
    });

}  // namespace
}  // namespace tolvex
