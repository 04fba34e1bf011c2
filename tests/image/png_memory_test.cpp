// PNG pictures in memory: byte for byte what the file entries write, and nothing on failure.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tolvex/picture.hpp"
#include "codec/base32hex.h"
#include "image/logo_compose.h"
#include "image/picture_output.h"
#include "image/render.h"
#include "support/logo_values.h"
#include "support/process.h"

namespace tolvex {
namespace {

const std::string kLogoDir = std::string(TOLVEX_SOURCE_DIR) + "/logo/";

std::string text_of_family(std::uint8_t family) {
  const std::uint8_t bytes[] = {static_cast<std::uint8_t>(family << 4), 0x10, 0x5A, 0xC3, 0x7E, 0x01, 0x99};
  std::string text;
  EXPECT_EQ(base32hex_encode(bytes, sizeof bytes, &text), ERROR_OK);
  return text;
}

std::string as_text(const std::vector<std::uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }

TEST(PngMemory, PlainPictureHasTheBytesOfTheFile) {
  const test::TempDir directory;
  const std::string file = directory.file("plain.png");
  struct Case {
    const char* text;
    std::int32_t size;
  };
  const Case cases[] = {{"HELLO", 0}, {"0123456789", 97}, {"tolvex in memory", 300}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ASSERT_EQ(qr_write_png_file(c.text, c.size, file.c_str()), ERROR_OK);
    std::vector<std::uint8_t> png;
    ASSERT_EQ(qr_write_png_memory(c.text, c.size, &png), ERROR_OK);
    EXPECT_EQ(as_text(png), test::read_file(file));
  }
}

TEST(PngMemory, LogoPictureHasTheBytesOfTheFile) {
  const test::TempDir directory;
  const std::string file = directory.file("logo.png");
  struct Case {
    std::uint8_t family;
    std::int32_t rotation;
    std::int32_t variation;
    std::int32_t frame;
  };
  const Case cases[] = {{0, 0, 0, 1}, {1, 2, 2, 0}, {2, 3, 3, 1}};
  for (const Case& c : cases) {
    const std::string text = text_of_family(c.family);
    SCOPED_TRACE(text);
    ASSERT_EQ(
        qr_logo_write_png_file(text.c_str(), test::rotation_index(c.rotation),
                               test::variation_index(c.variation), c.frame, kLogoDir.c_str(), file.c_str()),
        ERROR_OK);
    std::vector<std::uint8_t> png;
    ASSERT_EQ(qr_logo_write_png_memory(text.c_str(), test::rotation_index(c.rotation),
                                       test::variation_index(c.variation), c.frame, kLogoDir.c_str(), &png),
              ERROR_OK);
    EXPECT_EQ(as_text(png), test::read_file(file));
  }
}

TEST(PngMemory, FailuresHandOutNoBytes) {
  struct Case {
    const char* name;
    std::string text;
    const char* directory;
    ErrorCode code;
    const char* message;
  };
  const Case cases[] = {
      {"missing logo", text_of_family(0), "/nonexistent/", ERROR_MISSING_LOGO, "Cannot find logo file. "},
      {"no header", "AB", kLogoDir.c_str(), ERROR_UNKNOWN_DOCUMENT, "Header not found. "},
      {"family without pictures", text_of_family(4), kLogoDir.c_str(), ERROR_MISSING_LOGO,
       "Creating QR code images with logo is currently supported only for PAY, INVOICE or INVOICE ITEMS "
       "tolvex."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::uint8_t> png;
    EXPECT_EQ(qr_logo_write_png_memory(c.text.c_str(), test::rotation_index(0), test::variation_index(0), 1,
                                       c.directory, &png),
              c.code);
    EXPECT_EQ(last_error().message, c.message);
    EXPECT_TRUE(png.empty());
  }

  std::vector<std::uint8_t> png;
  EXPECT_EQ(qr_write_png_memory("", 0, &png), ERROR_QR);
  EXPECT_TRUE(png.empty());
}

TEST(PngMemory, NoBufferIsANullPointer) {
  const std::string text = text_of_family(0);
  EXPECT_EQ(qr_write_png_memory(text.c_str(), 0, nullptr), ERROR_NULL_POINTER);
  EXPECT_EQ(last_error().message, "PNG buffer pointer cannot be NULL. ");
  EXPECT_EQ(qr_logo_write_png_memory(text.c_str(), test::rotation_index(0), test::variation_index(0), 1,
                                     kLogoDir.c_str(), nullptr),
            ERROR_NULL_POINTER);
  EXPECT_EQ(last_error().message, "PNG buffer pointer cannot be NULL. ");
}

}  // namespace
}  // namespace tolvex
