// A write that fails after the picture has been partly written (here: the file size limit is
// reached) must leave neither a partial picture under the output name nor a temporary beside it.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "tolvex/picture.hpp"
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

TEST(PngWriteFailure, AFailedRunOfTheToolLeavesTheOutputFileAsItWas) {
  const TempDir directory;
  const std::string file = directory.file("out.png");
  write_file(file, "previous content");
  // The shell ignores SIGXFSZ and the tool inherits that; 1 block is 512 bytes.
  const auto result =
      test::run_command("trap '' XFSZ; ulimit -f 1; " + test::shell_quote(TOLVEX_CLI_PATH) +
                            " -l=" + test::shell_quote(TOLVEX_SOURCE_DIR "/logo/") + " -f=" + test::shell_quote(file),
                        TOLVEX_SOURCE_DIR "/examples/pay-single.xml");
  EXPECT_EQ(result.status, 253);
  EXPECT_EQ(result.err, "ERROR_IO: Cannot write image to output file.  \n");
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(read_file(file), "previous content");
  EXPECT_EQ(entries(directory.path()), std::vector<std::string>{"out.png"});
}

// A target whose whole path is a few bytes short of PATH_MAX, so that the temporary's name beside
// it (a dot and a suffix longer) cannot be resolved (ENAMETOOLONG) while the target itself can
// be opened. This fails the temporary's creation for the real reason a full or read-only
// directory would, and does so for root too, whom directory permissions do not stop.
std::string path_just_short_of_path_max(const TempDir& directory) {
  constexpr std::size_t kLength = PATH_MAX - 6;
  std::string path = directory.path();
  while (kLength - path.size() - 1 > 250) path += "/" + std::string(200, 'd');
  std::filesystem::create_directories(path);
  path += "/" + std::string(kLength - path.size() - 1, 'p');
  return path;
}

TEST(OutputFileReplacement, NoTemporaryMeansNoWriteAndTheOldFileStays) {
  const TempDir directory;
  const std::string file = path_just_short_of_path_max(directory);
  ASSERT_EQ(file.size(), static_cast<std::size_t>(PATH_MAX - 6));
  write_file(file, "previous content");
  ASSERT_EQ(read_file(file), "previous content");
  for (const ImageFormat format : {ImageFormat::png, ImageFormat::svg, ImageFormat::pdf}) {
    SCOPED_TRACE(static_cast<int>(format));
    EXPECT_EQ(qr_write_file("A1B2C3D4E5F6G7H8", 400, format, file.c_str()), ERROR_IO);
    EXPECT_EQ(error_line(), "ERROR_IO: Cannot write image to output file.  ");
    EXPECT_EQ(read_file(file), "previous content");
    EXPECT_EQ(entries(std::filesystem::path(file).parent_path().string()),
              std::vector<std::string>{std::filesystem::path(file).filename().string()});
  }
}

TEST(OutputFileReplacement, TheToolFailsWithoutTouchingTheOldPicture) {
  const TempDir directory;
  const std::string file = path_just_short_of_path_max(directory);
  write_file(file, "previous picture");
  const auto result = test::run_command(
      test::shell_quote(TOLVEX_CLI_PATH) + " --no_logo -s=800 -f=" + test::shell_quote(file),
      TOLVEX_SOURCE_DIR "/examples/pay-single.xml");
  EXPECT_EQ(result.status, 253);
  EXPECT_EQ(result.err, "ERROR_IO: Cannot write image to output file.  \n");
  EXPECT_EQ(read_file(file), "previous picture");
}

// A file name near NAME_MAX is a valid name: its temporary is named within the bound too, so it
// is written (and replaced) as any other.
TEST(OutputFileReplacement, LongFileNamesAreStillReplacedWhole) {
  const TempDir directory;
  for (const std::size_t length : {200u, 240u, 255u}) {
    SCOPED_TRACE(length);
    const std::string file = directory.file(std::string(length - 4, 'n') + ".png");
    write_file(file, "previous content");
    ASSERT_EQ(qr_write_file("A1B2C3D4E5F6G7H8", 40, ImageFormat::png, file.c_str()), ERROR_OK) << error_line();
    EXPECT_EQ(read_file(file).substr(1, 3), "PNG");
    EXPECT_EQ(entries(directory.path()).size(), 1u);
    std::filesystem::remove(file);
  }
}

}  // namespace
}  // namespace tolvex
