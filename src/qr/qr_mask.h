// Data masks and the penalty score that chooses between them.
#pragma once

#include <cstdint>

#include "qr/qr_matrix.h"

namespace tolvex {

inline constexpr int kQrMaskCount = 8;

// Recomputes every data module as its data bit XOR the condition of mask (0-7); function
// modules keep their colour.
void qr_apply_mask(QrModuleMatrix& matrix, int mask);

// The four penalty rules, each a pure function of the dark modules (function patterns
// included) of all rows and columns:
// runs: every maximal run of L >= 5 modules of one colour adds L - 2;
// blocks: every 2 x 2 square of one colour adds 3 (squares may overlap);
// finder_like: every dark-light-dark-dark-dark-light-dark adds 40 when light on both sides and
//   with four light modules before or after it (outside the symbol counts as light);
// balance: 10 for every full 5 percent by which the (truncated) percentage of light modules
//   departs from 50.
struct QrPenalty {
  int runs = 0;
  int blocks = 0;
  int finder_like = 0;
  int balance = 0;
};
QrPenalty qr_penalty_rules(const QrModuleMatrix& matrix);

// The penalty of the matrix as it reads now: the sum of the four rules.
[[nodiscard]] int qr_penalty(const QrModuleMatrix& matrix);

// The number of bits set in x, counted without a population count instruction: the penalty's
// fallback where the processor has none.
int qr_count_bits_portable(std::uint64_t x);

}  // namespace tolvex
