// The module matrix under construction, its function patterns and the placement of the
// codewords.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "qr/qr_version_table.h"

namespace tolvex {

// One row of modules packed into bits: module x of the row is bit 63 - x % 64 of word x / 64,
// so a row reads from the most significant bit of its first word.
inline constexpr int kQrLineWords = 3;
using QrLine = std::array<std::uint64_t, kQrLineWords>;

// The flags of every module, one packed line of each per row. Function modules (finder,
// separator, timing, alignment, format, version and the dark module) are never masked and are
// skipped by codeword placement. A module reads dark when it is a dark function module or a
// data module whose masked bit is 1. Bits past the width are always 0.
struct QrModuleMatrix {
  int width = 0;
  std::array<QrLine, kQrMaxWidth> function;
  std::array<QrLine, kQrMaxWidth> function_dark;
  std::array<QrLine, kQrMaxWidth> data;  // data bit before masking
  std::array<QrLine, kQrMaxWidth> dark;
};

constexpr std::uint64_t qr_line_bit(int k) {
  return std::uint64_t{1} << (63 - static_cast<unsigned>(k) % 64);
}
constexpr std::size_t qr_line_word(int k) { return static_cast<unsigned>(k) / 64; }
inline bool qr_line_test(const QrLine& line, int k) { return (line[qr_line_word(k)] & qr_line_bit(k)) != 0; }

inline void qr_line_assign(QrLine& line, int k, bool value) {
  std::uint64_t& word = line[qr_line_word(k)];
  word = (word & ~qr_line_bit(k)) | (-std::uint64_t{value} & qr_line_bit(k));
}

inline bool qr_is_function_module(const QrModuleMatrix& matrix, int x, int y) {
  return qr_line_test(matrix.function[static_cast<std::size_t>(y)], x);
}
inline bool qr_module_is_dark(const QrModuleMatrix& matrix, int x, int y) {
  return qr_line_test(matrix.dark[static_cast<std::size_t>(y)], x);
}

// Clears the rows of a width x width matrix.
void qr_clear_matrix(QrModuleMatrix& matrix, int width);

// Makes (x, y) a function module of the given colour; later writes win.
inline void qr_set_function_module(QrModuleMatrix& matrix, int x, int y, bool dark) {
  const auto row = static_cast<std::size_t>(y);
  matrix.function[row][qr_line_word(x)] |= qr_line_bit(x);
  qr_line_assign(matrix.function_dark[row], x, dark);
  qr_line_assign(matrix.dark[row], x, dark);
}

// Finder patterns, separators, reserved format areas, version information, alignment and
// timing patterns, in that order. The dark module and the format bits come with the mask.
void qr_place_function_patterns(QrModuleMatrix& matrix, int version);

// Writes the codewords into the data modules in the zigzag order of two-module columns from
// the bottom-right corner, each codeword most significant bit first. Data modules left over
// (the remainder bits) keep bit 0.
void qr_place_codewords(QrModuleMatrix& matrix, std::span<const std::uint8_t> codewords);

}  // namespace tolvex
