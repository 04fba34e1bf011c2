// The QR Code encoder's entry: from a byte string to the packed module matrix of a Model 2
// symbol. Stages, in order: segments and bit stream (qr_segments, qr_bit_stream), error
// correction (qr_error_correction), function patterns and placement (qr_matrix), masks and
// penalty (qr_mask), format and version information (qr_format).
#pragma once

#include <array>
#include <cstdint>

#include "qr/qr_context.h"

namespace tolvex {

// The symbol as one bit per module, row after row, most significant bit first: module (x, y)
// is bit y * width + x, in byte bit / 8 under mask 0x80 >> bit % 8. A set bit is dark. No
// quiet zone; bits past width * width are 0. 3917 bytes hold the 177 x 177 modules of version 40.
using QrBitMatrix = std::array<std::uint8_t, 3917>;

// Encodes text at error correction level (0-3 for L, M, Q, H) in the given version (1-40),
// or in the smallest version that holds it (0). A length of 0 or less means up to the first
// NUL byte. Returns the symbol width (21 to 177), or -1 for an empty text, a text that no
// version holds, a requested version too small for the text, or a level or version outside
// those ranges. The output is cleared first, so after a failure it holds no dark module.
// Sets no error record. Each call keeps its own state; calls may run on several threads.
int qr_encode_symbol(int level, int version, const std::uint8_t* text, int length, QrBitMatrix& output);

// qr_encode_symbol's work without the packing: leaves the segments, data codewords, final
// codeword sequence, chosen version and mask and the module matrix in context. Same result.
int qr_encode_text(QrEncodeContext& context, int level, int version, const std::uint8_t* text, int length);

// Lays out function patterns and codewords, applies the mask with the lowest penalty (the
// lowest-numbered among equals) with its format information, and records it in context.mask.
void qr_build_matrix(QrEncodeContext& context);

// Copies the dark modules of the matrix into the cleared output.
void qr_pack_matrix(const QrModuleMatrix& matrix, QrBitMatrix& output);

}  // namespace tolvex
