#include "qr/qr_matrix.h"

#include <algorithm>
#include <cstdlib>

#include "qr/qr_format.h"

namespace tolvex {
namespace {

void clear_plane(QrModulePlane& plane, int width) {
  for (auto* lines : {&plane.function, &plane.function_dark, &plane.data, &plane.dark}) {
    std::fill_n(lines->begin(), width, QrLine{});
  }
}

// The patterns are drawn into the rows alone: every function pattern is symmetric about the
// main diagonal, so the columns are a copy of the rows.
void set_row_module(QrModuleMatrix& matrix, int x, int y, bool dark) {
  const auto row = static_cast<std::size_t>(y);
  matrix.rows.function[row][qr_line_word(x)] |= qr_line_bit(x);
  qr_line_assign(matrix.rows.function_dark[row], x, dark);
}

// 7 x 7 with its top-left corner at (left, top): dark outer ring, light ring, dark 3 x 3 centre.
void place_finder(QrModuleMatrix& matrix, int left, int top) {
  for (int dy = 0; dy < 7; ++dy) {
    for (int dx = 0; dx < 7; ++dx) {
      const int ring = std::max(std::abs(dx - 3), std::abs(dy - 3));
      set_row_module(matrix, left + dx, top + dy, ring != 2);
    }
  }
}

// 5 x 5 centred at (x, y): dark outer ring, light ring, dark centre.
void place_alignment(QrModuleMatrix& matrix, int x, int y) {
  if (qr_is_function_module(matrix, x, y)) return;  // centre on a finder pattern
  for (int dy = -2; dy <= 2; ++dy) {
    for (int dx = -2; dx <= 2; ++dx) {
      set_row_module(matrix, x + dx, y + dy, std::max(std::abs(dx), std::abs(dy)) != 1);
    }
  }
}

using Block = std::array<std::uint64_t, 64>;

// Transposes a 64 x 64 bit block, row r in word r, column c at bit 63 - c: swaps the
// off-diagonal 32 x 32 quarters, then the 16 x 16 quarters within each quarter, down to single bits.
template <std::size_t J, std::uint64_t Mask>
void swap_quarters(Block& block) {
  for (std::size_t base = 0; base < 64; base += 2 * J) {
    for (std::size_t k = base; k < base + J; ++k) {
      const std::uint64_t swapped = (block[k] ^ (block[k + J] >> J)) & Mask;
      block[k] ^= swapped;
      block[k + J] ^= swapped << J;
    }
  }
}

void transpose_block(Block& block) {
  swap_quarters<32, 0x00000000FFFFFFFFu>(block);
  swap_quarters<16, 0x0000FFFF0000FFFFu>(block);
  swap_quarters<8, 0x00FF00FF00FF00FFu>(block);
  swap_quarters<4, 0x0F0F0F0F0F0F0F0Fu>(block);
  swap_quarters<2, 0x3333333333333333u>(block);
  swap_quarters<1, 0x5555555555555555u>(block);
}

// columns[x] bit y = rows[y] bit x for the width x width square.
void transpose_lines(const std::array<QrLine, kQrMaxWidth>& rows, std::array<QrLine, kQrMaxWidth>& columns,
                     int width) {
  const auto w = static_cast<std::size_t>(width);
  const std::size_t words = qr_line_word(width - 1) + 1;
  Block block;
  for (std::size_t row_word = 0; row_word < words; ++row_word) {
    for (std::size_t column_word = 0; column_word < words; ++column_word) {
      for (std::size_t r = 0; r < 64; ++r) {
        const std::size_t y = 64 * row_word + r;
        block[r] = y < w ? rows[y][column_word] : 0;
      }
      transpose_block(block);
      for (std::size_t c = 0; c < 64 && 64 * column_word + c < w; ++c) {
        columns[64 * column_word + c][row_word] = block[c];
      }
    }
  }
}

}  // namespace

void qr_clear_matrix(QrModuleMatrix& matrix, int width) {
  matrix.width = width;
  clear_plane(matrix.rows, width);
  clear_plane(matrix.columns, width);
}

void qr_place_function_patterns(QrModuleMatrix& matrix, int version) {
  const int w = matrix.width;
  place_finder(matrix, 0, 0);
  place_finder(matrix, w - 7, 0);
  place_finder(matrix, 0, w - 7);

  for (int i = 0; i <= 7; ++i) {
    set_row_module(matrix, i, 7, false);
    set_row_module(matrix, 7, i, false);
    set_row_module(matrix, w - 8, i, false);
    set_row_module(matrix, w - 8 + i, 7, false);
    set_row_module(matrix, i, w - 8, false);
    set_row_module(matrix, 7, w - 8 + i, false);
  }

  // Reserved for the format information, which depends on the mask and comes with it.
  for (int i = 0; i <= 8; ++i) {
    set_row_module(matrix, 8, i, false);
    set_row_module(matrix, i, 8, false);
  }
  for (int i = 0; i <= 7; ++i) {
    set_row_module(matrix, w - 8 + i, 8, false);
    set_row_module(matrix, 8, w - 8 + i, false);
  }

  if (version >= 7) qr_place_version_info(matrix, version);

  const QrVersionInfo& info = kQrVersionTable[static_cast<std::size_t>(version)];
  const auto coordinates = std::span(info.alignment).first(static_cast<std::size_t>(info.alignment_count));
  for (const int a : coordinates) {
    place_alignment(matrix, a, 6);
    place_alignment(matrix, 6, a);
    for (const int b : coordinates) place_alignment(matrix, a, b);
  }

  for (int i = 8; i <= w - 9; ++i) {
    set_row_module(matrix, i, 6, i % 2 == 0);
    set_row_module(matrix, 6, i, i % 2 == 0);
  }

  std::copy_n(matrix.rows.function.begin(), w, matrix.columns.function.begin());
  std::copy_n(matrix.rows.function_dark.begin(), w, matrix.columns.function_dark.begin());
  std::copy_n(matrix.rows.function_dark.begin(), w, matrix.rows.dark.begin());
  std::copy_n(matrix.columns.function_dark.begin(), w, matrix.columns.dark.begin());
}

// Data bits go into the rows; the columns follow by one transposition at the end.
void qr_place_codewords(QrModuleMatrix& matrix, std::span<const std::uint8_t> codewords) {
  const int w = matrix.width;
  auto next_codeword = codewords.begin();
  std::uint64_t pending = 0;  // codeword bits still to place, from the most significant bit
  int pending_count = 0;
  const auto refill = [&] {
    for (; pending_count <= 56 && next_codeword != codewords.end(); pending_count += 8) {
      pending |= std::uint64_t{*next_codeword++} << (56 - pending_count);
    }
    if (pending_count == 0) pending_count = 64;  // past the last codeword: remainder bits, all 0
  };
  bool upward = true;
  for (int right = w - 1; right >= 1; right -= 2) {
    if (right == 6) right = 5;  // the vertical timing column carries no data
    for (int step = 0; step < w; ++step) {
      const auto y = static_cast<std::size_t>(upward ? w - 1 - step : step);
      const QrLine& function = matrix.rows.function[y];
      QrLine& data = matrix.rows.data[y];
      for (int x = right; x >= right - 1; --x) {
        if (qr_line_test(function, x)) continue;
        if (pending_count == 0) refill();
        data[qr_line_word(x)] |= (pending >> 63) << (63 - static_cast<unsigned>(x) % 64);
        pending <<= 1;
        --pending_count;
      }
    }
    upward = !upward;
  }
  transpose_lines(matrix.rows.data, matrix.columns.data, w);
}

}  // namespace tolvex
