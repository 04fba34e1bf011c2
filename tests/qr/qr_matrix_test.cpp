#include "qr/qr_matrix.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "qr/qr_format.h"

namespace tolvex {
namespace {

class QrMatrixTest : public ::testing::Test {
 protected:
  std::unique_ptr<QrModuleMatrix> matrix = std::make_unique<QrModuleMatrix>();

  void lay_out(int version) {
    qr_clear_matrix(*matrix, qr_width(version));
    qr_place_function_patterns(*matrix, version);
  }
  bool function(int x, int y) const { return qr_is_function_module(*matrix, x, y); }
  bool dark(int x, int y) const { return qr_module_is_dark(*matrix, x, y); }

  void expect_finder(int left, int top) const {
    for (int dy = 0; dy < 7; ++dy) {
      for (int dx = 0; dx < 7; ++dx) {
        const bool ring = dx == 0 || dx == 6 || dy == 0 || dy == 6;
        const bool centre = dx >= 2 && dx <= 4 && dy >= 2 && dy <= 4;
        EXPECT_TRUE(function(left + dx, top + dy));
        EXPECT_EQ(dark(left + dx, top + dy), ring || centre) << left + dx << "," << top + dy;
      }
    }
  }

  void expect_alignment(int cx, int cy) const {
    for (int dy = -2; dy <= 2; ++dy) {
      for (int dx = -2; dx <= 2; ++dx) {
        const bool ring = dx == -2 || dx == 2 || dy == -2 || dy == 2;
        EXPECT_TRUE(function(cx + dx, cy + dy));
        EXPECT_EQ(dark(cx + dx, cy + dy), ring || (dx == 0 && dy == 0)) << cx + dx << "," << cy + dy;
      }
    }
  }
};

TEST_F(QrMatrixTest, VersionOneFunctionPatterns) {
  lay_out(1);
  expect_finder(0, 0);
  expect_finder(14, 0);
  expect_finder(0, 14);
  for (int i = 0; i <= 7; ++i) {
    EXPECT_FALSE(dark(i, 7));
    EXPECT_FALSE(dark(7, i));
    EXPECT_FALSE(dark(13, i));
    EXPECT_FALSE(dark(13 + i, 7));
    EXPECT_FALSE(dark(i, 13));
    EXPECT_FALSE(dark(7, 13 + i));
  }
  for (int i = 8; i <= 12; ++i) {
    EXPECT_TRUE(function(i, 6));
    EXPECT_TRUE(function(6, i));
    EXPECT_EQ(dark(i, 6), i % 2 == 0);
    EXPECT_EQ(dark(6, i), i % 2 == 0);
  }
  // Format areas are reserved light until a mask is chosen.
  EXPECT_TRUE(function(8, 13));
  EXPECT_FALSE(dark(8, 13));
  EXPECT_TRUE(function(20, 8));
  EXPECT_FALSE(function(9, 9));
  EXPECT_FALSE(function(20, 20));
}

TEST_F(QrMatrixTest, VersionTwoAlignmentSkipsTheFinders) {
  lay_out(2);
  expect_alignment(18, 18);
  // Centres (18, 6) and (6, 18) fall on finder patterns; the finders stay intact.
  expect_finder(18, 0);
  expect_finder(0, 18);
  EXPECT_FALSE(function(16, 11));
}

TEST_F(QrMatrixTest, VersionSevenAlignmentAndVersionBlocks) {
  lay_out(7);
  for (const auto& [x, y] :
       std::vector<std::pair<int, int>>{{22, 6}, {6, 22}, {22, 22}, {22, 38}, {38, 22}, {38, 38}}) {
    expect_alignment(x, y);
  }
  const int w = 45;
  for (int a = 0; a < 6; ++a) {
    for (int b = 0; b < 3; ++b) {
      const bool bit = ((0x07C94 >> (3 * a + b)) & 1) != 0;
      EXPECT_EQ(dark(a, w - 11 + b), bit);
      EXPECT_EQ(dark(w - 11 + b, a), bit);
      EXPECT_TRUE(function(a, w - 11 + b));
    }
  }
  // The timing pattern runs across the alignment pattern on row 6 with the same colours.
  for (int i = 8; i <= w - 9; ++i) EXPECT_EQ(dark(i, 6), i % 2 == 0) << i;
}

TEST_F(QrMatrixTest, FormatInformationPositions) {
  for (const int version : {1, 3, 14}) {
    lay_out(version);
    const int w = qr_width(version);
    for (const QrErrorCorrection level :
         {QrErrorCorrection::L, QrErrorCorrection::M, QrErrorCorrection::Q, QrErrorCorrection::H}) {
      for (int mask = 0; mask < 8; ++mask) {
        qr_place_format_info(*matrix, level, mask);
        const std::uint32_t value = qr_format_bits(level, mask);
        const auto bit = [value](int i) { return ((value >> i) & 1u) != 0; };
        const std::vector<std::pair<int, int>> first = {{8, 0}, {8, 1}, {8, 2}, {8, 3}, {8, 4},
                                                        {8, 5}, {8, 7}, {8, 8}, {7, 8}, {5, 8},
                                                        {4, 8}, {3, 8}, {2, 8}, {1, 8}, {0, 8}};
        for (int i = 0; i < 15; ++i) {
          EXPECT_EQ(dark(first[i].first, first[i].second), bit(i)) << "first copy bit " << i;
          const int x = i < 8 ? w - 1 - i : 8;
          const int y = i < 8 ? 8 : w - 15 + i;
          EXPECT_EQ(dark(x, y), bit(i)) << "second copy bit " << i;
          EXPECT_TRUE(function(x, y));
        }
        EXPECT_TRUE(dark(8, w - 8));
      }
    }
  }
}

TEST_F(QrMatrixTest, LevelLMaskZeroTopBit) {
  lay_out(1);
  qr_place_format_info(*matrix, QrErrorCorrection::L, 0);
  EXPECT_TRUE(dark(0, 8));
  EXPECT_TRUE(dark(8, 20));
  EXPECT_TRUE(dark(8, 13));
}

// The data modules in placement order, walked independently: two-module columns from the
// right, upward first, right module before left, column 6 skipped.
std::vector<std::pair<int, int>> zigzag(const QrModuleMatrix& matrix) {
  std::vector<std::pair<int, int>> order;
  const int w = matrix.width;
  int x = w - 1;
  int y = w - 1;
  int direction = -1;
  while (x >= 0) {
    for (int dx = 0; dx < 2; ++dx) {
      if (!qr_is_function_module(matrix, x - dx, y)) order.emplace_back(x - dx, y);
    }
    y += direction;
    if (y < 0 || y >= w) {
      y -= direction;
      direction = -direction;
      x -= 2;
      if (x == 6) x = 5;
    }
  }
  return order;
}

TEST_F(QrMatrixTest, CodewordBitsFollowTheZigzag) {
  for (const int version : {1, 2, 7}) {
    lay_out(version);
    const std::vector<std::pair<int, int>> order = zigzag(*matrix);
    const int total = kQrVersionTable[version].total_codewords;
    ASSERT_GE(static_cast<int>(order.size()), 8 * total);
    for (int bit = 0; bit < 8 * total; ++bit) {
      std::vector<std::uint8_t> codewords(static_cast<std::size_t>(total), 0);
      codewords[static_cast<std::size_t>(bit / 8)] = static_cast<std::uint8_t>(0x80 >> (bit % 8));
      lay_out(version);
      qr_place_codewords(*matrix, codewords);
      const auto [x, y] = order[static_cast<std::size_t>(bit)];
      ASSERT_TRUE(qr_line_test(matrix->data[static_cast<std::size_t>(y)], x)) << version << " bit " << bit;
    }
  }
}

TEST_F(QrMatrixTest, PlacementStartsBottomRightAndNeverUsesColumnSix) {
  lay_out(1);
  const std::vector<std::pair<int, int>> order = zigzag(*matrix);
  EXPECT_EQ(order[0], std::make_pair(20, 20));
  EXPECT_EQ(order[1], std::make_pair(19, 20));
  EXPECT_EQ(order[2], std::make_pair(20, 19));
  for (std::size_t i = 0; i + 1 < order.size(); ++i) {
    EXPECT_NE(order[i].first, 6);
    // The pair of columns 8 and 7 is followed by the pair of columns 5 and 4.
    if (order[i].first == 7 && order[i + 1].first < 7) {
      EXPECT_EQ(order[i + 1].first, 5);
    }
  }
  std::vector<std::uint8_t> ones(26, 0xFF);
  qr_place_codewords(*matrix, ones);
  for (int y = 0; y < 21; ++y) EXPECT_FALSE(qr_line_test(matrix->data[static_cast<std::size_t>(y)], 6));
  EXPECT_EQ(static_cast<int>(order.size()), 208);
}

}  // namespace
}  // namespace tolvex
