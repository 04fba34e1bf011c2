// Reed-Solomon error correction codewords and the interleaving of data and error correction
// codewords into the final codeword sequence.
#pragma once

#include <cstdint>
#include <span>

#include "qr/qr_context.h"

namespace tolvex {

// Leaves in work[0..ec_count) the ec_count error correction codewords of the block whose
// data_count data codewords stand at work[0..data_count): the remainder of x^ec_count data(x)
// divided by the generator, highest degree first. The work area holds at least
// max(data_count, ec_count) bytes; the generator table has ec_count (1-68).
void qr_rs_remainder(std::span<std::uint8_t> work, int data_count, int ec_count);

// Splits the data codewords of the context's version and level into blocks, adds each block's
// error correction codewords and writes the interleaved sequence to context.codewords;
// records its length in context.total_codewords.
void qr_add_error_correction(QrEncodeContext& context);

}  // namespace tolvex
