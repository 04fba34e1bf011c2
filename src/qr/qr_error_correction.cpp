#include "qr/qr_error_correction.h"

#include <algorithm>
#include <array>

namespace tolvex {

namespace {

// alpha^i for i = 0 to 509: the sum of two exponents indexes it without reduction modulo 255.
constexpr std::array<std::uint8_t, 510> make_antilog_twice() {
  std::array<std::uint8_t, 510> table{};
  for (std::size_t i = 0; i < table.size(); ++i) table[i] = kQrGaloisField.antilog[i % 255];
  return table;
}

constexpr std::array<std::uint8_t, 510> kAntilogTwice = make_antilog_twice();

}  // namespace

// A linear feedback register over the remainder: each data codeword enters at the top, and the
// feedback term times the generator is added to what stays.
void qr_rs_remainder(std::span<std::uint8_t> work, int data_count, int ec_count) {
  const std::array<std::uint8_t, kQrMaxEcCodewords>& generator = kQrGenerators[ec_count];
  std::array<std::uint8_t, kQrMaxEcCodewords + 1> remainder{};  // the entry past ec_count stays 0
  const auto n = static_cast<std::size_t>(ec_count);
  for (int d = 0; d < data_count; ++d) {
    const std::uint8_t feedback = work[static_cast<std::size_t>(d)] ^ remainder[0];
    std::copy_n(remainder.begin() + 1, n, remainder.begin());
    if (feedback == 0) continue;
    const std::uint8_t* times_feedback = kAntilogTwice.data() + kQrGaloisField.log[feedback];
    for (std::size_t j = 0; j < n; ++j) remainder[j] ^= times_feedback[generator[j]];
  }
  std::copy_n(remainder.begin(), n, work.begin());
}

void qr_add_error_correction(QrEncodeContext& context) {
  const QrVersionInfo& info = kQrVersionTable[context.version];
  const QrBlockInfo& short_blocks = info.group1[qr_level_index(context.level)];
  const QrBlockInfo& long_blocks = info.group2[qr_level_index(context.level)];
  const int block_count = short_blocks.count + long_blocks.count;
  const int ec_count = short_blocks.total - short_blocks.data;
  const int short_data = short_blocks.data;
  const int data_count = info.data_codewords[qr_level_index(context.level)];
  const int total = info.total_codewords;

  std::fill_n(context.codewords.begin(), total, std::uint8_t{0});
  const std::uint8_t* block_data = context.data.data();
  for (int b = 0; b < block_count; ++b) {
    const bool is_long = b >= short_blocks.count;
    const int d = is_long ? short_data + 1 : short_data;
    for (int j = 0; j < short_data; ++j)
      context.codewords[static_cast<std::size_t>(j * block_count + b)] = block_data[j];
    if (is_long) {
      context.codewords[static_cast<std::size_t>(block_count * short_data + b - short_blocks.count)] =
          block_data[short_data];
    }
    std::copy_n(block_data, d, context.rs_work.begin());
    qr_rs_remainder(context.rs_work, d, ec_count);
    for (int j = 0; j < ec_count; ++j) {
      context.codewords[static_cast<std::size_t>(data_count + j * block_count + b)] =
          context.rs_work[static_cast<std::size_t>(j)];
    }
    block_data += d;
  }
  context.total_codewords = total;
}

}  // namespace tolvex
