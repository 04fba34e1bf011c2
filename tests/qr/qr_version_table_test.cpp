#include "qr/qr_version_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <memory>
#include <vector>

#include "qr/galois_reference.h"
#include "qr/qr_format.h"
#include "qr/qr_matrix.h"

namespace tolvex {
namespace {

using test::gf_multiply;
using test::gf_power_of_alpha;

TEST(QrGaloisField, TablesMatchMultiplication) {
  EXPECT_EQ(kQrGaloisField.antilog[8], 0x1D);
  EXPECT_EQ(kQrGaloisField.antilog[9], 0x3A);
  EXPECT_EQ(kQrGaloisField.antilog[255], 1);
  EXPECT_EQ(kQrGaloisField.log[3], 25);
  EXPECT_EQ(kQrGaloisField.log[5], 50);
  for (int i = 0; i < 255; ++i) {
    EXPECT_EQ(kQrGaloisField.antilog[i], gf_power_of_alpha(i)) << i;
    EXPECT_EQ(kQrGaloisField.log[gf_power_of_alpha(i)], i) << i;
  }
  for (int a = 0; a < 256; a += 7) {
    for (int b = 0; b < 256; b += 5) {
      EXPECT_EQ(qr_gf_multiply(static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(b)),
                gf_multiply(static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(b)));
    }
  }
}

TEST(QrGenerators, DegreeSevenIsTheStandardPolynomial) {
  const std::vector<int> expected = {87, 229, 146, 149, 238, 102, 21};
  for (std::size_t k = 0; k < expected.size(); ++k) EXPECT_EQ(kQrGenerators[7][k], expected[k]) << k;
}

// g(x) = x^n + alpha^e1 x^(n-1) + ... + alpha^en must vanish at alpha^0 .. alpha^(n-1).
TEST(QrGenerators, EveryGeneratorHasItsRoots) {
  for (int n = 1; n <= kQrMaxEcCodewords; ++n) {
    for (int i = 0; i < n; ++i) {
      const std::uint8_t x = gf_power_of_alpha(i);
      std::uint8_t value = 1;  // Horner's rule, leading coefficient 1
      for (int k = 0; k < n; ++k) value = gf_multiply(value, x) ^ gf_power_of_alpha(kQrGenerators[n][k]);
      EXPECT_EQ(value, 0) << "degree " << n << " root alpha^" << i;
    }
  }
}

// Codewords and block layout of ISO/IEC 18004 for a few versions, typed from its table.
struct CapacityRow {
  int version;
  int total;
  std::array<int, 4> data;
};

TEST(QrVersionTable, CapacitiesOfTheStandard) {
  const std::vector<CapacityRow> rows = {
      {1, 26, {19, 16, 13, 9}},           {2, 44, {34, 28, 22, 16}},
      {3, 70, {55, 44, 34, 26}},          {4, 100, {80, 64, 48, 36}},
      {5, 134, {108, 86, 62, 46}},        {6, 172, {136, 108, 76, 60}},
      {7, 196, {156, 124, 88, 66}},       {8, 242, {194, 154, 110, 86}},
      {9, 292, {232, 182, 132, 100}},     {10, 346, {274, 216, 154, 122}},
      {14, 581, {461, 365, 261, 197}},    {20, 1085, {861, 669, 485, 385}},
      {27, 1828, {1468, 1128, 808, 628}}, {40, 3706, {2956, 2334, 1666, 1276}},
  };
  for (const CapacityRow& row : rows) {
    const QrVersionInfo& info = kQrVersionTable[row.version];
    EXPECT_EQ(info.version, row.version);
    EXPECT_EQ(info.total_codewords, row.total) << row.version;
    for (int level = 0; level < kQrLevelCount; ++level) {
      EXPECT_EQ(info.data_codewords[level], row.data[level]) << row.version << " level " << level;
    }
  }
}

// Block layouts of ISO/IEC 18004: version, level, then count, total and data per block of
// both groups.
TEST(QrVersionTable, BlockLayoutExamples) {
  // Levels in the table's column order: L 0, M 1, Q 2, H 3.
  const std::vector<std::array<int, 8>> rows = {
      {1, 0, 1, 26, 19, 0, 0, 0},
      {5, 2, 2, 33, 15, 2, 34, 16},
      {40, 3, 20, 45, 15, 61, 46, 16},
      {37, 0, 17, 152, 122, 4, 153, 123},
  };
  for (const auto& row : rows) {
    const QrBlockInfo& g1 = kQrVersionTable[row[0]].group1[row[1]];
    const QrBlockInfo& g2 = kQrVersionTable[row[0]].group2[row[1]];
    EXPECT_EQ((std::array<int, 6>{g1.count, g1.total, g1.data, g2.count, g2.total, g2.data}),
              (std::array<int, 6>{row[2], row[3], row[4], row[5], row[6], row[7]}))
        << "version " << row[0];
  }
  EXPECT_EQ(kQrVersionTable[0].version, 0);
  EXPECT_EQ(kQrVersionTable[0].total_codewords, 0);
}

// Every version and level: blocks hold the data and total codewords exactly, group 2 blocks are
// one data codeword longer with the same error correction, and the largest block fits the work area.
TEST(QrVersionTable, BlocksAreConsistentWithTotals) {
  int largest_block = 0;
  for (int version = 1; version <= 40; ++version) {
    const QrVersionInfo& info = kQrVersionTable[version];
    for (int level = 0; level < kQrLevelCount; ++level) {
      const QrBlockInfo& g1 = info.group1[level];
      const QrBlockInfo& g2 = info.group2[level];
      EXPECT_EQ(g1.count * g1.total + g2.count * g2.total, info.total_codewords) << version << "/" << level;
      EXPECT_EQ(g1.count * g1.data + g2.count * g2.data, info.data_codewords[level])
          << version << "/" << level;
      EXPECT_EQ(g1.count + g2.count, kQrBlockCount[level][version]);
      EXPECT_EQ(g1.total - g1.data, kQrEcCodewordsPerBlock[level][version]);
      if (g2.count > 0) {
        EXPECT_EQ(g2.data, g1.data + 1);
        EXPECT_EQ(g2.total - g2.data, g1.total - g1.data);
      } else {
        EXPECT_EQ(g2.total, 0);
        EXPECT_EQ(g2.data, 0);
      }
      largest_block = std::max({largest_block, g1.total, g2.total});
    }
  }
  EXPECT_EQ(largest_block, kQrMaxBlockCodewords);
}

// Remainder bits of ISO/IEC 18004 by version range, and the codeword capacity counted from an
// actual layout of the function patterns rather than from the formula.
TEST(QrVersionTable, TotalsMatchTheModulesLeftByTheFunctionPatterns) {
  const auto matrix = std::make_unique<QrModuleMatrix>();
  for (int version = 1; version <= 40; ++version) {
    const int width = qr_width(version);
    qr_clear_matrix(*matrix, width);
    qr_place_function_patterns(*matrix, version);
    qr_place_format_info(*matrix, QrErrorCorrection::L, 0);
    int free_modules = 0;
    for (int y = 0; y < width; ++y) {
      for (int x = 0; x < width; ++x) free_modules += qr_is_function_module(*matrix, x, y) ? 0 : 1;
    }
    const int remainder_bits = version == 1    ? 0
                               : version <= 6  ? 7
                               : version <= 13 ? 0
                               : version <= 20 ? 3
                               : version <= 27 ? 4
                               : version <= 34 ? 3
                                               : 0;
    EXPECT_EQ(free_modules, qr_data_module_count(version)) << version;
    EXPECT_EQ(free_modules, 8 * kQrVersionTable[version].total_codewords + remainder_bits) << version;
  }
}

// Alignment pattern centres of ISO/IEC 18004, Annex E, without the leading 6.
TEST(QrVersionTable, AlignmentCoordinatesOfTheStandard) {
  const std::vector<std::vector<int>> annex = {
      {},
      {18},
      {22},
      {26},
      {30},
      {34},
      {22, 38},
      {24, 42},
      {26, 46},
      {28, 50},
      {30, 54},
      {32, 58},
      {34, 62},
      {26, 46, 66},
      {26, 48, 70},
      {26, 50, 74},
      {30, 54, 78},
      {30, 56, 82},
      {30, 58, 86},
      {34, 62, 90},
      {28, 50, 72, 94},
      {26, 50, 74, 98},
      {30, 54, 78, 102},
      {28, 54, 80, 106},
      {32, 58, 84, 110},
      {30, 58, 86, 114},
      {34, 62, 90, 118},
      {26, 50, 74, 98, 122},
      {30, 54, 78, 102, 126},
      {26, 52, 78, 104, 130},
      {30, 56, 82, 108, 134},
      {34, 60, 86, 112, 138},
      {30, 58, 86, 114, 142},
      {34, 62, 90, 118, 146},
      {30, 54, 78, 102, 126, 150},
      {24, 50, 76, 102, 128, 154},
      {28, 54, 80, 106, 132, 158},
      {32, 58, 84, 110, 136, 162},
      {26, 54, 82, 110, 138, 166},
      {30, 58, 86, 114, 142, 170},
  };
  for (int version = 1; version <= 40; ++version) {
    const QrVersionInfo& info = kQrVersionTable[version];
    const std::vector<int>& expected = annex[static_cast<std::size_t>(version - 1)];
    ASSERT_EQ(info.alignment_count, static_cast<int>(expected.size())) << version;
    for (std::size_t k = 0; k < 6; ++k) {
      EXPECT_EQ(info.alignment[k], k < expected.size() ? expected[k] : 0) << version << " #" << k;
    }
  }
}

TEST(QrVersionTable, CountWidthGroups) {
  EXPECT_EQ(qr_count_group(0), 0);
  EXPECT_EQ(qr_count_group(9), 0);
  EXPECT_EQ(qr_count_group(10), 1);
  EXPECT_EQ(qr_count_group(26), 1);
  EXPECT_EQ(qr_count_group(27), 2);
  EXPECT_EQ(qr_count_group(40), 2);
}

// Remainder of a polynomial over GF(2) held in the bits of value.
std::uint32_t gf2_remainder(std::uint32_t value, std::uint32_t generator) {
  const int degree = std::bit_width(generator) - 1;
  for (int bit = 31; bit >= degree; --bit) {
    if (value & (1u << bit)) value ^= generator << (bit - degree);
  }
  return value;
}

// The 32 format values of ISO/IEC 18004, Annex C, rows L, M, Q, H, columns mask 0-7.
TEST(QrFormatBits, AllThirtyTwoValuesOfTheStandard) {
  const std::array<std::array<std::uint32_t, 8>, 4> annex = {{
      {0x77C4, 0x72F3, 0x7DAA, 0x789D, 0x662F, 0x6318, 0x6C41, 0x6976},
      {0x5412, 0x5125, 0x5E7C, 0x5B4B, 0x45F9, 0x40CE, 0x4F97, 0x4AA0},
      {0x355F, 0x3068, 0x3F31, 0x3A06, 0x24B4, 0x2183, 0x2EDA, 0x2BED},
      {0x1689, 0x13BE, 0x1CE7, 0x19D0, 0x0762, 0x0255, 0x0D0C, 0x083B},
  }};
  for (int level = 0; level < 4; ++level) {
    for (int mask = 0; mask < 8; ++mask) {
      const std::uint32_t value = qr_format_bits(static_cast<QrErrorCorrection>(level), mask);
      EXPECT_EQ(value, annex[level][mask]) << level << "/" << mask;
      EXPECT_EQ(gf2_remainder(value ^ 0x5412u, 0x537u), 0u);
    }
  }
}

TEST(QrVersionBits, CodewordsOfTheBchCode) {
  EXPECT_EQ(qr_version_bits(7), 0x07C94u);
  EXPECT_EQ(qr_version_bits(8), 0x085BCu);
  EXPECT_EQ(qr_version_bits(21), 0x15683u);
  EXPECT_EQ(qr_version_bits(40), 0x28C69u);
  for (int version = 7; version <= 40; ++version) {
    const std::uint32_t value = qr_version_bits(version);
    EXPECT_EQ(value >> 12, static_cast<std::uint32_t>(version));
    EXPECT_EQ(gf2_remainder(value, 0x1F25u), 0u) << version;
  }
}

}  // namespace
}  // namespace tolvex
