// The committed logo pictures against the names and geometry the composition uses.
#include <cairo.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "image/logo_layout.h"
#include "support/logo_values.h"

namespace tolvex {
namespace {

// The sizes the pictures are drawn in: a band of 620 x 140 along the code's side.
constexpr int kBandLength = 620;
constexpr int kBandThickness = 140;

struct SurfaceDeleter {
  void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
using SurfacePtr = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;

struct Pixel {
  int red;
  int green;
  int blue;
  int alpha;
  bool operator==(const Pixel&) const = default;
};

// Light enough to serve as the code's quiet zone.
bool is_light(const Pixel& p) { return p.alpha == 255 && p.red >= 240 && p.green >= 240 && p.blue >= 240; }

// Clearly set apart from a light box.
bool is_dark_enough(const Pixel& p) { return p.alpha == 255 && (p.red + p.green + p.blue) / 3 < 200; }

class Picture {
 public:
  explicit Picture(const std::string& name)
      : path_(std::string(TOLVEX_SOURCE_DIR) + "/logo/" + name),
        surface_(cairo_image_surface_create_from_png(path_.c_str())) {
    cairo_surface_flush(surface_.get());
  }

  cairo_status_t status() const { return cairo_surface_status(surface_.get()); }
  int width() const { return cairo_image_surface_get_width(surface_.get()); }
  int height() const { return cairo_image_surface_get_height(surface_.get()); }

  Pixel at(int x, int y) const {
    const unsigned char* row =
        cairo_image_surface_get_data(surface_.get()) +
        static_cast<std::ptrdiff_t>(y) * cairo_image_surface_get_stride(surface_.get());
    std::uint32_t value;
    std::memcpy(&value, row + static_cast<std::ptrdiff_t>(x) * 4, sizeof value);
    const bool hasAlpha = cairo_image_surface_get_format(surface_.get()) == CAIRO_FORMAT_ARGB32;
    return {static_cast<int>((value >> 16) & 0xFF), static_cast<int>((value >> 8) & 0xFF),
            static_cast<int>(value & 0xFF), hasAlpha ? static_cast<int>(value >> 24) : 255};
  }

  bool readable() const {
    const cairo_format_t format = cairo_image_surface_get_format(surface_.get());
    return status() == CAIRO_STATUS_SUCCESS &&
           (format == CAIRO_FORMAT_RGB24 || format == CAIRO_FORMAT_ARGB32);
  }

 private:
  std::string path_;
  SurfacePtr surface_;
};

bool band_across(LogoRotation rotation) {
  return rotation == LogoRotation::bottom || rotation == LogoRotation::top;
}

int band_width(LogoRotation rotation) { return band_across(rotation) ? kBandLength : kBandThickness; }
int band_height(LogoRotation rotation) { return band_across(rotation) ? kBandThickness : kBandLength; }

// Calls check(family, rotation, variation, name) for every picture with or without frame.
template <typename Check>
void for_each_picture(bool frame, Check check) {
  for (unsigned family = 0; family < 3; ++family) {
    for (const LogoRotation rotation : test::kAllRotations) {
      for (const LogoVariation variation : test::kAllVariations) {
        const std::string name(logo_file_name(family, rotation, variation, frame));
        SCOPED_TRACE(name);
        check(family, rotation, variation, name);
      }
    }
  }
}

TEST(LogoSet, EveryPictureLoads) {
  for (const bool frame : {true, false}) {
    for_each_picture(frame, [](unsigned, LogoRotation, LogoVariation, const std::string& name) {
      const Picture picture(name);
      EXPECT_EQ(picture.status(), CAIRO_STATUS_SUCCESS) << cairo_status_to_string(picture.status());
    });
  }
}

TEST(LogoSet, FramedPicturesHaveALightBoxWhereTheCodeGoes) {
  for_each_picture(true, [](unsigned, LogoRotation rotation, LogoVariation, const std::string& name) {
    const Picture picture(name);
    ASSERT_TRUE(picture.readable());
    const LogoLayout band = logo_layout(rotation, false, band_width(rotation), band_height(rotation));
    ASSERT_EQ(picture.width(), band.resultWidth);
    ASSERT_EQ(picture.height(), band.resultHeight);

    const LogoLayout code = logo_layout(rotation, true, picture.width(), picture.height());
    // Every pixel the box touches, and the ring of pixels just outside it.
    const int left = static_cast<int>(std::floor(code.boxX));
    const int top = static_cast<int>(std::floor(code.boxY));
    const int right = static_cast<int>(std::ceil(code.boxX + code.boxSide));
    const int bottom = static_cast<int>(std::ceil(code.boxY + code.boxSide));
    ASSERT_GE(left, 1);
    ASSERT_GE(top, 1);
    ASSERT_LT(right, picture.width());
    ASSERT_LT(bottom, picture.height());

    int notLight = 0;
    for (int y = top; y < bottom; ++y) {
      for (int x = left; x < right; ++x) notLight += is_light(picture.at(x, y)) ? 0 : 1;
    }
    EXPECT_EQ(notLight, 0);

    int frameGaps = 0;
    for (int y = top - 1; y <= bottom; ++y) {
      frameGaps += is_dark_enough(picture.at(left - 1, y)) ? 0 : 1;
      frameGaps += is_dark_enough(picture.at(right, y)) ? 0 : 1;
    }
    for (int x = left; x < right; ++x) {
      frameGaps += is_dark_enough(picture.at(x, top - 1)) ? 0 : 1;
      frameGaps += is_dark_enough(picture.at(x, bottom)) ? 0 : 1;
    }
    EXPECT_EQ(frameGaps, 0);
  });
}

TEST(LogoSet, InvoicePictureNamedLeftServesTheTopPlacement) {
  const Picture picture("invoice-left-dark.png");
  ASSERT_TRUE(picture.readable());
  EXPECT_EQ(picture.width(), kBandLength);
  EXPECT_EQ(picture.height(), kBandLength + kBandThickness);
  EXPECT_TRUE(is_light(picture.at(kBandLength / 2, kBandThickness + kBandLength / 2)));
  EXPECT_FALSE(is_light(picture.at(kBandLength / 2, 2)));

  const Picture itemsTop("items-top-gray.png");
  ASSERT_TRUE(itemsTop.readable());
  EXPECT_EQ(itemsTop.width(), kBandLength + kBandThickness);
  EXPECT_EQ(itemsTop.height(), kBandLength);
  EXPECT_TRUE(is_light(itemsTop.at(kBandThickness + kBandLength / 2, kBandLength / 2)));
}

TEST(LogoSet, UnframedPicturesAreBandsWithContent) {
  for_each_picture(false, [](unsigned, LogoRotation rotation, LogoVariation, const std::string& name) {
    const Picture picture(name);
    ASSERT_TRUE(picture.readable());
    EXPECT_EQ(picture.width(), band_width(rotation));
    EXPECT_EQ(picture.height(), band_height(rotation));

    // The band colour fills the corners; the word and the mark stand out from it.
    const Pixel card = picture.at(0, 0);
    int marked = 0;
    for (int y = 0; y < picture.height(); ++y) {
      for (int x = 0; x < picture.width(); ++x) {
        const Pixel pixel = picture.at(x, y);
        EXPECT_EQ(pixel.alpha, 255);
        marked += pixel == card ? 0 : 1;
      }
    }
    EXPECT_GT(marked, picture.width() * picture.height() / 50);
  });
}

TEST(LogoSet, FramedPicturesCarryTheUnframedBand) {
  for_each_picture(
      false, [](unsigned family, LogoRotation rotation, LogoVariation variation, const std::string& name) {
        const Picture unframed(name);
        const Picture framed(std::string(logo_file_name(family, rotation, variation, true)));
        ASSERT_TRUE(unframed.readable());
        ASSERT_TRUE(framed.readable());
        const LogoLayout layout = logo_layout(rotation, false, unframed.width(), unframed.height());
        ASSERT_EQ(framed.width(), layout.resultWidth);
        ASSERT_EQ(framed.height(), layout.resultHeight);
        const int offsetX = static_cast<int>(layout.logoX);
        const int offsetY = static_cast<int>(layout.logoY);
        int different = 0;
        for (int y = 0; y < unframed.height(); ++y) {
          for (int x = 0; x < unframed.width(); ++x) {
            different += unframed.at(x, y) == framed.at(x + offsetX, y + offsetY) ? 0 : 1;
          }
        }
        EXPECT_EQ(different, 0);
      });
}

TEST(LogoSet, ColourVariationsDiffer) {
  for (unsigned family = 0; family < 3; ++family) {
    for (const LogoRotation rotation : test::kAllRotations) {
      for (std::size_t first = 0; first < 4; ++first) {
        for (std::size_t second = first + 1; second < 4; ++second) {
          const Picture a(std::string(logo_file_name(family, rotation, test::kAllVariations[first], false)));
          const Picture b(std::string(logo_file_name(family, rotation, test::kAllVariations[second], false)));
          ASSERT_TRUE(a.readable());
          ASSERT_TRUE(b.readable());
          EXPECT_FALSE(a.at(0, 0) == b.at(0, 0))
              << logo_file_name(family, rotation, test::kAllVariations[first], false);
        }
      }
    }
  }
}

}  // namespace
}  // namespace tolvex
