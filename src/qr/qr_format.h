// Format information (level and mask) and version information, written as function modules.
#pragma once

#include "qr/qr_matrix.h"

namespace tolvex {

// Both copies of the 15-bit format information for level and mask, and the dark module at
// (8, width - 8). Bit 0 is the least significant bit of qr_format_bits.
void qr_place_format_info(QrModuleMatrix& matrix, QrErrorCorrection level, int mask);

// The two 6 x 3 version information blocks, above the bottom-left and left of the top-right
// finder pattern; only versions 7 and up carry them.
void qr_place_version_info(QrModuleMatrix& matrix, int version);

}  // namespace tolvex
