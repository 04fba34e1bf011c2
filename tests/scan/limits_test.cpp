// Hostile files fail early with their own error instead of taking the machine's memory.
#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "scan/pdf_pages.h"
#include "scan/hostile_files.h"
#include "scan/pictures.h"
#include "support/process.h"
#include "tolvex/scan.hpp"

namespace tolvex {
namespace {

using test::Bytes;
using test::Hostile;
using test::hostile_files;

TEST(ScanLimits, HostileFilesFailWithTheirOwnError) {
  for (const Hostile& file : hostile_files()) {
    SCOPED_TRACE(file.name);
    std::vector<ScannedCode> codes(1);
    EXPECT_EQ(scan_memory(file.bytes.data(), file.bytes.size(), &codes), file.code);
    EXPECT_EQ(error_line(), test::memory_line(file));
    EXPECT_EQ(codes.size(), 1u) << "the output is written only on success";
  }
}

TEST(ScanLimits, AFileAboveTheSizeLimitIsNotRead) {
  const test::TempDir directory;
  const std::string path = directory.file("large.pdf");
  test::write_file(path, "%PDF-1.4\n");
  std::filesystem::resize_file(path, (128u << 20) + 1);
  std::vector<ScannedCode> codes;
  EXPECT_EQ(scan_file(path.c_str(), &codes), ERROR_ILLEGAL_ARGUMENT);
  EXPECT_EQ(error_line(), "ERROR_ILLEGAL_ARGUMENT: Input file too large.  " + path);
  EXPECT_EQ(scan_file(directory.file("missing.png").c_str(), &codes), ERROR_IO);
  EXPECT_EQ(error_line(), "ERROR_IO: Cannot read input file.  " + directory.file("missing.png"));
}

TEST(ScanLimits, PagesRenderAt300DpiOrWhatFitsDownTo150) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    const char* page;
    double width, height, dpi;
  };
  const Case cases[] = {
      {"A4", 595.28, 841.89, 300},
      {"A2 fits at 300 dpi", 1190.55, 1683.78, 300},
      {"A1 at what fits", 1683.78, 2383.94, 8000 * 72 / 2383.94},
      {"A0 at what fits", 2383.94, 3370.39, 8000 * 72 / 3370.39},
      {"just at 150 dpi", 3840, 100, 150},
      {"beyond 150 dpi", 3841, 100, 0},
      {"no size", 0, 842, 0},
      {"negative", -595, 842, 0},
      {"not a number", nan, 842, 0},
  };
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(pdf_page_dpi(c.width, c.height), c.dpi) << c.page;
}

}  // namespace
}  // namespace tolvex
