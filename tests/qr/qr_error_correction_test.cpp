#include "qr/qr_error_correction.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "qr/galois_reference.h"
#include "qr/qr_context.h"

namespace tolvex {
namespace {

using test::gf_multiply;

// Remainder of data(x) x^n divided by the product of (x - alpha^i), i < n, by long division
// with the generator's coefficients built here from its roots.
std::vector<std::uint8_t> reference_remainder(const std::vector<std::uint8_t>& data, int n) {
  std::vector<std::uint8_t> generator = {1};
  std::uint8_t root = 1;
  for (int i = 0; i < n; ++i) {
    std::vector<std::uint8_t> next(generator.size() + 1, 0);
    for (std::size_t k = 0; k < generator.size(); ++k) {
      next[k] ^= generator[k];
      next[k + 1] ^= gf_multiply(generator[k], root);
    }
    generator = next;
    root = gf_multiply(root, 2);
  }
  std::vector<std::uint8_t> dividend = data;
  dividend.resize(data.size() + static_cast<std::size_t>(n), 0);
  for (std::size_t i = 0; i < data.size(); ++i) {
    const std::uint8_t factor = dividend[i];
    for (std::size_t k = 0; k < generator.size(); ++k) dividend[i + k] ^= gf_multiply(generator[k], factor);
  }
  return {dividend.end() - n, dividend.end()};
}

std::vector<std::uint8_t> rs_remainder(const std::vector<std::uint8_t>& data, int n) {
  std::vector<std::uint8_t> work(kQrMaxBlockCodewords, 0xA5);
  std::copy(data.begin(), data.end(), work.begin());
  qr_rs_remainder(work, static_cast<int>(data.size()), n);
  return {work.begin(), work.begin() + n};
}

std::vector<std::uint8_t> a1b_data() {
  std::vector<std::uint8_t> data = {0x20, 0x19, 0xC3, 0x2C, 0x00};
  for (int i = 0; i < 14; ++i) data.push_back(i % 2 == 0 ? 0xEC : 0x11);
  return data;
}

TEST(QrRsRemainder, WorkedExample) {
  EXPECT_EQ(rs_remainder(a1b_data(), 7),
            (std::vector<std::uint8_t>{0xE9, 0xD2, 0x6E, 0x3D, 0xC7, 0x7C, 0xF8}));
}

TEST(QrRsRemainder, ZeroBlockHasZeroCorrection) {
  EXPECT_EQ(rs_remainder(std::vector<std::uint8_t>(19, 0), 7), std::vector<std::uint8_t>(7, 0));
  EXPECT_EQ(rs_remainder(std::vector<std::uint8_t>(123, 0), 30), std::vector<std::uint8_t>(30, 0));
}

TEST(QrRsRemainder, MatchesLongDivisionForEveryBlockShape) {
  std::mt19937 random(7);
  for (int version = 1; version <= 40; ++version) {
    for (int level = 0; level < kQrLevelCount; ++level) {
      const QrBlockInfo& block = kQrVersionTable[version].group2[level].count > 0
                                     ? kQrVersionTable[version].group2[level]
                                     : kQrVersionTable[version].group1[level];
      std::vector<std::uint8_t> data(static_cast<std::size_t>(block.data));
      for (auto& value : data) value = static_cast<std::uint8_t>(random());
      const int n = block.total - block.data;
      EXPECT_EQ(rs_remainder(data, n), reference_remainder(data, n)) << version << "/" << level;
    }
  }
}

class QrAddErrorCorrectionTest : public ::testing::Test {
 protected:
  std::unique_ptr<QrEncodeContext> context = std::make_unique<QrEncodeContext>();
};

TEST_F(QrAddErrorCorrectionTest, OneBlockIsDataThenCorrection) {
  context->version = 1;
  context->level = QrErrorCorrection::L;
  const std::vector<std::uint8_t> data = a1b_data();
  std::copy(data.begin(), data.end(), context->data.begin());
  qr_add_error_correction(*context);
  EXPECT_EQ(context->total_codewords, 26);
  std::vector<std::uint8_t> expected = data;
  for (std::uint8_t ec : {0xE9, 0xD2, 0x6E, 0x3D, 0xC7, 0x7C, 0xF8}) expected.push_back(ec);
  EXPECT_EQ(std::vector<std::uint8_t>(context->codewords.begin(), context->codewords.begin() + 26), expected);
}

// Version 5-Q: blocks of 15, 15, 16 and 16 data codewords, 18 correction codewords each.
TEST_F(QrAddErrorCorrectionTest, InterleavesBlocksOfTwoSizes) {
  context->version = 5;
  context->level = QrErrorCorrection::Q;
  for (int i = 0; i < 62; ++i) context->data[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i + 1);
  qr_add_error_correction(*context);
  ASSERT_EQ(context->total_codewords, 134);
  const std::array<int, 4> starts = {0, 15, 30, 46};
  for (int j = 0; j < 15; ++j) {
    for (int b = 0; b < 4; ++b) {
      EXPECT_EQ(context->codewords[static_cast<std::size_t>(4 * j + b)], starts[b] + j + 1) << j << "/" << b;
    }
  }
  EXPECT_EQ(context->codewords[60], 46);  // codeword 15 of block 2
  EXPECT_EQ(context->codewords[61], 62);  // codeword 15 of block 3
  for (int b = 0; b < 4; ++b) {
    const int length = b < 2 ? 15 : 16;
    std::vector<std::uint8_t> block(context->data.begin() + starts[b],
                                    context->data.begin() + starts[b] + length);
    const std::vector<std::uint8_t> ec = reference_remainder(block, 18);
    for (int j = 0; j < 18; ++j) {
      EXPECT_EQ(context->codewords[static_cast<std::size_t>(62 + 4 * j + b)], ec[static_cast<std::size_t>(j)])
          << j << "/" << b;
    }
  }
}

}  // namespace
}  // namespace tolvex
