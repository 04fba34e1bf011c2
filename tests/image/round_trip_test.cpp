// Pictures written by qr_write_png_file, read back by two independent decoders.
#include <gtest/gtest.h>

#include <future>
#include <optional>
#include <random>
#include <string>

#include "tolvex/picture.hpp"
#include "image/picture_output.h"
#include "image/render.h"
#include "support/decoders.h"
#include "support/process.h"

namespace tolvex {
namespace {

// Four pixels a module, which both decoders read reliably.
int pixel_size_for(const std::string& text) {
  const std::optional<QrSymbol> symbol = qr_encode(text);
  return symbol ? 4 * (symbol->width() + 8) : 0;
}

class RoundTripTest : public ::testing::Test {
 protected:
  test::TempDir directory;

  std::string write(const std::string& text) {
    const std::string file = directory.file("qr.png");
    EXPECT_EQ(qr_write_png_file(text.c_str(), pixel_size_for(text), file.c_str()), ERROR_OK);
    return file;
  }

  // The two decoders run side by side: most of their time is starting up.
  void expect_round_trip(const std::string& text) {
    const std::string file = write(text);
    std::future<std::optional<std::string>> zbar = std::async(std::launch::async, test::zbar_decode, file);
    EXPECT_EQ(test::zxing_decode(file), text) << "ZXingReader, " << text.size() << " bytes";
    EXPECT_EQ(zbar.get(), text) << "zbarimg, " << text.size() << " bytes";
  }
};

// Letters A to V only, as many as version v holds at level L: every third version and 40.
TEST_F(RoundTripTest, VersionsOneToForty) {
  std::mt19937 random(17);
  for (int version = 1; version <= 40; version += 3) {
    const int capacity_bits =
        8 * kQrVersionTable[version].data_codewords[qr_level_index(QrErrorCorrection::L)];
    const int count_width = kQrCountWidth[1][qr_count_group(version)];
    const int length =
        (capacity_bits - 4 - count_width) / 11 * 2 + ((capacity_bits - 4 - count_width) % 11 >= 6);
    std::string text;
    for (int i = 0; i < length; ++i) text += static_cast<char>('A' + random() % 22);
    const std::optional<QrSymbol> symbol = qr_encode(text);
    ASSERT_TRUE(symbol);
    ASSERT_EQ(symbol->width(), qr_width(version));
    expect_round_trip(text);
  }
}

TEST_F(RoundTripTest, EveryMode) {
  expect_round_trip("A1B");
  expect_round_trip("01234567890123456789012345678901234567890");
  expect_round_trip("HTTPS://EXAMPLE.COM/PAY $100 %*+-./:");
  expect_round_trip("hello World 123 test");
  expect_round_trip("tolvex: lower case, punctuation #&!? and \t tabs\nand lines");
  std::string binary;
  for (int byte = 1; byte < 256; ++byte) binary += static_cast<char>(byte);
  expect_round_trip(binary);
}

TEST_F(RoundTripTest, KanjiIsReadAsShiftJis) {
  // 点茗 (0x935F, 0xE4AA), then letters and digits: a kanji segment, then alphanumeric.
  const std::string kanji =
      "\x93\x5F\xE4\xAA"
      "ABC123";
  const std::string file = write(kanji);
  EXPECT_EQ(test::zbar_decode(file), kanji);
  EXPECT_EQ(test::zxing_decode(file), kanji);
  EXPECT_EQ(test::zbar_decode_text(file),
            "\xE7\x82\xB9\xE8\x8C\x97"
            "ABC123");
  EXPECT_EQ(test::zxing_decode_text(file),
            "\xE7\x82\xB9\xE8\x8C\x97"
            "ABC123");
}

TEST_F(RoundTripTest, MixedClassesAndBase32HexTexts) {
  std::string alternating;
  for (int i = 0; i < 2000; ++i) alternating += "7Q";
  expect_round_trip(alternating);

  std::mt19937 random(23);
  const std::string base32hex = "0123456789ABCDEFGHIJKLMNOPQRSTUV";
  for (const int length : {30, 1200}) {
    std::string text;
    for (int i = 0; i < length; ++i) text += base32hex[random() % base32hex.size()];
    expect_round_trip(text);
  }
  std::string mixed;
  const std::string classes[] = {"123456", "ABC", "xyz", "\x93\x5F", "9", "$"};
  for (int i = 0; i < 300; ++i) mixed += classes[random() % 6];
  expect_round_trip(mixed);
}

TEST_F(RoundTripTest, DecodersReportNothingForAnEmptyPicture) {
  const std::string file = directory.file("blank.png");
  const SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, 100, 100));
  const ContextPtr context(cairo_create(surface.get()));
  cairo_set_source_rgb(context.get(), 1, 1, 1);
  cairo_paint(context.get());
  ASSERT_EQ(cairo_surface_write_to_png(surface.get(), file.c_str()), CAIRO_STATUS_SUCCESS);
  EXPECT_EQ(test::zbar_decode(file), std::nullopt);
  EXPECT_EQ(test::zxing_decode(file), std::nullopt);
  EXPECT_EQ(test::zxing_decode_text(file), std::nullopt);
}

}  // namespace
}  // namespace tolvex
