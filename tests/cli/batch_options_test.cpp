#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "cli/batch.h"

namespace tolvex {
namespace {

TEST(BatchOptions, SharedPictureOptionsBatchOptionsAndPaths) {
  BatchSettings settings;
  const std::vector<std::string_view> arguments = {"-o=out", "-R=left", "-V=gray", "--no_frame", "-t=svg",
                                                   "-j=3",   "a.xml",   "-",       "--",         "-R"};
  ASSERT_EQ(parse_batch_options(arguments, &settings), ERROR_OK);
  EXPECT_EQ(settings.outputDirectory, "out");
  EXPECT_EQ(settings.picture.picture.logo->rotation, LogoRotation::left);
  EXPECT_EQ(settings.picture.picture.logo->variation, LogoVariation::gray);
  EXPECT_FALSE(settings.picture.picture.logo->frame);
  EXPECT_EQ(output_format(settings.picture), ImageFormat::svg);
  EXPECT_EQ(settings.threads, 3u);
  // -R=left is the rotation, and -R after "--" a path.
  EXPECT_FALSE(settings.recursive);
  EXPECT_FALSE(settings.inputKind.has_value());
  EXPECT_EQ(settings.paths, (std::vector<std::string>{"a.xml", "-", "-R"}));

  BatchSettings other;
  ASSERT_EQ(parse_batch_options(std::vector<std::string_view>{"-R", "-i=BASE32HEX", "-O=x", "d"}, &other),
            ERROR_OK);
  EXPECT_TRUE(other.recursive);
  EXPECT_EQ(other.inputKind, InputKind::base32hex);
  EXPECT_FALSE(other.threads.has_value());
  EXPECT_EQ(other.outputDirectory, "x");
}

TEST(BatchOptions, RefusedArgumentsLeaveTheSettings) {
  const struct {
    std::vector<std::string_view> arguments;
    std::string line;
  } cases[] = {
      {{"d"}, "ERROR_ILLEGAL_ARGUMENT: Missing option:  -o"},
      {{"-o=", "d"}, "ERROR_ILLEGAL_ARGUMENT: Illegal value for:  -o"},
      {{"-o=x"}, "ERROR_ILLEGAL_ARGUMENT: No input paths given.  "},
      {{"-o=x", "-j=0", "d"}, "ERROR_ILLEGAL_ARGUMENT: Illegal value for:  -j"},
      {{"-o=x", "-j=257", "d"}, "ERROR_ILLEGAL_ARGUMENT: Illegal value for:  -j"},
      {{"-o=x", "-j=+2", "d"}, "ERROR_ILLEGAL_ARGUMENT: Illegal value for:  -j"},
      {{"-o=x", "-j", "d"}, "ERROR_ILLEGAL_ARGUMENT: Illegal value for:  -j"},
      {{"-o=x", "-r", "d"}, "ERROR_ILLEGAL_ARGUMENT: Illegal value for:  -r"},
      {{"-o=x", "-i=json", "d"}, "ERROR_ILLEGAL_ARGUMENT: Illegal value for:  -i"},
      {{"-o=x", "-f=a.png", "d"}, "ERROR_ILLEGAL_ARGUMENT: Unknown option:  -f=a.png"},
      {{"-o=x", "--recursively", "d"}, "ERROR_ILLEGAL_ARGUMENT: Unknown option:  --recursively"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    BatchSettings settings;
    settings.outputDirectory = "kept";
    EXPECT_EQ(parse_batch_options(c.arguments, &settings), ERROR_ILLEGAL_ARGUMENT);
    EXPECT_EQ(error_line(), c.line);
    EXPECT_EQ(settings.outputDirectory, "kept");
  }
  EXPECT_EQ(parse_batch_options(std::vector<std::string_view>{"-o=x", "d"}, nullptr), ERROR_NULL_POINTER);
}

TEST(BatchOptions, ThreadCountBounds) {
  for (const auto& [value, threads] : {std::pair{"1", 1u}, {"256", 256u}, {"007", 7u}}) {
    BatchSettings settings;
    const std::string option = std::string("-j=") + value;
    ASSERT_EQ(parse_batch_options(std::vector<std::string_view>{"-o=x", option, "d"}, &settings), ERROR_OK)
        << value;
    EXPECT_EQ(settings.threads, threads);
  }
}

}  // namespace
}  // namespace tolvex
