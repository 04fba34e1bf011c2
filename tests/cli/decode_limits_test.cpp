// tolvexdecode on hostile files: each fails with its own error line and little memory.
#include <gtest/gtest.h>

#include <string>

#include "scan/hostile_files.h"
#include "support/process.h"

namespace tolvex {
namespace {

using test::Hostile;
using test::hostile_files;

// The same files through the tool: each fails within a small fraction of what the claimed
// sizes would need (100000 x 100000 pixels are 10 GB).
TEST(ScanLimits, TheToolStaysSmallOnHostileFiles) {
  const test::TempDir directory;
  for (const Hostile& file : hostile_files()) {
    SCOPED_TRACE(file.name);
    const std::string path = directory.file("hostile");
    test::write_file(path, std::string(file.bytes.begin(), file.bytes.end()));
    const test::MeasuredResult run = test::run_measured({TOLVEX_DECODE_PATH, path});
    EXPECT_EQ(run.result.status, file.code & 0xFF);
    EXPECT_EQ(run.result.err, test::file_line(file, path) + "\n");
    EXPECT_EQ(run.result.out, "");
    EXPECT_LT(run.peakKilobytes, 300 * 1024);
  }
}

}  // namespace
}  // namespace tolvex
