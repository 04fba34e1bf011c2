#include "tolvex/picture.hpp"
#include "image/render.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "image/picture_output.h"
#include "support/process.h"

namespace tolvex {
namespace {

using test::read_file;
using test::TempDir;
using test::write_file;

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kBlack = 0x000000;

// A PNG file read back through cairo, pixels as 0xRRGGBB (alpha reported separately).
struct Picture {
  int width = 0;
  int height = 0;
  cairo_format_t format = CAIRO_FORMAT_INVALID;
  std::vector<std::uint32_t> pixels;

  std::uint32_t rgb(int x, int y) const {
    return pixels[static_cast<std::size_t>(y * width + x)] & 0xFFFFFFu;
  }
  std::uint32_t alpha(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)] >> 24; }
};

Picture picture_of(cairo_surface_t* surface) {
  Picture picture;
  cairo_surface_flush(surface);
  picture.width = cairo_image_surface_get_width(surface);
  picture.height = cairo_image_surface_get_height(surface);
  picture.format = cairo_image_surface_get_format(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  for (int y = 0; y < picture.height; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(data + y * stride);
    picture.pixels.insert(picture.pixels.end(), row, row + picture.width);
  }
  return picture;
}

Picture read_png(const std::string& path) {
  const SurfacePtr surface(cairo_image_surface_create_from_png(path.c_str()));
  EXPECT_EQ(cairo_surface_status(surface.get()), CAIRO_STATUS_SUCCESS) << path;
  return picture_of(surface.get());
}

struct Symbol {
  int width = 0;
  QrBitMatrix matrix{};

  explicit Symbol(const char* text) {
    width =
        qr_encode_symbol(QrErrorCorrection::L, 0, reinterpret_cast<const std::uint8_t*>(text), 0, &matrix);
  }
  bool dark(int x, int y) const {
    const int bit = y * width + x;
    return (matrix[static_cast<std::size_t>(bit / 8)] & (0x80 >> (bit % 8))) != 0;
  }
};

// The colour at pixel (px, py) of a P x P picture whose w + 8 modules, quiet zone included,
// fill it: the module under the pixel's centre. Returns false where a module edge passes
// exactly through the centre, where either colour is right.
bool expected_colour(const Symbol& symbol, int size, int px, int py, std::uint32_t& colour) {
  const int modules = symbol.width + 8;
  const auto module_at = [size, modules](int p, int& module) {
    const long scaled = static_cast<long>(2 * p + 1) * modules;  // centre in units of 1 / (2 size) modules
    if (scaled % (2L * size) == 0) return false;
    module = static_cast<int>(scaled / (2L * size)) - 4;
    return true;
  };
  int mx = 0;
  int my = 0;
  if (!module_at(px, mx) || !module_at(py, my)) return false;
  const bool inside = mx >= 0 && my >= 0 && mx < symbol.width && my < symbol.width;
  colour = inside && symbol.dark(mx, my) ? kBlack : kWhite;
  return true;
}

class RenderTest : public ::testing::Test {
 protected:
  TempDir directory;
  void TearDown() override {
    render_set_background(1.0, 1.0, 1.0, 1.0);
    render_set_format(CAIRO_FORMAT_ARGB32);
  }
};

TEST_F(RenderTest, PixelSizeZeroIsOnePixelAModule) {
  const Symbol symbol("A1B");
  ASSERT_EQ(symbol.width, 21);
  const std::string file = directory.file("small.png");
  ASSERT_EQ(qr_write_png_file("A1B", 0, file.c_str()), ERROR_OK);
  const Picture picture = read_png(file);
  ASSERT_EQ(picture.width, 29);
  ASSERT_EQ(picture.height, 29);
  for (int y = 0; y < 29; ++y) {
    for (int x = 0; x < 29; ++x) {
      const bool inside = x >= 4 && y >= 4 && x < 25 && y < 25;
      const std::uint32_t expected = inside && symbol.dark(x - 4, y - 4) ? kBlack : kWhite;
      ASSERT_EQ(picture.rgb(x, y), expected) << x << "," << y;
      ASSERT_EQ(picture.alpha(x, y), 0xFFu);
    }
  }
}

TEST_F(RenderTest, WholeModulesOfTenPixels) {
  const Symbol symbol("A1B");
  const std::string file = directory.file("large.png");
  ASSERT_EQ(qr_write_png_file("A1B", 290, file.c_str()), ERROR_OK);
  const Picture picture = read_png(file);
  ASSERT_EQ(picture.width, 290);
  ASSERT_EQ(picture.height, 290);
  for (int y = 0; y < 290; ++y) {
    for (int x = 0; x < 290; ++x) {
      const bool inside = x >= 40 && y >= 40 && x < 250 && y < 250;
      const std::uint32_t expected = inside && symbol.dark((x - 40) / 10, (y - 40) / 10) ? kBlack : kWhite;
      ASSERT_EQ(picture.rgb(x, y), expected) << x << "," << y;
    }
  }
}

TEST_F(RenderTest, SizesThatAreNoMultipleFillThePictureWithoutGrey) {
  const char* text = "hello World 123 test";
  const Symbol symbol(text);
  for (const int size : {33, 100, 257, 411}) {
    const std::string file = directory.file("odd.png");
    ASSERT_EQ(qr_write_png_file(text, size, file.c_str()), ERROR_OK);
    const Picture picture = read_png(file);
    ASSERT_EQ(picture.width, size);
    ASSERT_EQ(picture.height, size);
    int checked = 0;
    for (int y = 0; y < size; ++y) {
      for (int x = 0; x < size; ++x) {
        const std::uint32_t colour = picture.rgb(x, y);
        ASSERT_TRUE(colour == kBlack || colour == kWhite) << size << " at " << x << "," << y;
        std::uint32_t expected = 0;
        if (!expected_colour(symbol, size, x, y, expected)) continue;
        ASSERT_EQ(colour, expected) << size << " at " << x << "," << y;
        ++checked;
      }
    }
    EXPECT_GT(checked, size * size * 9 / 10);
  }
}

TEST_F(RenderTest, SurfaceHasTheRequestedSideAndFormat) {
  SurfacePtr surface;
  ASSERT_EQ(qr_render_surface("A1B", 0, &surface), ERROR_OK);
  EXPECT_EQ(cairo_image_surface_get_width(surface.get()), 29);
  EXPECT_EQ(cairo_image_surface_get_format(surface.get()), CAIRO_FORMAT_ARGB32);
  render_set_format(CAIRO_FORMAT_RGB24);
  ASSERT_EQ(qr_render_surface(std::string(26, 'A').c_str(), 99, &surface), ERROR_OK);
  EXPECT_EQ(cairo_image_surface_get_width(surface.get()), 99);
  EXPECT_EQ(cairo_image_surface_get_height(surface.get()), 99);
  EXPECT_EQ(cairo_image_surface_get_format(surface.get()), CAIRO_FORMAT_RGB24);
}

TEST_F(RenderTest, BackgroundShowsThroughLightModulesAndQuietZone) {
  render_set_background(1.0, 0.0, 0.0, 1.0);
  const Symbol symbol("A1B");
  SurfacePtr surface;
  ASSERT_EQ(qr_render_surface("A1B", 0, &surface), ERROR_OK);
  const Picture picture = picture_of(surface.get());
  EXPECT_EQ(picture.rgb(0, 0), 0xFF0000u);
  for (int y = 0; y < 21; ++y) {
    for (int x = 0; x < 21; ++x) EXPECT_EQ(picture.rgb(x + 4, y + 4), symbol.dark(x, y) ? kBlack : 0xFF0000u);
  }
  render_set_background(0.0, 0.0, 1.0, 0.0);
  ASSERT_EQ(qr_render_surface("A1B", 0, &surface), ERROR_OK);
  const Picture transparent = picture_of(surface.get());
  EXPECT_EQ(transparent.alpha(0, 0), 0u);
  EXPECT_EQ(transparent.alpha(4, 4), 0xFFu);
}

TEST_F(RenderTest, DrawModulesIntoABoxAtTheOrigin) {
  const Symbol symbol("A1B");
  const SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 80, 70));
  const ContextPtr context(cairo_create(surface.get()));
  cairo_translate(context.get(), 10, 5);
  qr_draw_modules(context.get(), QrSymbol(symbol.width, symbol.matrix), 58);  // 2 pixels a module
  const Picture picture = picture_of(surface.get());
  for (int y = 0; y < 70; ++y) {
    for (int x = 0; x < 80; ++x) {
      const int mx = (x - 10) / 2 - 4;
      const int my = (y - 5) / 2 - 4;
      const bool dark = x >= 18 && y >= 13 && mx < 21 && my < 21 && symbol.dark(mx, my);
      // Light modules are not painted: the surface stays transparent there.
      ASSERT_EQ(picture.alpha(x, y), dark ? 0xFFu : 0u) << x << "," << y;
    }
  }
}

TEST_F(RenderTest, SettingsBelongToTheThread) {
  render_set_background(0.25, 0.5, 0.75, 0.5);
  render_set_format(CAIRO_FORMAT_RGB24);
  RenderSettings seen;
  std::thread other([&seen] {
    seen = render_settings();
    render_set_background(0.0, 0.0, 0.0, 0.0);
  });
  other.join();
  EXPECT_EQ(seen.red, 1.0);
  EXPECT_EQ(seen.green, 1.0);
  EXPECT_EQ(seen.blue, 1.0);
  EXPECT_EQ(seen.alpha, 1.0);
  EXPECT_EQ(seen.format, CAIRO_FORMAT_ARGB32);
  EXPECT_EQ(render_settings().red, 0.25);
  EXPECT_EQ(render_settings().green, 0.5);
  EXPECT_EQ(render_settings().blue, 0.75);
  EXPECT_EQ(render_settings().alpha, 0.5);
  EXPECT_EQ(render_settings().format, CAIRO_FORMAT_RGB24);
}

std::vector<std::string> directory_entries(const std::string& path) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(path))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// A size cairo cannot create, a missing directory, a directory, an empty name.
TEST_F(RenderTest, UnwritablePicturesAndNames) {
  const std::vector<std::pair<std::int32_t, std::string>> cases = {
      {-5, directory.file("negative.png")},
      {0, directory.file("missing/qr.png")},
      {0, directory.path()},
      {0, ""},
  };
  for (const auto& [size, name] : cases) {
    EXPECT_EQ(qr_write_png_file("A1B", size, name.c_str()), ERROR_IO) << size << " " << name;
    EXPECT_EQ(error_line(), "ERROR_IO: Cannot write image to output file.  ");
  }
  EXPECT_TRUE(directory_entries(directory.path()).empty());
}

// Sides above the largest are refused before any surface is made, with a message that says so;
// the largest itself is drawn.
TEST_F(RenderTest, SidesAboveTheLargestAreRefused) {
  for (const std::int32_t size : {kLargestImageSize + 1, 32767, 100000, INT32_MAX}) {
    SurfacePtr surface;
    EXPECT_EQ(qr_render_surface("A1B", size, &surface), ERROR_ILLEGAL_ARGUMENT) << size;
    EXPECT_EQ(error_line(), "ERROR_ILLEGAL_ARGUMENT: Image size is too large: the largest is 8000 pixels.  ");
    EXPECT_EQ(surface, nullptr);
    EXPECT_EQ(qr_write_png_file("A1B", size, directory.file("large.png").c_str()), ERROR_ILLEGAL_ARGUMENT);
  }
  EXPECT_TRUE(directory_entries(directory.path()).empty());
  SurfacePtr largest;
  ASSERT_EQ(qr_render_surface("A1B", kLargestImageSize, &largest), ERROR_OK);
  EXPECT_EQ(cairo_image_surface_get_width(largest.get()), kLargestImageSize);
}

TEST_F(RenderTest, EncoderFailureStopsBeforeDrawing) {
  const std::string file = directory.file("qr.png");
  EXPECT_EQ(qr_write_png_file("", 0, file.c_str()), ERROR_QR);
  EXPECT_EQ(error_line(), "ERROR_QR: Text cannot be encoded as a QR code: it is empty or too long.  ");
  EXPECT_EQ(qr_write_png_file(std::string(3000, 'a').c_str(), 0, file.c_str()), ERROR_QR);
  SurfacePtr surface;
  EXPECT_EQ(qr_render_surface(std::string(5000, 'A').c_str(), 0, &surface), ERROR_QR);
  EXPECT_EQ(surface, nullptr);
  EXPECT_TRUE(directory_entries(directory.path()).empty());
}

TEST_F(RenderTest, ReplacesAnExistingFileAndLeavesNoTemporary) {
  const std::string file = directory.file("qr.png");
  write_file(file, "not a picture");
  ::chmod(file.c_str(), 0640);
  ASSERT_EQ(qr_write_png_file("A1B", 0, file.c_str()), ERROR_OK);
  EXPECT_EQ(read_png(file).width, 29);
  struct stat status;
  ASSERT_EQ(::stat(file.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0640u);
  EXPECT_EQ(directory_entries(directory.path()), std::vector<std::string>{"qr.png"});
}

TEST_F(RenderTest, AFailureLeavesAnExistingFileAsItWas) {
  const std::string file = directory.file("qr.png");
  write_file(file, "previous content");
  EXPECT_EQ(qr_write_png_file("A1B", -1, file.c_str()), ERROR_IO);
  EXPECT_EQ(qr_write_png_file("", 0, file.c_str()), ERROR_QR);
  EXPECT_EQ(read_file(file), "previous content");
  EXPECT_EQ(directory_entries(directory.path()), std::vector<std::string>{"qr.png"});
}

TEST_F(RenderTest, WritesThroughASymbolicLink) {
  const std::string target = directory.file("target.png");
  const std::string link = directory.file("link.png");
  write_file(target, "old");
  ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
  ASSERT_EQ(qr_write_png_file("A1B", 0, link.c_str()), ERROR_OK);
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(read_png(target).width, 29);
  EXPECT_EQ(directory_entries(directory.path()), (std::vector<std::string>{"link.png", "target.png"}));
}

TEST_F(RenderTest, WritesDirectlyToFilesThatAreNotRegular) {
  EXPECT_EQ(qr_write_png_file("A1B", 0, "/dev/null"), ERROR_OK);
  const std::string fifo = directory.file("pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::string received;
  std::thread reader([&fifo, &received] { received = read_file(fifo); });
  EXPECT_EQ(qr_write_png_file("A1B", 0, fifo.c_str()), ERROR_OK);
  // Should the write never have opened the pipe, this lets the reader finish.
  const int release = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
  if (release >= 0) ::close(release);
  reader.join();
  EXPECT_EQ(received.substr(1, 3), "PNG");
  EXPECT_EQ(directory_entries(directory.path()), std::vector<std::string>{"pipe"});
}

}  // namespace
}  // namespace tolvex
