#include "qr/qr_matrix.h"

#include <algorithm>
#include <cstdlib>

#include "qr/qr_format.h"

namespace tolvex {
namespace {

// 7 x 7 with its top-left corner at (left, top): dark outer ring, light ring, dark 3 x 3 centre.
void place_finder(QrModuleMatrix& matrix, int left, int top) {
  for (int dy = 0; dy < 7; ++dy) {
    for (int dx = 0; dx < 7; ++dx) {
      const int ring = std::max(std::abs(dx - 3), std::abs(dy - 3));
      qr_set_function_module(matrix, left + dx, top + dy, ring != 2);
    }
  }
}

// 5 x 5 centred at (x, y): dark outer ring, light ring, dark centre.
void place_alignment(QrModuleMatrix& matrix, int x, int y) {
  if (qr_is_function_module(matrix, x, y)) return;  // centre on a finder pattern
  for (int dy = -2; dy <= 2; ++dy) {
    for (int dx = -2; dx <= 2; ++dx) {
      qr_set_function_module(matrix, x + dx, y + dy, std::max(std::abs(dx), std::abs(dy)) != 1);
    }
  }
}

// The codeword sequence bit by bit, most significant bit first; zeros past its end.
class CodewordBits {
 public:
  explicit CodewordBits(std::span<const std::uint8_t> codewords)
      : next_(codewords.begin()), end_(codewords.end()) {}

  // The next one or two bits, the first of them in the higher position.
  std::uint64_t take(int count) {
    if (available_ < count) refill();
    const std::uint64_t bits = buffer_ >> (64 - count);
    buffer_ <<= count;
    available_ -= count;
    return bits;
  }

 private:
  void refill() {
    for (; available_ <= 56 && next_ != end_; available_ += 8) {
      buffer_ |= std::uint64_t{*next_++} << (56 - available_);
    }
    if (next_ == end_) available_ = 64;  // the remainder bits: zeros after the last codeword
  }

  std::span<const std::uint8_t>::iterator next_;
  std::span<const std::uint8_t>::iterator end_;
  std::uint64_t buffer_ = 0;
  int available_ = 0;
};

// Adds bit (0 or 1) as module k of the line.
void put_bit(QrLine& line, int k, std::uint64_t bit) { line[qr_line_word(k)] |= bit << (63 - k % 64); }

}  // namespace

void qr_clear_matrix(QrModuleMatrix& matrix, int width) {
  matrix.width = width;
  for (auto* lines : {&matrix.function, &matrix.function_dark, &matrix.data, &matrix.dark}) {
    std::fill_n(lines->begin(), width, QrLine{});
  }
}

void qr_place_function_patterns(QrModuleMatrix& matrix, int version) {
  const int w = matrix.width;
  place_finder(matrix, 0, 0);
  place_finder(matrix, w - 7, 0);
  place_finder(matrix, 0, w - 7);

  for (int i = 0; i <= 7; ++i) {
    qr_set_function_module(matrix, i, 7, false);
    qr_set_function_module(matrix, 7, i, false);
    qr_set_function_module(matrix, w - 8, i, false);
    qr_set_function_module(matrix, w - 8 + i, 7, false);
    qr_set_function_module(matrix, i, w - 8, false);
    qr_set_function_module(matrix, 7, w - 8 + i, false);
  }

  // Reserved for the format information, which depends on the mask and comes with it.
  for (int i = 0; i <= 8; ++i) {
    qr_set_function_module(matrix, 8, i, false);
    qr_set_function_module(matrix, i, 8, false);
  }
  for (int i = 0; i <= 7; ++i) {
    qr_set_function_module(matrix, w - 8 + i, 8, false);
    qr_set_function_module(matrix, 8, w - 8 + i, false);
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
    qr_set_function_module(matrix, i, 6, i % 2 == 0);
    qr_set_function_module(matrix, 6, i, i % 2 == 0);
  }
}

void qr_place_codewords(QrModuleMatrix& matrix, std::span<const std::uint8_t> codewords) {
  const int w = matrix.width;
  CodewordBits bits(codewords);
  bool upward = true;
  for (int right = w - 1; right >= 1; right -= 2) {
    if (right == 6) right = 5;  // the vertical timing column carries no data
    const int left = right - 1;
    for (int step = 0; step < w; ++step) {
      const auto y = static_cast<std::size_t>(upward ? w - 1 - step : step);
      const QrLine& function = matrix.function[y];
      QrLine& data = matrix.data[y];
      const bool right_free = !qr_line_test(function, right);
      const bool left_free = !qr_line_test(function, left);
      if (right_free && left_free) {
        const std::uint64_t pair = bits.take(2);
        put_bit(data, right, pair >> 1);
        put_bit(data, left, pair & 1);
      } else if (right_free) {
        put_bit(data, right, bits.take(1));
      } else if (left_free) {
        put_bit(data, left, bits.take(1));
      }
    }
    upward = !upward;
  }
}

}  // namespace tolvex
