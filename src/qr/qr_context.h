// The working state of one encoding, owned by the call and handed to every stage by reference,
// so that encodings on several threads never share anything.
#pragma once

#include <array>
#include <cstdint>

#include "qr/qr_matrix.h"
#include "qr/qr_segments.h"
#include "qr/qr_version_table.h"

namespace tolvex {

inline constexpr int kQrMaskAuto = -1;

struct QrEncodeContext {
  QrErrorCorrection level = QrErrorCorrection::L;
  int mask = kQrMaskAuto;  // automatic choice until the matrix is built, then the chosen mask
  int version_found = 0;   // smallest version that holds the text
  int version = 0;         // version used
  int bit_count = 0;       // bits in the data stream, -1 once it has overflowed
  int total_codewords = 0;
  int width = 0;
  QrSegmentTable segments;
  // The buffers are cleared by the stage that fills them, not here: a call only pays for
  // the part of them that its version uses.
  std::array<std::uint8_t, kQrMaxDataCodewords> data;
  std::array<std::uint8_t, kQrMaxTotalCodewords> codewords;
  std::array<std::uint8_t, kQrMaxBlockCodewords> rs_work;
  QrModuleMatrix matrix;
};

// qr_encode_symbol's work without the packing: leaves the segments, data codewords, final
// codeword sequence, chosen version and mask and the module matrix in context. Same result.
[[nodiscard]] int qr_encode_text(QrEncodeContext& context, QrErrorCorrection level, int version,
                                 const std::uint8_t* text, int length);

// Lays out function patterns and codewords, applies the mask with the lowest penalty (the
// lowest-numbered among equals) with its format information, and records it in context.mask.
void qr_build_matrix(QrEncodeContext& context);

}  // namespace tolvex
