// The tolvexqr binary as a user meets it: usage, illegal options, exit statuses.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/process.h"

namespace tolvex {
namespace {

using test::read_file;
using test::run_command;
using test::run_with_input;
using test::shell_quote;

const std::string kCli = shell_quote(TOLVEX_CLI_PATH);

TEST(CommandLine, NoArgumentsPrintsTheUsageTextWithoutReadingInput) {
  // The usage text is written from a reference file kept beside this test, character for character.
  const std::string expected = read_file(std::string(TOLVEX_SOURCE_DIR) + "/tests/cli/usage.txt");
  const auto result = run_command(kCli);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, expected);
  EXPECT_EQ(result.err, "");
}

TEST(CommandLine, IllegalValueExitsWithMinusOne) {
  test::TempDir dir;
  const auto result = run_with_input("cd " + shell_quote(dir.path()) + " && " + kCli + " -v=foo", "<Pay/>");
  EXPECT_EQ(result.status, 255);
  EXPECT_EQ(result.err, "ERROR_ILLEGAL_ARGUMENT: Illegal value for:  -v\n");
  EXPECT_EQ(result.out, "");
  EXPECT_FALSE(std::filesystem::exists(dir.file("qrImage.png")));
}

}  // namespace
}  // namespace tolvex
