#include "qr/qr_mask.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "qr/qr_bit_stream.h"
#include "qr/qr_context.h"
#include "qr/qr_encode.h"
#include "qr/qr_error_correction.h"
#include "qr/qr_format.h"

namespace tolvex {
namespace {

using Grid = std::vector<std::vector<bool>>;  // [y][x], true = dark

// The penalty rules module by module, as plainly as they are stated.
QrPenalty reference_penalty(const Grid& grid) {
  const int w = static_cast<int>(grid.size());
  std::vector<std::vector<bool>> lines;
  for (int y = 0; y < w; ++y) lines.push_back(grid[static_cast<std::size_t>(y)]);
  for (int x = 0; x < w; ++x) {
    std::vector<bool> column;
    for (int y = 0; y < w; ++y)
      column.push_back(grid[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)]);
    lines.push_back(column);
  }
  QrPenalty penalty;
  for (const std::vector<bool>& line : lines) {
    const auto at = [&line, w](int k) { return k >= 0 && k < w && line[static_cast<std::size_t>(k)]; };
    for (int i = 0; i < w - 4;) {
      if (at(i) == at(i + 1)) {
        int length = 1;
        while (i + length < w && at(i + length) == at(i)) ++length;
        if (length >= 5) penalty.runs += length - 2;
        i += length;
      } else {
        ++i;
      }
    }
    for (int k = 0; k + 7 <= w; ++k) {
      const bool pattern =
          at(k) && !at(k + 1) && at(k + 2) && at(k + 3) && at(k + 4) && !at(k + 5) && at(k + 6);
      if (!pattern) continue;
      const bool before = k == 0 || !at(k - 1);
      const bool after = k + 7 == w || !at(k + 7);
      const bool light_before = !at(k - 4) && !at(k - 3) && !at(k - 2) && !at(k - 1);
      const bool light_after = !at(k + 7) && !at(k + 8) && !at(k + 9) && !at(k + 10);
      if (before && after && (light_before || light_after)) penalty.finder_like += 40;
    }
  }
  for (int y = 0; y + 1 < w; ++y) {
    for (int x = 0; x + 1 < w; ++x) {
      const bool colour = grid[y][x];
      if (grid[y][x + 1] == colour && grid[y + 1][x] == colour && grid[y + 1][x + 1] == colour)
        penalty.blocks += 3;
    }
  }
  int light = 0;
  for (const auto& row : grid) {
    for (const bool module : row) light += module ? 0 : 1;
  }
  const int percent = 100 * light / (w * w);
  penalty.balance = 10 * (std::abs(50 - percent) / 5);
  return penalty;
}

int total(const QrPenalty& penalty) {
  return penalty.runs + penalty.blocks + penalty.finder_like + penalty.balance;
}

Grid grid_of(const QrModuleMatrix& matrix) {
  Grid grid(static_cast<std::size_t>(matrix.width),
            std::vector<bool>(static_cast<std::size_t>(matrix.width)));
  for (int y = 0; y < matrix.width; ++y) {
    for (int x = 0; x < matrix.width; ++x) grid[y][x] = qr_module_is_dark(matrix, x, y);
  }
  return grid;
}

void load(QrModuleMatrix& matrix, const Grid& grid) {
  qr_clear_matrix(matrix, static_cast<int>(grid.size()));
  for (int y = 0; y < matrix.width; ++y) {
    for (int x = 0; x < matrix.width; ++x) qr_set_function_module(matrix, x, y, grid[y][x]);
  }
}

void expect_same_penalty(QrModuleMatrix& matrix, const Grid& grid, const std::string& label) {
  load(matrix, grid);
  const QrPenalty expected = reference_penalty(grid);
  const QrPenalty actual = qr_penalty_rules(matrix);
  EXPECT_EQ(actual.runs, expected.runs) << label;
  EXPECT_EQ(actual.blocks, expected.blocks) << label;
  EXPECT_EQ(actual.finder_like, expected.finder_like) << label;
  EXPECT_EQ(actual.balance, expected.balance) << label;
  EXPECT_EQ(qr_penalty(matrix), total(expected)) << label;
}

Grid uniform_grid(int w, bool dark) {
  return Grid(static_cast<std::size_t>(w), std::vector<bool>(static_cast<std::size_t>(w), dark));
}

class QrPenaltyTest : public ::testing::Test {
 protected:
  std::unique_ptr<QrModuleMatrix> matrix = std::make_unique<QrModuleMatrix>();
};

TEST_F(QrPenaltyTest, AllLightSevenBySeven) {
  load(*matrix, uniform_grid(7, false));
  const QrPenalty penalty = qr_penalty_rules(*matrix);
  EXPECT_EQ(penalty.runs, 14 * 5);
  EXPECT_EQ(penalty.blocks, 36 * 3);
  EXPECT_EQ(penalty.finder_like, 0);
  EXPECT_EQ(penalty.balance, 100);
}

TEST_F(QrPenaltyTest, CheckerboardScoresNothing) {
  Grid grid = uniform_grid(9, false);
  for (int y = 0; y < 9; ++y) {
    for (int x = 0; x < 9; ++x) grid[y][x] = (x + y) % 2 == 0;
  }
  load(*matrix, grid);
  EXPECT_EQ(qr_penalty(*matrix), 0);
}

TEST_F(QrPenaltyTest, FinderLikePatternNeedsLightSurroundings) {
  // 1011101 at the very start of a line, with four light modules after it.
  Grid grid = uniform_grid(21, false);
  const std::vector<bool> pattern = {true, false, true, true, true, false, true};
  for (int k = 0; k < 7; ++k) grid[10][k] = pattern[k];
  expect_same_penalty(*matrix, grid, "at the start");
  load(*matrix, grid);
  const int with_pattern = qr_penalty_rules(*matrix).finder_like;
  EXPECT_EQ(with_pattern, 40);
  // Dark module right after it: no longer finder-like.
  grid[10][7] = true;
  load(*matrix, grid);
  EXPECT_EQ(qr_penalty_rules(*matrix).finder_like, 0);
  // At the end of the line, light before it.
  grid = uniform_grid(21, false);
  for (int k = 0; k < 7; ++k) grid[3][14 + k] = pattern[k];
  load(*matrix, grid);
  EXPECT_EQ(qr_penalty_rules(*matrix).finder_like, 40);
  // Light on both sides but dark two modules away on both sides.
  grid = uniform_grid(21, false);
  for (int k = 0; k < 7; ++k) grid[3][6 + k] = pattern[k];
  grid[3][4] = true;
  grid[3][15] = true;
  load(*matrix, grid);
  EXPECT_EQ(qr_penalty_rules(*matrix).finder_like, 0);
  expect_same_penalty(*matrix, grid, "crowded");
}

// Random lines built from runs of random length, with finder-like patterns planted in them,
// so that every rule has work to do; widths cover one, two and three words a line.
Grid random_grid(std::mt19937& random, int w) {
  Grid grid = uniform_grid(w, false);
  std::uniform_int_distribution<int> run_length(1, 7);
  std::uniform_int_distribution<int> position(0, w - 1);
  for (int y = 0; y < w; ++y) {
    bool colour = random() % 2 == 0;
    for (int x = 0; x < w;) {
      const int length = run_length(random);
      for (int k = 0; k < length && x < w; ++k, ++x) grid[y][x] = colour;
      colour = !colour;
    }
  }
  const std::vector<bool> pattern = {false, false, false, false, true,  false, true, true,
                                     true,  false, true,  false, false, false, false};
  for (int planted = 0; planted < w / 4; ++planted) {
    const int line = position(random);
    const int start = position(random) - 4;
    const bool vertical = random() % 2 == 0;
    for (int k = 0; k < static_cast<int>(pattern.size()); ++k) {
      const int along = start + k;
      if (along < 0 || along >= w) continue;
      if (vertical) {
        grid[along][line] = pattern[k];
      } else {
        grid[line][along] = pattern[k];
      }
    }
  }
  return grid;
}

TEST_F(QrPenaltyTest, MatchesTheReferenceOnRandomMatrices) {
  std::mt19937 random(2024);
  for (const int w : {1, 2, 5, 11, 21, 25, 45, 63, 64, 65, 66, 101, 127, 128, 129, 130, 153, 177}) {
    for (int round = 0; round < 6; ++round) {
      expect_same_penalty(*matrix, random_grid(random, w), "width " + std::to_string(w));
    }
  }
}

std::unique_ptr<QrEncodeContext> laid_out(const std::string& text, QrErrorCorrection level) {
  auto context = std::make_unique<QrEncodeContext>();
  context->level = level;
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  context->version = qr_choose_version(*context, 0, bytes, static_cast<int>(text.size()));
  context->width = qr_width(context->version);
  qr_add_terminator_and_padding(*context);
  qr_add_error_correction(*context);
  qr_clear_matrix(context->matrix, context->width);
  qr_place_function_patterns(context->matrix, context->version);
  qr_place_codewords(context->matrix,
                     std::span<const std::uint8_t>(context->codewords.data(),
                                                   static_cast<std::size_t>(context->total_codewords)));
  return context;
}

TEST_F(QrPenaltyTest, WorkedExamplePenaltiesOfAllMasks) {
  const auto context = laid_out("A1B", QrErrorCorrection::L);
  const std::vector<int> expected = {1002, 1051, 1080, 1139, 1087, 1085, 1065, 1037};
  for (int mask = 0; mask < 8; ++mask) {
    qr_apply_mask(context->matrix, mask);
    qr_place_format_info(context->matrix, QrErrorCorrection::L, mask);
    EXPECT_EQ(qr_penalty(context->matrix), expected[mask]) << mask;
    EXPECT_EQ(total(reference_penalty(grid_of(context->matrix))), expected[mask]) << mask;
  }
}

TEST_F(QrPenaltyTest, MatchesTheReferenceOnRealSymbols) {
  std::mt19937 random(99);
  const std::string charset = "0123456789ABCDEFGHIJKLMNOPQRSTUV";
  for (const int length : {5, 40, 120, 300, 700, 1500, 2900}) {
    std::string text;
    for (int i = 0; i < length; ++i) text += charset[random() % charset.size()];
    const auto context = laid_out(text, static_cast<QrErrorCorrection>(random() % 4));
    for (int mask = 0; mask < 8; ++mask) {
      qr_apply_mask(context->matrix, mask);
      qr_place_format_info(context->matrix, context->level, mask);
      const QrPenalty expected = reference_penalty(grid_of(context->matrix));
      EXPECT_EQ(qr_penalty(context->matrix), total(expected)) << length << " mask " << mask;
    }
  }
}

TEST(QrCountBitsPortable, AgreesWithStdPopcount) {
  std::mt19937_64 random(3);
  std::vector<std::uint64_t> values = {0, 1, ~std::uint64_t{0}, std::uint64_t{1} << 63, 0x8000000000000001u};
  for (int i = 0; i < 2000; ++i) values.push_back(random() & random());  // sparse as well as dense
  for (int i = 0; i < 2000; ++i) values.push_back(random());
  for (const std::uint64_t value : values)
    EXPECT_EQ(qr_count_bits_portable(value), std::popcount(value)) << value;
}

// The mask conditions of ISO/IEC 18004, i the row and j the column.
bool condition(int mask, int i, int j) {
  switch (mask) {
    case 0:
      return (i + j) % 2 == 0;
    case 1:
      return i % 2 == 0;
    case 2:
      return j % 3 == 0;
    case 3:
      return (i + j) % 3 == 0;
    case 4:
      return (i / 2 + j / 3) % 2 == 0;
    case 5:
      return (i * j) % 2 + (i * j) % 3 == 0;
    case 6:
      return ((i * j) % 2 + (i * j) % 3) % 2 == 0;
    default:
      return ((i * j) % 3 + (i + j) % 2) % 2 == 0;
  }
}

TEST(QrApplyMask, InvertsDataModulesOnly) {
  const auto matrix = std::make_unique<QrModuleMatrix>();
  for (const int w : {21, 65, 177}) {
    qr_clear_matrix(*matrix, w);
    // Function modules along the diagonal, half of them dark; data bits set where x % 5 == 1.
    for (int k = 0; k < w; ++k) qr_set_function_module(*matrix, k, k, k % 2 == 0);
    for (int y = 0; y < w; ++y) {
      for (int x = 1; x < w; x += 5) {
        if (x == y) continue;
        matrix->data[static_cast<std::size_t>(y)][qr_line_word(x)] |= qr_line_bit(x);
      }
    }
    for (int mask = 0; mask < 8; ++mask) {
      qr_apply_mask(*matrix, mask);
      for (int y = 0; y < w; ++y) {
        for (int x = 0; x < w; ++x) {
          const bool expected = x == y ? x % 2 == 0 : ((x % 5 == 1) != condition(mask, y, x));
          ASSERT_EQ(qr_module_is_dark(*matrix, x, y), expected)
              << w << " mask " << mask << " at " << x << "," << y;
        }
      }
      for (int y = 0; y < w; ++y) {
        for (int x = w; x < 192; ++x)
          ASSERT_FALSE(qr_line_test(matrix->dark[static_cast<std::size_t>(y)], x));
      }
    }
  }
}

}  // namespace
}  // namespace tolvex
