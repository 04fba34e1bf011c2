// Eight threads encode, decode and render at once, each with its own render settings and logo
// cache, and every one must get exactly what a single thread gets with the same settings.
// scripts/tsan.sh runs this test under ThreadSanitizer.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <latch>
#include <string>
#include <thread>
#include <vector>

#include "tolvex/picture.hpp"
#include "image/logo_cache.h"
#include "image/picture_output.h"
#include "image/render.h"
#include "support/logo_values.h"
#include "support/process.h"
#include "tolvex/decode.hpp"
#include "tolvex/encode.hpp"

namespace tolvex {
namespace {

constexpr int kThreads = 8;
constexpr int kRounds = 3;  // later rounds take the logo from a warm cache
constexpr std::int32_t kLargeBudget = 1 << 20;

struct Job {
  const char* example;
  double red, green, blue, alpha;
  cairo_format_t format;
  std::int32_t rotation, variation, frame;
  std::int32_t cacheBudget;  // 0: off; 7000 holds some logo pictures and not others
  std::int32_t pixelSize;
};

constexpr std::array<Job, kThreads> kJobs = {{
    {"pay-single.xml", 1.0, 1.0, 1.0, 1.0, CAIRO_FORMAT_ARGB32, 0, 0, 1, 0, 0},
    {"pay-standing-order.xml", 0.9, 0.1, 0.1, 1.0, CAIRO_FORMAT_RGB24, 1, 1, 0, kLargeBudget, 200},
    {"pay-direct-debit.xml", 0.1, 0.8, 0.2, 0.5, CAIRO_FORMAT_ARGB32, 2, 2, 1, 7000, 0},
    {"invoice.xml", 0.2, 0.3, 0.9, 1.0, CAIRO_FORMAT_ARGB32, 3, 3, 0, kLargeBudget, 333},
    {"invoice-proforma.xml", 0.5, 0.5, 0.0, 0.0, CAIRO_FORMAT_RGB24, 0, 1, 0, 0, 120},
    {"invoice-credit-note.xml", 0.0, 0.6, 0.6, 1.0, CAIRO_FORMAT_ARGB32, 1, 2, 1, 7000, 0},
    {"invoice-advance.xml", 0.7, 0.0, 0.7, 0.25, CAIRO_FORMAT_ARGB32, 2, 3, 1, kLargeBudget, 64},
    {"invoice-items.xml", 0.3, 0.3, 0.3, 1.0, CAIRO_FORMAT_RGB24, 3, 0, 0, 1, 0},
}};

struct Output {
  std::string text;
  std::string xml;
  std::vector<std::uint8_t> logoPng;
  std::vector<std::uint8_t> plainPng;
  std::vector<std::uint8_t> logoPdf;  // vector output on every thread too (PDF: the same bytes each time)
  std::string failure;                // the first error line, empty when every step succeeded
};

// One round of the job with this thread's settings, which the caller has set.
Output produce(const Job& job, const std::string& document) {
  Output out;
  const auto fail = [&out](const char* step) {
    if (out.failure.empty()) out.failure = std::string(step) + ": " + error_line();
  };
  if (encode_xml(document.data(), document.size(), &out.text) != ERROR_OK) fail("encode_xml");
  if (decode_to_xml(out.text.data(), out.text.size(), &out.xml, nullptr) != ERROR_OK) fail("decode_to_xml");
  if (qr_logo_write_png_memory(out.text.c_str(), test::rotation_index(job.rotation),
                               test::variation_index(job.variation), job.frame, TOLVEX_SOURCE_DIR "/logo/",
                               &out.logoPng) != ERROR_OK) {
    fail("qr_logo_write_png_memory");
  }
  if (qr_write_png_memory(out.text.c_str(), job.pixelSize, &out.plainPng) != ERROR_OK) {
    fail("qr_write_png_memory");
  }
  if (qr_logo_write_memory(out.text.c_str(), test::rotation_index(job.rotation),
                           test::variation_index(job.variation), job.frame, TOLVEX_SOURCE_DIR "/logo/",
                           ImageFormat::pdf, &out.logoPdf) != ERROR_OK) {
    fail("qr_logo_write_memory");
  }
  return out;
}

void use_settings(const Job& job) {
  render_set_background(job.red, job.green, job.blue, job.alpha);
  render_set_format(job.format);
  logo_cache_set_budget(job.cacheBudget);
}

void restore_defaults() {
  render_set_background(1.0, 1.0, 1.0, 1.0);
  render_set_format(CAIRO_FORMAT_ARGB32);
  logo_cache_free();
}

void expect_same(const Output& expected, const Output& actual, const std::string& where) {
  EXPECT_EQ(actual.failure, "") << where;
  EXPECT_EQ(actual.text, expected.text) << where;
  EXPECT_EQ(actual.xml, expected.xml) << where;
  EXPECT_TRUE(actual.logoPng == expected.logoPng) << where << ": logo picture differs";
  EXPECT_TRUE(actual.plainPng == expected.plainPng) << where << ": plain picture differs";
  EXPECT_TRUE(actual.logoPdf == expected.logoPdf) << where << ": PDF differs";
}

TEST(Concurrency, ThreadsWithTheirOwnSettingsGetTheSingleThreadedResult) {
  std::array<std::string, kThreads> documents;
  std::array<Output, kThreads> expected;
  for (int i = 0; i < kThreads; ++i) {
    documents[i] = test::read_file(std::string(TOLVEX_SOURCE_DIR "/examples/") + kJobs[i].example);
    use_settings(kJobs[i]);
    expected[i] = produce(kJobs[i], documents[i]);
    restore_defaults();
    ASSERT_EQ(expected[i].failure, "") << kJobs[i].example;
  }
  // Different backgrounds must show in the pictures, or the comparison proves nothing.
  ASSERT_FALSE(expected[0].plainPng == expected[1].plainPng);

  std::array<std::array<Output, kRounds>, kThreads> actual;
  std::array<LogoCacheState, kThreads> cacheStates;
  std::latch start(kThreads);
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i) {
    threads.emplace_back([&, i] {
      use_settings(kJobs[i]);
      start.arrive_and_wait();
      for (int round = 0; round < kRounds; ++round) actual[i][round] = produce(kJobs[i], documents[i]);
      cacheStates[i] = logo_cache_state();
      logo_cache_free();
    });
  }
  for (std::thread& thread : threads) thread.join();

  for (int i = 0; i < kThreads; ++i) {
    for (int round = 0; round < kRounds; ++round) {
      expect_same(expected[i], actual[i][round],
                  std::string(kJobs[i].example) + " round " + std::to_string(round));
    }
    if (kJobs[i].cacheBudget == kLargeBudget) {
      EXPECT_TRUE(cacheStates[i].on) << kJobs[i].example;
      EXPECT_EQ(cacheStates[i].entries, 1u) << kJobs[i].example;
    }
  }
  // The main thread's own settings were never touched by the others.
  EXPECT_EQ(render_settings().red, 1.0);
  EXPECT_EQ(render_settings().format, CAIRO_FORMAT_ARGB32);
  EXPECT_FALSE(logo_cache_state().on);
}

}  // namespace
}  // namespace tolvex
