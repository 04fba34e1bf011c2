// Our PNG writer against cairo's: for the same surface the decoded pixels are the same in every
// cairo format, background and composition, and the file is never larger for our pictures.
#include "support/family_of.h"
#include "image/png_encode.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "codec/base32hex.h"
#include "image/logo_compose.h"
#include "image/render.h"
#include "support/logo_values.h"
#include "support/png_rgba.h"

namespace tolvex {
namespace {

const std::string kLogoDir = std::string(TOLVEX_SOURCE_DIR) + "/logo/";

using Decoded = test::DecodedPng;

Decoded decode(const std::vector<std::uint8_t>& file) { return test::decode_png(file); }

cairo_status_t collect(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::vector<std::uint8_t>*>(closure)->insert(
      static_cast<std::vector<std::uint8_t>*>(closure)->end(), data, data + length);
  return CAIRO_STATUS_SUCCESS;
}

std::vector<std::uint8_t> cairo_png(cairo_surface_t* surface) {
  std::vector<std::uint8_t> file;
  EXPECT_EQ(cairo_surface_write_to_png_stream(surface, collect, &file), CAIRO_STATUS_SUCCESS);
  return file;
}

std::vector<std::uint8_t> our_png(cairo_surface_t* surface) {
  std::vector<std::uint8_t> file;
  EXPECT_EQ(png_encode_surface(surface, &file), CAIRO_STATUS_SUCCESS);
  return file;
}

// Both writers decode to the same pixels; ours is no larger when sizeToo is set.
void expect_same_pixels(cairo_surface_t* surface, const std::string& what, bool sizeToo) {
  const std::vector<std::uint8_t> theirs = cairo_png(surface);
  const std::vector<std::uint8_t> ours = our_png(surface);
  const Decoded expected = decode(theirs);
  ASSERT_EQ(expected.failure, "") << what;
  const Decoded actual = decode(ours);
  EXPECT_EQ(actual.failure, "") << what;
  EXPECT_EQ(actual.width, expected.width) << what;
  EXPECT_EQ(actual.height, expected.height) << what;
  EXPECT_TRUE(actual.rgba == expected.rgba) << what << ": decoded pixels differ";
  if (sizeToo) {
    EXPECT_LE(ours.size(), theirs.size()) << what;
  }
}

std::string text_of_family(std::uint8_t family) {
  const std::uint8_t bytes[] = {static_cast<std::uint8_t>(family << 4), 0x00, 0x4D, 0x19, 0xA2, 0x77, 0x03};
  std::string text;
  EXPECT_EQ(base32hex_encode(bytes, sizeof bytes, &text), ERROR_OK);
  return text;
}

struct Background {
  double red, green, blue, alpha;
};

constexpr cairo_format_t kFormats[] = {CAIRO_FORMAT_ARGB32, CAIRO_FORMAT_RGB24,     CAIRO_FORMAT_A8,
                                       CAIRO_FORMAT_A1,     CAIRO_FORMAT_RGB16_565, CAIRO_FORMAT_RGB30};
constexpr Background kBackgrounds[] = {
    {1, 1, 1, 1}, {0.8, 0.1, 0.3, 1}, {0.2, 0.6, 0.9, 0.5}, {0.5, 0.5, 0.0, 0.0}, {0.3, 0.3, 0.3, 0.01}};

class PngEncodeTest : public ::testing::Test {
 protected:
  void TearDown() override {
    render_set_background(1, 1, 1, 1);
    render_set_format(CAIRO_FORMAT_ARGB32);
  }
};

TEST_F(PngEncodeTest, PlainAndLogoPicturesInEveryFormatAndBackground) {
  for (const cairo_format_t format : kFormats) {
    for (const Background& background : kBackgrounds) {
      render_set_format(format);
      render_set_background(background.red, background.green, background.blue, background.alpha);
      const std::string what =
          "format " + std::to_string(format) + " alpha " + std::to_string(background.alpha);
      SurfacePtr surface;
      ASSERT_EQ(qr_render_surface(text_of_family(0).c_str(), 123, &surface), ERROR_OK);
      expect_same_pixels(surface.get(), what + " plain", true);
      ASSERT_EQ(qr_logo_render_surface(text_of_family(1).c_str(), test::family_of(text_of_family(1).c_str()), LogoRotation::top, LogoVariation::medium,
                                       false, kLogoDir.c_str(), &surface),
                ERROR_OK);
      // Logo colours over a coloured background can pass 256 colours: then RGB, whose size
      // follows libpng's filters as cairo's does.
      expect_same_pixels(surface.get(), what + " logo", false);
    }
  }
}

// What the tool writes: every family, placement, colour and frame, and plain sizes, with the
// default settings. Each of these files must also be no larger than cairo's.
TEST_F(PngEncodeTest, GoldenPicturesDecodeAlikeAndAreNoLarger) {
  for (std::uint8_t family = 0; family < 3; ++family) {
    const std::string text = text_of_family(family);
    for (const LogoRotation rotation : test::kAllRotations) {
      for (const LogoVariation variation : test::kAllVariations) {
        for (const bool frame : {true, false}) {
          SurfacePtr surface;
          ASSERT_EQ(
              qr_logo_render_surface(text.c_str(), test::family_of(text.c_str()), rotation, variation, frame, kLogoDir.c_str(), &surface),
              ERROR_OK);
          expect_same_pixels(surface.get(),
                             "family " + std::to_string(family) + " rotation " +
                                 std::to_string(static_cast<int>(rotation)) + " variation " +
                                 std::to_string(static_cast<int>(variation)) +
                                 (frame ? " frame" : " no frame"),
                             true);
        }
      }
    }
    for (const int size : {0, 57, 123, 300, 400, 1001}) {
      SurfacePtr surface;
      ASSERT_EQ(qr_render_surface(text.c_str(), size, &surface), ERROR_OK);
      expect_same_pixels(surface.get(), "plain " + std::to_string(size), true);
    }
  }
}

// Pixels no drawing of ours makes: noise of every value, premultiplied values beyond their
// alpha (cairo keeps only eight bits of the quotient), exactly 256 and 257 colours.
TEST_F(PngEncodeTest, SurfacesOfEveryKindOfPixel) {
  std::mt19937 random(11);
  struct Fill {
    const char* name;
    int colours;  // 0: every pixel random
  };
  for (const cairo_format_t format : kFormats) {
    for (const Fill fill : {Fill{"noise", 0}, Fill{"256 colours", 256}, Fill{"257 colours", 257},
                            Fill{"3 colours", 3}, Fill{"17 colours", 17}}) {
      const SurfacePtr surface(cairo_image_surface_create(format, 37, 29));
      cairo_surface_flush(surface.get());
      unsigned char* data = cairo_image_surface_get_data(surface.get());
      const int stride = cairo_image_surface_get_stride(surface.get());
      std::vector<std::uint32_t> palette;
      for (int i = 0; i < fill.colours; ++i) palette.push_back(random());
      for (int y = 0; y < 29; ++y) {
        for (int x = 0; x < stride / 4; ++x) {
          const std::uint32_t value =
              fill.colours == 0 ? random() : palette[static_cast<std::size_t>(y * 37 + x) % palette.size()];
          std::memcpy(data + y * stride + x * 4, &value, sizeof value);
        }
      }
      cairo_surface_mark_dirty(surface.get());
      expect_same_pixels(surface.get(), std::string(fill.name) + " format " + std::to_string(format), false);
    }
  }
}

TEST_F(PngEncodeTest, SurfacesThatCannotBeWritten) {
  std::vector<std::uint8_t> png = {1, 2, 3};
  const SurfacePtr failed(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, -1, 5));
  EXPECT_EQ(png_encode_surface(failed.get(), &png), CAIRO_STATUS_INVALID_SIZE);
  EXPECT_TRUE(png.empty());
  const SurfacePtr empty(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 0, 0));
  EXPECT_EQ(png_encode_surface(empty.get(), &png), CAIRO_STATUS_WRITE_ERROR);
  const SurfacePtr recording(cairo_recording_surface_create(CAIRO_CONTENT_COLOR, nullptr));
  EXPECT_EQ(png_encode_surface(recording.get(), &png), CAIRO_STATUS_SURFACE_TYPE_MISMATCH);
  EXPECT_TRUE(png.empty());
  EXPECT_EQ(png_encode_surface(empty.get(), nullptr), CAIRO_STATUS_NULL_POINTER);
}

// Flat pictures get a palette of the smallest depth: two colours are one bit a pixel.
TEST_F(PngEncodeTest, PlainPictureIsOneBitAPixel) {
  SurfacePtr surface;
  ASSERT_EQ(qr_render_surface(text_of_family(0).c_str(), 400, &surface), ERROR_OK);
  const std::vector<std::uint8_t> png = our_png(surface.get());
  ASSERT_GT(png.size(), 26u);
  EXPECT_EQ(png[24], 1) << "bit depth";
  EXPECT_EQ(png[25], PNG_COLOR_TYPE_PALETTE) << "colour type";
}

}  // namespace
}  // namespace tolvex
