// The option-taking picture entries against the older ones, and their Result on failure.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/error.h"
#include "codec/base32hex.h"
#include "tolvex/picture.hpp"

namespace tolvex {
namespace {

const std::string kLogoDir = TOLVEX_SOURCE_DIR "/logo/";

std::string text_of_family(std::uint8_t family) {
  const std::uint8_t bytes[] = {static_cast<std::uint8_t>(family << 4), 0x00, 0x21, 0x7E, 0x40, 0x99, 0x13};
  std::string text;
  EXPECT_EQ(base32hex_encode(bytes, sizeof bytes, &text), ERROR_OK);
  return text;
}

struct Case {
  const char* name;
  PictureOptions options;
};

class PictureEntries : public ::testing::TestWithParam<Case> {
 protected:
  void TearDown() override { render_set_background(1, 1, 1, 1); }
};

TEST_P(PictureEntries, GiveTheOlderEntriesBytes) {
  const PictureOptions& options = GetParam().options;
  const std::string text = text_of_family(1);
  std::vector<std::uint8_t> older;
  const ErrorCode code =
      options.logo ? qr_logo_write_memory(text.c_str(), options.logo->rotation, options.logo->variation,
                                          options.logo->frame, kLogoDir.c_str(), options.format, &older)
                   : qr_write_memory(text.c_str(), options.size, options.format, &older);
  ASSERT_EQ(code, ERROR_OK) << error_line();
  PictureOptions withDirectory = options;
  if (withDirectory.logo) withDirectory.logo->directory = kLogoDir;
  const Result<std::vector<std::uint8_t>> bytes = render(text, withDirectory);
  ASSERT_TRUE(bytes) << bytes.error().line;
  // SVG element ids count over the process, so only the other formats compare byte for byte.
  if (options.format != ImageFormat::svg) {
    EXPECT_EQ(*bytes, older);
  } else {
    EXPECT_EQ(bytes->size(), older.size());
  }
}

TEST_P(PictureEntries, FollowTheirOptionsAndNotTheThreadSettings) {
  PictureOptions options = GetParam().options;
  if (options.logo) options.logo->directory = kLogoDir;
  const std::string text = text_of_family(0);
  const Result<std::vector<std::uint8_t>> before = render(text, options);
  render_set_background(1, 0, 0, 1);
  const Result<std::vector<std::uint8_t>> after = render(text, options);
  ASSERT_TRUE(before && after);
  if (options.format != ImageFormat::svg) {
    EXPECT_EQ(*before, *after);
  }
  options.background = {1, 0, 0, 1};
  const Result<std::vector<std::uint8_t>> red = render(text, options);
  ASSERT_TRUE(red);
  // A framed logo covers the whole picture, so its background never shows.
  if (!options.logo || !options.logo->frame) {
    EXPECT_NE(*red, *before);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, PictureEntries,
    ::testing::Values(Case{"plain png", {.format = ImageFormat::png, .size = 200}},
                      Case{"plain pdf", {.format = ImageFormat::pdf, .size = 200}},
                      Case{"plain svg", {.format = ImageFormat::svg}},
                      Case{"logo png", {.logo = LogoOptions{.rotation = LogoRotation::right,
                                                            .variation = LogoVariation::medium}}},
                      Case{"logo pdf without frame",
                           {.format = ImageFormat::pdf, .logo = LogoOptions{.frame = false}}}),
    [](const auto& info) {
      std::string name = info.param.name;
      for (char& c : name) c = c == ' ' ? '_' : c;
      return name;
    });

TEST(PictureEntriesFailing, CarryTheToolsErrorLine) {
  struct Failure {
    std::string text;
    PictureOptions options;
    Errc code;
    const char* name;
    const char* line;
  };
  const Failure failures[] = {
      {"", {}, Errc::qr, "ERROR_QR", "ERROR_QR: Text cannot be encoded as a QR code: it is empty or too long.  "},
      {"A1B", {.size = kLargestImageSize + 1}, Errc::illegal_argument, "ERROR_ILLEGAL_ARGUMENT",
       "ERROR_ILLEGAL_ARGUMENT: Image size is too large: the largest is 8000 pixels.  "},
      {"ABC", {.logo = LogoOptions{}}, Errc::unknown_document, "ERROR_UNKNOWN_DOCUMENT",
       "ERROR_UNKNOWN_DOCUMENT: Header not found.  "},
      {text_of_family(0), {.logo = LogoOptions{.directory = "/nonexistent/"}}, Errc::missing_logo,
       "ERROR_MISSING_LOGO", "ERROR_MISSING_LOGO: Cannot find logo file.  "},
  };
  for (const Failure& f : failures) {
    SCOPED_TRACE(f.line);
    const Result<std::vector<std::uint8_t>> bytes = render(f.text, f.options);
    ASSERT_FALSE(bytes);
    EXPECT_EQ(bytes.error().code, f.code);
    EXPECT_EQ(bytes.error().name, f.name);
    EXPECT_EQ(bytes.error().line, f.line);
    EXPECT_EQ(bytes.error().line, error_line());
  }
  const Result<void> written = write_picture("A1B", "/nonexistent/directory/code.png");
  ASSERT_FALSE(written);
  EXPECT_EQ(written.error().code, Errc::io);
  EXPECT_EQ(written.error().line, "ERROR_IO: Cannot write image to output file.  ");
}

}  // namespace
}  // namespace tolvex
