// Logo composition against synthetic logo directories: where picture and code land, which
// file is opened, and which failure is reported first.
#include "tolvex/picture.hpp"
#include "support/family_of.h"
#include "image/logo_compose.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "codec/base32hex.h"
#include "image/picture_output.h"
#include "image/png_check.h"
#include "image/render.h"
#include "support/logo_values.h"
#include "support/process.h"

namespace tolvex {
namespace {

constexpr std::int32_t kBottom = 0;
constexpr std::int32_t kTop = 1;
constexpr std::int32_t kLeft = 2;
constexpr std::int32_t kRight = 3;
constexpr std::uint32_t kBlack = 0xFF000000;
constexpr const char* kPlacementWords[] = {"bottom", "top", "left", "right"};

std::uint32_t pixel(cairo_surface_t* surface, int x, int y) {
  const unsigned char* row = cairo_image_surface_get_data(surface) +
                             static_cast<std::ptrdiff_t>(y) * cairo_image_surface_get_stride(surface);
  std::uint32_t value;
  std::memcpy(&value, row + static_cast<std::ptrdiff_t>(x) * 4, sizeof value);
  return value;
}

std::size_t differing_pixels(cairo_surface_t* a, cairo_surface_t* b) {
  cairo_surface_flush(a);
  cairo_surface_flush(b);
  const int width = cairo_image_surface_get_width(a);
  const int height = cairo_image_surface_get_height(a);
  if (width != cairo_image_surface_get_width(b) || height != cairo_image_surface_get_height(b)) {
    return static_cast<std::size_t>(-1);
  }
  std::size_t count = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) count += pixel(a, x, y) != pixel(b, x, y);
  }
  return count;
}

// Every pixel tells where it lies, so a picture painted off its place shows; the blue part
// never drops below 0x80, so the code's modules are the only black pixels of a composition.
void write_logo(const std::string& path, int width, int height) {
  const SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height));
  cairo_surface_flush(surface.get());
  unsigned char* data = cairo_image_surface_get_data(surface.get());
  const int stride = cairo_image_surface_get_stride(surface.get());
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::uint32_t blue = 0x80 + (x >> 8) + ((y >> 8) << 3);
      const std::uint32_t value = 0xFF000000 | (static_cast<std::uint32_t>(x & 0xFF) << 16) |
                                  (static_cast<std::uint32_t>(y & 0xFF) << 8) | blue;
      std::memcpy(data + static_cast<std::ptrdiff_t>(y) * stride + static_cast<std::ptrdiff_t>(x) * 4, &value,
                  sizeof value);
    }
  }
  cairo_surface_mark_dirty(surface.get());
  ASSERT_EQ(cairo_surface_write_to_png(surface.get(), path.c_str()), CAIRO_STATUS_SUCCESS);
}

// A container text whose header names the family; the rest is filler that no check reads.
std::string text_of_family(unsigned family) {
  std::vector<std::uint8_t> bytes = {static_cast<std::uint8_t>(family << 4), 0x00};
  for (std::uint8_t i = 1; i <= 20; ++i) bytes.push_back(static_cast<std::uint8_t>(i * 37));
  std::string text;
  EXPECT_EQ(base32hex_encode(bytes.data(), bytes.size(), &text), ERROR_OK);
  return text;
}

QrSymbol symbol_of(const std::string& text) {
  const std::optional<QrSymbol> symbol = qr_encode(text);
  EXPECT_TRUE(symbol);
  return symbol.value_or(QrSymbol(0, QrBitMatrix{}));
}

class LogoComposeTest : public ::testing::Test {
 protected:
  void TearDown() override {
    render_set_background(1.0, 1.0, 1.0, 1.0);
    render_set_format(CAIRO_FORMAT_ARGB32);
  }

  test::TempDir logos;
  std::string directory = logos.path() + "/";
};

struct Geometry {
  const char* name;
  std::int32_t rotation;
  bool frame;
  int pictureWidth;
  int pictureHeight;
  int resultWidth;
  int resultHeight;
  double logoX;
  double logoY;
  double boxX;
  double boxY;
  double boxSide;
};

// Framed: margin 1.5 % of the reference side, the box side rounded up from what the margins
// leave (one more than 97 % for a round reference side). Unframed: the code beside the band.
const Geometry kGeometries[] = {
    {"framed bottom", kBottom, true, 500, 600, 500, 600, 0, 0, 7.5, 7.5, 486},
    {"framed top", kTop, true, 400, 520, 400, 520, 0, 0, 6, 126, 389},
    {"framed left", kLeft, true, 600, 500, 600, 500, 0, 0, 107.5, 7.5, 486},
    {"framed right", kRight, true, 520, 400, 520, 400, 0, 0, 6, 6, 389},
    {"band bottom", kBottom, false, 500, 200, 500, 700, 0, 500, 0, 0, 500},
    {"band top", kTop, false, 500, 200, 500, 700, 0, 0, 0, 200, 500},
    {"band left", kLeft, false, 200, 500, 700, 500, 0, 0, 200, 0, 500},
    {"band right", kRight, false, 200, 500, 700, 500, 500, 0, 0, 0, 500},
};

// The composition drawn step by step at the given places, for comparison pixel by pixel.
SurfacePtr reference_drawing(const Geometry& g, const std::string& logoPath, const std::string& text,
                             double boxX, double boxY, double boxSide) {
  SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, g.resultWidth, g.resultHeight));
  const SurfacePtr logo(cairo_image_surface_create_from_png(logoPath.c_str()));
  const ContextPtr context(cairo_create(surface.get()));
  cairo_set_source_rgb(context.get(), 1, 1, 1);
  cairo_paint(context.get());
  cairo_set_source_surface(context.get(), logo.get(), g.logoX, g.logoY);
  cairo_paint(context.get());
  cairo_translate(context.get(), boxX, boxY);
  qr_draw_modules(context.get(), symbol_of(text), boxSide);
  return surface;
}

struct Box {
  int left = -1;
  int top = -1;
  int right = -1;
  int bottom = -1;
  bool operator==(const Box&) const = default;
};

Box black_bounds(cairo_surface_t* surface) {
  cairo_surface_flush(surface);
  Box box;
  for (int y = 0; y < cairo_image_surface_get_height(surface); ++y) {
    for (int x = 0; x < cairo_image_surface_get_width(surface); ++x) {
      if (pixel(surface, x, y) != kBlack) continue;
      if (box.left < 0 || x < box.left) box.left = x;
      if (box.top < 0) box.top = y;
      if (x > box.right) box.right = x;
      box.bottom = y;
    }
  }
  return box;
}

// Without antialiasing a pixel is filled when its centre lies inside the shape.
int first_pixel_from(double edge) { return static_cast<int>(std::ceil(edge - 0.5)); }

TEST_F(LogoComposeTest, PictureAndCodeStandWhereTheGeometryPutsThem) {
  const std::string text = text_of_family(0);
  const int width = symbol_of(text).width();
  ASSERT_GT(width, 0);
  for (const Geometry& g : kGeometries) {
    SCOPED_TRACE(g.name);
    const test::TempDir pictures;
    const std::string name =
        std::string("pay-") + kPlacementWords[g.rotation] + (g.frame ? "-dark.png" : "-dark-no_frame.png");
    write_logo(pictures.file(name), g.pictureWidth, g.pictureHeight);

    SurfacePtr result;
    ASSERT_EQ(qr_logo_render_surface(text.c_str(), test::family_of(text.c_str()), test::rotation_index(g.rotation), test::variation_index(0),
                                     g.frame ? 1 : 0, (pictures.path() + "/").c_str(), &result),
              ERROR_OK);
    ASSERT_EQ(cairo_image_surface_get_width(result.get()), g.resultWidth);
    ASSERT_EQ(cairo_image_surface_get_height(result.get()), g.resultHeight);
    EXPECT_EQ(cairo_image_surface_get_format(result.get()), CAIRO_FORMAT_ARGB32);

    const auto differing_from = [&](double boxX, double boxY, double boxSide) {
      return differing_pixels(result.get(),
                              reference_drawing(g, pictures.file(name), text, boxX, boxY, boxSide).get());
    };
    EXPECT_EQ(differing_from(g.boxX, g.boxY, g.boxSide), 0u);
    // The comparison tells a box half a pixel off or a pixel smaller apart.
    EXPECT_GT(differing_from(g.boxX + 0.5, g.boxY + 0.5, g.boxSide), 0u);
    EXPECT_GT(differing_from(g.boxX, g.boxY, g.boxSide - 1), 0u);

    // The finder patterns mark the symbol's corners, 4 modules in from the box's.
    const double module = g.boxSide / (width + 8);
    const Box symbol = {first_pixel_from(g.boxX + 4 * module), first_pixel_from(g.boxY + 4 * module),
                        first_pixel_from(g.boxX + (4 + width) * module) - 1,
                        first_pixel_from(g.boxY + (4 + width) * module) - 1};
    EXPECT_EQ(black_bounds(result.get()), symbol);
  }
}

TEST_F(LogoComposeTest, InvoiceFamiliesSwapTopAndLeftFileNames) {
  struct Case {
    unsigned family;
    std::int32_t rotation;
    const char* file;
  };
  const Case cases[] = {
      {1, kTop, "invoice-left-dark.png"}, {1, kLeft, "invoice-top-dark.png"},
      {2, kTop, "items-left-dark.png"},   {2, kLeft, "items-top-dark.png"},
      {0, kTop, "pay-top-dark.png"},      {0, kLeft, "pay-left-dark.png"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    // The picture stands for the placement the rotation asks for, whatever its name; the code
    // goes into its bottom or its right square.
    const Geometry g = c.rotation == kTop
                           ? Geometry{"top", kTop, true, 400, 520, 400, 520, 0, 0, 6, 126, 389}
                           : Geometry{"left", kLeft, true, 520, 400, 520, 400, 0, 0, 126, 6, 389};
    const test::TempDir pictures;
    const std::string prefix = pictures.path() + "/";
    write_logo(pictures.file(c.file), g.pictureWidth, g.pictureHeight);

    const std::string text = text_of_family(c.family);
    SurfacePtr result;
    ASSERT_EQ(qr_logo_render_surface(text.c_str(), test::family_of(text.c_str()), test::rotation_index(c.rotation), test::variation_index(0),
                                     1, prefix.c_str(), &result),
              ERROR_OK);
    EXPECT_EQ(
        differing_pixels(result.get(),
                         reference_drawing(g, pictures.file(c.file), text, g.boxX, g.boxY, g.boxSide).get()),
        0u);

    // The same placement of another family finds no picture in this directory.
    SurfacePtr other;
    EXPECT_EQ(
        qr_logo_render_surface(text_of_family((c.family + 1) % 3).c_str(), test::family_of(text_of_family((c.family + 1) % 3).c_str()), test::rotation_index(c.rotation),
                               test::variation_index(0), 1, prefix.c_str(), &other),
        ERROR_MISSING_LOGO);
  }
}

TEST_F(LogoComposeTest, ChecksInTheirOrder) {
  // Letters only: more than the largest symbol holds in alphanumeric mode.
  std::string tooLong = text_of_family(0);
  tooLong.resize(5000, 'V');
  struct Case {
    const char* name;
    std::string text;
    std::int32_t rotation;
    std::int32_t variation;
    ErrorCode code;
    const char* message;
  };
  const char* const kVariation = "Illegal argument value for logo variation.";
  const char* const kRotation = "Illegal argument value for logo rotation.";
  const char* const kFamily =
      "Creating QR code images with logo is currently supported only for PAY, INVOICE or INVOICE ITEMS "
      "tolvex.";
  const Case cases[] = {
      {"header too short", "ABC", 7, 7, ERROR_UNKNOWN_DOCUMENT, "Header not found. "},
      {"character outside the alphabet", text_of_family(0) + "w", -1, 4, ERROR_BASE32HEX,
       "Invalid base32hex string. "},
      {"header of family 3, short", "60", 0, 0, ERROR_UNKNOWN_DOCUMENT, "Header not found. "},
      {"too long for any symbol", tooLong, 9, 9, ERROR_QR,
       "Text cannot be encoded as a QR code: it is empty or too long. "},
      {"variation before rotation", text_of_family(0), 4, 4, ERROR_ILLEGAL_ARGUMENT, kVariation},
      {"negative variation", text_of_family(0), 0, -1, ERROR_ILLEGAL_ARGUMENT, kVariation},
      {"negative rotation", text_of_family(0), -1, 3, ERROR_ILLEGAL_ARGUMENT, kRotation},
      {"rotation before family", text_of_family(3), 4, 0, ERROR_ILLEGAL_ARGUMENT, kRotation},
      {"variation before family", text_of_family(15), 0, 4, ERROR_ILLEGAL_ARGUMENT, kVariation},
      {"family 3", text_of_family(3), 3, 3, ERROR_MISSING_LOGO, kFamily},
      {"family 15", text_of_family(15), 0, 0, ERROR_MISSING_LOGO, kFamily},
      {"no picture", text_of_family(2), 0, 0, ERROR_MISSING_LOGO, "Cannot find logo file. "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // A directory that does not exist: nothing before the file is opened may depend on it. The
    // header is read by the picture entry, before the drawing's own checks.
    const Result<std::vector<std::uint8_t>> result =
        render(c.text, {.logo = LogoOptions{.directory = "/nonexistent/",
                                            .rotation = test::rotation_index(c.rotation),
                                            .variation = test::variation_index(c.variation)}});
    ASSERT_FALSE(result);
    EXPECT_EQ(static_cast<ErrorCode>(result.error().code), c.code);
    EXPECT_EQ(result.error().message, c.message);
    EXPECT_EQ(result.error().detail, "");
  }
}

TEST_F(LogoComposeTest, DirectoryRunsIntoTheFileName) {
  write_logo(logos.file("xpay-bottom-dark.png"), 500, 600);
  SurfacePtr result;
  EXPECT_EQ(qr_logo_render_surface(text_of_family(0).c_str(), test::family_of(text_of_family(0).c_str()), test::rotation_index(kBottom),
                                   test::variation_index(0), 1, logos.file("x").c_str(), &result),
            ERROR_OK);
  EXPECT_EQ(qr_logo_render_surface(text_of_family(0).c_str(), test::family_of(text_of_family(0).c_str()), test::rotation_index(kBottom),
                                   test::variation_index(0), 1, logos.path().c_str(), &result),
            ERROR_MISSING_LOGO);
  EXPECT_EQ(last_error().message, "Cannot find logo file. ");
}

// The bytes of a real logo picture, for damaging.
std::string png_bytes(int width, int height) {
  const SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
  const ContextPtr context(cairo_create(surface.get()));
  cairo_set_source_rgba(context.get(), 0.2, 0.4, 0.6, 0.8);
  cairo_paint(context.get());
  std::string bytes;
  EXPECT_EQ(cairo_surface_write_to_png_stream(
                surface.get(),
                [](void* closure, const unsigned char* data, unsigned int length) {
                  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
                  return CAIRO_STATUS_SUCCESS;
                },
                &bytes),
            CAIRO_STATUS_SUCCESS);
  return bytes;
}

// A file that is too short to read, foreign or damaged is a logo that cannot be used (code 10),
// not a lack of memory, although cairo reports libpng's refusals as one.
TEST_F(LogoComposeTest, FilesThatAreNoPictures) {
  const std::string picture = png_bytes(500, 600);
  std::string badChecksum = picture;
  badChecksum[badChecksum.find("IDAT") + 10] ^= 0x55;
  std::string wrongDepth = picture;
  wrongDepth[24] = 3;  // IHDR bit depth 3 exists for no colour type
  const struct {
    const char* name;
    std::string content;
    ErrorCode code;
    const char* message;
  } cases[] = {
      {"empty", "", ERROR_MISSING_LOGO, "Cannot read logo file. "},
      {"shorter than the signature", "short", ERROR_MISSING_LOGO, "Cannot read logo file. "},
      {"another format", "GIF89a, not a picture of ours", ERROR_MISSING_LOGO, "Cannot create logo. "},
      // A file that ends early is a read error to cairo.
      {"signature alone", std::string("\x89PNG\r\n\x1a\n", 8) + "cut short", ERROR_MISSING_LOGO,
       "Cannot read logo file. "},
      {"cut in its image data", picture.substr(0, picture.size() / 2), ERROR_MISSING_LOGO,
       "Cannot read logo file. "},
      {"image data with a wrong checksum", badChecksum, ERROR_MISSING_LOGO, "Cannot create logo. "},
      {"header libpng refuses", wrongDepth, ERROR_MISSING_LOGO, "Cannot create logo. "},
      {"whole", picture, ERROR_OK, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::write_file(logos.file("pay-bottom-dark.png"), c.content);
    set_error_message(ERROR_OK, "");
    SurfacePtr result;
    EXPECT_EQ(qr_logo_render_surface(text_of_family(0).c_str(), test::family_of(text_of_family(0).c_str()), test::rotation_index(kBottom),
                                     test::variation_index(0), 1, directory.c_str(), &result),
              c.code);
    EXPECT_EQ(last_error().message, c.message);
    EXPECT_EQ(result != nullptr, c.code == ERROR_OK);
  }
}

TEST(PngFileReads, TellsAPictureFromWhatIsNone) {
  const test::TempDir files;
  const std::string picture = png_bytes(30, 20);
  test::write_file(files.file("whole.png"), picture);
  test::write_file(files.file("cut.png"), picture.substr(0, picture.size() - 20));
  test::write_file(files.file("text.png"), "plain text, eight bytes or more");
  EXPECT_TRUE(png_file_reads(files.file("whole.png").c_str()));
  EXPECT_FALSE(png_file_reads(files.file("cut.png").c_str()));
  EXPECT_FALSE(png_file_reads(files.file("text.png").c_str()));
  EXPECT_FALSE(png_file_reads(files.file("missing.png").c_str()));
  EXPECT_FALSE(png_file_reads(nullptr));
}

TEST_F(LogoComposeTest, BackgroundShowsThroughTransparentPartsOfThePicture) {
  // A band whose left half is transparent and right half opaque blue.
  const SurfacePtr band(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 100, 20));
  {
    const ContextPtr context(cairo_create(band.get()));
    cairo_set_source_rgb(context.get(), 0, 0, 1);
    cairo_rectangle(context.get(), 50, 0, 50, 20);
    cairo_fill(context.get());
  }
  ASSERT_EQ(cairo_surface_write_to_png(band.get(), logos.file("pay-bottom-dark-no_frame.png").c_str()),
            CAIRO_STATUS_SUCCESS);

  render_set_background(1.0, 0.0, 0.0, 1.0);
  SurfacePtr result;
  ASSERT_EQ(qr_logo_render_surface(text_of_family(0).c_str(), test::family_of(text_of_family(0).c_str()), test::rotation_index(kBottom),
                                   test::variation_index(0), 0, directory.c_str(), &result),
            ERROR_OK);
  cairo_surface_flush(result.get());
  ASSERT_EQ(cairo_image_surface_get_height(result.get()), 120);
  for (int y = 100; y < 120; ++y) {
    for (int x = 0; x < 100; ++x) {
      ASSERT_EQ(pixel(result.get(), x, y), x < 50 ? 0xFFFF0000u : 0xFF0000FFu) << x << ", " << y;
    }
  }
  // The quiet zone of the code is the background too.
  EXPECT_EQ(pixel(result.get(), 0, 0), 0xFFFF0000u);
  EXPECT_EQ(pixel(result.get(), 99, 99), 0xFFFF0000u);
}

TEST_F(LogoComposeTest, ResultTakesTheThreadsFormat) {
  write_logo(logos.file("pay-bottom-dark.png"), 500, 600);
  render_set_format(CAIRO_FORMAT_RGB24);
  SurfacePtr result;
  ASSERT_EQ(qr_logo_render_surface(text_of_family(0).c_str(), test::family_of(text_of_family(0).c_str()), test::rotation_index(kBottom),
                                   test::variation_index(0), 1, directory.c_str(), &result),
            ERROR_OK);
  EXPECT_EQ(cairo_image_surface_get_format(result.get()), CAIRO_FORMAT_RGB24);
}

TEST_F(LogoComposeTest, WritesTheComposedPictureAsPng) {
  write_logo(logos.file("items-right-gray-no_frame.png"), 200, 500);
  const std::string text = text_of_family(2);
  const test::TempDir output;
  ASSERT_EQ(qr_logo_write_png_file(text.c_str(), test::rotation_index(kRight), test::variation_index(3), 0,
                                   directory.c_str(), output.file("out.png").c_str()),
            ERROR_OK);
  const SurfacePtr written(cairo_image_surface_create_from_png(output.file("out.png").c_str()));
  SurfacePtr composed;
  ASSERT_EQ(qr_logo_render_surface(text.c_str(), test::family_of(text.c_str()), test::rotation_index(kRight), test::variation_index(3), 0,
                                   directory.c_str(), &composed),
            ERROR_OK);
  EXPECT_EQ(differing_pixels(written.get(), composed.get()), 0u);

  EXPECT_EQ(qr_logo_write_png_file(text.c_str(), test::rotation_index(kRight), test::variation_index(3), 0,
                                   directory.c_str(), output.file("missing/out.png").c_str()),
            ERROR_IO);
  EXPECT_EQ(last_error().message, "Cannot write image to output file. ");
}

}  // namespace
}  // namespace tolvex
