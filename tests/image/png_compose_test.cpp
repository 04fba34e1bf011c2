// The composed PNG against the drawn one: every logo of the set, random texts of every length,
// backgrounds, formats and sizes decode to cairo's pixels, the files hold their checksums, and
// the plain picture's file is the drawn one byte for byte.
#include "image/png_compose.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "image/logo_cache.h"
#include "image/logo_compose.h"
#include "image/picture_output.h"
#include "image/png_encode.h"
#include "image/render.h"
#include "support/logo_values.h"
#include "support/png_rgba.h"

namespace tolvex {
namespace {

const std::string kLogoDir = std::string(TOLVEX_SOURCE_DIR) + "/logo/";

using Decoded = test::DecodedPng;

Decoded decode(const std::vector<std::uint8_t>& file) { return test::decode_png(file); }

std::uint32_t be32(const std::uint8_t* bytes) {
  return std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 | std::uint32_t{bytes[2]} << 8 |
         bytes[3];
}

// Every chunk's CRC, and the image data as one zlib stream that inflates with its Adler-32 to
// exactly one filter byte and width entries a row. Empty when all holds, else what does not.
std::string check_file(const std::vector<std::uint8_t>& file) {
  if (file.size() < 8) return "too short";
  std::vector<std::uint8_t> data;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::size_t rowBytes = 0;
  for (std::size_t at = 8; at < file.size();) {
    if (at + 12 > file.size()) return "truncated chunk";
    const std::uint32_t length = be32(file.data() + at);
    if (at + 12 + length > file.size()) return "chunk past the end";
    const std::uint8_t* type = file.data() + at + 4;
    if (crc32(0, type, length + 4) != be32(type + 4 + length)) return "bad CRC";
    if (std::memcmp(type, "IHDR", 4) == 0) {
      width = be32(type + 4);
      height = be32(type + 8);
      rowBytes = (std::size_t{width} * type[12] + 7) / 8;
    }
    if (std::memcmp(type, "IDAT", 4) == 0) data.insert(data.end(), type + 4, type + 4 + length);
    at += 12 + length;
  }
  std::vector<std::uint8_t> rows((rowBytes + 1) * height + 1);
  uLongf size = rows.size();
  if (uncompress(rows.data(), &size, data.data(), data.size()) != Z_OK) return "zlib stream damaged";
  if (size != (rowBytes + 1) * height) return "wrong amount of data";
  return "";
}

// The picture's file through png_compose and through a drawn surface give the same pixels.
void expect_as_drawn(const Picture& picture, const std::string& what, std::uint32_t pixelsPerMetre = 0) {
  std::vector<std::uint8_t> composed;
  const std::optional<cairo_status_t> status = png_compose(picture, pixelsPerMetre, &composed);
  ASSERT_TRUE(status.has_value()) << what;
  ASSERT_EQ(*status, CAIRO_STATUS_SUCCESS) << what;
  std::vector<std::uint8_t> drawn;
  ASSERT_EQ(png_encode_surface(picture_render_surface(picture).get(), &drawn, pixelsPerMetre),
            CAIRO_STATUS_SUCCESS);
  EXPECT_EQ(check_file(composed), "") << what;
  const Decoded expected = decode(drawn);
  const Decoded actual = decode(composed);
  ASSERT_EQ(actual.failure, "") << what;
  EXPECT_EQ(actual.width, expected.width) << what;
  EXPECT_EQ(actual.height, expected.height) << what;
  EXPECT_TRUE(actual.rgba == expected.rgba) << what;
  if (!picture.logo) {
    EXPECT_TRUE(composed == drawn) << what << ": the plain file differs from the drawn one";
  }
}

// A text of the length from characters of every QR mode.
std::string random_text(std::mt19937& random, int length) {
  static const std::string kCharacters = "0123456789ABCDEFGHIJKLMNOPQRSTUV WXYZ$%*+-./:abcdefxyz\n";
  std::string text;
  for (int i = 0; i < length; ++i) text += kCharacters[random() % kCharacters.size()];
  return text;
}

// Lengths from a few characters up to what version 40 holds at level L, in five classes.
constexpr int kLengthClasses[][2] = {{1, 30}, {31, 120}, {121, 400}, {401, 1200}, {1201, 2900}};

struct LogoChoice {
  unsigned family;
  LogoRotation rotation;
  LogoVariation variation;
  bool frame;
};

Picture logo_picture(const std::string& text, const LogoChoice& logo) {
  Picture picture;
  EXPECT_EQ(qr_logo_picture(text, logo.family, logo.rotation, logo.variation, logo.frame, kLogoDir, &picture),
            ERROR_OK);
  return picture;
}

TEST(PngCompose, EveryLogoOfTheSetDecodesToTheDrawnPixels) {
  logo_cache_set_budget(64 << 20);
  std::mt19937 random(26);
  for (unsigned family = 0; family < 3; ++family) {
    for (const LogoRotation rotation : test::kAllRotations) {
      for (const LogoVariation variation : test::kAllVariations) {
        for (const bool frame : {true, false}) {
          // Twice: the parts made, then the parts the cache kept.
          for (const int length : {40, 900}) {
            const std::string text = random_text(random, length);
            const std::string what = "family " + std::to_string(family) + " rotation " +
                                     std::to_string(static_cast<int>(rotation)) + " variation " +
                                     std::to_string(static_cast<int>(variation)) + (frame ? " framed" : "");
            expect_as_drawn(logo_picture(text, {family, rotation, variation, frame}), what);
          }
        }
      }
    }
  }
  logo_cache_free();
}

TEST(PngCompose, RandomTextsOfEveryLengthOnLogosAndPlain) {
  logo_cache_set_budget(64 << 20);
  std::mt19937 random(2026);
  for (const auto& [shortest, longest] : kLengthClasses) {
    for (int i = 0; i < 60; ++i) {
      const int length =
          shortest + static_cast<int>(random() % static_cast<unsigned>(longest - shortest + 1));
      const std::string text = random_text(random, length);
      const LogoChoice logo{static_cast<unsigned>(random() % 3), test::kAllRotations[random() % 4],
                            test::kAllVariations[random() % 4], random() % 2 == 0};
      const std::string what = "length " + std::to_string(length);
      expect_as_drawn(logo_picture(text, logo), what + " with logo");
      Picture plain;
      const PlainPictureOptions options{
          .size = static_cast<std::int32_t>(random() % 700),
          .moduleSize = i % 3 == 0 ? static_cast<std::int32_t>(1 + random() % 9) : 0,
          .margin = static_cast<std::int32_t>(random() % 9)};
      ASSERT_EQ(qr_picture(text, options, &plain), ERROR_OK);
      expect_as_drawn(plain, what + " plain, side " + std::to_string(plain.width) + " margin " +
                                 std::to_string(options.margin));
    }
  }
  logo_cache_free();
}

// Backgrounds transparent, translucent, coloured and black, in both formats composed, with and
// without the cache; a resolution written alike.
TEST(PngCompose, BackgroundsFormatsAndResolution) {
  const RenderSettings settings[] = {
      {1, 1, 1, 1, CAIRO_FORMAT_ARGB32},         {0, 0, 0, 0, CAIRO_FORMAT_ARGB32},
      {0.2, 0.5, 0.9, 0.4, CAIRO_FORMAT_ARGB32}, {0, 0, 0, 1, CAIRO_FORMAT_ARGB32},
      {1, 0.8, 0.1, 1, CAIRO_FORMAT_RGB24},      {0, 0, 0, 0, CAIRO_FORMAT_RGB24},
  };
  for (const bool cached : {false, true}) {
    logo_cache_set_budget(cached ? 64 << 20 : 0);
    for (std::size_t i = 0; i < std::size(settings); ++i) {
      const std::string what = "settings " + std::to_string(i) + (cached ? " cached" : "");
      for (const int margin : {0, 4}) {
        Picture plain;
        ASSERT_EQ(
            qr_picture("HTTPS://EXAMPLE.COM/PAY", PlainPictureOptions{.size = 203, .margin = margin}, &plain),
            ERROR_OK);
        plain.render = settings[i];
        expect_as_drawn(plain, what + " plain margin " + std::to_string(margin), 11811);
      }
      for (const bool frame : {true, false}) {
        Picture logo = logo_picture("SOME TEXT 123", {1, LogoRotation::left, LogoVariation::gray, frame});
        logo.render = settings[i];
        expect_as_drawn(logo, what + " logo", i % 2 == 0 ? 0 : 3937);
      }
    }
  }
  logo_cache_free();
}

// What is not composed is left to the drawing: formats of fewer channels, sizes no surface takes.
TEST(PngCompose, LeavesOtherPicturesToTheDrawing) {
  std::vector<std::uint8_t> png;
  for (const cairo_format_t format : {CAIRO_FORMAT_A8, CAIRO_FORMAT_A1, CAIRO_FORMAT_RGB16_565}) {
    Picture other;
    ASSERT_EQ(qr_picture("TEXT", 100, &other), ERROR_OK);
    other.render.format = format;
    EXPECT_FALSE(png_compose(other, 0, &png).has_value()) << format;
  }
  for (const int side : {0, -5, 32768}) {
    Picture other;
    ASSERT_EQ(qr_picture("TEXT", 100, &other), ERROR_OK);
    other.width = side;
    other.height = side;
    EXPECT_FALSE(png_compose(other, 0, &png).has_value()) << side;
  }
  Picture plain;
  ASSERT_EQ(qr_picture("TEXT", 100, &plain), ERROR_OK);
  EXPECT_FALSE(png_compose(plain, 0, nullptr).has_value());
}

// Files written from a picture are the same whether the logo's parts were kept or made anew.
TEST(PngCompose, SameBytesWithAndWithoutTheCache) {
  const Picture picture = logo_picture("CACHED OR NOT", {0, LogoRotation::bottom, LogoVariation::dark, true});
  std::vector<std::uint8_t> uncached;
  logo_cache_set_budget(0);
  ASSERT_EQ(write_picture_memory(picture, ImageFormat::png, &uncached), ERROR_OK);
  logo_cache_set_budget(64 << 20);
  const Picture again = logo_picture("CACHED OR NOT", {0, LogoRotation::bottom, LogoVariation::dark, true});
  for (int i = 0; i < 2; ++i) {
    std::vector<std::uint8_t> cached;
    ASSERT_EQ(write_picture_memory(again, ImageFormat::png, &cached), ERROR_OK);
    EXPECT_TRUE(cached == uncached) << i;
  }
  logo_cache_free();
}

}  // namespace
}  // namespace tolvex
