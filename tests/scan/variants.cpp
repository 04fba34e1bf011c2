#include "scan/variants.h"

#include <png.h>
#include <turbojpeg.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <memory>
#include <random>
#include <stdexcept>

#include "image/logo_layout.h"
#include "qr/qr_encode.h"
#include "scan/pictures.h"

namespace tolvex::test {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kMargin = 24;
constexpr int kPlainModulePixels = 4;

struct Point {
  double x = 0;
  double y = 0;
};

// The projective map taking from[i] to to[i], as the 8 coefficients of a 3 x 3 matrix whose last
// entry is 1, by Gaussian elimination with partial pivoting.
std::array<double, 8> homography(const std::array<Point, 4>& from, const std::array<Point, 4>& to) {
  double a[8][9] = {};
  for (int i = 0; i < 4; ++i) {
    const double x = from[i].x, y = from[i].y, u = to[i].x, v = to[i].y;
    const double rowU[9] = {x, y, 1, 0, 0, 0, -u * x, -u * y, u};
    const double rowV[9] = {0, 0, 0, x, y, 1, -v * x, -v * y, v};
    std::copy(std::begin(rowU), std::end(rowU), a[2 * i]);
    std::copy(std::begin(rowV), std::end(rowV), a[2 * i + 1]);
  }
  for (int column = 0; column < 8; ++column) {
    int pivot = column;
    for (int row = column + 1; row < 8; ++row) {
      if (std::abs(a[row][column]) > std::abs(a[pivot][column])) pivot = row;
    }
    std::swap(a[column], a[pivot]);
    for (int row = 0; row < 8; ++row) {
      if (row == column) continue;
      const double factor = a[row][column] / a[column][column];
      for (int k = column; k < 9; ++k) a[row][k] -= factor * a[column][k];
    }
  }
  std::array<double, 8> h{};
  for (int i = 0; i < 8; ++i) h[i] = a[i][8] / a[i][i];
  return h;
}

double sample(const GrayImage& picture, double x, double y) {
  const int x0 = static_cast<int>(std::floor(x));
  const int y0 = static_cast<int>(std::floor(y));
  const double fx = x - x0;
  const double fy = y - y0;
  const auto at = [&picture](int px, int py) -> double {
    if (px < 0 || py < 0 || px >= picture.width || py >= picture.height) return 255.0;
    return picture.pixels[static_cast<std::size_t>(py) * picture.width + px];
  };
  return (1 - fy) * ((1 - fx) * at(x0, y0) + fx * at(x0 + 1, y0)) +
         fy * ((1 - fx) * at(x0, y0 + 1) + fx * at(x0 + 1, y0 + 1));
}

// The picture's corners after scaling, the perspective and the rotation, about its centre.
std::array<Point, 4> moved_corners(const GrayImage& picture, const Degradation& d) {
  const double halfW = picture.width / 2.0;
  const double halfH = picture.height / 2.0;
  const std::array<Point, 4> corners = {Point{-halfW, -halfH}, Point{halfW, -halfH}, Point{halfW, halfH},
                                        Point{-halfW, halfH}};
  const double tiltRadians = d.tiltAngle * kPi / 180.0;
  const Point direction{std::cos(tiltRadians), std::sin(tiltRadians)};
  const double extent = std::abs(direction.x) * halfW + std::abs(direction.y) * halfH;
  const double angle = d.angle * kPi / 180.0;
  std::array<Point, 4> moved{};
  for (int i = 0; i < 4; ++i) {
    const Point c = corners[i];
    // Along the direction the picture recedes: the farther, the narrower across it.
    const double along = c.x * direction.x + c.y * direction.y;
    const double across = -c.x * direction.y + c.y * direction.x;
    const double shrink = 1.0 - d.tilt * (along / extent + 1.0) / 2.0;
    const Point tilted{along * direction.x - across * shrink * direction.y,
                       along * direction.y + across * shrink * direction.x};
    const Point scaled{tilted.x * d.scale, tilted.y * d.scale};
    moved[i] = {scaled.x * std::cos(angle) - scaled.y * std::sin(angle),
                scaled.x * std::sin(angle) + scaled.y * std::cos(angle)};
  }
  return moved;
}

GrayImage warped(const GrayImage& picture, const Degradation& d) {
  std::array<Point, 4> moved = moved_corners(picture, d);
  double minX = moved[0].x, maxX = moved[0].x, minY = moved[0].y, maxY = moved[0].y;
  for (const Point& p : moved) {
    minX = std::min(minX, p.x);
    maxX = std::max(maxX, p.x);
    minY = std::min(minY, p.y);
    maxY = std::max(maxY, p.y);
  }
  for (Point& p : moved) p = {p.x - minX + kMargin, p.y - minY + kMargin};
  const std::array<Point, 4> source = {Point{0, 0}, Point{double(picture.width), 0},
                                       Point{double(picture.width), double(picture.height)},
                                       Point{0, double(picture.height)}};
  const std::array<double, 8> h = homography(moved, source);
  GrayImage out;
  out.width = static_cast<int>(std::ceil(maxX - minX)) + 2 * kMargin;
  out.height = static_cast<int>(std::ceil(maxY - minY)) + 2 * kMargin;
  out.pixels.resize(static_cast<std::size_t>(out.width) * out.height);
  for (int y = 0; y < out.height; ++y) {
    for (int x = 0; x < out.width; ++x) {
      // Pixel centres, so that a scale of 1 without rotation copies the picture.
      const double px = x + 0.5, py = y + 0.5;
      const double w = h[6] * px + h[7] * py + 1;
      const double sx = (h[0] * px + h[1] * py + h[2]) / w - 0.5;
      const double sy = (h[3] * px + h[4] * py + h[5]) / w - 0.5;
      out.pixels[static_cast<std::size_t>(y) * out.width + x] =
          static_cast<std::uint8_t>(std::lround(sample(picture, sx, sy)));
    }
  }
  return out;
}

void box_blur(GrayImage& picture) {
  const GrayImage source = picture;
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      int sum = 0, count = 0;
      for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
          const int sx = x + dx, sy = y + dy;
          if (sx < 0 || sy < 0 || sx >= picture.width || sy >= picture.height) continue;
          sum += source.pixels[static_cast<std::size_t>(sy) * picture.width + sx];
          ++count;
        }
      }
      picture.pixels[static_cast<std::size_t>(y) * picture.width + x] =
          static_cast<std::uint8_t>(sum / count);
    }
  }
}

double uniform(std::mt19937& random, double low, double high) {
  return low + (high - low) * (static_cast<double>(random()) / 4294967296.0);
}

// The sum of twelve uniform numbers less six: close to a standard normal, and the same on every
// standard library, unlike std::normal_distribution.
double gaussian(std::mt19937& random) {
  double sum = 0;
  for (int i = 0; i < 12; ++i) sum += uniform(random, 0, 1);
  return sum - 6;
}

// One kind of degradation for each index, then combinations; module is the size of a module of
// the picture in pixels.
Degradation drawn(int kind, double module, std::mt19937& random) {
  Degradation d;
  const auto to_module = [module](double pixels) { return pixels / module; };
  switch (kind) {
    case 0:
      d.angle = uniform(random, 0, 360);
      break;
    case 1:
      d.tilt = uniform(random, 0.15, 0.35);
      d.tiltAngle = uniform(random, 0, 360);
      break;
    case 2:
      d.scale = to_module(uniform(random, 1.6, 3.0));
      break;
    case 3:
      d.scale = to_module(uniform(random, 8, 14));
      break;
    case 4:
      d.scale = to_module(4);
      d.blur = 1 + static_cast<int>(random() % 2);
      break;
    case 5:
      d.noise = uniform(random, 10, 30);
      break;
    case 6:
      d.paper = static_cast<int>(uniform(random, 150, 230));
      d.ink = static_cast<int>(uniform(random, 20, 90));
      break;
    case 7:
      d.inverted = true;
      break;
    default:
      d.angle = uniform(random, 0, 360);
      d.tilt = uniform(random, 0, 0.25);
      d.tiltAngle = uniform(random, 0, 360);
      d.scale = to_module(uniform(random, 2.5, 6));
      d.blur = static_cast<int>(random() % 2);
      d.noise = uniform(random, 0, 15);
      if (random() % 2 == 0) {
        d.paper = static_cast<int>(uniform(random, 170, 240));
        d.ink = static_cast<int>(uniform(random, 20, 70));
      }
      d.inverted = random() % 4 == 0;
  }
  return d;
}

std::string described(const Degradation& d) {
  char text[160];
  std::snprintf(text, sizeof text,
                "angle %.0f tilt %.2f@%.0f scale %.2f blur %d noise %.0f paper %d ink %d%s", d.angle, d.tilt,
                d.tiltAngle, d.scale, d.blur, d.noise, d.paper, d.ink, d.inverted ? " inverted" : "");
  return text;
}

constexpr int kKinds = 12;

struct Drawn {
  Degradation degradation;
  int jpegQuality = 0;  // stored as a JPEG of this quality; 0: not
};

// perStyle variants of every example, plain and in logo pictures with and without a frame; draw
// gives each one's degradation from the size of a module of its picture in pixels.
std::vector<Variant> styled_variants(int perStyle, std::uint32_t seed,
                                     const std::function<Drawn(double module, std::mt19937&)>& draw) {
  std::mt19937 random(seed);
  std::vector<Variant> variants;
  for (const std::string& example : example_names()) {
    const std::string text = example_text(example);
    const int modules = qr_encode(text)->width() + 8;
    for (int style = 0; style < 3; ++style) {
      const bool frame = style == 1;
      const int rotation = static_cast<int>(random() % 4);
      const int variation = static_cast<int>(random() % 4);
      const SurfacePtr surface =
          style == 0 ? plain_code(text, kPlainModulePixels) : logo_code(text, rotation, variation, frame);
      const GrayImage picture = gray_from_surface(surface.get());
      // Without a frame the code has a square of its own across the picture's short side.
      const double box =
          style == 0 ? kPlainModulePixels * modules
          : frame
              ? logo_layout(static_cast<LogoRotation>(rotation), frame, picture.width, picture.height).boxSide
              : std::min(picture.width, picture.height);
      const double module = box / modules;
      const std::string name = example + (style == 0 ? " plain" : frame ? " logo" : " logo without frame");
      for (int i = 0; i < perStyle; ++i) {
        const Drawn drawn = draw(module, random);
        const std::uint32_t noiseSeed = random();
        GrayImage degraded = degrade(picture, drawn.degradation, noiseSeed);
        std::string described_as = name + ", " + described(drawn.degradation);
        if (drawn.jpegQuality > 0) {
          degraded = jpeg_round_trip(degraded, drawn.jpegQuality);
          described_as += " jpeg " + std::to_string(drawn.jpegQuality);
        }
        variants.push_back({std::move(described_as), text, std::move(degraded)});
      }
    }
  }
  return variants;
}

}  // namespace

GrayImage degrade(const GrayImage& picture, const Degradation& d, std::uint32_t seed) {
  GrayImage out = warped(picture, d);
  for (int i = 0; i < d.blur; ++i) box_blur(out);
  std::mt19937 random(seed);
  for (std::uint8_t& pixel : out.pixels) {
    double value = d.ink + (d.paper - d.ink) * (pixel / 255.0);
    if (d.noise > 0) value += d.noise * gaussian(random);
    if (d.inverted) value = 255 - value;
    pixel = static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, 255L));
  }
  return out;
}

std::vector<Variant> generated_variants(int perStyle, std::uint32_t seed) {
  int kind = 0;
  return styled_variants(perStyle, seed, [&kind](double module, std::mt19937& random) {
    return Drawn{drawn(kind++ % kKinds, module, random), 0};
  });
}

std::vector<Variant> generated_perspective_variants(int perStyle, std::uint32_t seed) {
  return styled_variants(perStyle, seed, [](double module, std::mt19937& random) {
    Drawn drawn;
    Degradation& d = drawn.degradation;
    d.tilt = uniform(random, 0.10, 0.45);
    d.tiltAngle = uniform(random, 0, 360);
    d.angle = uniform(random, 0, 360);
    const double modulePixels = uniform(random, 3, 7);
    d.scale = modulePixels / module;
    // Two passes blur a module of fewer than five pixels past what any reader (or phone) reads.
    d.blur = static_cast<int>(random() % (modulePixels >= 5 ? 3 : 2));
    d.noise = uniform(random, 0, 8);
    if (random() % 4 != 0) drawn.jpegQuality = static_cast<int>(uniform(random, 40, 90));
    return drawn;
  });
}

GrayImage jpeg_round_trip(const GrayImage& picture, int quality) {
  const std::unique_ptr<void, int (*)(tjhandle)> encoder(tjInitCompress(), tjDestroy);
  const std::unique_ptr<void, int (*)(tjhandle)> decoder(tjInitDecompress(), tjDestroy);
  unsigned char* jpeg = nullptr;
  unsigned long size = 0;
  if (!encoder || !decoder ||
      tjCompress2(encoder.get(), picture.pixels.data(), picture.width, 0, picture.height, TJPF_GRAY, &jpeg,
                  &size, TJSAMP_GRAY, quality, 0) != 0) {
    tjFree(jpeg);
    throw std::runtime_error("cannot compress a JPEG");
  }
  GrayImage out;
  out.width = picture.width;
  out.height = picture.height;
  out.pixels.resize(picture.pixels.size());
  const int failed = tjDecompress2(decoder.get(), jpeg, size, out.pixels.data(), out.width, 0, out.height,
                                   TJPF_GRAY, 0);
  tjFree(jpeg);
  if (failed != 0) throw std::runtime_error("cannot decompress a JPEG");
  return out;
}

void write_gray_png(const GrayImage& picture, const std::string& path) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(picture.width);
  image.height = static_cast<png_uint_32>(picture.height);
  image.format = PNG_FORMAT_GRAY;
  if (png_image_write_to_file(&image, path.c_str(), 0, picture.pixels.data(), 0, nullptr) == 0) {
    throw std::runtime_error("cannot write " + path);
  }
}

}  // namespace tolvex::test
