// Codes at a steep angle: the projective fit, and the straightened symbols a reader reads where
// the plain attempts do not.
#include "scan/qr_straighten.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "scan/pictures.h"
#include "scan/qr_read.h"
#include "scan/variants.h"

namespace tolvex {
namespace {

bool holds(const std::vector<std::string>& texts, const std::string& text) {
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

TEST(Straighten, FitRecoversTheProjectionThatMadeThePoints) {
  struct Case {
    const char* name;
    Projection projection;
  };
  const Case cases[] = {
      {"identity", {1, 0, 0, 0, 1, 0, 0, 0}},
      {"scaled and moved far", {7.5, 0, 3000, 0, 7.5, 2500, 0, 0}},
      {"rotated and sheared", {3, -4, 200, 4.5, 3, 100, 0, 0}},
      {"steep perspective", {6, 1, 400, -0.5, 4, 300, 0.012, -0.004}},
  };
  std::vector<PicturePoint> grid;
  for (const double x : {0.0, 7.0, 50.0, 57.0}) {
    for (const double y : {0.0, 7.0}) grid.push_back({x, y});
    grid.push_back({0, x});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<PicturePoint> pictured;
    for (const PicturePoint& p : grid) pictured.push_back(projected(c.projection, p));
    Projection fitted{};
    ASSERT_TRUE(fit_projection(grid, pictured, &fitted));
    for (const PicturePoint& p : {PicturePoint{28, 28}, PicturePoint{57, 57}, PicturePoint{-4, 61}}) {
      const PicturePoint expected = projected(c.projection, p), got = projected(fitted, p);
      EXPECT_NEAR(got.x, expected.x, 1e-6 * std::max(1.0, std::abs(expected.x)));
      EXPECT_NEAR(got.y, expected.y, 1e-6 * std::max(1.0, std::abs(expected.y)));
    }
  }
}

TEST(Straighten, FitRefusesWhatDeterminesNoProjection) {
  Projection fitted{};
  const std::vector<PicturePoint> three = {{0, 0}, {1, 0}, {0, 1}};
  EXPECT_FALSE(fit_projection(three, three, &fitted)) << "three pairs";
  const std::vector<PicturePoint> line = {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}};
  EXPECT_FALSE(fit_projection(line, line, &fitted)) << "all on one line";
  const std::vector<PicturePoint> same(5, PicturePoint{3, 3});
  EXPECT_FALSE(fit_projection(same, same, &fitted)) << "one point";
  const std::vector<PicturePoint> square = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  EXPECT_FALSE(fit_projection(square, three, &fitted)) << "pairs of different counts";
}

// The steepest angles of the perspective sweep, receding towards each side and corner and
// turned: the straightened attempt reads every one, and zxing-cpp alone gives up on some.
TEST(Straighten, SteepAnglesReadOnceStraightened) {
  const std::string text = test::example_text("invoice.xml");
  const SurfacePtr surface = test::plain_code(text, 4);
  const GrayImage picture = gray_from_surface(surface.get());
  int plainMisses = 0;
  for (const double tiltAngle : {0.0, 45.0, 90.0, 180.0, 270.0}) {
    for (const double angle : {0.0, 30.0, 200.0}) {
      test::Degradation d;
      d.tilt = 0.45;
      d.tiltAngle = tiltAngle;
      d.angle = angle;
      d.scale = 1.25;
      const GrayImage tilted = test::degrade(picture, d, 7);
      SCOPED_TRACE("receding at " + std::to_string(tiltAngle) + ", turned " + std::to_string(angle));
      EXPECT_TRUE(holds(qr_read_attempt(tilted, QrAttempt::straightened), text));
      plainMisses += !holds(qr_read_attempt(tilted, QrAttempt::zxing), text);
    }
  }
  EXPECT_GT(plainMisses, 0) << "these angles no longer need straightening";
}

// A photograph of many megapixels is searched at half its size and resampled from the whole.
TEST(Straighten, ALargePictureIsSearchedAtHalfItsSize) {
  const std::string text = test::example_text("invoice.xml");
  const SurfacePtr surface = test::plain_code(text, 4);
  test::Degradation d;
  d.tilt = 0.45;
  d.tiltAngle = 90;
  d.angle = 20;
  d.scale = 8;
  const GrayImage large = test::degrade(gray_from_surface(surface.get()), d, 7);
  ASSERT_GT(static_cast<long>(large.width) * large.height, 4'000'000L);
  EXPECT_TRUE(holds(qr_read_attempt(large, QrAttempt::straightened), text));
}

TEST(Straighten, NoSymbolWhereNoFinderPatterns) {
  GrayImage blank;
  blank.width = 600;
  blank.height = 400;
  blank.pixels.assign(600 * 400, 250);
  EXPECT_TRUE(qr_straightened(blank).empty());
  // Stripes cross every row with runs of one width, never 1:1:3:1:1.
  GrayImage stripes = blank;
  for (int y = 0; y < stripes.height; ++y) {
    for (int x = 0; x < stripes.width; ++x) stripes.pixels[y * stripes.width + x] = (x / 6) % 2 ? 0 : 255;
  }
  EXPECT_TRUE(qr_straightened(stripes).empty());
  GrayImage tiny;
  tiny.width = tiny.height = 20;
  tiny.pixels.assign(400, 0);
  EXPECT_TRUE(qr_straightened(tiny).empty());
}

// A fixed part of the perspective sweep (scan_variant_sweep --perspective): opposite sides
// differing by 10 to 45 %, turned, blurred and stored as JPEG, read through the attempts in
// their order.
TEST(Straighten, PerspectiveVariantsRead) {
  const std::vector<test::Variant> variants = test::generated_perspective_variants(2, 2027);
  int read = 0;
  for (const test::Variant& variant : variants) {
    const bool found = holds(
        qr_read_texts(variant.picture, [&variant](const std::string& t) { return t == variant.text; }),
        variant.text);
    EXPECT_TRUE(found) << variant.name;
    read += found;
  }
  EXPECT_EQ(read, static_cast<int>(variants.size()));
}

}  // namespace
}  // namespace tolvex
