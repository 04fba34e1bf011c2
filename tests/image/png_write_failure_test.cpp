// A write that fails after the picture has been partly written (here: the file size limit is
// reached) must leave neither a partial picture under the output name nor a temporary beside it.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "image/picture_output.h"
#include "image/render.h"
#include "support/process.h"

namespace tolvex {
namespace {

using test::read_file;
using test::TempDir;
using test::write_file;

constexpr rlim_t kFileSizeLimit = 100;  // past the PNG signature and header, short of the pixels

std::vector<std::string> entries(const std::string& directory) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(directory))
    names.push_back(entry.path().filename().string());
  return names;
}

// Writes a 400-pixel plain picture to file in a child process whose files cannot grow past the
// limit; returns the child's ErrorCode as its exit status, or -1.
int write_in_limited_child(const std::string& file) {
  const pid_t child = ::fork();
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails with EFBIG
    const rlimit limit{kFileSizeLimit, kFileSizeLimit};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(100);
    ::_exit(qr_write_png_file("A1B2C3D4E5F6G7H8", 400, file.c_str()) & 0xFF);
  }
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return static_cast<signed char>(WEXITSTATUS(status));
}

TEST(PngWriteFailure, APartlyWrittenPictureReplacesNothing) {
  const TempDir directory;
  const std::string file = directory.file("qr.png");
  write_file(file, "previous content");
  EXPECT_EQ(write_in_limited_child(file), ERROR_IO);
  EXPECT_EQ(read_file(file), "previous content");
  EXPECT_EQ(entries(directory.path()), std::vector<std::string>{"qr.png"});
}

TEST(PngWriteFailure, APartlyWrittenPictureLeavesNoFile) {
  const TempDir directory;
  EXPECT_EQ(write_in_limited_child(directory.file("qr.png")), ERROR_IO);
  EXPECT_TRUE(entries(directory.path()).empty());
}

}  // namespace
}  // namespace tolvex
