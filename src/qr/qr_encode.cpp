#include "qr/qr_encode.h"

#include <algorithm>
#include <cstring>
#include <span>

#include "qr/qr_bit_stream.h"
#include "qr/qr_context.h"
#include "qr/qr_error_correction.h"
#include "qr/qr_format.h"
#include "qr/qr_mask.h"
#include "qr/qr_matrix.h"

namespace tolvex {
namespace {

// No version holds more characters than version 40-L holds digits: 7089, each group of three
// taking 10 bits. Longer texts are refused before the segment table is sized from them.
constexpr int kMaxTextLength =
    (kQrMaxDataBits - 4 - kQrCountWidth[static_cast<int>(QrMode::kNumeric)][2]) / 10 * 3;
static_assert(kMaxTextLength == 7089);

// Copies the dark modules of the matrix into the cleared output.
void qr_pack_matrix(const QrModuleMatrix& matrix, QrBitMatrix& output) {
  // Rows follow each other without padding, so they are streamed through an accumulator that
  // never holds more than 7 + 32 bits.
  std::size_t byte = 0;
  std::uint64_t pending = 0;  // top-aligned
  int pending_bits = 0;
  const auto emit = [&](std::uint64_t bits, int count) {  // the top count (1-32) bits of bits
    pending |= (bits >> (64 - count)) << (64 - pending_bits - count);
    pending_bits += count;
    for (; pending_bits >= 8; pending_bits -= 8, pending <<= 8) {
      output[byte++] = static_cast<std::uint8_t>(pending >> 56);
    }
  };
  for (int y = 0; y < matrix.width; ++y) {
    const QrLine& line = matrix.dark[static_cast<std::size_t>(y)];
    for (int word = 0; 64 * word < matrix.width; ++word) {
      const int count = std::min(64, matrix.width - 64 * word);
      const std::uint64_t bits = line[static_cast<std::size_t>(word)];
      emit(bits, std::min(32, count));
      if (count > 32) emit(bits << 32, count - 32);
    }
  }
  if (pending_bits > 0) output[byte] = static_cast<std::uint8_t>(pending >> 56);
}

}  // namespace

void qr_build_matrix(QrEncodeContext& context) {
  QrModuleMatrix& matrix = context.matrix;
  qr_clear_matrix(matrix, context.width);
  qr_place_function_patterns(matrix, context.version);
  qr_place_codewords(matrix,
                     std::span<const std::uint8_t>(context.codewords.data(),
                                                   static_cast<std::size_t>(context.total_codewords)));

  // The format information is part of what each mask is scored on.
  int best_mask = 0;
  qr_apply_mask(matrix, 0);
  qr_place_format_info(matrix, context.level, 0);
  int best_penalty = qr_penalty(matrix);
  for (int mask = 1; mask < kQrMaskCount; ++mask) {
    qr_apply_mask(matrix, mask);
    qr_place_format_info(matrix, context.level, mask);
    const int penalty = qr_penalty(matrix);
    if (penalty < best_penalty) {
      best_penalty = penalty;
      best_mask = mask;
    }
  }
  qr_apply_mask(matrix, best_mask);
  qr_place_format_info(matrix, context.level, best_mask);
  context.mask = best_mask;
}

int qr_encode_text(QrEncodeContext& context, QrErrorCorrection level, int version, const std::uint8_t* text,
                   int length) {
  if (qr_level_index(level) >= kQrLevelCount || version < 0 || version > kQrMaxVersion || text == nullptr) {
    return -1;
  }
  context.level = level;
  context.mask = kQrMaskAuto;
  if (length <= 0) length = static_cast<int>(std::strlen(reinterpret_cast<const char*>(text)));
  if (length == 0 || length > kMaxTextLength) return -1;

  const int found = qr_choose_version(context, version, text, length);
  if (found == 0) return -1;
  if (version != 0 && version < found) return -1;
  context.version = version != 0 ? version : found;
  context.width = qr_width(context.version);

  qr_add_terminator_and_padding(context);
  qr_add_error_correction(context);
  qr_build_matrix(context);
  return context.width;
}

int qr_encode_symbol(QrErrorCorrection level, int version, const std::uint8_t* text, int length,
                     QrBitMatrix* output) {
  if (output == nullptr) return -1;
  output->fill(0);
  QrEncodeContext context;
  const int width = qr_encode_text(context, level, version, text, length);
  if (width > 0) qr_pack_matrix(context.matrix, *output);
  return width;
}

std::optional<QrSymbol> qr_encode(std::string_view text, QrErrorCorrection level, int version) {
  // Longer texts are refused before their length could be cut to an int.
  if (text.empty() || text.size() > static_cast<std::size_t>(kMaxTextLength)) return std::nullopt;
  QrBitMatrix modules;
  const int width = qr_encode_symbol(level, version, reinterpret_cast<const std::uint8_t*>(text.data()),
                                     static_cast<int>(text.size()), &modules);
  if (width < 0) return std::nullopt;
  return QrSymbol(width, modules);
}

}  // namespace tolvex
