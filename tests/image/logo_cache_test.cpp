// The per-thread logo cache seen through compositions: what it keeps, what it gives up first,
// and when it turns itself off.
#include "support/family_of.h"
#include "image/logo_cache.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <ostream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "codec/base32hex.h"
#include "image/logo_compose.h"
#include "support/logo_values.h"
#include "support/process.h"

namespace tolvex {
namespace {

constexpr int kWidth = 100;
constexpr int kHeight = 120;

void write_plain_logo(const std::string& path, double red, double green, double blue) {
  const SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight));
  const ContextPtr context(cairo_create(surface.get()));
  cairo_set_source_rgb(context.get(), red, green, blue);
  cairo_paint(context.get());
  ASSERT_EQ(cairo_surface_write_to_png(surface.get(), path.c_str()), CAIRO_STATUS_SUCCESS);
}

// Noise compresses badly: a file far larger than a plain picture of the same size.
void write_noise_logo(const std::string& path) {
  const SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight));
  cairo_surface_flush(surface.get());
  std::mt19937 random(5);
  unsigned char* data = cairo_image_surface_get_data(surface.get());
  const int stride = cairo_image_surface_get_stride(surface.get());
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const std::uint32_t value = random() | 0xFF000000;
      std::memcpy(data + static_cast<std::ptrdiff_t>(y) * stride + static_cast<std::ptrdiff_t>(x) * 4, &value,
                  sizeof value);
    }
  }
  cairo_surface_mark_dirty(surface.get());
  ASSERT_EQ(cairo_surface_write_to_png(surface.get(), path.c_str()), CAIRO_STATUS_SUCCESS);
}

std::int32_t file_size(const std::string& path) {
  return static_cast<std::int32_t>(std::filesystem::file_size(path));
}

bool same_pixels(cairo_surface_t* a, cairo_surface_t* b) {
  cairo_surface_flush(a);
  cairo_surface_flush(b);
  const int stride = cairo_image_surface_get_stride(a);
  const int height = cairo_image_surface_get_height(a);
  return stride == cairo_image_surface_get_stride(b) && height == cairo_image_surface_get_height(b) &&
         std::memcmp(cairo_image_surface_get_data(a), cairo_image_surface_get_data(b),
                     static_cast<std::size_t>(stride) * static_cast<std::size_t>(height)) == 0;
}

// The cache's state as a value that tests compare and print.
struct State {
  bool on = false;
  std::int32_t budget = 0;
  std::uint32_t entries = 0;
  bool operator==(const State&) const = default;
  friend std::ostream& operator<<(std::ostream& out, const State& state) {
    return out << "{on " << state.on << ", budget " << state.budget << ", entries " << state.entries << "}";
  }
};

State state() {
  const LogoCacheState now = logo_cache_state();
  return {now.on, now.budget, now.entries};
}

constexpr const char* kVariationWords[] = {"dark", "medium", "light", "gray"};

class LogoCacheTest : public ::testing::Test {
 protected:
  void SetUp() override { logo_cache_free(); }
  void TearDown() override { logo_cache_free(); }

  // The framed PAY picture of the placement and colour in this test's directory.
  std::string path(std::int32_t variation, std::int32_t rotation = 0) const {
    return directory + "pay-" + (rotation == 0 ? "bottom-" : "top-") + kVariationWords[variation] + ".png";
  }

  ErrorCode compose(std::int32_t variation, std::int32_t rotation = 0) {
    return qr_logo_render_surface(text.c_str(), test::family_of(text.c_str()), test::rotation_index(rotation),
                                  test::variation_index(variation), 1, directory.c_str(), &result);
  }

  std::uint32_t uses(std::int32_t variation, std::int32_t rotation = 0) const {
    return logo_cache_use_count(path(variation, rotation));
  }

  test::TempDir logos;
  std::string directory = logos.path() + "/";
  std::string text = [] {
    const std::uint8_t bytes[] = {0x00, 0x00, 0x21, 0x43, 0x65, 0x87, 0xA9, 0xCB};
    std::string encoded;
    EXPECT_EQ(base32hex_encode(bytes, sizeof bytes, &encoded), ERROR_OK);
    return encoded;
  }();
  SurfacePtr result;
};

TEST_F(LogoCacheTest, OffUntilABudgetIsSet) {
  EXPECT_EQ(state(), (State{false, 0, 0}));
  write_plain_logo(path(0), 0, 0, 1);
  ASSERT_EQ(compose(0), ERROR_OK);
  EXPECT_EQ(state(), (State{false, 0, 0}));
  EXPECT_EQ(uses(0), 0u);

  // Every composition reads the file again.
  const SurfacePtr blue = std::move(result);
  write_plain_logo(path(0), 1, 0, 0);
  ASSERT_EQ(compose(0), ERROR_OK);
  EXPECT_FALSE(same_pixels(blue.get(), result.get()));
}

TEST_F(LogoCacheTest, SameLogoIsReadOnce) {
  write_plain_logo(path(0), 0, 0, 1);
  const std::int32_t size = file_size(path(0));
  logo_cache_set_budget(100000);
  ASSERT_EQ(compose(0), ERROR_OK);
  EXPECT_EQ(state(), (State{true, 100000 - size, 1}));
  EXPECT_EQ(uses(0), 1u);
  const SurfacePtr first = std::move(result);

  // Neither a new picture under the name nor its removal reaches the composition.
  write_plain_logo(path(0), 1, 0, 0);
  ASSERT_EQ(compose(0), ERROR_OK);
  EXPECT_TRUE(same_pixels(first.get(), result.get()));
  EXPECT_EQ(uses(0), 2u);
  std::filesystem::remove(path(0));
  ASSERT_EQ(compose(0), ERROR_OK);
  EXPECT_TRUE(same_pixels(first.get(), result.get()));
  EXPECT_EQ(uses(0), 3u);
  EXPECT_EQ(state(), (State{true, 100000 - size, 1}));

  logo_cache_free();
  EXPECT_EQ(state(), (State{false, 0, 0}));
  EXPECT_EQ(compose(0), ERROR_MISSING_LOGO);
  EXPECT_EQ(last_error().message, "Cannot find logo file. ");
}

TEST_F(LogoCacheTest, CachedPictureIsOneSharedSurface) {
  write_plain_logo(path(0), 0, 0, 1);
  const SurfacePtr uncachedA = logo_cache_load(path(0));
  const SurfacePtr uncachedB = logo_cache_load(path(0));
  EXPECT_NE(uncachedA.get(), uncachedB.get());

  logo_cache_set_budget(100000);
  const SurfacePtr first = logo_cache_load(path(0));
  const SurfacePtr second = logo_cache_load(path(0));
  EXPECT_EQ(first.get(), second.get());
  EXPECT_EQ(uses(0), 2u);
}

TEST_F(LogoCacheTest, EvictsTheLeastUsedAndTheEarliestAmongEquals) {
  // The same picture under every name: every file has the same size.
  for (std::int32_t variation = 0; variation < 4; ++variation) write_plain_logo(path(variation), 0, 0, 1);
  write_plain_logo(path(0, 1), 0, 0, 1);
  const std::int32_t size = file_size(path(0));
  ASSERT_EQ(file_size(path(0, 1)), size);

  logo_cache_set_budget(3 * size + 1);
  ASSERT_EQ(compose(0), ERROR_OK);
  ASSERT_EQ(compose(1), ERROR_OK);
  ASSERT_EQ(compose(2), ERROR_OK);
  ASSERT_EQ(compose(0), ERROR_OK);
  EXPECT_EQ(state(), (State{true, 1, 3}));

  // dark 2, medium 1, light 1: medium goes, the earlier of the two used once.
  ASSERT_EQ(compose(3), ERROR_OK);
  EXPECT_EQ(state(), (State{true, 1, 3}));
  EXPECT_EQ(uses(0), 2u);
  EXPECT_EQ(uses(1), 0u);
  EXPECT_EQ(uses(2), 1u);
  EXPECT_EQ(uses(3), 1u);

  // light went in before gray, so light goes.
  ASSERT_EQ(compose(0, 1), ERROR_OK);
  EXPECT_EQ(uses(2), 0u);
  EXPECT_EQ(uses(3), 1u);
  EXPECT_EQ(uses(0, 1), 1u);

  // gray 3 now: the top picture, used once, goes.
  ASSERT_EQ(compose(3), ERROR_OK);
  ASSERT_EQ(compose(3), ERROR_OK);
  ASSERT_EQ(compose(1), ERROR_OK);
  EXPECT_EQ(state(), (State{true, 1, 3}));
  EXPECT_EQ(uses(0), 2u);
  EXPECT_EQ(uses(3), 3u);
  EXPECT_EQ(uses(1), 1u);
  EXPECT_EQ(uses(0, 1), 0u);
}

TEST_F(LogoCacheTest, APictureAsLargeAsTheBudgetTurnsTheCacheOff) {
  write_plain_logo(path(0), 0, 0, 1);
  write_noise_logo(path(1));
  const std::int32_t small = file_size(path(0));
  const std::int32_t large = file_size(path(1));
  ASSERT_GT(large, 2 * small);

  logo_cache_set_budget(large);
  ASSERT_EQ(compose(0), ERROR_OK);
  EXPECT_EQ(state(), (State{true, large - small, 1}));
  // Everything is evicted, and the eviction that finds nothing left turns the cache off.
  ASSERT_EQ(compose(1), ERROR_OK);
  EXPECT_EQ(state(), (State{false, 0, 0}));
  EXPECT_EQ(uses(1), 0u);
  ASSERT_EQ(compose(0), ERROR_OK);
  EXPECT_EQ(state(), (State{false, 0, 0}));
}

TEST_F(LogoCacheTest, APictureIsKeptOnlyWhenSmallerThanWhatIsLeft) {
  write_plain_logo(path(0), 0, 0, 1);
  const std::int32_t size = file_size(path(0));

  logo_cache_set_budget(size);
  ASSERT_EQ(compose(0), ERROR_OK);
  EXPECT_EQ(state(), (State{false, 0, 0}));

  logo_cache_set_budget(size + 1);
  ASSERT_EQ(compose(0), ERROR_OK);
  EXPECT_EQ(state(), (State{true, 1, 1}));
  EXPECT_EQ(uses(0), 1u);
}

TEST_F(LogoCacheTest, SettingTheBudgetReleasesWhatWasCached) {
  write_plain_logo(path(0), 0, 0, 1);
  const std::int32_t size = file_size(path(0));
  logo_cache_set_budget(50000);
  ASSERT_EQ(compose(0), ERROR_OK);
  EXPECT_EQ(state(), (State{true, 50000 - size, 1}));

  logo_cache_set_budget(80000);
  EXPECT_EQ(state(), (State{true, 80000, 0}));
  EXPECT_EQ(uses(0), 0u);
  ASSERT_EQ(compose(0), ERROR_OK);
  EXPECT_EQ(uses(0), 1u);

  logo_cache_set_budget(0);
  EXPECT_EQ(state(), (State{false, 0, 0}));
  EXPECT_EQ(uses(0), 0u);
  logo_cache_set_budget(50000);
  logo_cache_set_budget(-1);
  EXPECT_EQ(state(), (State{false, 0, 0}));
}

TEST_F(LogoCacheTest, PicturesThatFailToLoadAreNotCached) {
  logo_cache_set_budget(50000);
  const SurfacePtr missing = logo_cache_load(path(0));
  EXPECT_EQ(cairo_surface_status(missing.get()), CAIRO_STATUS_FILE_NOT_FOUND);
  test::write_file(path(1), "not a picture");
  const SurfacePtr broken = logo_cache_load(path(1));
  EXPECT_NE(cairo_surface_status(broken.get()), CAIRO_STATUS_SUCCESS);
  EXPECT_EQ(state(), (State{true, 50000, 0}));

  // Once the file is there, it loads and is kept.
  write_plain_logo(path(0), 0, 0, 1);
  ASSERT_EQ(compose(0), ERROR_OK);
  EXPECT_EQ(uses(0), 1u);
}

TEST_F(LogoCacheTest, EachThreadHasItsOwn) {
  write_plain_logo(path(0), 0, 0, 1);
  write_plain_logo(path(1), 0, 1, 0);
  const std::int32_t size = file_size(path(0));
  logo_cache_set_budget(50000);
  ASSERT_EQ(compose(0), ERROR_OK);

  State seenAtStart;
  State seenWithoutBudget;
  State seenWithBudget;
  std::thread other([&] {
    seenAtStart = state();
    SurfacePtr surface;
    EXPECT_EQ(qr_logo_render_surface(text.c_str(), test::family_of(text.c_str()), test::rotation_index(0), test::variation_index(0), 1,
                                     directory.c_str(), &surface),
              ERROR_OK);
    seenWithoutBudget = state();
    logo_cache_set_budget(70000);
    EXPECT_EQ(qr_logo_render_surface(text.c_str(), test::family_of(text.c_str()), test::rotation_index(0), test::variation_index(1), 1,
                                     directory.c_str(), &surface),
              ERROR_OK);
    seenWithBudget = state();
  });
  other.join();

  EXPECT_EQ(seenAtStart, (State{false, 0, 0}));
  EXPECT_EQ(seenWithoutBudget, (State{false, 0, 0}));
  EXPECT_EQ(seenWithBudget, (State{true, 70000 - file_size(path(1)), 1}));
  EXPECT_EQ(state(), (State{true, 50000 - size, 1}));
  EXPECT_EQ(uses(0), 1u);
  EXPECT_EQ(uses(1), 0u);
}

}  // namespace
}  // namespace tolvex
