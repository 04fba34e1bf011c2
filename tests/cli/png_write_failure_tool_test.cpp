// A run of tolvexqr whose picture cannot be written whole (the file size limit is reached)
// leaves the output file as it was and no temporary beside it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/process.h"

namespace tolvex {
namespace {

using test::read_file;
using test::shell_quote;
using test::TempDir;
using test::write_file;

std::vector<std::string> entries(const std::string& directory) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(directory))
    names.push_back(entry.path().filename().string());
  return names;
}

TEST(PngWriteFailure, AFailedRunOfTheToolLeavesTheOutputFileAsItWas) {
  const TempDir directory;
  const std::string file = directory.file("out.png");
  write_file(file, "previous content");
  // The shell ignores SIGXFSZ and the tool inherits that; 1 block is 512 bytes.
  const auto result =
      test::run_command("trap '' XFSZ; ulimit -f 1; " + shell_quote(TOLVEX_CLI_PATH) +
                            " -l=" + shell_quote(TOLVEX_SOURCE_DIR "/logo/") + " -f=" + shell_quote(file),
                        TOLVEX_SOURCE_DIR "/examples/pay-single.xml");
  EXPECT_EQ(result.status, 253);
  EXPECT_EQ(result.err, "ERROR_IO: Cannot write image to output file.  \n");
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(read_file(file), "previous content");
  EXPECT_EQ(entries(directory.path()), std::vector<std::string>{"out.png"});
}

}  // namespace
}  // namespace tolvex
