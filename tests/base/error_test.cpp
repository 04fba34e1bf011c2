#include "base/error.h"

#include <gtest/gtest.h>

namespace tolvex {
namespace {

struct LineCase {
  ErrorCode code;
  const char* message;
  const char* detail;
  const char* line;
};

class ErrorLineTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(ErrorLineTest, ComposesPrefixMessageSeparatorAndDetail) {
  const LineCase& c = GetParam();
  EXPECT_EQ(set_error(c.code, c.message, c.detail), c.code);
  EXPECT_EQ(error_line(), c.line);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ErrorLineTest,
    ::testing::Values(LineCase{ERROR_CHECKSUM, "Checksum mismatch. ", "",
                               "ERROR_CHECKSUM: Checksum mismatch.  "},
                      LineCase{ERROR_XML, "Amount", "Invalid decimal format. Use dot '.' as a decimal mark.",
                               "ERROR_XML: Amount Invalid decimal format. Use dot '.' as a decimal mark."},
                      LineCase{ERROR_INVALID_VALUE, "IssueDate", " is invalid date format. ",
                               "ERROR_INVALID_VALUE: IssueDate is invalid date format. "},
                      LineCase{ERROR_ILLEGAL_ARGUMENT, "Illegal value for: ", "-v",
                               "ERROR_ILLEGAL_ARGUMENT: Illegal value for:  -v"},
                      LineCase{ERROR_IO, "Not enough memory. ", "", "ERROR_IO: Not enough memory.  "},
                      LineCase{ERROR_QR, "Text too long.", "", "ERROR_QR: Text too long. "},
                      LineCase{12, "m", "d", "TOLVEX_ERROR_UNKNOWNm d"},
                      LineCase{-4, "m", " d", "TOLVEX_ERROR_UNKNOWNm d"}, LineCase{ERROR_OK, "m", "", "m "}));

TEST(ErrorPrefix, EveryCodeHasItsName) {
  EXPECT_EQ(error_prefix(ERROR_IO), "ERROR_IO: ");
  EXPECT_EQ(error_prefix(ERROR_NULL_POINTER), "ERROR_NULL_POINTER: ");
  EXPECT_EQ(error_prefix(ERROR_BASE32HEX), "ERROR_BASE32HEX: ");
  EXPECT_EQ(error_prefix(ERROR_COMPRESSION), "ERROR_COMPRESSION: ");
  EXPECT_EQ(error_prefix(ERROR_BAD_FORMAT), "ERROR_BAD_FORMAT: ");
  EXPECT_EQ(error_prefix(ERROR_MAX_PRIORITY_REACHED), "ERROR_MAX_PRIORITY_REACHED: ");
  EXPECT_EQ(error_prefix(ERROR_SEQUENCE_LIMIT_EXCEEDED), "ERROR_SEQUENCE_LIMIT_EXCEEDED: ");
  EXPECT_EQ(error_prefix(ERROR_UNKNOWN_DOCUMENT), "ERROR_UNKNOWN_DOCUMENT: ");
  EXPECT_EQ(error_prefix(ERROR_MISSING_LOGO), "ERROR_MISSING_LOGO: ");
  EXPECT_EQ(error_prefix(INT32_MIN), "TOLVEX_ERROR_UNKNOWN");
  EXPECT_EQ(error_prefix(INT32_MAX), "TOLVEX_ERROR_UNKNOWN");
}

TEST(ErrorRecord, MessageOnlyClearsAnEarlierDetail) {
  set_error(ERROR_XML, "Getting root element error\n", "parser said no line:3,\n");
  set_error_message(ERROR_CHECKSUM, "Checksum not found. ");
  EXPECT_EQ(last_error().detail, "");
  EXPECT_EQ(error_line(), "ERROR_CHECKSUM: Checksum not found.  ");
}

TEST(ErrorRecord, ComposingTwiceGivesTheSameLine) {
  set_error(ERROR_XML, "Getting root element error\n", "boom\n line:1,\n");
  const std::string first = error_line();
  EXPECT_EQ(first, "ERROR_XML: Getting root element error\n boom\n line:1,\n");
  EXPECT_EQ(error_line(), first);
}

}  // namespace
}  // namespace tolvex
