#include "qr/qr_encode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <ostream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "qr/qr_context.h"
#include "qr/qr_mask.h"

namespace tolvex {
namespace {

const std::uint8_t* bytes(const std::string& text) {
  return reinterpret_cast<const std::uint8_t*>(text.data());
}

int encode(const std::string& text, QrBitMatrix& output, QrErrorCorrection level = QrErrorCorrection::L,
           int version = 0) {
  return qr_encode_symbol(level, version, bytes(text), static_cast<int>(text.size()), &output);
}

bool all_zero(const QrBitMatrix& output) {
  return std::all_of(output.begin(), output.end(), [](std::uint8_t byte) { return byte == 0; });
}

bool packed_dark(const QrBitMatrix& output, int width, int x, int y) {
  const int bit = y * width + x;
  return (output[static_cast<std::size_t>(bit / 8)] & (0x80 >> (bit % 8))) != 0;
}

TEST(QrEncodeSymbol, WorkedExampleIsPackedExactly) {
  QrBitMatrix output;
  ASSERT_EQ(encode("A1B", output), 21);
  const std::vector<int> expected = {0xFE, 0x5B, 0xFC, 0x13, 0x90, 0x6E, 0xB6, 0xBB, 0x74, 0xA5, 0xDB, 0xA2,
                                     0xAE, 0xC1, 0x05, 0x07, 0xFA, 0xAF, 0xE0, 0x1B, 0x00, 0xEF, 0xF6, 0x24,
                                     0xC1, 0x12, 0x56, 0xC2, 0x22, 0x59, 0xC4, 0x68, 0x6E, 0xAB, 0x00, 0x5A,
                                     0xA3, 0xFB, 0xDC, 0x90, 0x5B, 0xB8, 0xBA, 0x97, 0x2D, 0xD0, 0x11, 0xAE,
                                     0xA2, 0x23, 0x05, 0x44, 0x7F, 0xE8, 0xAA, 0x80};
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(output[i], expected[i]) << i;
  EXPECT_TRUE(std::all_of(output.begin() + 56, output.end(), [](std::uint8_t byte) { return byte == 0; }));
}

struct SymbolCase {
  std::string text;
  int version;
  int mask;
};

void PrintTo(const SymbolCase& c, std::ostream* out) { *out << '"' << c.text << '"'; }

class QrChosenMaskTest : public ::testing::TestWithParam<SymbolCase> {};

TEST_P(QrChosenMaskTest, VersionAndMask) {
  const auto context = std::make_unique<QrEncodeContext>();
  const SymbolCase& c = GetParam();
  ASSERT_EQ(qr_encode_text(*context, QrErrorCorrection::L, 0, bytes(c.text), static_cast<int>(c.text.size())),
            qr_width(c.version));
  EXPECT_EQ(context->version, c.version);
  EXPECT_EQ(context->version_found, c.version);
  EXPECT_EQ(context->mask, c.mask);
}

INSTANTIATE_TEST_SUITE_P(Examples, QrChosenMaskTest,
                         ::testing::Values(SymbolCase{"A1B", 1, 0},
                                           SymbolCase{"12345678901234567890ABC", 1, 4},
                                           SymbolCase{"hello World 123 test", 2, 1}));

TEST(QrEncodeText, ChosenMaskHasTheLowestPenalty) {
  const auto context = std::make_unique<QrEncodeContext>();
  const std::string text = "12345678901234567890ABC";
  ASSERT_EQ(qr_encode_text(*context, QrErrorCorrection::L, 0, bytes(text), static_cast<int>(text.size())),
            21);
  EXPECT_EQ(qr_penalty(context->matrix), 987);
}

TEST(QrEncodeSymbol, FinderCornersAndPackedModulesMatchTheMatrix) {
  const auto context = std::make_unique<QrEncodeContext>();
  std::mt19937 random(5);
  for (const int length : {1, 30, 200, 1200}) {
    std::string text;
    for (int i = 0; i < length; ++i) text += static_cast<char>('!' + random() % 90);
    QrBitMatrix output;
    const int width = encode(text, output);
    ASSERT_EQ(qr_encode_text(*context, QrErrorCorrection::L, 0, bytes(text), length), width);
    EXPECT_TRUE(packed_dark(output, width, 0, 0));
    EXPECT_TRUE(packed_dark(output, width, width - 1, 0));
    EXPECT_TRUE(packed_dark(output, width, 0, width - 1));
    for (int y = 0; y < width; ++y) {
      for (int x = 0; x < width; ++x) {
        ASSERT_EQ(packed_dark(output, width, x, y), qr_module_is_dark(context->matrix, x, y));
      }
    }
    const int used_bits = width * width;
    for (int bit = used_bits; bit < 3917 * 8; ++bit) {
      ASSERT_EQ(output[static_cast<std::size_t>(bit / 8)] & (0x80 >> (bit % 8)), 0) << bit;
    }
  }
}

TEST(QrEncodeSymbol, RequestedVersions) {
  QrBitMatrix output;
  EXPECT_EQ(encode(std::string(26, 'A'), output, QrErrorCorrection::L, 1), -1);
  EXPECT_TRUE(all_zero(output));
  EXPECT_EQ(encode(std::string(26, 'A'), output, QrErrorCorrection::L, 2), 25);
  EXPECT_EQ(encode("1", output, QrErrorCorrection::L, 12), 65);
  EXPECT_EQ(encode("A1B", output, QrErrorCorrection::H, 40), 177);
  EXPECT_EQ(encode(std::string(300, 'A'), output, QrErrorCorrection::L, 9), 53);
}

TEST(QrEncodeSymbol, LengthUpToTheFirstNul) {
  QrBitMatrix measured;
  QrBitMatrix explicit_length;
  const std::string text("AB\0CD", 5);
  EXPECT_EQ(qr_encode_symbol(QrErrorCorrection::L, 0, bytes(text), 0, &measured), 21);
  EXPECT_EQ(qr_encode_symbol(QrErrorCorrection::L, 0, bytes(text), -3, &explicit_length), 21);
  EXPECT_EQ(measured, explicit_length);
  EXPECT_EQ(qr_encode_symbol(QrErrorCorrection::L, 0, bytes("AB"), 2, &explicit_length), 21);
  EXPECT_EQ(measured, explicit_length);
  // An explicit length keeps the NUL and what follows as bytes.
  EXPECT_EQ(qr_encode_symbol(QrErrorCorrection::L, 0, bytes(text), 5, &explicit_length), 21);
  EXPECT_NE(measured, explicit_length);
}

TEST(QrEncodeSymbol, ManyRunsOfAlternatingClassesFitTheSegmentTable) {
  // More runs than version 40 has data codewords; merged into one alphanumeric segment.
  std::string text;
  for (int i = 0; i < 2000; ++i) text += "7Q";
  QrBitMatrix output;
  EXPECT_EQ(encode(text, output), qr_width(39));
  // Digits and bytes alternating: too many runs and too long for any version.
  std::string bytes_and_digits;
  for (int i = 0; i < 3500; ++i) bytes_and_digits += "a1";
  EXPECT_EQ(encode(bytes_and_digits, output), -1);
}

TEST(QrEncodeSymbol, ThreadsDoNotDisturbEachOther) {
  std::vector<std::string> texts;
  std::mt19937 random(11);
  for (int i = 0; i < 24; ++i) {
    std::string text;
    const int length = 1 + static_cast<int>(random() % 900);
    for (int k = 0; k < length; ++k) text += "0123456789ABCDEFGHIJKLMNOPQRSTUVabc\x93\x5F"[random() % 37];
    texts.push_back(text);
  }
  std::vector<QrBitMatrix> expected(texts.size());
  std::vector<int> widths(texts.size());
  for (std::size_t i = 0; i < texts.size(); ++i) widths[i] = encode(texts[i], expected[i]);

  std::vector<std::thread> threads;
  std::vector<int> mismatches(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      QrBitMatrix output;
      for (int round = 0; round < 5; ++round) {
        for (std::size_t i = static_cast<std::size_t>(t); i < texts.size(); i += 2) {
          if (encode(texts[i], output) != widths[i] || output != expected[i])
            ++mismatches[static_cast<std::size_t>(t)];
        }
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(mismatches, std::vector<int>(4, 0));
}

}  // namespace
}  // namespace tolvex
